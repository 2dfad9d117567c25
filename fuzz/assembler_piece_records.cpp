// A series whose header count, header length and piece records are damaged never joins
// silently into anything but what it claims: the input supplies those fixed-width fields of an
// otherwise sound three-piece series (the header's count and length, then the three 12-byte
// records; missing bytes are zeros). A join that returns 0 without a box must have found every
// record naming its own place and the header's count with its data's CRC, and the header's
// length equal to what it joined, and its output must be the data of the pieces it took.

#include <unistd.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/core/active_assembler.h"
#include "app/core/fragment_format.h"
#include "app/core/kb_error.h"
#include "fuzz/support/quiet_prompter.h"
#include "platform/twlib.h"

namespace {

constexpr int kPieces = 3;
constexpr size_t kFields = 4 + 8 + 12 * kPieces;

// Counts the boxes; answers as the quiet prompter does.
class CountingPrompter : public kb::fuzz::QuietPrompter {
public:
    int boxes = 0;
    kb::Answer MsgBox(const std::string& text, int style, const std::string& title) override {
        ++boxes;
        return QuietPrompter::MsgBox(text, style, title);
    }
};

struct Series {
    std::string folder, dest;
    std::vector<std::string> data;  // the data bytes of each piece
    std::vector<uint32_t> crc;
    Series() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kbfuzzrecXXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        folder = pattern;
        dest = folder + "/out";
        std::filesystem::create_directories(dest);
        for (int i = 0; i < kPieces; ++i) {
            data.emplace_back(static_cast<size_t>(100 + 37 * i), static_cast<char>('a' + i));
            crc.push_back(static_cast<uint32_t>(
                crc32(0, reinterpret_cast<const Bytef*>(data.back().data()),
                      static_cast<uInt>(data.back().size()))));
        }
    }
    std::string Piece(int n) const { return folder + "/r.00" + std::to_string(n); }
};

template <typename T>
T At(const uint8_t* fields, size_t at) {
    T v;
    std::memcpy(&v, fields + at, sizeof v);
    return v;
}

// Piece 1's headers as the splitter writes them, with the count and length given.
std::string FirstHeaders(int32_t count, int64_t length) {
    kb::Format4Header h;
    h.pieceCount = count;
    h.storedName = "r.bin";
    h.namingTemplate = "%f.%N";
    h.sourceLength = length;
    return kb::EncodeCommonHeader(kb::FragmentCommonHeader{}) + kb::EncodeFormat4Header(h);
}

void WriteSeries(const Series& s, const uint8_t* fields) {
    for (int i = 0; i < kPieces; ++i) {
        std::string bytes =
            i == 0 ? FirstHeaders(At<int32_t>(fields, 0), At<int64_t>(fields, 4)) : std::string();
        bytes.append(reinterpret_cast<const char*>(fields) + 12 + 12 * i, 12);
        bytes += s.data[static_cast<size_t>(i)];
        kb::fuzz::WriteInput(s.Piece(i + 1), reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
}

// What a silent success requires of the fields, and the output it must have given.
void CheckSilentJoin(const Series& s, const uint8_t* fields, const std::string& output) {
    const int32_t count = At<int32_t>(fields, 0);
    if (count < 1 || count > kPieces) std::abort();
    std::string joined;
    for (int32_t n = 1; n <= count; ++n) {
        const uint8_t* record = fields + 12 + 12 * (n - 1);
        if (At<int32_t>(record, 0) != n || At<int32_t>(record, 4) != count ||
            At<uint32_t>(record, 8) != s.crc[static_cast<size_t>(n - 1)])
            std::abort();
        joined += s.data[static_cast<size_t>(n - 1)];
    }
    if (At<int64_t>(fields, 4) != static_cast<int64_t>(joined.size()) || output != joined) std::abort();
}

std::string ReadAll(const std::string& path) {
    std::string out;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
        std::fclose(f);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CountingPrompter prompter;
    static const bool installed = (kb::SetPrompter(&prompter), true);
    (void)installed;
    static const Series s;
    uint8_t fields[kFields] = {};
    std::memcpy(fields, data, size < kFields ? size : kFields);
    WriteSeries(s, fields);

    prompter.boxes = 0;
    kb::ActiveAssembler a;
    int16_t result = 1;
    try {
        a.SetFileToAssemble(s.Piece(1));
        a.SetDestinationFolder(s.dest);
        a.SegmentSize = 64;
        std::string d = s.dest;
        result = a.Assemble(d);
    } catch (const kb::KbError&) {
    }
    kb::platform::bigfileClose(1);
    kb::platform::bigfileClose(2);
    if (result == 0 && prompter.boxes == 0) CheckSilentJoin(s, fields, ReadAll(a.BigFile));
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(s.dest, ec))
        std::filesystem::remove_all(e.path(), ec);
    return 0;
}
