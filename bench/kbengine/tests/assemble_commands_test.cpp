// The driver's joining commands: info, assemble, and resume-assemble after a saved stop.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include <cstdio>
#include <cstdlib>
#include <regex>

#include "app/core/testing/temp_folder.h"
#include "app/core/tests/series_fixtures.h"

namespace {

using kb::testing::ReadAll;
using kb::testing::TempFolder;

struct Result {
    int status = -1;
    std::string lastLine;
    std::string errors;
};

std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

Result Engine(const std::string& arguments, const TempFolder& scratch) {
    const std::string err = scratch.File("stderr.txt");
    const std::string cmd = Quote(KBENGINE_PATH) + " " + arguments + " 2>" + Quote(err);
    Result r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    while (fgets(buf, sizeof buf, p)) {
        std::string line = buf;
        if (!line.empty() && line.back() == '\n') line.pop_back();
        r.lastLine = line;
    }
    const int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    r.errors = ReadAll(err);
    return r;
}

std::string Member(const std::string& json, const std::string& key) {
    std::smatch m;
    std::regex re("\"" + key + "\": (\"(?:[^\"\\\\]|\\\\.)*\"|[^,}]+)");
    return std::regex_search(json, m, re) ? m[1].str() : "";
}

std::string Random(size_t n) {
    auto v = kb::testing::RandomBytes(n, 21);
    return std::string(v.begin(), v.end());
}

TEST(KbEngineAssemble, InfoDescribesBareAndFormattedSets) {
    TempFolder dir;
    kb::testing::Format4Options o;
    o.name = "Report.doc";
    o.encryption = 3;
    o.compression = 2;
    auto own = kb::testing::WriteFormat4Series(dir, Random(2500), o, kb::testing::Dotted3("Report"));
    Result r = Engine("info " + Quote(own[0]), dir);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.lastLine, "{\"format\": 0, \"count\": 3, \"template\": \"%f.%N\", \"name\": "
                          "\"Report.doc\", \"compression\": 2, \"encryption\": 3}");
    kb::testing::WriteRawSeries(dir, Random(2500), 1000, kb::testing::Dotted3("Movie.avi"));
    r = Engine("info " + Quote(dir.File("Movie.avi.001")), dir);
    EXPECT_EQ(Member(r.lastLine, "format"), "1");
    EXPECT_EQ(Member(r.lastLine, "count"), "3");
    EXPECT_EQ(Member(r.lastLine, "template"), "\"%f.%N\"");
    EXPECT_EQ(Member(r.lastLine, "name"), "\"Movie.avi.unk\"");
}

// coreutils' split numbers from 0 unless told otherwise.
TEST(KbEngineAssemble, ABareSeriesNumberedFromZeroIsCountedAndJoinedWhole) {
    TempFolder src, out;
    const std::string data = Random(50000);
    src.Write("big.bin", data);
    ASSERT_EQ(std::system(("cd " + Quote(src.Path()) +
                           " && split -b 20000 -d -a 3 big.bin big.bin. && rm big.bin")
                              .c_str()),
              0);
    Result r = Engine("info " + Quote(src.File("big.bin.000")), src);
    EXPECT_EQ(Member(r.lastLine, "count"), "3");
    r = Engine("assemble " + Quote(src.File("big.bin.000")) + " " + Quote(out.Path()), src);
    EXPECT_EQ(r.status, 0) << r.errors;
    EXPECT_EQ(Member(r.lastLine, "bytes"), "50000");
    EXPECT_TRUE(ReadAll(out.File("big.bin")) == data);
}

// A later piece chosen is described and joined from the first piece of its series, which is
// numbered 0 in coreutils' way and 1 otherwise.
TEST(KbEngineAssemble, ALaterPieceIsJoinedFromTheFirstPieceOfItsSeries) {
    const std::string data = Random(70000);
    for (const char* numbering : {"-d", "--numeric-suffixes=1"}) {
        SCOPED_TRACE(numbering);
        TempFolder src, out;
        src.Write("big.bin", data);
        ASSERT_EQ(std::system(("cd " + Quote(src.Path()) + " && split -b 20000 " + numbering +
                               " -a 3 big.bin big.bin. && rm big.bin")
                                  .c_str()),
                  0);
        const std::string chosen = src.File("big.bin.003");
        Result r = Engine("info " + Quote(chosen), src);
        EXPECT_EQ(Member(r.lastLine, "count"), "4");
        r = Engine("assemble " + Quote(chosen) + " " + Quote(out.Path()), src);
        EXPECT_EQ(r.status, 0) << r.errors;
        EXPECT_EQ(Member(r.lastLine, "bytes"), "70000");
        EXPECT_TRUE(ReadAll(out.File("big.bin")) == data);
    }
}

