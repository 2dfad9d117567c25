#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "app/core/active_splitter.h"
#include "app/core/kb_error.h"
#include "app/core/testing/fake_disks.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/core/testing/temp_folder.h"
#include "split_fixtures.h"

namespace kb {
namespace {

using testing::FakeDisks;
using testing::FilesIn;
using testing::ReadAll;
using testing::ReadSeries;
using testing::Recorder;
using testing::ScriptedPrompter;
using testing::SplitEvent;
using testing::Str;
using testing::TempFolder;
using testing::ZlibCrc;

bool SlotOpen(int16_t slot) {
    int64_t pos = 0;
    return platform::bigfileGetPos(slot, pos) == 0;
}

class SplitTest : public ::testing::Test {
protected:
    TempFolder dir;
    std::string source;
    std::string sourceBytes;

    void MakeSource(size_t length, uint32_t seed = 7) {
        sourceBytes = Str(testing::RandomBytes(length, seed));
        source = dir.Write("movie.avi", sourceBytes);
    }
    // A splitter over the source, writing into dir/<folder>.
    void SetUp(ActiveSplitter& s, const std::string& folder, int32_t format, int64_t size,
               int64_t firstSize, int32_t segment) {
        std::filesystem::create_directories(dir.File(folder));
        s.SetFileFormat(format);
        s.SetBigFile(source);
        s.FilenameToStore = "movie.avi";
        s.SetDestinationFolder(dir.File(folder));
        s.SetFragmentSize(size);
        if (firstSize) s.SetFragmentSizeAtStart(firstSize);
        s.SegmentSize = segment;
    }
    void TearDown() override {
        EXPECT_FALSE(SlotOpen(1));
        EXPECT_FALSE(SlotOpen(2));
    }
};

struct RoundTrip {
    const char* what;
    int32_t format;
    size_t length;
    int64_t size, firstSize;
    int32_t segment;
    int32_t expectedPieces;
};

TEST_F(SplitTest, EverySourceByteLandsOnceInOrderWithRightRecords) {
    const RoundTrip cases[] = {
        {"own format", aftTarnwolde, 100000, 20000, 0, 4096, 6},
        {"own format, first piece larger", aftTarnwolde, 100000, 20000, 45000, 4096, 4},
        {"own format, segment larger than a piece", aftTarnwolde, 100000, 20000, 0, 65536, 6},
        {"own format, fits in piece 1", aftTarnwolde, 5000, 20000, 0, 4096, 1},
        {"own format, empty source", aftTarnwolde, 0, 20000, 0, 4096, 1},
        {"bare", aftRaw, 100000, 20000, 0, 3000, 5},
        {"bare, first piece smaller", aftRaw, 100000, 20000, 10240, 4096, 6},
        {"bare, segment larger than a piece", aftRaw, 100001, 20000, 0, 1 << 20, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MakeSource(c.length);
        ScriptedPrompter p;
        ActiveSplitter s;
        Recorder r;
        SetUp(s, c.what, c.format, c.size, c.firstSize, c.segment);
        s.SetListener(&r);
        ASSERT_EQ(s.Split(), 1);
        const int32_t n = s.FragsNeeded();
        ASSERT_EQ(n, c.expectedPieces);
        EXPECT_EQ(FilesIn(s.DestinationFolder()).size(), static_cast<size_t>(n));
        EXPECT_EQ(s.FragFirst, 1);
        EXPECT_EQ(s.FragLast, n);

        Format4Header h;
        auto pieces = ReadSeries(s, 1, n, &h);
        std::string joined;
        for (int32_t i = 0; i < n; ++i) {
            const auto& piece = pieces[static_cast<size_t>(i)];
            joined += piece.data;
            const int64_t limit = i == 0 ? s.FragmentSizeAtStart() : s.FragmentSize();
            if (i + 1 < n) EXPECT_EQ(static_cast<int64_t>(piece.bytes.size()), limit) << i + 1;
            else EXPECT_LE(static_cast<int64_t>(piece.bytes.size()), limit);
            if (c.format == aftTarnwolde) {
                EXPECT_EQ(piece.record.pieceNumber, i + 1);
                EXPECT_EQ(piece.record.pieceCount, n);
                EXPECT_EQ(piece.record.crc, ZlibCrc(piece.data)) << i + 1;
            }
        }
        EXPECT_TRUE(joined == sourceBytes);
        if (c.format == aftTarnwolde) {
            EXPECT_EQ(h.pieceCount, n);
            EXPECT_EQ(h.storedName, "movie.avi");
            EXPECT_EQ(h.namingTemplate, "%f.%N");
            EXPECT_EQ(h.sourceLength, static_cast<int64_t>(c.length));
            if (n == 1) {  // H + 12 + L
                EXPECT_EQ(pieces[0].bytes.size(), 78 + 9 + 5 + 12 + c.length);
            }
        }
        EXPECT_EQ(r.events.front(), (SplitEvent{"SplitStart", 100}));
        auto intervals = r.Named("Interval");
        if (c.length > 0) {
            ASSERT_FALSE(intervals.empty());
            EXPECT_EQ(intervals.back(), (SplitEvent{"Interval", 100, 100}));
        }
        EXPECT_GE(p.doEventsCount, static_cast<int>(intervals.size()));
    }
}

TEST_F(SplitTest, AnEmptyPieceRecordsTheCrcOfNoDataEvenAfterAnotherSplit) {
    MakeSource(50000);
    ScriptedPrompter p;
    {
        ActiveSplitter s;
        SetUp(s, "first", aftTarnwolde, 20000, 0, 4096);
        ASSERT_EQ(s.Split(), 1);  // leaves a non-zero running CRC behind
    }
    sourceBytes.clear();
    source = dir.Write("movie.avi", "");
    ActiveSplitter s;
    SetUp(s, "empty", aftTarnwolde, 20000, 0, 4096);
    ASSERT_EQ(s.Split(), 1);
    auto pieces = ReadSeries(s, 1, 1);
    EXPECT_EQ(pieces[0].record.crc, 0u);
    EXPECT_EQ(pieces[0].data, "");
}

TEST_F(SplitTest, ARangeCarriesTheWholeCountAndEndsAtItsShareOfTheProgress) {
    MakeSource(100000);
    ScriptedPrompter p;
    ActiveSplitter s;
    Recorder r;
    SetUp(s, "range", aftTarnwolde, 20000, 0, 4096);
    ASSERT_EQ(s.FragsNeeded(), 6);
    s.FragUseRange = true;
    s.FragFirst = 3;
    s.FragLast = 4;
    s.SetListener(&r);
    ASSERT_EQ(s.Split(), 1);
    EXPECT_EQ(FilesIn(s.DestinationFolder()), (std::vector<std::string>{"movie.003", "movie.004"}));
    auto pieces = ReadSeries(s, 3, 4);
    const int64_t d = s.FragmentDataSize(), da = s.FragmentDataSizeAtStart();
    EXPECT_TRUE(pieces[0].data + pieces[1].data ==
                sourceBytes.substr(static_cast<size_t>(da + d), static_cast<size_t>(2 * d)));
    for (const auto& piece : pieces) {
        EXPECT_EQ(piece.record.pieceCount, 6);
        EXPECT_EQ(piece.record.crc, ZlibCrc(piece.data));
    }
    EXPECT_EQ(r.Named("Interval").back(), (SplitEvent{"Interval", 50, 100}));
}

TEST_F(SplitTest, PercentagesRoundHalvesToEven) {
    // One 10240-byte piece in chunks of 256 bytes: the first chunk is 2.5 %, the third 7.5 %.
    MakeSource(10240);
    ScriptedPrompter p;
    ActiveSplitter s;
    Recorder r;
    SetUp(s, "pct", aftRaw, 10240, 0, 256);
    s.SetListener(&r);
    ASSERT_EQ(s.Split(), 1);
    auto iv = r.Named("Interval");
    ASSERT_EQ(iv.size(), 40u);
    EXPECT_EQ(iv[0], (SplitEvent{"Interval", 2, 2}));
    EXPECT_EQ(iv[2], (SplitEvent{"Interval", 8, 8}));
}

TEST_F(SplitTest, CancelWithoutSavePathRemovesThePiecesWritten) {
    MakeSource(100000);
    ScriptedPrompter p;
    ActiveSplitter s;
    Recorder r;
    SetUp(s, "cancel", aftTarnwolde, 20000, 0, 4096);
    r.cancelAtInterval = 11;  // pieces hold 5 chunks: the first chunk of piece 3
    s.SetListener(&r);
    EXPECT_EQ(s.Split(), 1);
    EXPECT_TRUE(FilesIn(s.DestinationFolder()).empty());
    std::vector<SplitEvent> removal(r.events.end() - 4, r.events.end());
    EXPECT_EQ(removal, (std::vector<SplitEvent>{
                           {"RemoveStart", 5}, {"Removed", 0}, {"Removed", 1}, {"Removed", 2}}));

    // Spanning disks, the finished pieces are out of reach and stay; the unfinished one goes.
    FakeDisks disks;
    ActiveSplitter spanning;
    Recorder sr;
    SetUp(spanning, "cancelspan", aftRaw, 20000, 0, 4096);
    spanning.SpanDisks = true;
    sr.cancelAtInterval = 11;
    spanning.SetListener(&sr);
    EXPECT_EQ(spanning.Split(), 1);
    EXPECT_EQ(FilesIn(spanning.DestinationFolder()),
              (std::vector<std::string>{"movie.001", "movie.002"}));
    EXPECT_TRUE(sr.Named("RemoveStart").empty());
}

TEST_F(SplitTest, ACancelInThePieceLastChunkWaitsForTheNextCheck) {
    MakeSource(100000);
    ScriptedPrompter p;
    {
        // A segment larger than a piece: a cancel never stops the split before its end.
        ActiveSplitter s;
        Recorder r;
        SetUp(s, "one-chunk", aftTarnwolde, 20000, 0, 65536);
        r.cancelAtInterval = 1;
        s.SetListener(&r);
        EXPECT_EQ(s.Split(), 1);
        EXPECT_EQ(FilesIn(s.DestinationFolder()).size(), 6u);
        EXPECT_EQ(r.Named("Interval").size(), 1u);  // no events once Cancel is set
    }
    {
        // Cancel in the last chunk of piece 1: piece 1 is finished, the stop comes inside piece 2.
        ActiveSplitter s;
        Recorder r;
        SetUp(s, "last-chunk", aftTarnwolde, 20000, 0, 4096);
        r.cancelAtInterval = 5;
        s.SetListener(&r);
        EXPECT_EQ(s.Split(), 1);
        EXPECT_TRUE(FilesIn(s.DestinationFolder()).empty());
        EXPECT_EQ(r.Named("Removed").size(), 2u);
    }
}

TEST_F(SplitTest, AMissingSourceShowsItsBoxAndRaisesOnlyTheStart) {
    MakeSource(30000);
    ScriptedPrompter p;
    p.Answer(Answer::OK);
    ActiveSplitter s;
    Recorder r;
    SetUp(s, "missing", aftRaw, 20000, 0, 4096);
    std::filesystem::remove(source);
    s.SetListener(&r);
    EXPECT_EQ(s.Split(), 1);
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].title, "Unable to split - source file or temporary file not found");
    EXPECT_EQ(p.boxes[0].text, "Unable to split " + source +
                                   ", it doesn't appear to exist! If you are resuming an unfinished "
                                   "task, this could be a result of the temporary file being "
                                   "removed since you saved the task.");
    EXPECT_EQ(p.boxes[0].style, mb::OKOnly | mb::Critical);
    EXPECT_EQ(r.events, (std::vector<SplitEvent>{{"SplitStart", 100}}));
}

TEST_F(SplitTest, ASourceThatShrankStopsWithoutAPieceClaimingMissingData) {
    MakeSource(100000);
    ScriptedPrompter p;
    p.Answer(Answer::OK);
    ActiveSplitter s;
    SetUp(s, "short", aftTarnwolde, 20000, 0, 4096);
    ASSERT_EQ(truncate(source.c_str(), 50000), 0);  // after BigFile took the length
    EXPECT_EQ(s.Split(), 1);
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].title, "Problem reading data");
    EXPECT_NE(p.boxes[0].text.find(source), std::string::npos);
    // Pieces 1 and 2 are whole and true to their records; piece 3, which ran dry, is gone.
    EXPECT_EQ(FilesIn(s.DestinationFolder()), (std::vector<std::string>{"movie.001", "movie.002"}));
    for (const auto& piece : ReadSeries(s, 1, 2)) EXPECT_EQ(piece.record.crc, ZlibCrc(piece.data));
}

