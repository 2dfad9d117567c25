#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "app/core/active_splitter.h"
#include "app/core/paths.h"
#include "app/core/kb_error.h"
#include "app/core/split_resume_source.h"
#include "platform/twlib.h"
#include "app/core/temp_manager.h"
#include "app/core/testing/fake_disks.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/core/testing/temp_folder.h"
#include "split_fixtures.h"

namespace kb {
namespace {

using testing::FakeDisks;
using testing::FilesIn;
using testing::ReadAll;
using testing::Recorder;
using testing::ScriptedPrompter;
using testing::Str;
using testing::TempFolder;

class SplitTaskTest : public ::testing::Test {
protected:
    TempFolder dir;
    std::string source;

    void SetUp() override { source = dir.Write("data.bin", testing::RandomBytes(100000, 3)); }

    void Configure(ActiveSplitter& s, const std::string& folder, int32_t format) {
        std::filesystem::create_directories(dir.File(folder));
        s.SetFileFormat(format);
        s.SetBigFile(source);
        s.FilenameToStore = "data.bin";
        s.SetDestinationFolder(dir.File(folder));
        s.SetFragmentSize(30000);
        s.SegmentSize = 4096;
        s.CompressionID = 2;
        s.EncryptionID = 77;
    }
    std::vector<std::string> Pieces(const std::string& folder) {
        std::vector<std::string> out;
        for (const auto& name : FilesIn(dir.File(folder))) out.push_back(ReadAll(dir.File(folder + "/" + name)));
        return out;
    }
    std::vector<std::string> Uninterrupted(int32_t format, bool span = false) {
        FakeDisks disks;
        ActiveSplitter s;
        Configure(s, "whole", format);
        s.SpanDisks = span;
        EXPECT_EQ(s.Split(), 1);
        return Pieces("whole");
    }
    // Loads a task into a new splitter, as the front page does, and runs it.
    int16_t Resume(const std::string& task, bool span = false, Recorder* r = nullptr) {
        FakeDisks disks;
        ActiveSplitter s;
        s.SegmentSize = 4096;
        if (r) s.SetListener(r);
        s.SetResumeInfo(task);
        EXPECT_TRUE(s.ResumePending());
        EXPECT_TRUE(s.FragUseRange);
        EXPECT_EQ(s.SpanDisks, span);
        int16_t rc = s.Split();
        EXPECT_FALSE(s.ResumePending());
        return rc;
    }
};

template <typename T>
T At(const std::string& bytes, size_t offset) {
    std::make_unsigned_t<T> u = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        u |= static_cast<decltype(u)>(static_cast<uint8_t>(bytes[offset + i])) << (8 * i);
    return static_cast<T>(u);
}

TEST_F(SplitTaskTest, CancelInsideAPieceSavesARecordAndResumingGivesTheSamePieces) {
    for (int32_t format : {aftTarnwolde, aftRaw}) {
        SCOPED_TRACE(format);
        const auto reference = Uninterrupted(format);
        std::filesystem::remove_all(dir.File("whole"));
        ScriptedPrompter p;
        ActiveSplitter s;
        Recorder r;
        Configure(s, "cut", format);
        r.cancelAtInterval = 10;  // inside piece 2 (8 chunks a piece)
        const std::string task = dir.File("task" + std::to_string(format) + ".uft");
        r.saveTo = task;
        s.SetListener(&r);
        ASSERT_EQ(s.Split(), -1);

        // The record, byte for byte.
        const std::string b = ReadAll(task);
        const std::string dest = dir.File("cut") + "/";
        ASSERT_EQ(b.size(), 74 + source.size() + dest.size() + 8 + 5);
        size_t at = 0;
        EXPECT_EQ(At<int16_t>(b, at), 1);
        EXPECT_EQ(At<int32_t>(b, at += 2), format);
        EXPECT_EQ(At<int64_t>(b, at += 4), 300000000);
        EXPECT_EQ(At<int64_t>(b, at += 8), 300000000);
        at += 8;
        for (const std::string& text : {source, dest, std::string("data.bin"), std::string("%f.%N")}) {
            EXPECT_EQ(At<int16_t>(b, at), static_cast<int16_t>(text.size()));
            EXPECT_EQ(b.substr(at + 2, text.size()), text);
            at += 2 + text.size();
        }
        EXPECT_EQ(At<int32_t>(b, at), 2);
        EXPECT_EQ(At<int32_t>(b, at += 4), 77);
        EXPECT_EQ(b.substr(at += 4, 4), std::string("\0\0\x00\x10", 4));  // no spanning; 4096
        EXPECT_EQ(At<int32_t>(b, at += 4), 2);  // piece
        EXPECT_EQ(At<int32_t>(b, at += 4), 1);
        EXPECT_EQ(At<int32_t>(b, at += 4), 4);
        const int64_t dataBefore = format == aftTarnwolde ? 30000 - 12 - 91 : 30000;
        const int64_t pos = dataBefore + 2 * 4096;
        EXPECT_EQ(At<int64_t>(b, at += 4), pos * 10000);
        const int64_t pieceData = format == aftTarnwolde ? 30000 - 12 : 30000;
        EXPECT_EQ(At<int64_t>(b, at += 8), (pieceData - 2 * 4096) * 10000);
        const std::string partial = ReadAll(source).substr(static_cast<size_t>(dataBefore), 2 * 4096);
        EXPECT_EQ(At<uint32_t>(b, at += 8), testing::ZlibCrc(partial));
        EXPECT_EQ(FilesIn(dir.File("cut")).size(), 2u);

        EXPECT_EQ(Resume(task), 1);
        const auto resumed = Pieces("cut");
        ASSERT_EQ(resumed.size(), reference.size());
        for (size_t i = 0; i < resumed.size(); ++i) EXPECT_TRUE(resumed[i] == reference[i]) << "piece " << i + 1 << " size " << resumed[i].size() << " vs " << reference[i].size();
        std::filesystem::remove_all(dir.File("cut"));
    }
}

TEST_F(SplitTaskTest, APieceBegunByTheTaskIsCutBackWhenLongerAndRefusedWhenShorterOrMissing) {
    enum class Change { Longer, Shorter, Missing };
    struct Case {
        const char* what;
        int32_t format;
        int cancelAt;  // the chunk: 3 is inside piece 1, 10 inside piece 2
        Change change;
    } cases[] = {
        {"bare piece 2 left longer by a resume stopped part way", aftRaw, 10, Change::Longer},
        {"own piece 1, after its headers, left longer", aftTarnwolde, 3, Change::Longer},
        {"own piece 2 one byte short", aftTarnwolde, 10, Change::Shorter},
        {"bare piece 2 gone", aftRaw, 10, Change::Missing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto reference = Uninterrupted(c.format);
        std::filesystem::remove_all(dir.File("whole"));
        ScriptedPrompter p;
        const std::string task = dir.File(std::string(c.what) + ".uft");
        std::string piece;
        {
            ActiveSplitter s;
            Recorder r;
            Configure(s, c.what, c.format);
            r.cancelAtInterval = c.cancelAt;
            r.saveTo = task;
            s.SetListener(&r);
            ASSERT_EQ(s.Split(), -1);
            piece = testing::PieceName(s, c.cancelAt == 3 ? 1 : 2);
        }
        const std::string saved = ReadAll(task);
        const auto length = std::filesystem::file_size(piece);
        if (c.change == Change::Longer) {
            // What the stopped resume had written beyond the saved position.
            std::filesystem::resize_file(piece, length + 6000);
            EXPECT_EQ(Resume(task), 1);
            EXPECT_TRUE(Pieces(c.what) == reference);
            continue;
        }
        if (c.change == Change::Shorter) std::filesystem::resize_file(piece, length - 1);
        else std::filesystem::remove(piece);
        testing::ExpectResumeRefused(task, "The unfinished task no longer matches its files: " + piece +
                                               (c.change == Change::Shorter ? " is shorter than the task expects."
                                                                            : " is missing."));
        // Nothing was resumed and the task is kept.
        EXPECT_EQ(ReadAll(task), saved);
        EXPECT_EQ(std::filesystem::exists(piece), c.change == Change::Shorter);
        if (c.change == Change::Shorter) {
            EXPECT_EQ(std::filesystem::file_size(piece), length - 1);
        }
    }
}

TEST_F(SplitTaskTest, CancelAtADiskRequestResumesWithThePieceFromItsStart) {
    const auto reference = Uninterrupted(aftTarnwolde, true);
    ScriptedPrompter p;
    FakeDisks disks;
    ActiveSplitter s;
    Recorder r;
    Configure(s, "disks", aftTarnwolde);
    s.SpanDisks = true;
    s.SegmentSize = 262144;
    r.cancelAtDisk = 3;
    r.saveTo = dir.File("disk.uft");
    s.SetListener(&r);
    ASSERT_EQ(s.Split(), -1);
    const std::string b = ReadAll(r.saveTo);
    const size_t tail = b.size() - 36;  // fields 11 to 17
    EXPECT_EQ(b.substr(tail, 4), std::string("\xFF\xFF\x00\x00", 4));
    EXPECT_EQ(At<int32_t>(b, tail + 4), 3);
    EXPECT_EQ(At<int64_t>(b, tail + 24), 0);  // bytes left: piece 3 from its start
    EXPECT_EQ(FilesIn(dir.File("disks")).size(), 2u);

    Recorder again;
    EXPECT_EQ(Resume(r.saveTo, true, &again), 1);
    EXPECT_EQ(again.Named("Disk"), (std::vector<testing::SplitEvent>{{"Disk", 3}, {"Disk", 4}}));
    EXPECT_TRUE(Pieces("disks") == reference);
}

TEST_F(SplitTaskTest, ATaskResumedInsideAPieceAndCancelledAgainKeepsItsChain) {
    const auto reference = Uninterrupted(aftTarnwolde);
    ScriptedPrompter p;
    const std::string first = dir.File("first.uft"), second = dir.File("second.uft");
    {
        ActiveSplitter s;
        Recorder r;
        Configure(s, "twice", aftTarnwolde);
        r.cancelAtInterval = 3;
        r.saveTo = first;
        s.SetListener(&r);
        ASSERT_EQ(s.Split(), -1);
    }
    {
        ActiveSplitter s;
        Recorder r;
        r.cancelAtInterval = 2;  // still inside piece 1
        r.saveTo = second;
        s.SetListener(&r);
        s.SegmentSize = 4096;
        s.SetResumeInfo(first);
        ASSERT_EQ(s.Split(), -1);
    }
    EXPECT_EQ(Resume(second), 1);
    EXPECT_TRUE(Pieces("twice") == reference);
}

TEST_F(SplitTaskTest, LoadingSetsTheStoredValuesWithoutEvents) {
    ScriptedPrompter p;
    ActiveSplitter writer;
    Recorder r;
    Configure(writer, "load", aftRaw);
    writer.SetFragmentSizeAtStart(1000000);
    writer.SetFragmentSize(1457664);
    writer.FragUseRange = true;
    writer.FragFirst = 1;
    writer.FragLast = 1;
    r.cancelAtInterval = 1;
    r.saveTo = dir.File("sizes.uft");
    writer.SetListener(&r);
    ASSERT_EQ(writer.Split(), -1);
    EXPECT_EQ(At<int64_t>(ReadAll(r.saveTo), 6), 14576640000LL);

    ActiveSplitter s;
    Recorder events;
    s.SetListener(&events);
    s.SetResumeInfo(r.saveTo);
    EXPECT_TRUE(events.events.empty());
    EXPECT_TRUE(s.DifferentSizeAtStart());
    EXPECT_EQ(s.FragmentSize(), 1457664);
    EXPECT_EQ(s.FragmentSizeAtStart(), 1000000);
    EXPECT_EQ(s.FileFormat(), aftRaw);
    EXPECT_EQ(s.BigFile(), source);
    EXPECT_EQ(s.BigFileLength(), 100000);
    EXPECT_EQ(s.DestinationFolder(), dir.File("load") + "/");
    EXPECT_EQ(s.FragFirst, 1);
    EXPECT_EQ(s.FragLast, 1);  // the range of the saved run, not the whole series
    EXPECT_TRUE(s.FragUseRange);
    s.ClearResumeInfo();
    EXPECT_FALSE(s.ResumePending());
}

TEST_F(SplitTaskTest, AFileThatFailsToLoadLeavesTheObjectAsItWas) {
    ScriptedPrompter p;
    ActiveSplitter writer;
    Recorder r;
    Configure(writer, "bad", aftTarnwolde);
    r.cancelAtInterval = 3;
    r.saveTo = dir.File("good.uft");
    writer.SetListener(&r);
    ASSERT_EQ(writer.Split(), -1);
    const std::string good = ReadAll(r.saveTo);

    auto expectUnchanged = [&](const std::string& task, int number, bool damaged = true) {
        ScriptedPrompter q;
        if (damaged) q.Answer(Answer::OK);
        ActiveSplitter s;
        s.SetFileFormat(aftRaw);
        s.FilenameToStore = "mine";
        try {
            s.SetResumeInfo(task);
            ADD_FAILURE() << "loaded";
        } catch (const KbError& e) {
            EXPECT_EQ(e.Number(), number) << e.Description();
        }
        EXPECT_FALSE(s.ResumePending());
        int64_t pos = 0;
        EXPECT_NE(platform::bigfileGetPos(1, pos), 0) << "the task file is still open";
        EXPECT_EQ(s.FileFormat(), aftRaw);
        EXPECT_EQ(s.FilenameToStore, "mine");
        EXPECT_EQ(s.BigFile(), "");
        EXPECT_FALSE(s.FragUseRange);
        EXPECT_FALSE(s.DifferentSizeAtStart());
        if (damaged && q.boxes.size() == 1) {
            EXPECT_EQ(q.boxes[0].title, "Unable to resume - damaged task file");
            EXPECT_EQ(q.boxes[0].text, "The unfinished task " + task +
                                           " is damaged or does not match its source file, and "
                                           "cannot be resumed.");
        }
    };
    // Cut short anywhere.
    for (size_t n = 0; n < good.size(); ++n) {
        SCOPED_TRACE(n);
        expectUnchanged(dir.Write("short.uft", good.substr(0, n)), err::DeviceIO);
    }
    expectUnchanged(dir.File("absent.uft"), err::DeviceIO, false);
    // A piece size this program never writes (0 would divide by nothing).
    std::string zero = good;
    for (size_t i = 6; i < 14; ++i) zero[i] = 0;
    expectUnchanged(dir.Write("zero.uft", zero), err::DeviceIO);
    // A NUL in a stored text: the system would read "%f" alone, and every piece would be
    // written over the one before it.
    std::string nul = good;
    const size_t at = nul.rfind("%f.%N");
    ASSERT_NE(at, std::string::npos);
    nul[at + 2] = '\0';
    expectUnchanged(dir.Write("nul.uft", nul), err::DeviceIO);
    // A template without a number (the same length): every piece under one name.
    std::string unnumbered = good;
    unnumbered[at + 4] = 'X';
    expectUnchanged(dir.Write("unnumbered.uft", unnumbered), err::DeviceIO);
    // A template with a "/": the pieces would be written outside the destination.
    std::string slashed = good;
    slashed[at + 2] = '/';
    expectUnchanged(dir.Write("slashed.uft", slashed), err::DeviceIO);
    // The source has gone since the task was saved.
    std::filesystem::rename(source, source + ".moved");
    expectUnchanged(r.saveTo, err::ObjectFailure, false);
}

// Offsets from the end of a split task file: fields 11 to 17.
constexpr size_t kFromEndSegment = 34, kFromEndPiece = 32, kFromEndFirst = 28, kFromEndLast = 24,
                 kFromEndPosition = 20, kFromEndLeft = 12;

template <typename T>
std::string With(std::string bytes, size_t fromEnd, T value) {
    auto u = static_cast<std::make_unsigned_t<T>>(value);
    for (size_t i = 0; i < sizeof(T); ++i) bytes[bytes.size() - fromEnd + i] = static_cast<char>(u >> (8 * i));
    return bytes;
}

TEST_F(SplitTaskTest, ATaskWhoseValuesDoNotFitTogetherIsRefusedAndNothingIsPending) {
    ScriptedPrompter p;
    ActiveSplitter writer;
    Recorder r;
    Configure(writer, "mixed", aftTarnwolde);
    r.cancelAtInterval = 10;  // inside piece 2, 2 chunks into it
    r.saveTo = dir.File("good.uft");
    writer.SetListener(&r);
    ASSERT_EQ(writer.Split(), -1);
    const std::string good = ReadAll(r.saveTo);
    const int64_t pos = At<int64_t>(good, good.size() - kFromEndPosition);
    const int64_t left = At<int64_t>(good, good.size() - kFromEndLeft);
    const int64_t pieceData = (30000 - 12) * int64_t{10000};

    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"position shifted by a whole chunk", With<int64_t>(good, kFromEndPosition, pos + 40960000)},
        {"position one byte back", With<int64_t>(good, kFromEndPosition, pos - 10000)},
        {"position past the source", With<int64_t>(good, kFromEndPosition, 200000 * int64_t{10000})},
        {"bytes left past the piece", With<int64_t>(good, kFromEndLeft, pieceData + 10000)},
        {"bytes left a whole piece", With<int64_t>(good, kFromEndLeft, pieceData)},
        {"bytes left shifted", With<int64_t>(good, kFromEndLeft, left - 40960000)},
        {"negative bytes left", With<int64_t>(good, kFromEndLeft, -10000)},
        {"piece of another place", With<int32_t>(good, kFromEndPiece, 3)},
        {"piece past the series", With<int32_t>(With<int32_t>(good, kFromEndLast, 9), kFromEndPiece, 9)},
        {"piece before the range", With<int32_t>(good, kFromEndFirst, 3)},
        {"unknown format", With<int32_t>(good, good.size() - 2, 7)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPrompter q;
        q.Answer(Answer::OK);
        ActiveSplitter s;
        s.SetResumeInfo(r.saveTo);  // a task pending from before is dropped too
        ASSERT_TRUE(s.ResumePending());
        EXPECT_THROW(s.SetResumeInfo(dir.Write("bad.uft", c.bytes)), KbError);
        EXPECT_FALSE(s.ResumePending());
        ASSERT_EQ(q.boxes.size(), 1u);
        EXPECT_EQ(q.boxes[0].Icon(), mb::Critical);
    }

    // The half of field 11 that is not read back takes any value.
    ActiveSplitter s;
    s.SetResumeInfo(dir.Write("segment.uft", With<int16_t>(good, kFromEndSegment, -1)));
    EXPECT_TRUE(s.ResumePending());
}

TEST_F(SplitTaskTest, EveryStopASplitSavesLoadsAgain) {
    // Bare and own pieces, a first piece of its own size, stops before and inside pieces,
    // the last piece.
    struct Case {
        int32_t format;
        int64_t firstSize;
        int64_t interval, disk;
    } cases[] = {
        {aftRaw, 0, 0, 2},      {aftRaw, 0, 0, 4},   {aftRaw, 12000, 0, 3},  {aftRaw, 12000, 9, 0},
        {aftTarnwolde, 0, 0, 2}, {aftTarnwolde, 0, 0, 4}, {aftTarnwolde, 0, 26, 0},
        {aftTarnwolde, 12000, 0, 4}, {aftTarnwolde, 12000, 4, 0}, {aftLegacy, 0, 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.format << " " << c.firstSize << " " << c.interval
                                          << " " << c.disk);
        ScriptedPrompter p;
        FakeDisks disks;
        ActiveSplitter s;
        Recorder r;
        Configure(s, "stops", c.format);
        if (c.firstSize) s.SetFragmentSizeAtStart(c.firstSize);
        s.SpanDisks = c.disk > 0;
        r.cancelAtInterval = static_cast<int>(c.interval);
        r.cancelAtDisk = static_cast<int>(c.disk);
        r.saveTo = dir.File("stop.uft");
        s.SetListener(&r);
        ASSERT_EQ(s.Split(), -1);
        ActiveSplitter again;
        EXPECT_NO_THROW(again.SetResumeInfo(r.saveTo));
        EXPECT_TRUE(again.ResumePending());
        std::filesystem::remove_all(dir.File("stops"));
    }
}

TEST(SplitResumeSource, OnlyTheProgramsOwnArchiveIsTakenOverAsTemporary) {
    TempFolder tmp;
    testing::ScopedEnv env("TMPDIR", tmp.Path());
    const std::string archive = tmp.Write("kbt1A2B.tmp", "cab");
    const std::string ownKbt = tmp.Write("kbtnotes.txt", "mine");
    const std::string elsewhere = tmp.Write("sub/kbt99.tmp", "mine");
    struct Case { std::string source, stored; bool temporary; } cases[] = {
        {archive, "selection.cab", true},
        {archive, "kbt1A2B.tmp", false},  // split under its own name: a single file
        {ownKbt, "kbtnotes.txt", false},
        {elsewhere, "selection.cab", false},
        {"/home/u/kbt1.tmp", "selection.cab", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsTemporaryArchiveOfSplit(c.source, c.stored), c.temporary) << c.source;

    TempManager& temps = TempManager::Instance();
    const std::string stale = tmp.Write("kbtOLD.tmp", "old");
    temps.MarkTempFile("EncArchive", stale);
    temps.MarkTempFile("Archive", archive);  // still registered from this run
    TakeOverTemporarySource(archive, "selection.cab");
    EXPECT_EQ(temps.GetTempFilePath("Archive"), archive);
    EXPECT_TRUE(std::filesystem::exists(archive));
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_THROW(temps.GetTempFilePath("EncArchive"), KbError);

    TakeOverTemporarySource(elsewhere, "selection.cab");
    EXPECT_EQ(temps.GetTempFilePath("Archive"), archive);
    temps.UnmarkTempFile("Archive");
}

}  // namespace
}  // namespace kb
