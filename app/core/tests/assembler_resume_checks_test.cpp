// A resumed join writes only into the output its task implies, and only when that output still
// holds the series' own data up to the saved position: task files are copied and kept, and can
// be stale or made by hand.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/core/active_assembler.h"
#include "app/core/assembler_task_record.h"
#include "app/core/big_file.h"
#include "app/core/kb_error.h"
#include "app/core/temp_manager.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/core/testing/temp_folder.h"
#include "app/core/tests/assembler_listener_fake.h"
#include "app/core/tests/series_fixtures.h"

namespace kb {
namespace {

namespace fs = std::filesystem;
using testing::ReadAll;
using testing::ScriptedAssemblerListener;
using testing::ScriptedPrompter;
using testing::TempFolder;

std::string Random(size_t n, uint32_t seed) {
    auto v = testing::RandomBytes(n, seed);
    return std::string(v.begin(), v.end());
}

// Joins `first` into `dest`, stopped in progress event `cancelAt` and saved as `task`; returns
// the output.
std::string JoinAndStop(const std::string& first, const std::string& dest, const std::string& task,
                        int32_t segment, int cancelAt) {
    ScriptedAssemblerListener ev;
    ev.cancelAtInterval = cancelAt;
    ev.saveAs = task;
    ActiveAssembler a;
    a.SetListener(&ev);
    a.SetFileToAssemble(first);
    a.SetDestinationFolder(dest);
    a.SegmentSize = segment;
    std::string d = dest;
    EXPECT_EQ(a.Assemble(d), 1);
    return a.BigFile;
}

enum class Kind { Own, Bare, Packed };

// A join of three pieces (1500, 2500 and 3000 data bytes; bare: 2500 each), stopped and saved
// part way through piece 2.
struct StoppedJoin {
    TempFolder src, dest, tasks, other;
    testing::ScopedEnv tmp{"TMPDIR", tasks.Path()};
    std::string data = Random(7000, 12);
    std::vector<std::string> pieces;
    std::string out;