TEST_F(SplitTest, APieceNamedLikeTheSourceNeverReplacesIt) {
    // A piece of an earlier series split again into its own folder: piece 1 (or 2) of the new
    // series has the source's own name, and creating it would empty the source.
    for (const char* name : {"movie.001", "movie.002"}) {
        SCOPED_TRACE(name);
        sourceBytes = Str(testing::RandomBytes(50000, 3));
        source = dir.Write(std::string("same/") + name, sourceBytes);
        ScriptedPrompter p;
        p.Answer(Answer::OK);
        ActiveSplitter s;
        s.SetFileFormat(aftRaw);
        s.SetBigFile(source);
        s.FilenameToStore = name;
        s.SetDestinationFolder(dir.File("same"));
        s.SetFragmentSize(int64_t{20000});
        s.SegmentSize = 4096;
        EXPECT_EQ(s.Split(), 1);
        EXPECT_TRUE(ReadAll(source) == sourceBytes);
        ASSERT_EQ(p.boxes.size(), 1u);
        EXPECT_EQ(p.boxes[0].title, "Unable to split");
        EXPECT_EQ(p.boxes[0].style, mb::OKOnly | mb::Critical);
        EXPECT_NE(p.boxes[0].text.find(source), std::string::npos);
        // Refused before the first piece: nothing else was written beside it.
        EXPECT_EQ(FilesIn(dir.File("same")), std::vector<std::string>{name});
        std::filesystem::remove_all(dir.File("same"));
    }
}

