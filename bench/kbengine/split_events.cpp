#include "bench/kbengine/split_events.h"

#include <cstdint>

#include "bench/kbengine/engine_output.h"

namespace kb::engine {

CancelAfter::CancelAfter(Args& args)
    : cancelAfter_(args.Number("cancel-after", 0, 1, INT64_MAX)), save_(args.Option("save").value_or("")) {
    if (!save_.empty() && cancelAfter_ == 0) throw UsageError{"--save needs --cancel-after"};
}

void CancelAfter::SplitInterval(int32_t, int32_t, bool& Cancel, std::string& SaveStateFile) {
    if (++chunks_ != cancelAfter_) return;
    Cancel = true;
    SaveStateFile = save_;
}

int RunSplitAndReport(ActiveSplitter& s) {
    Stopwatch clock;
    const int16_t result = s.Split();
    const double seconds = clock.Seconds();
    const int64_t bytes = s.BigFileLength();
    JsonLine()
        .Add("result", int64_t{result})
        .Add("pieces", int64_t{s.FragsNeeded()})
        .Add("bytes", bytes)
        .Add("seconds", seconds)
        .Add("mb_per_s", seconds > 0 ? static_cast<double>(bytes) / 1e6 / seconds : 0.0)
        .Add("completed", s.LastSplitCompleted())
        .Print();
    // The result is 1 also for a split that stopped early: scripts go by the status.
    return s.LastSplitCompleted() ? 0 : 1;
}

}  // namespace kb::engine
