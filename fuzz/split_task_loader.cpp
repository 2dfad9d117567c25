// Loading a split task file takes any bytes without crashing or allocating without bound,
// and a task that fails to load is never left pending. The seeds name the source file this
// target makes, so that loading gets past the source check.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/core/active_splitter.h"
#include "app/core/kb_error.h"
#include "fuzz/support/quiet_prompter.h"
#include "platform/twlib.h"

namespace {

// The source path the seed task files were saved with.
constexpr const char* kSource = "/tmp/kbfuzz-split/source.bin";

std::string Prepare() {
    std::filesystem::create_directories("/tmp/kbfuzz-split/pieces");
    const std::string bytes(30000, 's');
    kb::fuzz::WriteInput(kSource, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return "/tmp/kbfuzz-split/task.uft";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kb::fuzz::InstallQuietPrompter();
    static const std::string path = Prepare();
    if (!kb::fuzz::WriteInput(path, data, size)) return 0;

    kb::ActiveSplitter s;
    try {
        s.SetResumeInfo(path);
    } catch (const kb::KbError&) {
        if (s.ResumePending()) std::abort();
    }
    kb::platform::bigfileClose(1);
    return 0;
}