TEST_F(SplitTest, APieceThatCannotBeCreatedAsksAgainUntilTheStopIsConfirmed) {
    MakeSource(30000);
    ScriptedPrompter p;
    p.Answer(Answer::Retry).Answer(Answer::Cancel).Answer(Answer::No).Answer(Answer::Cancel).Answer(Answer::Yes);
    ActiveSplitter s;
    SetUp(s, "dest", aftRaw, 20000, 0, 4096);
    s.SetDestinationFolder(dir.File("no/such/folder"));
    EXPECT_EQ(s.Split(), 1);
    ASSERT_EQ(p.boxes.size(), 5u);
    EXPECT_EQ(p.boxes[0].title, "Problem creating file");
    EXPECT_EQ(p.boxes[0].style, mb::RetryCancel | mb::Exclamation);
    EXPECT_EQ(p.boxes[0].text,
              "An error occurred while creating the fragment. If you are using removable disks, "
              "please ensure the disk is write-enabled. Also make sure you have permissions to "
              "access the destination folder.");
    EXPECT_EQ(p.boxes[2].title, "Please confirm");
    EXPECT_EQ(p.boxes[2].text, "Are you absolutely sure? This will cancel the entire split operation!");
    EXPECT_EQ(p.boxes[2].style, mb::YesNo | mb::Exclamation);
    EXPECT_EQ(p.boxes[3].title, "Problem creating file");
}

