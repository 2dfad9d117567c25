// kbengine resume-split TASKFILE [--segment BYTES] [--cancel-after CHUNKS [--save TASKFILE]]
// Loads a split task file into a new splitter object and runs Split, which continues where
// the saved split stopped. Boxes, the stop and the last line as for "split".

#include "app/core/active_splitter.h"
#include "bench/kbengine/command_registry.h"
#include "bench/kbengine/engine_output.h"
#include "bench/kbengine/split_events.h"

namespace {

int RunResumeSplit(kb::engine::Args& args) {
    kb::engine::BoxPrinter boxes(args);
    kb::engine::CancelAfter events(args);
    kb::ActiveSplitter s;
    s.SetListener(&events);
    s.SegmentSize = static_cast<int32_t>(args.Number("segment", 262144, 1, INT32_MAX));
    const std::string task = args.Finish(1)[0];
    s.SetResumeInfo(task);
    return kb::engine::RunSplitAndReport(s);
}

}  // namespace

KB_ENGINE_COMMAND("resume-split", "TASKFILE [--segment BYTES] [--cancel-after CHUNKS [--save TASKFILE]]",
                  RunResumeSplit);