TEST(KbEngineAssemble, StopsSavesAndResumesUnlessAnotherResumeHoldsTheTask) {
    TempFolder src, out, tasks;
    const std::string data = Random(50000);
    kb::testing::Format4Options o;
    o.data = 20000;
    o.firstData = 20000;
    auto pieces = kb::testing::WriteFormat4Series(src, data, o, kb::testing::Dotted3("data"));
    const std::string task = tasks.File("job.uft");
    // Stopped without saving, the join leaves no file to name.
    Result r = Engine("assemble " + Quote(pieces[0]) + " " + Quote(out.Path()) +
                          " --segment 4096 --cancel-after 7",
                      tasks);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Member(r.lastLine, "output"), "\"\"");
    EXPECT_FALSE(std::filesystem::exists(out.File("data.bin.part")));

    r = Engine("assemble " + Quote(pieces[0]) + " " + Quote(out.Path()) +
                       " --segment 4096 --cancel-after 7 --save " + Quote(task),
                   tasks);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Member(r.lastLine, "result"), "1");
    EXPECT_EQ(Member(r.lastLine, "output"), "\"" + out.File("data.bin.part") + "\"");  // unfinished

    // While another resume holds the task (here this process), it is left as it is.
    const std::string part = ReadAll(out.File("data.bin.part")), saved = ReadAll(task);
    const int held = open(task.c_str(), O_RDONLY);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
    r = Engine("resume-assemble " + Quote(task), tasks);
    close(held);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.errors.find("box: Unfinished task in use: This unfinished task is already being resumed."),
              std::string::npos) << r.errors;
    EXPECT_EQ(ReadAll(out.File("data.bin.part")), part);
    EXPECT_EQ(ReadAll(task), saved);

    r = Engine("resume-assemble " + Quote(task), tasks);
    EXPECT_EQ(r.status, 0) << r.errors;
    EXPECT_EQ(Member(r.lastLine, "result"), "0");
    EXPECT_EQ(Member(r.lastLine, "bytes"), "50000");
    EXPECT_EQ(ReadAll(out.File("data.bin")), data);
}

// A resumed join keeps its task file until it is done or saved again: stopped without saving
// it goes back to the task (its output kept, cut back on the next resume), saved under another
// name the new task replaces it, and joined to its end the task is gone.
TEST(KbEngineAssemble, AResumedJoinKeepsItsTaskUntilItIsDoneOrSavedAgain) {
    TempFolder src, out, tasks;
    const std::string data = Random(50000);
    auto pieces = kb::testing::WriteFormat4Series(src, data, {}, kb::testing::Dotted3("data"));
    const std::string task = tasks.File("job.uft"), later = tasks.File("later.uft");
    const std::string part = out.File("data.bin.part");
    Result r = Engine("assemble " + Quote(pieces[0]) + " " + Quote(out.Path()) +
                          " --segment 256 --cancel-after 3 --save " + Quote(task),
                      tasks);
    ASSERT_EQ(r.status, 1) << r.errors;
    const std::string savedTask = ReadAll(task), savedPart = ReadAll(part);

    r = Engine("resume-assemble " + Quote(task) + " --cancel-after 5", tasks);
    EXPECT_EQ(r.status, 1) << r.errors;
    EXPECT_EQ(ReadAll(task), savedTask);
    const std::string kept = ReadAll(part);
    EXPECT_GT(kept.size(), savedPart.size());
    EXPECT_TRUE(kept.substr(0, savedPart.size()) == savedPart);

    r = Engine("resume-assemble " + Quote(task) + " --cancel-after 5 --save " + Quote(later), tasks);
    EXPECT_EQ(r.status, 1) << r.errors;
    EXPECT_FALSE(std::filesystem::exists(task));
    ASSERT_TRUE(std::filesystem::exists(later));

    r = Engine("resume-assemble " + Quote(later), tasks);
    EXPECT_EQ(r.status, 0) << r.errors;
    EXPECT_TRUE(ReadAll(out.File("data.bin")) == data);
    EXPECT_FALSE(std::filesystem::exists(later));
    EXPECT_FALSE(std::filesystem::exists(part));
}

