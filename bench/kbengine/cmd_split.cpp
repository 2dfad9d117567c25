// kbengine split SOURCE DESTFOLDER [--format 0|1] [--size BYTES] [--first-size BYTES]
//     [--count N] [--segment BYTES] [--template TEXT] [--store-name NAME] [--range FIRST-LAST]
//     [--cancel-after CHUNKS [--save TASKFILE]]
// Splits SOURCE into DESTFOLDER with the splitter object. Defaults: format 0, size 1457664,
// segment 262144, template "%f.%N", stored name the source's file name. --count chooses one
// size for N pieces. Boxes are printed on standard error and answered with their default
// button. Last line: {"result": R, "pieces": N, "bytes": L, "seconds": S, "mb_per_s": X,
// "completed": C}; the exit status is 0 only when every piece was written.

#include <cstdint>

#include "app/core/active_splitter.h"
#include "app/core/paths.h"
#include "bench/kbengine/command_registry.h"
#include "bench/kbengine/engine_output.h"
#include "bench/kbengine/split_events.h"

namespace {

using kb::engine::UsageError;

void SetRange(kb::ActiveSplitter& s, const std::string& text) {
    const size_t dash = text.find('-');
    int first = 0, last = 0;
    size_t used1 = 0, used2 = 0;
    try {
        first = std::stoi(text.substr(0, dash), &used1);
        last = std::stoi(text.substr(dash + 1), &used2);
    } catch (...) {
        used1 = 0;
    }
    if (dash == std::string::npos || used1 != dash || used2 != text.size() - dash - 1 ||
        first < 1 || last < first)
        throw UsageError{"--range must be FIRST-LAST with 1 <= FIRST <= LAST, not \"" + text + "\""};
    s.FragUseRange = true;
    s.FragFirst = first;
    s.FragLast = last;
}

int RunSplit(kb::engine::Args& args) {
    kb::engine::BoxPrinter boxes(args);
    kb::engine::CancelAfter events(args);
    kb::ActiveSplitter s;
    s.SetListener(&events);
    s.SetFileFormat(static_cast<int32_t>(args.Number("format", 0, 0, 1)));
    const int64_t size = args.Number("size", 1457664, 1, INT64_MAX);
    const int64_t firstSize = args.Number("first-size", 0, 1, INT64_MAX);  // 0: not given
    const int64_t count = args.Number("count", 0, 1, INT32_MAX);
    s.SegmentSize = static_cast<int32_t>(args.Number("segment", 262144, 1, INT32_MAX));
    if (auto t = args.Option("template")) s.FragNamingTemplate = *t;
    const auto storeName = args.Option("store-name");
    const auto range = args.Option("range");
    const auto positional = args.Finish(2);

    s.FilenameToStore = storeName.value_or(kb::StripFolder(positional[0]));
    s.SetBigFile(positional[0]);
    s.SetDestinationFolder(positional[1]);
    s.SetFragmentSize(size);
    if (firstSize) s.SetFragmentSizeAtStart(firstSize);
    if (count) {
        int32_t n = static_cast<int32_t>(count);
        s.SetFragsNeeded(n);
    }
    if (range) SetRange(s, *range);
    return kb::engine::RunSplitAndReport(s);
}

}  // namespace

KB_ENGINE_COMMAND("split",
                  "SOURCE DESTFOLDER [--format 0|1] [--size BYTES] [--first-size BYTES] "
                  "[--count N] [--segment BYTES] [--template TEXT] [--store-name NAME] "
                  "[--range FIRST-LAST] [--cancel-after CHUNKS [--save TASKFILE]]",
                  RunSplit);
