// Splits that stop part way or end beside files of an earlier split: no incomplete piece is
// left to pass for a whole one, and a file a join would take in is pointed out.

#include <gtest/gtest.h>

#include <filesystem>

#include "app/core/active_splitter.h"
#include "app/core/kb_error.h"
#include "app/core/testing/fake_disks.h"
#include "app/core/testing/faulty_io.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/core/testing/temp_folder.h"
#include "split_fixtures.h"

namespace kb {
namespace {

using testing::FakeDisks;
using testing::FaultyIo;
using testing::FilesIn;
using testing::ReadAll;
using testing::ReadSeries;
using testing::Recorder;
using testing::ScriptedPrompter;
using testing::SplitEvent;
using testing::Str;
using testing::TempFolder;
using testing::ZlibCrc;

using Names = std::vector<std::string>;

class SplitIntegrityTest : public ::testing::Test {
protected:
    TempFolder dir;
    std::string source;
    std::string sourceBytes;

    void SetUp() override {
        sourceBytes = Str(testing::RandomBytes(100000, 9));
        source = dir.Write("movie.avi", sourceBytes);
    }
    // Four pieces of 30000 bytes (bare) or six of 20000 (own format) into dir/<folder>.
    void Configure(ActiveSplitter& s, const std::string& folder, int32_t format) {
        std::filesystem::create_directories(dir.File(folder));
        s.SetFileFormat(format);
        s.SetBigFile(source);
        s.FilenameToStore = "movie.avi";
        s.SetDestinationFolder(dir.File(folder));
        s.SetFragmentSize(format == aftRaw ? 30000 : 20000);
        s.SegmentSize = 4096;
    }
    std::string Piece(const std::string& folder, int n) {
        return dir.File(folder + "/movie.00" + std::to_string(n));
    }
};

TEST_F(SplitIntegrityTest, AWriteFailureConfirmedAsAStopRemovesTheUnfinishedPiece) {
    struct Case {
        const char* what;
        int32_t format;
        int piece;
        int64_t from, to;
        int passes;
        Names left;
    } cases[] = {
        {"bare piece, disk full in its data", aftRaw, 2, 5000, INT64_MAX, 0, {"movie.001"}},
        {"own header of piece 1", aftTarnwolde, 1, 10, 11, 0, {}},
        {"own record of piece 2", aftTarnwolde, 2, 5, 6, 1, {"movie.001"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPrompter p;
        p.Answer(Answer::Cancel).Answer(Answer::Yes);
        ActiveSplitter s;
        Configure(s, c.what, c.format);
        {
            FaultyIo full(FaultyIo::Kind::Write, Piece(c.what, c.piece), c.from, c.to, c.passes);
            EXPECT_EQ(s.Split(), 1);
            EXPECT_GE(FaultyIo::Failures(), 1);
        }
        EXPECT_EQ(FilesIn(dir.File(c.what)), c.left);
        ASSERT_EQ(p.boxes.size(), 2u);
        EXPECT_EQ(p.boxes[0].title, "Problem writing data");
        if (c.format != aftTarnwolde) continue;
        for (const auto& piece : ReadSeries(s, 1, static_cast<int32_t>(c.left.size())))
            EXPECT_EQ(piece.record.crc, ZlibCrc(piece.data));
    }
}

TEST_F(SplitIntegrityTest, ATaskFileThatCannotBeWrittenIsFatalAndTheUnfinishedPieceGoes) {
    ScriptedPrompter p;
    p.Answer(Answer::OK);
    ActiveSplitter s;
    Recorder r;
    Configure(s, "task", aftRaw);
    r.cancelAtInterval = 10;  // inside piece 2
    r.saveTo = dir.File("task.uft");
    s.SetListener(&r);
    FaultyIo full(FaultyIo::Kind::Write, r.saveTo, 0);
    EXPECT_THROW(s.Split(), KbError);
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].title, "Fatal error");
    EXPECT_EQ(FilesIn(dir.File("task")), Names{"movie.001"});
}

TEST_F(SplitIntegrityTest, AReadErrorInMidStreamStopsAndRemovesTheIncompletePiece) {
    // Own format, H = 92: piece 3's data starts at source byte 39884, in chunks of 4096.
    struct Case {
        int64_t failFrom;
        int32_t got;
        int64_t at;
    } cases[] = {{50000, 1924, 48076}, {48076, 0, 48076}, {43980 + 100, 100, 43980}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failFrom);
        ScriptedPrompter p;
        p.Answer(Answer::OK);
        ActiveSplitter s;
        Configure(s, "read" + std::to_string(c.failFrom), aftTarnwolde);
        {
            FaultyIo failing(FaultyIo::Kind::Read, source, c.failFrom);
            EXPECT_EQ(s.Split(), 1);
        }
        const std::string third = testing::PieceName(s, 3);
        ASSERT_EQ(p.boxes.size(), 1u);
        EXPECT_EQ(p.boxes[0].title, "Problem reading data");
        EXPECT_EQ(p.boxes[0].text,
                  "Unable to read all of " + source + " (" + std::to_string(c.got) +
                      " of 4096 bytes at offset " + std::to_string(c.at) +
                      "). The file may have been changed, truncated or become unreadable since "
                      "the split was set up. The split has been stopped and the incomplete "
                      "fragment " + third + " removed.");
        EXPECT_EQ(FilesIn(s.DestinationFolder()), (Names{"movie.001", "movie.002"}));
    }
}

TEST_F(SplitIntegrityTest, APieceLeftFromAnEarlierSplitAfterTheLastIsPointedOut) {
    struct Case {
        const char* what;
        int32_t format;
        bool range;  // pieces 1 and 2 only
        bool warned;
    } cases[] = {
        {"bare", aftRaw, false, true},
        {"bare, range short of the last piece", aftRaw, true, false},
        {"own format, which counts its pieces", aftTarnwolde, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPrompter p;
        if (c.warned) p.Answer(Answer::OK);
        ActiveSplitter s;
        Configure(s, c.what, c.format);
        const int32_t count = s.FragsNeeded();
        const std::string stale = dir.Write(std::string(c.what) + "/movie.00" + std::to_string(count + 1), "old");
        dir.Write(std::string(c.what) + "/movie.00" + std::to_string(count + 2), "older");
        if (c.range) {
            s.FragUseRange = true;
            s.FragFirst = 1;
            s.FragLast = 2;
        }
        EXPECT_EQ(s.Split(), 1);
        EXPECT_EQ(ReadAll(stale), "old");  // never deleted unasked
        ASSERT_EQ(p.boxes.size(), c.warned ? 1u : 0u);
        if (!c.warned) continue;
        EXPECT_EQ(p.boxes[0].title, "Fragment left from an earlier split");
        EXPECT_EQ(p.boxes[0].style, mb::OKOnly | mb::Exclamation);
        EXPECT_EQ(p.boxes[0].text,
                  "The destination folder also holds " + stale +
                      ", which is named as the next fragment of this series but is not part of "
                      "it (it may be left from an earlier split). Assembling the series would "
                      "take it in: please move or delete it before the fragments are assembled.");
    }
}

TEST_F(SplitIntegrityTest, FilesUnderThePieceNamesAreReplacedOnlyAfterOneYes) {
    // Four bare pieces; "old" files stand under some of their names (or beyond the range).
    struct Case {
        const char* what;
        std::vector<int> planted;
        int32_t last;  // of the range 1..last, 0 for the whole series
        bool agreed;   // the caller has already asked
        bool asked;
        Answer answer;
    } cases[] = {
        {"two pieces' names, No", {2, 4}, 0, false, true, Answer::No},
        {"two pieces' names, Yes", {2, 4}, 0, false, true, Answer::Yes},
        {"a link under one name, No", {}, 0, false, true, Answer::No},
        {"a name beyond the range", {4}, 3, false, false, Answer::OK},
        {"already agreed", {1}, 0, true, false, Answer::OK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPrompter p;
        if (c.asked) p.Answer(c.answer);
        ActiveSplitter s;
        Configure(s, c.what, aftRaw);
        for (int n : c.planted) dir.Write(std::string(c.what) + "/movie.00" + std::to_string(n), "old");
        std::string named = c.planted.empty() ? Piece(c.what, 3) : Piece(c.what, c.planted[0]);
        if (c.planted.empty()) std::filesystem::create_symlink(dir.File("nowhere"), named);
        if (c.last) {
            s.FragUseRange = true;
            s.FragFirst = 1;
            s.FragLast = c.last;
        }
        s.ReplaceExistingPieces = c.agreed;
        EXPECT_EQ(s.Split(), 1);
        EXPECT_FALSE(s.ReplaceExistingPieces);
        const bool written = !c.asked || c.answer == Answer::Yes;
        EXPECT_EQ(s.LastSplitCompleted(), written);
        ASSERT_EQ(p.boxes.size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_EQ(p.boxes[0].title, "Files already exist");
            EXPECT_EQ(p.boxes[0].style, mb::YesNo | mb::Exclamation | mb::DefaultButton2);
            EXPECT_EQ(p.boxes[0].text,
                      c.planted.size() == 2
                          ? "2 files named like the fragments of this split already exist in " +
                                dir.File(c.what) + ":\rmovie.002\rmovie.004\r\rReplace them "
                                "with the new fragments?"
                          : named + " already exists. Replace it with a fragment of this split?");
        }
        if (written) {
            EXPECT_TRUE(ReadAll(Piece(c.what, 1)) == sourceBytes.substr(0, 30000));
            continue;
        }
        // Nothing was written, and the files there are as they were.
        EXPECT_EQ(FilesIn(dir.File(c.what)).size(), std::max<size_t>(c.planted.size(), 1));
        for (int n : c.planted) EXPECT_EQ(ReadAll(Piece(c.what, n)), "old");
        EXPECT_TRUE(std::filesystem::is_symlink(named) || !c.planted.empty());
    }
}

TEST_F(SplitIntegrityTest, NotEnoughRoomCancelledWithASavePathSavesATaskThatAsksForTheDiskAgain) {
    std::vector<std::string> reference;
    {
        ScriptedPrompter p;
        ActiveSplitter s;
        Configure(s, "whole", aftTarnwolde);
        ASSERT_EQ(s.Split(), 1);
        for (const auto& piece : ReadSeries(s, 1, s.FragsNeeded())) reference.push_back(piece.bytes);
    }
    ScriptedPrompter p;
    FakeDisks disks;
    const std::string task = dir.File("room.uft");
    {
        ActiveSplitter s;
        Recorder r;
        Configure(s, "room", aftTarnwolde);
        s.SpanDisks = true;
        r.onDisk = [&](int32_t disk) { disks.freeBytes = disk == 3 ? 100 : 1ULL << 40; };
        r.cancelAtNotEnough = true;
        r.saveTo = task;
        s.SetListener(&r);
        ASSERT_EQ(s.Split(), -1);
        EXPECT_EQ(r.Named("NotEnough").size(), 1u);
        EXPECT_EQ(FilesIn(s.DestinationFolder()), (Names{"movie.001", "movie.002"}));
    }
    // Resumed, the task asks for piece 3's disk again, then for each later one.
    disks.freeBytes = 1ULL << 40;
    ActiveSplitter s;
    Recorder r;
    s.SegmentSize = 4096;
    s.SetListener(&r);
    s.SetResumeInfo(task);
    EXPECT_TRUE(s.SpanDisks);
    ASSERT_EQ(s.Split(), 1);
    EXPECT_EQ(r.Named("Disk"), (std::vector<SplitEvent>{{"Disk", 3}, {"Disk", 4}, {"Disk", 5}, {"Disk", 6}}));
    const auto pieces = ReadSeries(s, 1, s.FragsNeeded());
    ASSERT_EQ(pieces.size(), reference.size());
    for (size_t i = 0; i < pieces.size(); ++i) EXPECT_TRUE(pieces[i].bytes == reference[i]) << i + 1;
}

TEST_F(SplitIntegrityTest, AResumedSpanningTaskInsideAPieceAsksForThatDiskOnceMore) {
    ScriptedPrompter p;
    FakeDisks disks;
    const std::string task = dir.File("inside.uft"), again = dir.File("again.uft");
    {
        ActiveSplitter s;
        Recorder r;
        Configure(s, "inside", aftRaw);
        s.SpanDisks = true;
        r.cancelAtInterval = 10;  // inside piece 2
        r.saveTo = task;
        s.SetListener(&r);
        ASSERT_EQ(s.Split(), -1);
    }
    // Cancelled at that request, the same task is saved again; under another name, it
    // replaces the one resumed.
    const std::string saved = ReadAll(task);
    ActiveSplitter s;
    Recorder r;
    s.SegmentSize = 4096;
    r.cancelAtDisk = 2;
    r.saveTo = again;
    s.SetListener(&r);
    s.SetResumeInfo(task);
    ASSERT_EQ(s.Split(), -1);
    EXPECT_EQ(r.Named("Disk"), (std::vector<SplitEvent>{{"Disk", 2}}));
    EXPECT_TRUE(r.Named("Interval").empty());
    EXPECT_TRUE(ReadAll(again) == saved);
    EXPECT_FALSE(std::filesystem::exists(task));
}

}  // namespace
}  // namespace kb