TEST(KbEngineAssemble, BoxesGoToStandardErrorAndAPassphraseIsTaken) {
    TempFolder src, out;
    const std::string data = Random(3000);
    kb::testing::LegacyOptions o;
    o.passphrase = "letmein";
    auto pieces = kb::testing::WriteLegacySeries(src, data, o, kb::testing::Dotted3("old"));
    Result r = Engine("assemble " + Quote(pieces[0]) + " " + Quote(out.Path()) + " --passphrase nope", src);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.errors.find("Decryption failed"), std::string::npos) << r.errors;
    r = Engine("assemble " + Quote(pieces[0]) + " " + Quote(out.Path()) + " --passphrase letmein", src);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(ReadAll(out.File("old.bin")), data);

    // A corrupted byte: the CRC box on standard error, and still a complete join.
    auto own = kb::testing::WriteFormat4Series(src, data, {}, kb::testing::Dotted3("data"));
    std::string second = ReadAll(own[1]);
    second[100] ^= 0x20;
    src.Write("data.002", second);
    r = Engine("assemble " + Quote(own[0]) + " " + Quote(out.Path()), src);
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.errors.find("box: Validation error - CRC32 Mismatch: The CRC-32 values are "
                            "incorrect for piece 2"),
              std::string::npos)
        << r.errors;
}

// The closing line tells what a join found wrong with what it joined, also when it ran to its
// end: a piece that failed its CRC-32 check, a missing piece of a bare series, and for a
// resumed join the pieces that failed before its task was saved.
TEST(KbEngineAssemble, TheClosingLineTellsWhatTheJoinFoundWrong) {
    TempFolder src, bare, out, tasks;
    const std::string data = Random(7000);
    kb::testing::Format4Options o;
    o.firstData = o.data = 1000;
    auto own = kb::testing::WriteFormat4Series(src, data, o, kb::testing::Dotted3("data"));
    auto emptied = [&] {
        std::filesystem::remove_all(out.Path());
        std::filesystem::create_directories(out.Path());
        return Quote(out.Path());
    };
    auto flaws = [](const Result& r) {
        std::string said;
        for (const char* key : {"failed_pieces", "unread_pieces", "missing_piece", "joined_length",
                                "header_length"})
            said += std::string(key) + "=" + Member(r.lastLine, key) + " ";
        return said;
    };
    Result r = Engine("assemble " + Quote(own[0]) + " " + Quote(out.Path()), src);
    EXPECT_EQ(r.status, 0) << r.errors;
    EXPECT_EQ(flaws(r), "failed_pieces=[] unread_pieces=[] missing_piece=0 joined_length=-1 "
                        "header_length=-1 ");
    EXPECT_EQ(Member(r.lastLine, "bytes"), "7000");  // the members before the flaws stay

    std::string fourth = ReadAll(own[3]);
    fourth[500] ^= 0x20;
    src.Write("data.004", fourth);
    r = Engine("assemble " + Quote(own[0]) + " " + emptied(), src);
    EXPECT_EQ(r.status, 0) << r.errors;
    EXPECT_EQ(Member(r.lastLine, "failed_pieces"), "[4]");

    // Saved in piece 5, after piece 4 had failed, and resumed.
    const std::string task = tasks.File("job.uft");
    r = Engine("assemble " + Quote(own[0]) + " " + emptied() + " --segment 256 --cancel-after 18 "
               "--save " + Quote(task),
               tasks);
    EXPECT_EQ(r.status, 1) << r.errors;
    EXPECT_NE(r.errors.find("incorrect for piece 4"), std::string::npos) << r.errors;
    r = Engine("resume-assemble " + Quote(task), tasks);
    EXPECT_EQ(r.status, 0) << r.errors;
    EXPECT_EQ(r.errors.find("box:"), std::string::npos) << r.errors;
    EXPECT_EQ(flaws(r), "failed_pieces=[4] unread_pieces=[] missing_piece=0 joined_length=-1 "
                        "header_length=-1 ");

    auto pieces = kb::testing::WriteRawSeries(bare, data, 1000, kb::testing::Dotted3("bare.bin"));
    std::filesystem::remove(pieces[2]);
    r = Engine("assemble " + Quote(pieces[0]) + " " + emptied() + " --answer OK", bare);
    EXPECT_EQ(r.status, 0) << r.errors;
    EXPECT_EQ(flaws(r), "failed_pieces=[] unread_pieces=[] missing_piece=3 joined_length=-1 "
                        "header_length=-1 ");
}

