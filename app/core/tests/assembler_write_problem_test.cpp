// A join whose output cannot be written for want of room (a full disk, a file-size limit) or
// by a fault of the disk asks what to do: Retry writes the same chunk again, Cancel stops as
// at a missing piece, with the question whether to save the progress.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/core/active_assembler.h"
#include "app/core/testing/faulty_io.h"
#include "app/core/tests/assembler_join_fixture.h"

namespace kb {
namespace {

namespace fs = std::filesystem;
using testing::Join;
using testing::PromptThen;
using testing::ReadAll;
using testing::Titles;

// Where the output stops taking bytes: inside the second chunk of piece 3, so that the failing
// write has put part of its chunk in already.
constexpr int64_t kRoomFor = 2450;

// One way a write of the output fails, made and taken away again.
class WriteProblem {
public:
    enum class Cause { FileSizeLimit, FullDisk, FailingDisk };

    WriteProblem(Cause cause, std::string output) : cause_(cause), output_(std::move(output)) {
        std::signal(SIGXFSZ, SIG_IGN);
    }
    ~WriteProblem() {
        Lift();
        std::signal(SIGXFSZ, SIG_DFL);
    }
    void Arm() {
        if (cause_ == Cause::FileSizeLimit) {
            rlimit l{};
            getrlimit(RLIMIT_FSIZE, &l);
            l.rlim_cur = kRoomFor;
            ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &l), 0);
            return;
        }
        fault_ = std::make_unique<testing::FaultyIo>(testing::FaultyIo::Kind::Write, output_, kRoomFor);
        if (cause_ == Cause::FailingDisk) fault_->FailWith(EIO);
    }
    // Makes room: the next write goes through.
    void Lift() {
        rlimit l{};
        getrlimit(RLIMIT_FSIZE, &l);
        l.rlim_cur = l.rlim_max;
        setrlimit(RLIMIT_FSIZE, &l);
        fault_.reset();
    }
    int Error() const {
        return cause_ == Cause::FileSizeLimit ? EFBIG : cause_ == Cause::FullDisk ? ENOSPC : EIO;
    }

private:
    Cause cause_;
    std::string output_;
    std::unique_ptr<testing::FaultyIo> fault_;
};

std::string ProblemText(const std::string& output, int error) {
    const std::string advice =
        error == ENOSPC ? "Free some space and click Retry" : "Click Retry to try again";
    return "An error occurred while writing part of the assembled file " + output + ": " +
           std::strerror(error) + ". " + advice + ", or click Cancel to stop.";
}

TEST(AssemblerWriteProblem, RetryWritesTheChunkAgainAndCancelStopsAsTheUserChooses) {
    using Cause = WriteProblem::Cause;
    enum class Then { RetryUntilRoom, StopWithoutSaving, GoOnAtTheStop, SaveAndResume };
    for (Cause cause : {Cause::FileSizeLimit, Cause::FullDisk, Cause::FailingDisk}) {
        for (Then then : {Then::RetryUntilRoom, Then::StopWithoutSaving, Then::GoOnAtTheStop,
                          Then::SaveAndResume}) {
            SCOPED_TRACE(static_cast<int>(cause) * 10 + static_cast<int>(then));
            PromptThen p;
            Join j;
            const std::string part = j.dest.File("data.bin.part");
            WriteProblem problem(cause, part);
            ASSERT_NO_FATAL_FAILURE(problem.Arm());
            if (then == Then::RetryUntilRoom) {
                p.Answer(Answer::Retry).Answer(Answer::Retry);
                p.after = 2;
                p.then = [&] { problem.Lift(); };
            } else {
                p.Answer(Answer::Cancel);
            }
            j.events.saveAs = then == Then::SaveAndResume ? j.other.File("job.uft") : "";
            j.events.onStop = [&](bool& cancel, std::string& saveAs) {
                saveAs = j.events.saveAs;
                if (then != Then::GoOnAtTheStop) return;
                cancel = false;
                problem.Lift();
            };
            const bool whole = then == Then::RetryUntilRoom || then == Then::GoOnAtTheStop;
            EXPECT_EQ(j.Run(), whole ? 0 : 1);
            problem.Lift();
            ASSERT_GE(p.boxes.size(), 1u);
            EXPECT_EQ(p.boxes[0].title, "Problem writing data");
            EXPECT_EQ(p.boxes[0].text, ProblemText(part, problem.Error()));
            EXPECT_EQ(p.boxes[0].style, mb::RetryCancel | mb::Exclamation);  // Retry the default
            EXPECT_EQ(p.boxes.size(), then == Then::RetryUntilRoom ? 2u : 1u);
            EXPECT_EQ(j.events.stops, then == Then::RetryUntilRoom ? 0 : 1);
            if (whole) {
                EXPECT_TRUE(ReadAll(j.dest.File("data.bin")) == j.data);
                EXPECT_FALSE(fs::exists(part));
            } else if (then == Then::StopWithoutSaving) {
                EXPECT_TRUE(fs::is_empty(j.dest.Path()));
            } else {
                ASSERT_TRUE(fs::exists(j.events.saveAs));
                ActiveAssembler again;
                ASSERT_TRUE(again.SetResumeInfo(j.events.saveAs));
                std::string d;
                EXPECT_EQ(again.Assemble(d), 0);
                EXPECT_TRUE(again.Flaws().None());
                EXPECT_TRUE(ReadAll(j.dest.File("data.bin")) == j.data);
                EXPECT_FALSE(fs::exists(j.events.saveAs));
            }
        }
    }
}

// A resumed join stopped at the problem without saving goes back to its task, which resumes
// once there is room.
TEST(AssemblerWriteProblem, AResumedJoinStoppedAtTheProblemGoesBackToItsTask) {
    PromptThen p;
    Join j;
    ASSERT_NO_FATAL_FAILURE(j.StopAndSave());
    const std::string task = ReadAll(j.events.saveAs);
    const std::string part = j.dest.File("data.bin.part");
    const std::string saved = ReadAll(part);
    {
        WriteProblem problem(WriteProblem::Cause::FileSizeLimit, part);
        ASSERT_NO_FATAL_FAILURE(problem.Arm());
        ActiveAssembler again;
        again.SetListener(&j.events);
        j.events.saveAs.clear();
        ASSERT_TRUE(again.SetResumeInfo(j.other.File("job.uft")));
        p.Answer(Answer::Cancel);
        std::string d;
        EXPECT_EQ(again.Assemble(d), 1);
    }
    EXPECT_EQ(Titles(p), std::vector<std::string>{"Problem writing data"});
    EXPECT_EQ(ReadAll(j.other.File("job.uft")), task);
    const std::string kept = ReadAll(part);
    EXPECT_GT(kept.size(), saved.size());
    EXPECT_TRUE(kept.substr(0, saved.size()) == saved);

    ActiveAssembler last;
    ASSERT_TRUE(last.SetResumeInfo(j.other.File("job.uft")));
    std::string d;
    EXPECT_EQ(last.Assemble(d), 0);
    EXPECT_TRUE(ReadAll(j.dest.File("data.bin")) == j.data);
}

}  // namespace
}  // namespace kb
