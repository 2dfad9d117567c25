#pragma once
// What "assemble" and "resume-assemble" share: the answers to the joining engine's events
// from the command line, and the run with its closing JSON line.

#include <cstdint>
#include <string>

#include "app/core/active_assembler.h"
#include "bench/kbengine/args.h"

namespace kb::engine {

// --passphrase TEXT answers the first passphrase request (a refused one cancels);
// --cancel-after K cancels in the K-th progress event, --save TASKFILE then names the task
// file (without it a fresh join's partial output is deleted, and a resumed join goes back to
// its task). A disk request is answered once by
// carrying on (the piece may be there by now); asked again for the same piece, it cancels
// like --cancel-after, and so does a stop at a missing piece or at a write of the output that
// failed.
class CommandLineAnswers : public AssemblerListener {
public:
    explicit CommandLineAnswers(Args& args);

    void AssembleInterval(int32_t PBCurrent, int32_t FragPercent, bool& Cancel,
                          std::string& SaveStateFile) override;
    void RequireNextDisk(int32_t& DiskNumber, bool& Cancel, std::string& SaveStateFile) override;
    void RequirePassphrase(std::string& Passphrase, bool& Cancel, bool FirstRequest) override;
    void ConfirmStop(bool& Cancel, std::string& SaveStateFile) override;

private:
    std::string passphrase_;
    bool havePassphrase_ = false;
    int64_t cancelAfter_ = 0;
    int64_t intervals_ = 0;
    std::string save_;
    int32_t lastDisk_ = 0;
};

// Runs Assemble and prints its closing line (PrintJoinLine); returns the exit status (0 when
// the join completed, else 1).
int AssembleAndReport(ActiveAssembler& a, std::string& destination);

// The closing line of a join: {"result": R, "output": "...", "bytes": N, "seconds": S,
// "mb_per_s": X, "failed_pieces": [...], "unread_pieces": [...], "missing_piece": M,
// "joined_length": J, "header_length": H}, the last five what the join found wrong with what it
// joined (JoinFlaws: pieces that failed their CRC-32 check, pieces not read in full, the
// missing piece of a bare series or 0, and the joined and the header's length when they
// differ, else -1 both). A result of 0 with flaws is a join that ran to its end but is not
// whole.
void PrintJoinLine(int16_t result, const std::string& output, int64_t bytes, double seconds,
                   const JoinFlaws& flaws);

}  // namespace kb::engine