// The checks made before a join run in the driver too: a lost header is refused, and a missing
// piece of a bare series stops the join unless the box is answered OK.
TEST(KbEngineAssemble, ADamagedFirstPieceOrAMissingPieceStopsTheJoin) {
    TempFolder src, out, bare;
    const std::string data = Random(3000);
    auto own = kb::testing::WriteFormat4Series(src, data, {}, kb::testing::Dotted3("data"));
    std::string first = ReadAll(own[0]);
    src.Write("data.001", first.replace(0, 512, 512, '\0'));
    Result r = Engine("assemble " + Quote(own[0]) + " " + Quote(out.Path()), src);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.errors.find("box: Unable to assemble - damaged header: The first piece " + own[0]),
              std::string::npos) << r.errors;
    EXPECT_TRUE(std::filesystem::is_empty(out.Path()));

    auto pieces = kb::testing::WriteRawSeries(bare, data, 1000, kb::testing::Dotted3("bare.bin"));
    std::filesystem::remove(pieces[1]);
    for (const char* answer : {"", " --answer OK"}) {
        SCOPED_TRACE(answer);
        r = Engine("assemble " + Quote(pieces[0]) + " " + Quote(out.Path()) + answer, src);
        EXPECT_NE(r.errors.find("box: Missing piece: Piece 2 of this series, " + pieces[1] +
                                ", is missing"),
                  std::string::npos) << r.errors;
        if (*answer) {
            EXPECT_EQ(r.status, 0);
            EXPECT_EQ(ReadAll(out.File("bare.bin")), data.substr(0, 1000));
        } else {
            EXPECT_EQ(r.status, 1);  // the box's default is Cancel
            EXPECT_TRUE(std::filesystem::is_empty(out.Path()));
        }
    }
}

// The "Missing piece" box offers Retry as its default: the driver gives up on it after a few
// tries, and the stop then saves the task that --save names, which resumes once the piece is
// back.
TEST(KbEngineAssemble, AMissingPieceIsRetriedAFewTimesThenTheJoinStopsAndResumesLater) {
    TempFolder src, out, tasks;
    const std::string data = Random(5000);
    auto pieces = kb::testing::WriteFormat4Series(src, data, {}, kb::testing::Dotted3("data"));
    const std::string third = ReadAll(pieces[2]);
    std::filesystem::remove(pieces[2]);
    const std::string task = tasks.File("job.uft");
    Result r = Engine("assemble " + Quote(pieces[0]) + " " + Quote(out.Path()) + " --save " +
                          Quote(task),
                      tasks);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.errors.find("box: Missing piece: Piece 3 of 5 (" + pieces[2] + ") cannot be "
                            "found. Put it in the folder and click Retry, or click Cancel to "
                            "stop.\nbox: Missing piece: shown 4 times in a row, the last "
                            "answered Cancel"),
              std::string::npos)
        << r.errors;
    ASSERT_TRUE(std::filesystem::exists(task));
    src.Write("data.003", third);
    r = Engine("resume-assemble " + Quote(task), tasks);
    EXPECT_EQ(r.status, 0) << r.errors;
    EXPECT_TRUE(ReadAll(out.File("data.bin")) == data);
}

// A join killed part way leaves only its unfinished name: nothing under the final name can
// pass for the whole file.
TEST(KbEngineAssemble, AJoinKilledPartWayLeavesNothingUnderTheFinalName) {
    namespace fs = std::filesystem;
    TempFolder src;
    const auto each = static_cast<uintmax_t>(32) << 20;
    for (int i = 1; i <= 3; ++i) {
        const std::string piece = src.Write("big.bin.00" + std::to_string(i), "");
        fs::resize_file(piece, each);  // sparse: quick to make, quick to read
    }
    for (int sig : {SIGKILL, SIGTERM}) {
        SCOPED_TRACE(sig);
        TempFolder out;
        const std::string part = out.File("big.bin.part");
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            const std::string first = src.File("big.bin.001");
            freopen("/dev/null", "w", stdout);
            freopen("/dev/null", "w", stderr);
            execl(KBENGINE_PATH, KBENGINE_PATH, "assemble", first.c_str(), out.Path().c_str(),
                  "--segment", "1024", static_cast<char*>(nullptr));
            _exit(127);
        }
        std::error_code ec;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!(fs::exists(part, ec) && fs::file_size(part, ec) > 0) &&
               std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        kill(pid, sig);
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the join ended before it was stopped";
        EXPECT_FALSE(fs::exists(out.File("big.bin")));
        EXPECT_TRUE(fs::exists(part));
        EXPECT_LT(fs::file_size(part), 3 * each);
    }
}

}  // namespace
