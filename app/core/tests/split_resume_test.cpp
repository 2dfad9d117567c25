// Resuming a saved split is as safe as a fresh split: a source or piece changed since the task
// was saved is refused before anything is written, files under the names still to come are
// replaced only after a Yes, and a resumed split stopped without saving goes back to its task.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>

#include "app/core/active_splitter.h"
#include "app/core/kb_error.h"
#include "app/core/task_lock.h"
#include "app/core/temp_manager.h"
#include "app/core/testing/faulty_io.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/core/testing/temp_folder.h"
#include "split_fixtures.h"

namespace kb {
namespace {

namespace fs = std::filesystem;
using testing::ReadAll;
using testing::Recorder;
using testing::ScriptedPrompter;
using testing::Str;
using testing::TempFolder;

// Every file of a folder with its bytes.
using FolderBytes = std::map<std::string, std::string>;

FolderBytes BytesIn(const std::string& folder) {
    FolderBytes all;
    for (const auto& e : fs::directory_iterator(folder))
        all[e.path().filename().string()] = ReadAll(e.path().string());
    return all;
}

void Append(const std::string& path, const std::string& bytes) {
    std::string all = ReadAll(path) + bytes;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(all.data(), 1, all.size(), f);
    std::fclose(f);
}

void FlipByte(const std::string& path, int64_t at) {
    std::string all = ReadAll(path);
    all[static_cast<size_t>(at)] = static_cast<char>(~all[static_cast<size_t>(at)]);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(all.data(), 1, all.size(), f);
    std::fclose(f);
}

// 100000 bytes in pieces of 30000: four pieces in either format, eight chunks to a full piece.
// The own format's piece 1 holds 29897 data bytes, the others 29988.
class SplitResumeTest : public ::testing::Test {
protected:
    TempFolder dir;
    std::string source;
    std::string task;

