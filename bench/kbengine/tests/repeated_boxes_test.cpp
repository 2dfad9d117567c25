// The drivers answer boxes nobody sees: a box that keeps asking to retry is given up on after a
// few times, and printed once with its count, so a full disk or a refused name ends the run.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <vector>

#include "app/core/testing/temp_folder.h"
#include "app/core/tests/series_fixtures.h"
#include "bench/kbengine/tests/engine_run.h"
#include "bench/repeated_boxes.h"

namespace {

using kb::Answer;
using kb::bench::RepeatedBoxes;
using kb::testing::ReadAll;
namespace mb = kb::mb;

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST(RepeatedBoxes, GivesUpOnTheSameRetryBoxAfterAFewAndPrintsItOnce) {
    constexpr int kRetries = RepeatedBoxes::kRetries;
    struct Case {
        int style;
        Answer giveUp;
    } cases[] = {
        {mb::RetryCancel | mb::Exclamation, Answer::Cancel},
        {mb::AbortRetryIgnore | mb::DefaultButton2, Answer::Abort},
    };
    for (const Case& c : cases) {
        ::testing::internal::CaptureStderr();
        {
            RepeatedBoxes boxes;
            std::vector<Answer> got;
            for (int i = 0; i <= kRetries + 1; ++i)
                got.push_back(boxes.Show("Disk full", c.style, "Problem writing data", Answer::Retry, false));
            EXPECT_EQ(got[kRetries - 1], Answer::Retry) << c.style;
            EXPECT_EQ(got[kRetries], c.giveUp) << c.style;
            EXPECT_EQ(got[kRetries + 1], c.giveUp) << c.style;
        }
        const std::string printed = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(printed, "box: Problem writing data: Disk full\nbox: Problem writing data: shown " +
                               std::to_string(kRetries + 2) + " times in a row, the last answered " +
                               kb::AnswerName(c.giveUp) + "\n");
    }

    // Scripted answers are kept, and another box in between starts the count again.
    ::testing::internal::CaptureStderr();
    RepeatedBoxes boxes;
    for (int i = 0; i < 2 * kRetries; ++i)
        EXPECT_EQ(boxes.Show("again", mb::RetryCancel, "T", Answer::Retry, true), Answer::Retry);
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < kRetries; ++i)
            EXPECT_EQ(boxes.Show("again", mb::RetryCancel, "T", Answer::Retry, false), Answer::Retry);
        boxes.Show("other\nline", mb::OKOnly, "U", Answer::OK, false);
    }
    EXPECT_EQ(Count(::testing::internal::GetCapturedStderr(), "box: U: other line\n"), 2u);

    // Two boxes taking turns are never in a row, but they go round all the same.
    ::testing::internal::CaptureStderr();
    RepeatedBoxes turns;
    for (int i = 1; i <= RepeatedBoxes::kMostShows; ++i) {
        EXPECT_FALSE(turns.GoingRound()) << i;
        turns.Show("Piece 3 cannot be found.", mb::RetryCancel, "Missing piece", Answer::Cancel, false);
        turns.Show("Save?", mb::YesNoCancel | mb::DefaultButton3, "Assemble cancelled", Answer::Cancel, false);
    }
    EXPECT_TRUE(turns.GoingRound());
    EXPECT_EQ(Count(::testing::internal::GetCapturedStderr(),
                    "box: Missing piece: shown " + std::to_string(RepeatedBoxes::kMostShows) +
                        " times in this run, which goes round without end\n"),
              1u);
}

class RetryingDrivers : public ::testing::Test {
protected:
    kb::testing::TempFolder dir;
    std::string source = dir.Write("in.dat", kb::testing::RandomBytes(300000, 5));

