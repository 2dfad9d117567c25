// Loading an assemble task file takes any bytes without crashing or allocating without bound,
// and a task that fails to load is never left pending.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/core/active_assembler.h"
#include "app/core/kb_error.h"
#include "fuzz/support/quiet_prompter.h"
#include "platform/twlib.h"

namespace {

std::string TaskPath() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kbfuzzXXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    return pattern + "/task.uft";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kb::fuzz::InstallQuietPrompter();
    static const std::string path = TaskPath();
    if (!kb::fuzz::WriteInput(path, data, size)) return 0;

    kb::ActiveAssembler a;
    try {
        a.SetResumeInfo(path);
    } catch (const kb::KbError&) {
        if (a.ResumePending()) std::abort();
    }
    kb::platform::bigfileClose(1);
    return 0;
}