    void SetUp() override {
        source = dir.Write("data.bin", testing::RandomBytes(100000, 7));
        task = dir.File("job.uft");
    }
    void Configure(ActiveSplitter& s, const std::string& folder, int32_t format) {
        fs::create_directories(dir.File(folder));
        s.SetFileFormat(format);
        s.SetBigFile(source);
        s.FilenameToStore = "data.bin";
        s.SetDestinationFolder(dir.File(folder));
        s.SetFragmentSize(30000);
        s.SegmentSize = 4096;
    }
    // The series a split of the source as it is now writes in one go.
    FolderBytes Uninterrupted(int32_t format) {
        ActiveSplitter s;
        Configure(s, "whole", format);
        EXPECT_EQ(s.Split(), 1);
        FolderBytes pieces = BytesIn(dir.File("whole"));
        fs::remove_all(dir.File("whole"));
        return pieces;
    }
    // A split into `folder` stopped at chunk `at` and saved as the task.
    void SaveTaskAt(const std::string& folder, int32_t format, int at) {
        ActiveSplitter s;
        Recorder r;
        Configure(s, folder, format);
        r.cancelAtInterval = at;
        r.saveTo = task;
        s.SetListener(&r);
        ASSERT_EQ(s.Split(), -1);
    }
    // Loads the task into a new splitter and runs it, stopped at chunk `stopAt` without saving
    // (0: not stopped).
    int16_t Resume(int stopAt = 0, bool* completed = nullptr) {
        ActiveSplitter s;
        Recorder r;
        r.cancelAtInterval = stopAt;
        s.SetListener(&r);
        s.SegmentSize = 4096;
        s.SetResumeInfo(task);
        const int16_t result = s.Split();
        if (completed) *completed = s.LastSplitCompleted();
        EXPECT_FALSE(s.ResumePending());
        EXPECT_EQ(s.ResumedTask(), "");
        return result;
    }
};

TEST_F(SplitResumeTest, ASourceOrPieceChangedSinceTheTaskWasSavedIsRefusedBeforeAnythingIsWritten) {
    struct Case {
        const char* what;
        int32_t format;
        int savedAt;  // 3: inside piece 1, 10: inside piece 2
        std::function<void(const std::string& folder)> change;
        bool refused;
        bool pieceChanged;  // the box names piece 2 rather than the source
    };
    const std::string folder = dir.File("pieces");
    const Case cases[] = {
        {"own format, source grown by 2 MB", aftTarnwolde, 10,
         [&](const std::string&) { Append(source, std::string(2 << 20, 'g')); }, true, false},
        {"own format, source one byte shorter, resumed in piece 1", aftTarnwolde, 3,
         [&](const std::string&) { fs::resize_file(source, 99999); }, true, false},
        {"own format, a byte of the piece in progress edited", aftTarnwolde, 10,
         [&](const std::string&) { FlipByte(source, 29897 + 100); }, true, false},
        {"bare, a byte of the piece in progress edited", aftRaw, 10,
         [&](const std::string&) { FlipByte(source, 30000 + 8191); }, true, false},
        {"bare, the first byte of piece 1 in progress edited", aftRaw, 3,
         [&](const std::string&) { FlipByte(source, 0); }, true, false},
        {"own format, the piece in progress holds other bytes", aftTarnwolde, 10,
         [&](const std::string& f) { FlipByte(f + "/data.002", 12 + 5); }, true, true},
        // The saved range reached the last piece: pieces stopping short of the source's end
        // would join into neither version.
        {"bare, source grown past its last piece since", aftRaw, 10,
         [&](const std::string&) {
             Append(source, std::string(40000, 'g'));
             fs::last_write_time(source, fs::last_write_time(task) + std::chrono::seconds(1));
         }, true, false},
        {"bare, source ending before the saved range does", aftRaw, 3,
         [&](const std::string&) { fs::resize_file(source, 50000); }, true, false},
        // What the task has not read yet may change: the series is then all of the new file.
        {"bare, source grown at its end", aftRaw, 10,
         [&](const std::string&) { Append(source, std::string(5000, 'g')); }, false, false},
        {"own format, a byte after the saved position edited", aftTarnwolde, 10,
         [&](const std::string&) { FlipByte(source, 90000); }, false, false},
    };
    const std::string original = ReadAll(source);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        {
            ScriptedPrompter quiet;
            SaveTaskAt("pieces", c.format, c.savedAt);
        }
        c.change(folder);
        const FolderBytes before = BytesIn(folder);
        const std::string saved = ReadAll(task);
        if (c.refused) {
            testing::ExpectResumeRefused(task, "The unfinished task no longer matches its files: " +
                                                   (c.pieceChanged ? folder + "/data.002" : source) +
                                                   " has changed since the task was saved.");
            EXPECT_TRUE(BytesIn(folder) == before);
            EXPECT_EQ(ReadAll(task), saved);
        } else {
            ScriptedPrompter p;
            EXPECT_EQ(Resume(), 1);
            EXPECT_TRUE(BytesIn(folder) == Uninterrupted(c.format));
        }
        fs::remove_all(folder);
        dir.Write("data.bin", original);
    }
}

TEST_F(SplitResumeTest, FilesUnderTheNamesStillToComeAreReplacedOnlyAfterAYes) {
    ScriptedPrompter p;
    const FolderBytes reference = Uninterrupted(aftTarnwolde);
    SaveTaskAt("pieces", aftTarnwolde, 10);  // inside piece 2: pieces 3 and 4 are to come
    const std::string mine = dir.Write("pieces/data.004", "the user's own file");
    const FolderBytes before = BytesIn(dir.File("pieces"));
    const std::string saved = ReadAll(task);

    p.Answer(Answer::No);
    bool completed = true;
    EXPECT_EQ(Resume(0, &completed), 1);
    EXPECT_FALSE(completed);
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].title, "Files already exist");
    EXPECT_EQ(p.boxes[0].style, mb::YesNo | mb::Exclamation | mb::DefaultButton2);
    // The pieces the task made are its own and not asked for.
    EXPECT_EQ(p.boxes[0].text, mine + " already exists. Replace it with a fragment of this split?");
    EXPECT_TRUE(BytesIn(dir.File("pieces")) == before);
    EXPECT_EQ(ReadAll(task), saved);

    p.Answer(Answer::Yes);
    EXPECT_EQ(Resume(0, &completed), 1);
    EXPECT_TRUE(completed);
    EXPECT_EQ(p.boxes.size(), 2u);
    EXPECT_TRUE(BytesIn(dir.File("pieces")) == reference);
}