    // Runs a driver under a time limit (a run that loops ends with the limit's status 124) and
    // a file size limit of 4 MiB for its error stream.
    EngineRun Run(const std::string& program, const std::string& arguments) {
        return RunShell("ulimit -f 4096; KESTRELBINDER_HOME=" + ShellQuote(dir.Path()) +
                        " KESTRELBINDER_REGISTRY=" + ShellQuote(dir.Path()) +
                        " QT_QPA_PLATFORM=offscreen timeout 20 " + ShellQuote(program) + " " +
                        arguments + " 2>" + ShellQuote(dir.File("stderr.txt")));
    }
    // Runs a driver as a child whose files may grow to `limit` bytes, with SIGXFSZ at its
    // default as a shell leaves it (so the driver itself must ignore it); its error stream goes
    // to stderr.txt. The wait status.
    int RunWithFileSizeLimit(const std::vector<std::string>& argv, rlim_t limit) {
        const std::string errors = dir.File("stderr.txt");
        const pid_t pid = fork();
        if (pid == 0) {
            const rlimit l{limit, limit};
            std::signal(SIGXFSZ, SIG_DFL);
            const int fd = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int null = open("/dev/null", O_WRONLY);
            if (fd < 0 || null < 0 || dup2(fd, 2) < 0 || dup2(null, 1) < 0 ||
                setrlimit(RLIMIT_FSIZE, &l) != 0)
                _exit(120);
            setenv("KESTRELBINDER_HOME", dir.Path().c_str(), 1);
            setenv("KESTRELBINDER_REGISTRY", dir.Path().c_str(), 1);
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            std::vector<char*> args;
            for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            execv(args[0], args.data());
            _exit(121);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return status;
    }
    // Runs a driver that writes into `out`, emptied first, under a file-size limit of 50000
    // bytes; its exit status (it must not die of a signal).
    int RunIntoEmptyFolder(const std::vector<std::string>& argv, const std::string& out) {
        std::filesystem::remove_all(out);
        std::filesystem::create_directories(out);
        const int status = RunWithFileSizeLimit(argv, 50000);
        EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
        return WEXITSTATUS(status);
    }
    void ExpectOneReportedBox() {
        const std::string errors = ReadAll(dir.File("stderr.txt"));
        EXPECT_EQ(Count(errors, "box: Problem creating file: An error occurred"), 1u) << errors.substr(0, 2000);
        EXPECT_EQ(Count(errors, "box: Problem creating file: shown " +
                                    std::to_string(RepeatedBoxes::kRetries + 1) +
                                    " times in a row, the last answered Cancel\n"),
                  1u)
            << errors.substr(0, 2000);
    }
};

TEST_F(RetryingDrivers, EngineSplitToAFolderItCannotWriteEnds) {
    std::filesystem::create_directories(dir.File("out"));
    const std::string longName = std::string(300, 'n') + "%n";
    const std::string cases[] = {
        ShellQuote(dir.File("no/such")),
        ShellQuote(dir.File("out")) + " --template " + ShellQuote(longName),
    };
    for (const std::string& destination : cases) {
        const EngineRun r = Run(KBENGINE_PATH, "split " + ShellQuote(source) + " " + destination +
                                                   " --size 70000");
        EXPECT_EQ(r.status, 1) << destination;
        EXPECT_EQ(Member(r.lastLine, "completed"), "false") << destination;
        ExpectOneReportedBox();
    }
}

// The "Missing piece" box offers Retry as its default, and the wizard's stop question that its
// Cancel brings goes on by default: the wizard driver's run ends all the same.
TEST_F(RetryingDrivers, WizardAssembleOfASetMissingAPieceEnds) {
    const std::string data = ReadAll(source).substr(0, 5000);
    kb::testing::TempFolder set;
    auto pieces = kb::testing::WriteFormat4Series(set, data, {}, kb::testing::Dotted3("data"));
    std::filesystem::remove(pieces[2]);
    std::filesystem::create_directories(dir.File("out"));
    const EngineRun r = Run(KB_WIZARD, "assemble " + ShellQuote(pieces[0]) + " " +
                                           ShellQuote(dir.File("out")));
    EXPECT_EQ(r.status, 1);
    const std::string errors = ReadAll(dir.File("stderr.txt"));
    EXPECT_NE(errors.find("box: Missing piece: shown 4 times in a row, the last answered Cancel\n"
                          "box: Assemble cancelled: "),
              std::string::npos)
        << errors.substr(0, 2000);
    EXPECT_NE(errors.find("which goes round without end"), std::string::npos) << errors.substr(0, 2000);
    EXPECT_FALSE(std::filesystem::exists(dir.File("out/data.bin")));
}

// A write that crosses a file-size limit fails like any failed write: the driver lives to report
// it, the split stops unfinished, and no partial piece is left behind.
TEST_F(RetryingDrivers, SplitsUnderAFileSizeLimitReportTheWriteProblemAndEnd) {
    const std::string out = dir.File("out");
    const std::vector<std::string> drivers[] = {
        {KBENGINE_PATH, "split", source, out, "--size", "70000", "--segment", "8192"},
        {KB_WIZARD_SPLIT, "split", source, out, "70000", "8192"},
    };
    for (const std::vector<std::string>& argv : drivers) {
        SCOPED_TRACE(argv[0]);
        EXPECT_EQ(RunIntoEmptyFolder(argv, out), 1);
        const std::string errors = ReadAll(dir.File("stderr.txt"));
        EXPECT_NE(errors.find("box: Problem writing data: An error occurred while writing"),
                  std::string::npos)
            << errors;
        EXPECT_TRUE(std::filesystem::is_empty(out));
    }
}

// So does a join's: the "Problem writing data" box offers Retry as its default, and its Cancel
// the stop question. The engine's driver stops there without saving, which removes the join's
// unfinished file; the wizard's stop question goes on by default, and its driver ends the run
// once the boxes go round. Nothing is left under the final name.
TEST_F(RetryingDrivers, JoinsUnderAFileSizeLimitReportTheWriteProblemAndEnd) {
    kb::testing::TempFolder set;
    kb::testing::Format4Options o;
    o.name = "in.dat";
    o.firstData = o.data = 70000;
    auto pieces = kb::testing::WriteFormat4Series(set, ReadAll(source), o, kb::testing::Dotted3("in"));
    const std::string out = dir.File("out");
    const std::vector<std::string> drivers[] = {
        {KBENGINE_PATH, "assemble", pieces[0], out, "--segment", "8192"},
        {KB_WIZARD, "assemble", pieces[0], out, "--segment", "8192"},
    };
    for (const std::vector<std::string>& argv : drivers) {
        SCOPED_TRACE(argv[0]);
        EXPECT_NE(RunIntoEmptyFolder(argv, out), 0);
        const std::string errors = ReadAll(dir.File("stderr.txt"));
        EXPECT_NE(errors.find("box: Problem writing data: An error occurred while writing part of "
                              "the assembled file " + out + "/in.dat.part: File too large. Click "
                              "Retry to try again, or click Cancel to stop.\n"
                              "box: Problem writing data: shown 4 times in a row, the last "
                              "answered Cancel\n"),
                  std::string::npos)
            << errors.substr(0, 2000);
        EXPECT_EQ(errors.find("Fatal error"), std::string::npos) << errors.substr(0, 2000);
        EXPECT_FALSE(std::filesystem::exists(out + "/in.dat"));
        if (argv[0] == KBENGINE_PATH) {
            EXPECT_TRUE(std::filesystem::is_empty(out));
        } else {
            EXPECT_NE(errors.find("which goes round without end"), std::string::npos);
        }
    }
}

TEST_F(RetryingDrivers, WizardSplitToAMissingFolderEnds) {
    const EngineRun r = Run(KB_WIZARD_SPLIT, "split " + ShellQuote(source) + " " +
                                                 ShellQuote(dir.File("no/such")) + " 70000 8192");
    EXPECT_EQ(r.status, 1);
    ExpectOneReportedBox();
}

}  // namespace
