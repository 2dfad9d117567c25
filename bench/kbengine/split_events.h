#pragma once
// What the split commands share: the listener that cancels after a given number of chunks,
// and the closing JSON line of a split run.

#include <cstdint>
#include <string>

#include "app/core/active_splitter.h"
#include "bench/kbengine/args.h"

namespace kb::engine {

// "--cancel-after K" sets Cancel in the K-th SplitInterval (0: never); "--save TASKFILE" puts
// the task file into SaveStateFile with it (else it stays empty and written pieces are removed).
class CancelAfter : public ActiveSplitterEvents {
public:
    explicit CancelAfter(Args& args);
    void SplitInterval(int32_t PBCurrent, int32_t FragPercent, bool& Cancel,
                       std::string& SaveStateFile) override;

private:
    int64_t cancelAfter_ = 0;
    int64_t chunks_ = 0;
    std::string save_;
};

// Runs Split and prints {"result": R, "pieces": N, "bytes": L, "seconds": S, "mb_per_s": X,
// "completed": C}: N the pieces of the whole series, L the source's length, C whether every
// piece of the run was written. Returns the exit status: 0 completed, 1 stopped or failed.
int RunSplitAndReport(ActiveSplitter& s);

}  // namespace kb::engine