// A range the user chose that stops short of the last piece resumes as long as the source is
// as it was when the task was saved.
TEST_F(SplitResumeTest, ARangeStoppingShortOfTheLastPieceResumes) {
    ScriptedPrompter p;
    const FolderBytes reference = Uninterrupted(aftRaw);
    {
        ActiveSplitter s;
        Recorder r;
        Configure(s, "pieces", aftRaw);
        s.FragUseRange = true;
        s.FragFirst = 1;
        s.FragLast = 2;
        r.cancelAtInterval = 10;
        r.saveTo = task;
        s.SetListener(&r);
        ASSERT_EQ(s.Split(), -1);
    }
    bool completed = false;
    EXPECT_EQ(Resume(0, &completed), 1);
    EXPECT_TRUE(completed);
    EXPECT_TRUE(BytesIn(dir.File("pieces")) ==
                (FolderBytes{*reference.find("data.001"), *reference.find("data.002")}));
}

// A copy of a task, kept after the task itself completed the series, is stale: its question
// about the pieces still to come answered No, it leaves the finished series as it is, the
// piece it would continue too.
TEST_F(SplitResumeTest, AStaleCopyOfATaskAnsweredNoLeavesTheSeriesAsItIs) {
    ScriptedPrompter p;
    const FolderBytes reference = Uninterrupted(aftTarnwolde);
    SaveTaskAt("pieces", aftTarnwolde, 10);  // inside piece 2
    const std::string copy = dir.File("copy.uft");
    fs::copy_file(task, copy);
    EXPECT_EQ(Resume(), 1);
    ASSERT_TRUE(BytesIn(dir.File("pieces")) == reference);

    task = copy;
    p.Answer(Answer::No);
    bool completed = true;
    EXPECT_EQ(Resume(0, &completed), 1);
    EXPECT_FALSE(completed);
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].title, "Files already exist");
    EXPECT_TRUE(BytesIn(dir.File("pieces")) == reference);
    EXPECT_TRUE(fs::exists(copy));
}

// Two copies of one task resumed at once would write into the same pieces: the second is
// refused while the first holds them, and changes nothing.
TEST_F(SplitResumeTest, ACopyOfATaskBeingResumedIsRefused) {
    ScriptedPrompter p;
    const FolderBytes reference = Uninterrupted(aftTarnwolde);
    SaveTaskAt("pieces", aftTarnwolde, 10);
    const std::string copy = dir.File("copy.uft");
    fs::copy_file(task, copy);
    const FolderBytes saved = BytesIn(dir.File("pieces"));

    ActiveSplitter first;
    first.SegmentSize = 4096;
    first.SetResumeInfo(task);
    p.Answer(Answer::OK);
    ActiveSplitter second;
    EXPECT_THROW(second.SetResumeInfo(copy), TaskInUse);
    EXPECT_FALSE(second.ResumePending());
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].title, "Unfinished task in use");
    EXPECT_EQ(p.boxes[0].text, "This unfinished task is already being resumed.");
    EXPECT_TRUE(BytesIn(dir.File("pieces")) == saved);

    EXPECT_EQ(first.Split(), 1);
    EXPECT_TRUE(BytesIn(dir.File("pieces")) == reference);
}

