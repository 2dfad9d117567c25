// The joining engine takes any first piece without crashing, hanging or allocating without
// bound: recognition, the headers of both formats, the count, the stored name, and a join of
// the piece into a scratch folder, which never writes outside it.

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

struct Scratch {
    std::string folder, dest, piece;
    Scratch() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kbfuzzXXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        folder = pattern;
        dest = folder + "/out";
        std::filesystem::create_directories(dest);
        piece = folder + "/first.001";
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kb::fuzz::InstallQuietPrompter();
    static const Scratch s;
    if (!kb::fuzz::WriteInput(s.piece, data, size)) return 0;

    kb::ActiveAssembler a;
    try {
        a.SetFileToAssemble(s.piece);
        a.FragmentCount();
        a.AssembledFilename();
        a.SetDestinationFolder(s.dest);
        a.SegmentSize = 64;
        std::string d = s.dest;
        a.Assemble(d);
    } catch (const kb::KbError&) {
    }
    // Nothing may stay open for the next input, whatever path the join took.
    kb::platform::bigfileClose(1);
    kb::platform::bigfileClose(2);
    // Only the piece and the output folder may be there: nothing was written beside them.
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(s.folder, ec)) {
        if (e.path() != s.piece && e.path() != s.dest) std::abort();
    }
    for (const auto& e : std::filesystem::directory_iterator(s.dest, ec))
        std::filesystem::remove_all(e.path(), ec);
    return 0;
}