TEST_F(SplitTest, AnUnexpectedErrorShowsTheFatalBoxAndClosesTheSlots) {
    MakeSource(1000);
    ScriptedPrompter p;
    p.Answer(Answer::OK);
    ActiveSplitter s;
    SetUp(s, "fatal", aftTarnwolde, 10240, 0, 4096);
    // A count past 32767 pieces only shows when piece 1's header is written.
    ASSERT_EQ(truncate(source.c_str(), 400000000), 0);
    s.SetBigFile(source);
    s.FragUseRange = true;
    s.FragFirst = s.FragLast = 1;
    try {
        s.Split();
        ADD_FAILURE() << "no error";
    } catch (const KbError& e) {
        EXPECT_EQ(e.Number(), err::Overflow);
    }
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].title, "Fatal error");
    EXPECT_EQ(p.boxes[0].text.rfind("A fatal error has occurred in function Split(), sector 6\n", 0), 0u)
        << p.boxes[0].text;
    // TearDown checks that both slots were closed.
}

void LiftFileSizeLimit() {
    rlimit l{};
    getrlimit(RLIMIT_FSIZE, &l);
    l.rlim_cur = l.rlim_max;
    setrlimit(RLIMIT_FSIZE, &l);
}

// Answers "Problem writing data" with Retry after lifting the file-size limit that made the
// write fail, so the retried chunk meets a piece that already holds part of it.
class LiftLimitOnWriteProblem : public testing::ScriptedPrompter {
public:
    kb::Answer MsgBox(const std::string& text, int style, const std::string& title) override {
        testing::ScriptedPrompter::MsgBox(text, style, title);
        if (title != "Problem writing data") return kb::Answer::OK;
        LiftFileSizeLimit();
        return kb::Answer::Retry;
    }
};

