#include "app/core/fragment_format.h"

#include "app/core/big_file.h"
#include "app/core/kb_error.h"
#include "app/core/little_endian.h"

namespace kb {

namespace {

void PutText(std::string& out, const std::string& text) {
    if (text.size() > 32767)
        throw KbError(err::Overflow, "WriteFragmentHeader",
                      "Text of " + std::to_string(text.size()) +
                          " bytes is too long to be stored (at most 32767).");
    AppendLE(out, static_cast<int16_t>(text.size()));
    out += text;
}

template <typename T>
T Get(const uint8_t*& p) {
    const T value = LoadLE<T>(p);
    p += sizeof(T);
    return value;
}

// Reads exactly n bytes (n is a small fixed record size) or raises.
void ReadExact(int16_t slot, uint8_t* buf, int32_t n, const char* source, const char* what) {
    if (bigfileRead(buf, n, slot) != n)
        throw KbError(err::DeviceIO, source,
                      std::string("Unable to read the ") + what + ": the file ends first.");
}

void WriteAll(int16_t slot, const std::string& bytes, const char* source) {
    if (bigfileWrite(bytes.data(), static_cast<int32_t>(bytes.size()), slot) !=
        static_cast<int32_t>(bytes.size()))
        throw KbError(err::DeviceIO, source, "Unable to write to file.");
}

}  // namespace

int64_t FirstPieceHeaderSize(const std::string& storedName, const std::string& namingTemplate) {
    return 78 + static_cast<int64_t>(storedName.size()) + static_cast<int64_t>(namingTemplate.size());
}

std::string EncodeCommonHeader(const FragmentCommonHeader& h) {
    std::string out;
    PutText(out, h.magic);
    AppendLE(out, h.version);
    for (int16_t r : h.reserved) AppendLE(out, r);
    return out;
}

std::string EncodeFormat4Header(const Format4Header& h) {
    std::string out;
    AppendLE(out, h.pieceCount);
    PutText(out, h.storedName);
    AppendLE(out, h.reserved);
    AppendLE(out, h.encryptionId);
    AppendLE(out, h.compressionId);
    PutText(out, h.namingTemplate);
    AppendLE(out, h.sourceLength);
    return out;
}

std::string EncodePieceRecord(const PieceRecord& r) {
    std::string out;
    AppendLE(out, r.pieceNumber);
    AppendLE(out, r.pieceCount);
    AppendLE(out, r.crc);
    return out;
}

void WriteFragmentHeader(int16_t slot, const FragmentCommonHeader& common, const Format4Header& h) {
    WriteAll(slot, EncodeCommonHeader(common) + EncodeFormat4Header(h), "WriteFragmentHeader");
}

void WritePieceRecord(int16_t slot, const PieceRecord& r) {
    WriteAll(slot, EncodePieceRecord(r), "WritePieceRecord");
}

FragmentCommonHeader ReadCommonHeader(int16_t slot) {
    FragmentCommonHeader h;
    h.magic = ReadStringBF(slot);
    uint8_t buf[12];
    ReadExact(slot, buf, 12, "ReadCommonHeader", "fragment header");
    const uint8_t* p = buf;
    h.version = Get<int16_t>(p);
    for (int16_t& r : h.reserved) r = Get<int16_t>(p);
    return h;
}

Format4Header ReadFormat4Header(int16_t slot) {
    constexpr const char* kSource = "ReadFormat4Header";
    Format4Header h;
    uint8_t buf[12];
    const uint8_t* p = buf;
    ReadExact(slot, buf, 4, kSource, "fragment header");
    h.pieceCount = Get<int32_t>(p);
    h.storedName = ReadStringBF(slot);
    ReadExact(slot, buf, 12, kSource, "fragment header");
    p = buf;
    h.reserved = Get<int32_t>(p);
    h.encryptionId = Get<int32_t>(p);
    h.compressionId = Get<int32_t>(p);
    h.namingTemplate = ReadStringBF(slot);
    ReadExact(slot, buf, 8, kSource, "fragment header");
    p = buf;
    h.sourceLength = Get<int64_t>(p);
    return h;
}

PieceRecord ReadPieceRecord(int16_t slot) {
    uint8_t buf[kPieceRecordSize];
    ReadExact(slot, buf, kPieceRecordSize, "ReadPieceRecord", "piece record");
    const uint8_t* p = buf;
    PieceRecord r;
    r.pieceNumber = Get<int32_t>(p);
    r.pieceCount = Get<int32_t>(p);
    r.crc = Get<uint32_t>(p);
    return r;
}

}  // namespace kb