    explicit StoppedJoin(Kind kind) {
        testing::Format4Options o;
        o.firstData = 1500;
        o.data = 2500;
        if (kind == Kind::Packed) o.compression = 2;
        pieces = kind == Kind::Bare
                     ? testing::WriteRawSeries(src, data, 2500, testing::Dotted3("clip.bin"))
                     : testing::WriteFormat4Series(src, data, o, testing::Dotted3("data"));
        out = JoinAndStop(pieces[0], dest.Path(), Task(), 700, 5);
        // As after a restart of the program: nothing is registered until the task is resumed.
        if (kind == Kind::Packed) TempManager::Instance().UnmarkTempFile("AssEncArchive");
    }
    std::string Task() const { return tasks.File("job.uft"); }
    void Rewrite(const std::function<void(AssemblerTaskRecord&)>& change) const {
        AssemblerTaskRecord t;
        OpenBF(Task(), 1, "rb");
        ReadAssemblerTaskHead(1, t);
        ReadAssemblerTaskTail(1, t);
        CloseBF(1);
        change(t);
        OpenBF(Task(), 1, "wb");
        WriteAssemblerTaskRecord(1, t);
        CloseBF(1);
    }
};

// The name of the joined file.
std::string FinalName(const StoppedJoin& j) {
    return j.pieces[0].find("clip") != std::string::npos ? "clip.bin" : "data.bin";
}

void FlipByte(const std::string& path, int64_t at) {
    std::string bytes = ReadAll(path);
    const size_t i = at < 0 ? bytes.size() + static_cast<size_t>(at) : static_cast<size_t>(at);
    bytes[i] = static_cast<char>(bytes[i] ^ 0x40);
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

bool IsRegistered(const char* key) {
    try {
        TempManager::Instance().GetTempFilePath(key);
        return true;
    } catch (const KbError&) {
        return false;
    }
}

std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(AssemblerResumeChecks, AnOutputThatIsNotTheTasksOwnIsRefusedAndLeftAsItIs) {
    // Each case changes the stopped join and returns the file to watch; the refusal names the
    // task's output and what is wrong with it.
    struct Case {
        const char* what;
        Kind kind;
        std::function<std::string(StoppedJoin&)> change;
        std::function<std::string(const StoppedJoin&)> problem;
    };
    const auto userFileElsewhere = [](StoppedJoin& j) {
        const std::string thesis = j.other.Write("thesis.odt", Random(9000, 3));
        j.Rewrite([&](AssemblerTaskRecord& t) { t.OutputPath = thesis; });
        return thesis;
    };
    const auto flip = [](int64_t at) {
        return [at](StoppedJoin& j) {
            FlipByte(j.out, at);
            return j.out;
        };
    };
    const auto notTheFile = [](const StoppedJoin& j) {
        return " is not the file this task joins into, which is " + j.dest.File(FinalName(j)) +
               ".part.";
    };
    // The series' whole file, as a finished join leaves it, named in the task.
    const auto finishedFile = [](StoppedJoin& j) {
        const std::string whole = j.dest.Write(FinalName(j), j.data);
        j.Rewrite([&](AssemblerTaskRecord& t) { t.OutputPath = whole; });
        return whole;
    };
    const auto longer = [](const StoppedJoin&) {
        return std::string(" is longer than the task left it, so it may be a finished file or "
                           "another one; it has been left as it is.");
    };
    const auto changedPiece = [](int n) {
        return [n](const StoppedJoin& j) {
            return " no longer holds what the task joined from piece " + std::to_string(n) + ", " +
                   j.pieces[static_cast<size_t>(n - 1)] + ".";
        };
    };
    const std::vector<Case> cases = {
        {"own format, output names a user's file elsewhere", Kind::Own, userFileElsewhere, notTheFile},
        {"bare, output names a user's file elsewhere", Kind::Bare, userFileElsewhere, notTheFile},
        {"packed, output names a user's file elsewhere", Kind::Packed, userFileElsewhere,
         [](const StoppedJoin&) {
             return std::string(" is not a temporary archive of the program, which this task joins into.");
         }},
        {"own format, a user's file under the final name",
         Kind::Own,
         [](StoppedJoin& j) {
             const std::string mine = j.dest.Write("data.bin", Random(9000, 4));
             j.Rewrite([&](AssemblerTaskRecord& t) { t.OutputPath = mine; });
             return mine;
         },
         changedPiece(1)},
        {"own format, the finished file under the final name", Kind::Own, finishedFile, longer},
        {"bare, the finished file under the final name", Kind::Bare, finishedFile, longer},
        {"own format, a byte changed in a whole piece", Kind::Own, flip(100), changedPiece(1)},
        {"own format, a byte changed in the piece in progress", Kind::Own, flip(-1), changedPiece(2)},
        {"bare, a byte changed in a whole piece", Kind::Bare, flip(2499), changedPiece(1)},
        {"bare, a byte changed in the piece in progress", Kind::Bare, flip(2500), changedPiece(2)},
        {"packed, a byte changed in a whole piece", Kind::Packed, flip(0), changedPiece(1)},
        {"the unfinished file replaced by a link to a longer copy",
         Kind::Own,
         [](StoppedJoin& j) {
             const std::string target = j.other.Write("copy", ReadAll(j.out) + "more bytes");
             fs::remove(j.out);
             fs::create_symlink(target, j.out);
             return target;
         },
         [](const StoppedJoin&) { return std::string(" is not a plain file."); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPrompter p;
        StoppedJoin j(c.kind);
        const std::string watched = c.change(j);
        const std::string before = ReadAll(watched);
        const std::string task = ReadAll(j.Task());
        const auto destBefore = Listing(j.dest.Path());
        ActiveAssembler again;
        ASSERT_TRUE(again.SetResumeInfo(j.Task()));
        const std::string output = again.ResumeTask().OutputPath;
        p.Answer(Answer::OK);
        std::string d;
        EXPECT_EQ(again.Assemble(d), 1);
        EXPECT_EQ(p.boxes.size(), 1u);
        if (!p.boxes.empty()) {
            EXPECT_EQ(p.boxes[0].title, "Unable to resume");
            EXPECT_EQ(p.boxes[0].text,
                      "The unfinished task no longer matches its files: " + output + c.problem(j));
        }
        EXPECT_TRUE(ReadAll(watched) == before);
        EXPECT_EQ(ReadAll(j.Task()), task);
        EXPECT_EQ(Listing(j.dest.Path()), destBefore);
        EXPECT_FALSE(again.ResumePending());
        EXPECT_EQ(again.BigFile, "");  // nothing was taken up as the join's output
        EXPECT_FALSE(IsRegistered("AssEncArchive"));
        if (fs::is_symlink(j.out)) {
            EXPECT_EQ(fs::read_symlink(j.out), watched);
        }
    }
}

// A piece that failed its CRC check was joined as it is; the resume finds those bytes and goes
// on, and so does a resume of each format whose output is its own.
TEST(AssemblerResumeChecks, OutputsThatAreTheTasksOwnResumeByteForByte) {
    for (Kind kind : {Kind::Own, Kind::Bare, Kind::Packed}) {
        SCOPED_TRACE(static_cast<int>(kind));
        ScriptedPrompter p;
        StoppedJoin j(kind);
        fs::resize_file(j.out, fs::file_size(j.out) + 999);  // a resume stopped without saving
        ActiveAssembler again;
        ASSERT_TRUE(again.SetResumeInfo(j.Task()));
        std::string d;
        ASSERT_EQ(again.Assemble(d), 0);
        EXPECT_TRUE(ReadAll(again.BigFile) == j.data);
        EXPECT_TRUE(p.boxes.empty()) << p.boxes[0].text;
        if (kind == Kind::Packed) TempManager::Instance().RemoveTempFile("AssEncArchive", true);
    }
    ScriptedPrompter p;
    TempFolder src, dest, tasks;
    std::string data = Random(5000, 13);
    testing::Format4Options o;
    auto pieces = testing::WriteFormat4Series(src, data, o, testing::Dotted3("data"));
    FlipByte(pieces[0], -10);
    data[990] = static_cast<char>(data[990] ^ 0x40);
    p.Answer(Answer::OK);
    JoinAndStop(pieces[0], dest.Path(), tasks.File("job.uft"), 400, 4);
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].title, "Validation error - CRC32 Mismatch");
    ActiveAssembler again;
    ASSERT_TRUE(again.SetResumeInfo(tasks.File("job.uft")));
    std::string d;
    ASSERT_EQ(again.Assemble(d), 0);
    EXPECT_TRUE(ReadAll(again.BigFile) == data);
    EXPECT_EQ(p.boxes.size(), 1u);
}

// A task saved before unfinished names joins into the final name: an output there of exactly
// the saved length is the task's, and resumes.
TEST(AssemblerResumeChecks, AnOutputUnderTheFinalNameOfTheSavedLengthResumes) {
    for (Kind kind : {Kind::Own, Kind::Bare}) {
        SCOPED_TRACE(static_cast<int>(kind));
        ScriptedPrompter p;
        StoppedJoin j(kind);
        const std::string final = j.dest.File(FinalName(j));
        fs::rename(j.out, final);
        j.Rewrite([&](AssemblerTaskRecord& t) { t.OutputPath = final; });
        ActiveAssembler again;
        ASSERT_TRUE(again.SetResumeInfo(j.Task()));
        std::string d;
        ASSERT_EQ(again.Assemble(d), 0);
        EXPECT_TRUE(p.boxes.empty()) << p.boxes[0].text;
        EXPECT_EQ(again.BigFile, final);
        EXPECT_TRUE(ReadAll(final) == j.data);
    }
}

// What the sessions before a resume found is part of the resumed join's result: a piece that
// failed its CRC-32 check or whose record named another place is still in the output as it was
// joined, so the result is no more whole than then. A piece that fails in the resumed run
// follows them.
TEST(AssemblerResumeChecks, PiecesThatFailedBeforeTheResumeAreInItsResult) {
    ScriptedPrompter p;
    TempFolder src, dest, tasks;
    const std::string data = Random(5000, 14);
    auto pieces = testing::WriteFormat4Series(src, data, {}, testing::Dotted3("data"));
    FlipByte(pieces[1], 500);  // piece 2's data
    FlipByte(pieces[2], 4);    // piece 3's record: its count
    FlipByte(pieces[3], -1);   // piece 4's last byte, joined after the resume
    p.Answer(Answer::OK).Answer(Answer::OK);
    JoinAndStop(pieces[0], dest.Path(), tasks.File("job.uft"), 400, 10);  // in piece 4
    ASSERT_EQ(p.boxes.size(), 2u);
    EXPECT_EQ(p.boxes[0].title, "Validation error - CRC32 Mismatch");
    EXPECT_EQ(p.boxes[1].title, "Validation error - piece out of place");
    ActiveAssembler again;
    ASSERT_TRUE(again.SetResumeInfo(tasks.File("job.uft")));
    p.Answer(Answer::OK);
    std::string d;
    ASSERT_EQ(again.Assemble(d), 0);
    ASSERT_EQ(p.boxes.size(), 3u);
    EXPECT_NE(p.boxes[2].text.find("incorrect for piece 4"), std::string::npos) << p.boxes[2].text;
    EXPECT_EQ(again.FailedPieces(), (std::vector<int32_t>{2, 3, 4}));
    EXPECT_EQ(fs::file_size(again.BigFile), data.size());
}

}  // namespace
}  // namespace kb