TEST_F(SplitTest, ARetriedWriteRewritesItsChunkInPlace) {
    MakeSource(100000);
    std::signal(SIGXFSZ, SIG_IGN);
    std::vector<std::string> reference;
    {
        ScriptedPrompter p;
        ActiveSplitter s;
        SetUp(s, "reference", aftTarnwolde, 30000, 0, 4096);
        ASSERT_EQ(s.Split(), 1);
        for (const auto& piece : ReadSeries(s, 1, 4)) reference.push_back(piece.bytes);
    }
    LiftLimitOnWriteProblem p;
    p.AllowUnexpected();
    ActiveSplitter s;
    SetUp(s, "faulty", aftTarnwolde, 30000, 0, 4096);
    // Piece 1's third chunk crosses the limit: part of it lands, then the write fails.
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = 92 + 12 + 2 * 4096 + 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    EXPECT_EQ(s.Split(), 1);
    LiftFileSizeLimit();
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].title, "Problem writing data");
    EXPECT_EQ(p.boxes[0].style, mb::RetryCancel | mb::Exclamation);
    EXPECT_EQ(p.boxes[0].text,
              "An error occurred while writing part of the fragment. This could be due to a fault "
              "on the disk or incompatible media. If you are spanning across disks, selecting "
              "retry will allow you to try a different disk.");
    auto pieces = ReadSeries(s, 1, 4);
    for (size_t i = 0; i < pieces.size(); ++i) EXPECT_TRUE(pieces[i].bytes == reference[i]) << i + 1;
}

TEST_F(SplitTest, AWriteProblemCancelledAndConfirmedStopsTheSplit) {
    MakeSource(100000);
    std::signal(SIGXFSZ, SIG_IGN);
    ScriptedPrompter p;
    p.Answer(Answer::Cancel).Answer(Answer::No).Answer(Answer::Cancel).Answer(Answer::Yes);
    ActiveSplitter s;
    SetUp(s, "stop", aftRaw, 30000, 0, 4096);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = 5000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    EXPECT_EQ(s.Split(), 1);
    LiftFileSizeLimit();
    ASSERT_EQ(p.boxes.size(), 4u);
    EXPECT_EQ(p.boxes[0].title, "Problem writing data");
    EXPECT_EQ(p.boxes[1].title, "Please confirm");
    EXPECT_EQ(p.boxes[2].title, "Problem writing data");  // No, not spanning: the same chunk again
}

TEST_F(SplitTest, SpanningAsksForEveryDiskAndWaitsForRoom) {
    MakeSource(100000);
    ScriptedPrompter p;
    FakeDisks disks;
    ActiveSplitter s;
    Recorder r;
    SetUp(s, "span", aftRaw, 30000, 40000, 8192);
    s.SpanDisks = true;
    s.DontAskForFirstDisk = true;
    disks.freeBytes = 35000;  // room for a 30000-byte piece, not for the 40000-byte first one
    r.onNotEnough = [&] { disks.freeBytes = 40000; };
    s.SetListener(&r);
    ASSERT_EQ(s.Split(), 1);
    std::vector<SplitEvent> asks;
    for (const auto& e : r.events)
        if (e.name == "Disk" || e.name == "NotEnough") asks.push_back(e);
    EXPECT_EQ(asks, (std::vector<SplitEvent>{{"NotEnough"}, {"Disk", 2}, {"Disk", 3}}));
    EXPECT_EQ(disks.freeQueries.front(), s.DestinationFolder());

    // Nobody listening means nobody can change the disk: too little room stops the split
    // before the piece instead of asking the disk forever.
    ActiveSplitter alone;
    SetUp(alone, "alone", aftRaw, 30000, 0, 8192);
    alone.SpanDisks = true;
    disks.freeBytes = 1000;
    EXPECT_EQ(alone.Split(), 1);
    EXPECT_TRUE(FilesIn(alone.DestinationFolder()).empty());
}