TEST_F(SplitResumeTest, AResumedSplitStoppedWithoutSavingGoesBackToItsTask) {
    // Resumed inside piece 2, two chunks into it: six chunks finish piece 2, eight make
    // piece 3, and piece 4 begins at the fifteenth.
    struct Case {
        const char* what;
        int32_t format;
        int stopAt;          // the chunk of the resumed run a cancel without a save path comes in
        int failingPiece;    // a write of this piece fails, the stop is confirmed (0: none)
    } cases[] = {
        {"own format, stopped inside the piece it continues", aftTarnwolde, 2, 0},
        {"own format, stopped inside piece 4", aftTarnwolde, 16, 0},
        {"bare, stopped inside piece 3", aftRaw, 9, 0},
        {"own format, the disk full in piece 3", aftTarnwolde, 0, 3},
        {"bare, the disk full in the piece it continues", aftRaw, 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPrompter p;
        const FolderBytes reference = Uninterrupted(c.format);
        SaveTaskAt("pieces", c.format, 10);
        const FolderBytes saved = BytesIn(dir.File("pieces"));
        const std::string savedTask = ReadAll(task);
        bool completed = true;
        if (c.failingPiece) {
            p.Answer(Answer::Cancel).Answer(Answer::Yes);
            const std::string piece = dir.File("pieces/data.00" + std::to_string(c.failingPiece));
            testing::FaultyIo full(testing::FaultyIo::Kind::Write, piece, 25000);
            EXPECT_EQ(Resume(0, &completed), 1);
            ASSERT_EQ(p.boxes.size(), 2u);
            EXPECT_EQ(p.boxes[0].title, "Problem writing data");
            EXPECT_EQ(p.boxes[1].title, "Please confirm");
        } else {
            EXPECT_EQ(Resume(c.stopAt, &completed), 1);
        }
        EXPECT_FALSE(completed);
        // The finished pieces stay, the piece in progress is as the task left it (its record
        // still the placeholder), the pieces begun since are gone, and the task is kept.
        EXPECT_TRUE(BytesIn(dir.File("pieces")) == saved);
        EXPECT_EQ(ReadAll(task), savedTask);
        // So the task resumes once more to the whole series, and is then done.
        EXPECT_EQ(Resume(), 1);
        EXPECT_TRUE(BytesIn(dir.File("pieces")) == reference);
        EXPECT_FALSE(fs::exists(task));
        fs::remove_all(dir.File("pieces"));
    }
}

// Saved again under its own name, the task is written over in place of the old one; under
// another name, the old one goes once the new one is written. A save that fails keeps the old.
TEST_F(SplitResumeTest, AResumedSplitSavedAgainKeepsOneTask) {
    for (bool sameName : {true, false}) {
        SCOPED_TRACE(sameName ? "same name" : "another name");
        ScriptedPrompter p;
        const FolderBytes reference = Uninterrupted(aftTarnwolde);
        SaveTaskAt("pieces", aftTarnwolde, 3);
        const std::string first = ReadAll(task);
        const std::string second = sameName ? task : dir.File("second.uft");
        {
            ActiveSplitter s;
            Recorder r;
            r.cancelAtInterval = 9;  // inside piece 2
            r.saveTo = second;
            s.SetListener(&r);
            s.SegmentSize = 4096;
            s.SetResumeInfo(task);
            ASSERT_EQ(s.Split(), -1);
        }
        EXPECT_EQ(fs::exists(task), sameName);
        ASSERT_TRUE(fs::exists(second));
        EXPECT_NE(ReadAll(second), first);
        EXPECT_EQ(testing::FilesIn(dir.Path()).size(), 3u);  // data.bin, pieces, one task
        task = second;
        EXPECT_EQ(Resume(), 1);
        EXPECT_TRUE(BytesIn(dir.File("pieces")) == reference);
        EXPECT_FALSE(fs::exists(second));
        fs::remove_all(dir.File("pieces"));
    }

    // A save under its own name that fails half-way leaves the task, and its pieces, as they
    // were before this run.
    task = dir.File("job.uft");
    SaveTaskAt("pieces", aftTarnwolde, 10);
    const FolderBytes pieces = BytesIn(dir.File("pieces"));
    const std::string saved = ReadAll(task);
    {
        ScriptedPrompter p;
        p.Answer(Answer::OK);  // the fatal error's box
        ActiveSplitter s;
        Recorder r;
        r.cancelAtInterval = 9;  // inside piece 3
        r.saveTo = task;
        s.SetListener(&r);
        s.SegmentSize = 4096;
        s.SetResumeInfo(task);
        testing::FaultyIo full(testing::FaultyIo::Kind::Write, task, 20);
        EXPECT_THROW(s.Split(), KbError);
    }
    EXPECT_EQ(ReadAll(task), saved);
    EXPECT_TRUE(BytesIn(dir.File("pieces")) == pieces);
}

// The gathered selection a task splits lives only in the temporary folder: a stop keeps it for
// the task, and only a split that completes gives it back to the temporary files.
TEST_F(SplitResumeTest, TheTemporarySourceOfATaskIsKeptUntilTheSplitCompletes) {
    TempFolder tmp;
    testing::ScopedEnv env("TMPDIR", tmp.Path());
    source = tmp.Write("kbt5C1E.tmp", testing::RandomBytes(100000, 8));
    {
        ActiveSplitter s;
        Recorder r;
        Configure(s, "pieces", aftTarnwolde);
        s.FilenameToStore = "selection.cab";
        r.cancelAtInterval = 10;
        r.saveTo = task;
        s.SetListener(&r);
        ASSERT_EQ(s.Split(), -1);
    }
    TempManager& temps = TempManager::Instance();
    EXPECT_EQ(Resume(3), 1);
    EXPECT_TRUE(fs::exists(source));
    EXPECT_THROW(temps.GetTempFilePath("Archive"), KbError);
    EXPECT_EQ(Resume(), 1);
    EXPECT_EQ(temps.GetTempFilePath("Archive"), source);
    temps.RemoveTempFile("Archive", true);
    EXPECT_FALSE(fs::exists(source));
}

}  // namespace
}  // namespace kb
