// Loading a split task file takes any bytes without crashing or allocating without bound,
// and a task that fails to load is never left pending. A task that loads holds a piece and a
// position that a split of its source with its sizes reaches (worked out here again from the
// stored bytes), so a resumed split never reads the wrong bytes. The seeds name the source
// file this target makes, so that loading gets past the source check.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/core/active_splitter.h"
#include "app/core/kb_error.h"
#include "fuzz/support/quiet_prompter.h"
#include "platform/twlib.h"

namespace {

// The source path the seed task files were saved with.
constexpr const char* kSource = "/tmp/kbfuzz-split/source.bin";

// The task file, removed again when the run ends.
struct TaskFile {
    std::string path;
    ~TaskFile() { std::remove(path.c_str()); }
};

std::string Prepare() {
    std::filesystem::create_directories("/tmp/kbfuzz-split/pieces");
    const std::string bytes(30000, 's');
    kb::fuzz::WriteInput(kSource, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    // Fuzzers of other checkouts may run at the same time: the task file is this process's own.
    return "/tmp/kbfuzz-split/task-" + std::to_string(getpid()) + ".uft";
}

template <typename T>
T At(const uint8_t* data, size_t at) {
    T v;
    std::memcpy(&v, data + at, sizeof v);  // the build machines are little-endian
    return v;
}

// The saved piece, source position and bytes left of a loaded task must fit each other and
// the loaded settings.
void CheckLoadedPosition(const kb::ActiveSplitter& s, const uint8_t* data, size_t size) {
    size_t at = 22;  // kind, format and the two sizes
    for (int text = 0; text < 4; ++text) {
        if (at + 2 > size) std::abort();  // it loaded, so the texts are there
        at += 2 + static_cast<size_t>(At<int16_t>(data, at));
    }
    at += 12;  // the two identifiers and field 11
    if (at + 32 > size) std::abort();
    const int32_t piece = At<int32_t>(data, at);
    const int64_t pos = At<int64_t>(data, at + 12) / 10000;
    const int64_t left = At<int64_t>(data, at + 20) / 10000;

    kb::ActiveSplitter copy = s;
    const int64_t count = copy.FragsNeeded();
    const int64_t firstData = s.FragmentDataSizeAtStart(), other = s.FragmentDataSize();
    if (piece < s.FragFirst || piece > s.FragLast || piece > count) std::abort();
    const int64_t offset = piece == 1 ? 0 : firstData + (piece - 2) * other;
    const int64_t length = piece == count ? s.BigFileLength() - offset : piece == 1 ? firstData : other;
    // From its start: at the piece's first byte; inside it: as far as is no longer left.
    const bool fits = left == 0 ? pos == offset
                                : left > 0 && left < length && pos + left == offset + length;
    if (!fits) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kb::fuzz::InstallQuietPrompter();
    static const TaskFile task{Prepare()};
    const std::string& path = task.path;
    if (!kb::fuzz::WriteInput(path, data, size)) return 0;

    kb::ActiveSplitter s;
    try {
        s.SetResumeInfo(path);
    } catch (const kb::KbError&) {
        if (s.ResumePending()) std::abort();
    }
    if (s.ResumePending()) CheckLoadedPosition(s, data, size);
    kb::platform::bigfileClose(1);
    return 0;
}