TEST_F(SplitTest, AWriteProblemWhileSpanningRewritesThePieceOnANewDisk) {
    MakeSource(100000);
    std::signal(SIGXFSZ, SIG_IGN);
    ScriptedPrompter p;
    p.Answer(Answer::Cancel).Answer(Answer::No);
    FakeDisks disks;
    ActiveSplitter s;
    Recorder r;
    SetUp(s, "respan", aftTarnwolde, 30000, 0, 4096);
    s.SpanDisks = true;
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = 20000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    r.onDisk = [&](int32_t disk) {
        if (disk == 1 && r.Named("Disk").size() == 2) LiftFileSizeLimit();  // the new disk
    };
    s.SetListener(&r);
    ASSERT_EQ(s.Split(), 1);
    auto disksAsked = r.Named("Disk");
    ASSERT_GE(disksAsked.size(), 2u);
    EXPECT_EQ(disksAsked[0], (SplitEvent{"Disk", 1}));
    EXPECT_EQ(disksAsked[1], (SplitEvent{"Disk", 1}));
    std::string joined;
    for (const auto& piece : ReadSeries(s, 1, s.FragsNeeded())) {
        EXPECT_EQ(piece.record.crc, ZlibCrc(piece.data));
        joined += piece.data;
    }
    EXPECT_TRUE(joined == sourceBytes);
}

TEST_F(SplitTest, ASegmentOfNoBytesIsRefused) {
    MakeSource(1000);
    ScriptedPrompter p;
    p.Answer(Answer::OK);
    ActiveSplitter s;
    SetUp(s, "noseg", aftRaw, 20000, 0, 0);
    EXPECT_THROW(s.Split(), KbError);
    EXPECT_EQ(p.boxes.at(0).title, "Fatal error");
    EXPECT_TRUE(FilesIn(s.DestinationFolder()).empty());
}

// Without a number every piece would be written over the one before; with a "/" pieces would
// land outside the destination.
TEST_F(SplitTest, ATemplateWithoutAPieceNumberOrWithASlashIsRefusedBeforeAnythingIsWritten) {
    MakeSource(50000);
    int folder = 0;
    for (const char* tmpl : {"%f", "%f.%x", "%fn.%x", "part", "../escaped %n.frg", "sub/%f.%N", "/%n"}) {
        SCOPED_TRACE(tmpl);
        ScriptedPrompter p;
        p.Answer(Answer::OK);
        ActiveSplitter s;
        SetUp(s, "t" + std::to_string(++folder), aftRaw, 20000, 0, 4096);
        s.FragNamingTemplate = tmpl;
        try {
            s.Split();
            ADD_FAILURE() << "split";
        } catch (const KbError& e) {
            EXPECT_EQ(e.Number(), err::InvalidArgument);
            EXPECT_TRUE(e.Description().starts_with("Invalid template")) << e.Description();
        }
        EXPECT_FALSE(s.LastSplitCompleted());
        EXPECT_EQ(p.boxes.at(0).title, "Fatal error");
        EXPECT_TRUE(FilesIn(s.DestinationFolder()).empty());
        EXPECT_FALSE(std::filesystem::exists(dir.File("escaped 1.frg")));
    }
}

// Writes into a piece whose folder is gone all succeed; the split must say it was not written.
TEST_F(SplitTest, APieceWhoseFolderWasRemovedIsReportedAsNotWritten) {
    MakeSource(50000);
    ScriptedPrompter p;
    ActiveSplitter s;
    SetUp(s, "gone", aftTarnwolde, 20000, 0, 4096);
    p.OnDoEvents([&] { std::filesystem::remove_all(dir.File("gone")); });
    p.AllowUnexpected();
    s.Split();
    ASSERT_FALSE(p.boxes.empty());
    EXPECT_EQ(p.boxes[0].title, "Problem writing data");
    EXPECT_NE(p.boxes[0].text.find("/gone/movie.001 was removed"), std::string::npos) << p.boxes[0].text;
    EXPECT_EQ(p.boxes.size(), 1u);
}

}  // namespace
}  // namespace kb
