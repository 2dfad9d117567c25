// Stopping a split from the wizard: the panel's Cancel with its three answers, saving and
// resuming the task, closing the window meanwhile, and pieces spanned across changing disks.
#include <QTreeWidget>

#include <deque>
#include <utility>

#include "app/core/task_folder.h"
#include "app/core/testing/faulty_io.h"
#include "app/ui/common/uc_progress_panel.h"
#include "app/ui/tests/split_run_fixture.h"

namespace kb {
namespace {

using testing::SplitRunTest;

class SplitCancelTest : public SplitRunTest {
protected:
    // Clicks the panel's Cancel at the n-th time the split lets events run.
    void CancelAt(std::vector<int> at) {
        prompter.OnDoEvents([this, at, n = 0]() mutable {
            ++n;
            for (int i : at)
                if (i == n) ClickWidget(window->fSptProgPan()->findChild<QWidget*>("cmdCancel"));
        });
    }
    std::vector<std::string> Titles() const {
        std::vector<std::string> t;
        for (const auto& b : prompter.boxes) t.push_back(b.title);
        return t;
    }
    std::string TaskFile(const std::string& name) { return UnfinishedTasksFolder() + "/" + name + ".uft"; }
    // A 300,000-byte file at the last stage, in three pieces for removable disks of 120,000
    // bytes that `changer` changes; returns the file's bytes.
    std::string ToThreeDisks(WizardWindows& changer) {
        const std::string data = MakeFile(source.File("data.bin"), 300'000);
        disks.kind = platform::DriveKind::Removable;
        disks.totalBytes = disks.freeBytes = 120'000;
        wizardWindows = &changer;
        Open();
        ToOptions("data.bin");
        ToRange(0);
        EXPECT_TRUE(Splitter().SpanDisks);
        EXPECT_EQ(Splitter().FragsNeeded(), 3);
        return data;
    }
};

TEST_F(SplitCancelTest, SavedTaskKeepsItsArchiveAndResumesToTheSamePieces) {
    MakeFile(source.File("data.bin"), 300'000);
    Open();
    ToOptions("data.bin");
    Click("chkUseCompression");
    ToRange(100);
    ActiveSplitter& s = Splitter();
    const std::string archive = s.BigFile();
    const int64_t size = s.FragmentSize();
    const int32_t pieces = s.FragsNeeded();
    // Left registered by an earlier run: it must not be kept in the source's place.
    const std::string stale = TempManager::Instance().CreateTempFile("EncArchive", "kbt");
    CancelAt({3});
    prompter.Answer(Answer::Yes).Type("Unnamed Split").Answer(Answer::OK);
    Click("cmdSplitWizNext");
    ExpectUnlocked();
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Split cancelled", "Warning: Temporary files"}));
    ASSERT_EQ(prompter.boxes.size(), 2u);
    EXPECT_EQ(prompter.boxes[0].DefaultButton(), mb::DefaultButton3);
    ASSERT_EQ(prompter.inputs.size(), 1u);
    EXPECT_EQ(prompter.inputs[0].defaultText, "Unnamed Split");
    EXPECT_NE(prompter.boxes[1].text.find(archive), std::string::npos);
    ASSERT_TRUE(std::filesystem::exists(TaskFile("Unnamed Split")));
    ASSERT_TRUE(std::filesystem::exists(archive)) << "the saved task needs its archive";

    // The same archive split without a stop, for comparison.
    testing::TempFolder whole;
    ActiveSplitter u;
    u.SegmentSize = 16384;
    u.CompressionID = 2;
    u.FilenameToStore = "data.bin";
    u.FragNamingTemplate = "%f.%N";
    u.SetFragmentSize(size);
    u.SetBigFile(archive);
    u.SetDestinationFolder(whole.Path());
    u.Split();

    ActiveSplitter r;
    r.SegmentSize = 16384;
    r.SetResumeInfo(TaskFile("Unnamed Split"));
    r.Split();
    ASSERT_GT(pieces, 2);
    for (int i = 1; i <= pieces; ++i) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%03d", i);
        EXPECT_EQ(testing::ReadAll(dest.File(std::string("data") + suffix)),
                  testing::ReadAll(whole.File(std::string("data") + suffix)))
            << i;
    }
}

TEST_F(SplitCancelTest, CancelGoesOnNoRemovesThePiecesAndTheNextDefaultNameIsCounted) {
    MakeFile(source.File("data.bin"), 200'000);
    std::filesystem::create_directories(UnfinishedTasksFolder());
    std::ofstream(TaskFile("Unnamed Split")) << "taken";

    Open();
    ToOptions("data.bin");
    ToRange(50);
    CancelAt({2, 4});
    prompter.Answer(Answer::Cancel).Answer(Answer::No);
    Click("cmdSplitWizNext");
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Split cancelled", "Split cancelled"}));
    EXPECT_TRUE(prompter.inputs.empty());
    EXPECT_FALSE(std::filesystem::exists(dest.File("data.001"))) << "No removes the pieces";
    ExpectUnlocked();

    prompter.boxes.clear();
    window->SelectTab("Splitter");
    ToOptions("data.bin");
    ToRange(50);
    CancelAt({2});
    prompter.Answer(Answer::Yes).Type("Unnamed Split 2");
    Click("cmdSplitWizNext");
    ASSERT_EQ(prompter.inputs.size(), 1u);
    EXPECT_EQ(prompter.inputs[0].defaultText, "Unnamed Split 2");
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Split cancelled"})) << "the user's own file: no warning";
    EXPECT_TRUE(std::filesystem::exists(TaskFile("Unnamed Split 2")));
    EXPECT_TRUE(std::filesystem::exists(source.File("data.bin")));
}

TEST_F(SplitCancelTest, ATaskThatCannotBeWrittenLeavesNothingBehind) {
    MakeFile(source.File("data.bin"), 200'000);
    Open();
    ToOptions("data.bin");
    Click("chkUseCompression");
    ToRange(50);
    const std::string archive = Splitter().BigFile();
    testing::FaultyIo full(testing::FaultyIo::Kind::Write, UnfinishedTasksFolder() + "/", 0);
    CancelAt({2});
    prompter.Answer(Answer::Yes).Type("Lost").Answer(Answer::OK).Answer(Answer::OK);
    Click("cmdSplitWizNext");
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Split cancelled", "Warning: Temporary files",
                                                  "Fatal error"}));
    ASSERT_EQ(prompter.boxes.size(), 3u);
    EXPECT_NE(prompter.boxes[2].text.find("Lost.uft"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(TaskFile("Lost"))) << "nothing claims to be saved";
    EXPECT_FALSE(std::filesystem::exists(archive)) << "nothing is leaked";
    ExpectUnlocked();
}

TEST_F(SplitCancelTest, AStopTheSplitNeverReachesKeepsNoArchive) {
    MakeFile(source.File("data.bin"), 60'000);
    Open();
    ToOptions("data.bin");
    Click("chkUseCompression");
    ToRange(12);  // every piece is one chunk: the stop comes after the piece, and never
    const std::string archive = Splitter().BigFile();
    CancelAt({2});
    prompter.Answer(Answer::Yes).Type("Never").Answer(Answer::OK);
    Click("cmdSplitWizNext");
    EXPECT_FALSE(std::filesystem::exists(TaskFile("Never")));
    EXPECT_FALSE(std::filesystem::exists(archive)) << "an archive no task needs is removed";
    ExpectUnlocked();
}

TEST_F(SplitCancelTest, ClosingDuringTheSplitStopsItUnsavedAndThenCloses) {
    MakeFile(source.File("data.bin"), 200'000);
    Open();
    ToOptions("data.bin");
    ToRange(50);
    prompter.OnDoEvents([this, n = 0]() mutable {
        EXPECT_FALSE(Child("Tabs")->isEnabled()) << "no other work starts meanwhile";
        if (++n == 2) window->close();
    });
    Click("cmdSplitWizNext");
    EXPECT_TRUE(prompter.boxes.empty());
    EXPECT_FALSE(std::filesystem::exists(dest.File("data.001")));
    QCoreApplication::processEvents();
    EXPECT_FALSE(window->isVisible());
}

// A disk request that changes the disk in the drive, as a user would.
class DiskChanger : public WizardWindows {
public:
    explicit DiskChanger(testing::FakeDisks& disks) : disks_(disks) {}
    std::string ConfirmPassword(const std::string&) override { return ""; }
    bool RequestDisk(int32_t diskNumber) override {
        requests.push_back(diskNumber);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected disk request " << diskNumber;
            return false;
        }
        const auto [ok, free] = answers.front();
        answers.pop_front();
        disks_.freeBytes = free;
        return ok;
    }
    std::deque<std::pair<bool, uint64_t>> answers;
    std::vector<int32_t> requests;

private:
    testing::FakeDisks& disks_;
};

TEST_F(SplitCancelTest, PiecesSpanThreeDisksThroughAFullDiskAndACancelledRequest) {
    DiskChanger changer(disks);
    const std::string data = ToThreeDisks(changer);
    changer.answers = {{true, 1000}, {true, 120'000}, {false, 120'000}, {true, 120'000}, {true, 120'000}};
    // The full disk: format it (not possible here); then the cancelled request: go on.
    prompter.Answer(Answer::OK).Answer(Answer::OK).Answer(Answer::Cancel);
    Click("cmdSplitWizNext");
    EXPECT_EQ(changer.requests, (std::vector<int32_t>{1, 1, 2, 2, 3}));
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Not enough disk space", "Kestrelbinder",
                                                  "Split cancelled"}));
    ASSERT_EQ(prompter.boxes.size(), 3u);
    EXPECT_EQ(prompter.boxes[1].text,
              "Error: Drive is not formattable. You will probably need to format your disks in a "
              "separate program.");
    ExpectUnlocked();
    EXPECT_EQ(Join(dest.File("data.001")), data);
}

TEST_F(SplitCancelTest, ADiskWithoutRoomLeftUnformattedAndGoneOnWithAsksForTheDiskAgain) {
    DiskChanger changer(disks);
    const std::string data = ToThreeDisks(changer);
    // Disk 2 is full: no format, then "go on" at the cancel question; the next disk has room.
    changer.answers = {{true, 120'000}, {true, 1000}, {true, 120'000}, {true, 120'000}};
    prompter.Answer(Answer::Cancel).Answer(Answer::Cancel);
    Click("cmdSplitWizNext");
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Not enough disk space", "Split cancelled"}));
    EXPECT_EQ(prompter.boxes[1].DefaultButton(), mb::DefaultButton3);
    EXPECT_EQ(changer.requests, (std::vector<int32_t>{1, 2, 2, 3}));
    ExpectUnlocked();
    EXPECT_EQ(Join(dest.File("data.001")), data);
}

TEST_F(SplitCancelTest, WithExtraFilesOnDisksTheFirstDiskIsAskedForBeforeTheGenerators) {
    const std::string data = MakeFile(source.File("data.bin"), 300'000);
    disks.kind = platform::DriveKind::Removable;
    for (bool roomy : {false, true}) {
        SCOPED_TRACE(roomy);
        // Closing the window unloads every plug-in.
        ResetHost();
        LoadTicked(KB_UI_TEST_PLUGIN_DIR "/ui_gen_extra.so");
        disks.totalBytes = disks.freeBytes = 120'000;
        Open();
        ToOptions("data.bin");
        ToRange(0);
        Click("optExtraFilesOn");
        Child<QTreeWidget>("lvExtraFilesList")->topLevelItem(0)->setCheckState(0, Qt::Checked);
        prompter.boxes.clear();
        if (roomy) {
            windows.AnswerDisk(true).AnswerDisk(true).AnswerDisk(true);
            prompter.Answer(Answer::OK);
        } else {
            // A full disk that is not formatted: the split is abandoned before anything.
            disks.freeBytes = 1000;
            prompter.Answer(Answer::OK).Answer(Answer::Cancel).Answer(Answer::Cancel);
        }
        Click("cmdSplitWizNext");
        ASSERT_FALSE(prompter.boxes.empty());
        EXPECT_EQ(prompter.boxes[0].text, "Please insert the first disk and click OK");
        EXPECT_EQ(std::filesystem::exists(dest.File("data.bin.gen7")), roomy);
        EXPECT_EQ(std::filesystem::exists(dest.File("data.001")), roomy);
        if (roomy) {
            EXPECT_EQ(windows.diskRequests, (std::vector<int32_t>{1, 2, 3}));
            EXPECT_EQ(Join(dest.File("data.001")), data);
        } else {
            EXPECT_EQ(Titles(), (std::vector<std::string>{"Kestrelbinder", "Not enough disk space",
                                                          "Not enough disk space"}));
        }
        ExpectUnlocked();
        window.reset();
    }
}

}  // namespace
}  // namespace kb
