// The splitter wizard's flow on its own: no widgets, the scripted prompter and dialogs, and the
// fake disks.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/core/active_splitter.h"
#include "app/core/testing/fake_disks.h"
#include "app/core/testing/scripted_dialogs.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/core/testing/temp_folder.h"
#include "app/ui/splitter/split_multi_source.h"
#include "app/ui/splitter/split_wizard_flow.h"
#include "app/ui/tests/ui_fixture.h"

namespace kb {
namespace {

using testing::FakeDisks;
using testing::ScriptedDialogs;
using testing::ScriptedPrompter;

class FakeMulti : public SplitMultiSource {
public:
    int RowCount() const override { return rows; }
    std::string SeriesName() const override { return "Series"; }
    bool FolderSizesStale() const override { return true; }
    void SetSeriesNameTag(const std::string& t) override { tag = t; }
    void RemoveAll() override {
        rows = 0;
        ++removeAlls;
    }
    void SetAddFileStart(const std::string& f) override { addFileStart = f; }
    int rows = 0;
    int removeAlls = 0;
    std::string tag;
    std::string addFileStart;
};

class SplitWizardFlowTest : public testing::UiTest {
protected:
    SplitWizardFlowTest() : flow(splitter, dialogs, multi, Hooks()) {}

    SplitWizardHooks Hooks() {
        SplitWizardHooks h;
        h.defaultSource = [this] { return defaultSource; };
        h.defaultDest = [this] { return defaultDest; };
        h.formLoading = [] { return false; };
        h.splitFromWizard = [this] { ++splits; };
        h.selectFrontPage = [this] { ++frontPages; };
        h.setBusy = [this](bool b) { busy = b; };
        return h;
    }
    // A file of the given size in the test's folder.
    std::string MakeFile(const std::string& name, uintmax_t bytes) {
        const std::string path = files.File(name);
        { std::ofstream(path, std::ios::binary); }
        std::filesystem::resize_file(path, bytes);
        return path;
    }
    // Walks from stage 1 to stage 5 with one file.
    void WalkToStage5(const std::string& path) {
        flow.cmdSplitWizNext_Click();
        dialogs.ChooseFile(path);
        flow.cmdSingleSplitComDlg_Click();
        flow.cmdSplitWizNext_Click();
        flow.cmdSplitWizNext_Click();
        flow.cmdSplitWizNext_Click();
        ASSERT_EQ(flow.SplitWizStage, 5);
    }

    ScriptedPrompter prompter;
    ScriptedDialogs dialogs;
    FakeDisks disks;
    testing::TempFolder files;
    ActiveSplitter splitter;
    FakeMulti multi;
    std::string defaultSource;
    std::string defaultDest;
    int splits = 0;
    int frontPages = 0;
    bool busy = false;
    SplitWizardFlow flow;
};

TEST_F(SplitWizardFlowTest, ASingleFileWalksToStageSixAndTheSplitThenResets) {
    const std::string path = MakeFile("report.doc", 3'000'000);
    flow.cmdSplitWizReset_Click();
    flow.dest.folder = files.Path();
    flow.dest.drive = VolumeOf(files.Path());
    WalkToStage5(path);
    EXPECT_EQ(splitter.BigFile(), path);
    EXPECT_EQ(splitter.FilenameToStore, "report.doc");
    EXPECT_EQ(splitter.FragmentSize(), 1048576);
    EXPECT_EQ(splitter.FragsNeeded(), 3);
    EXPECT_FALSE(busy);
    flow.cmdSplitWizNext_Click();
    EXPECT_EQ(flow.SplitWizStage, 6);
    EXPECT_EQ(splitter.FragNamingTemplate, "%f - %n.frg");
    flow.range.mode = RangeMode::Range;
    flow.range.from.value = 0;
    flow.range.to.value = 9;
    flow.cmdSplitWizNext_Click();
    EXPECT_EQ(splits, 1);
    EXPECT_EQ(frontPages, 1);
    EXPECT_TRUE(splitter.FragUseRange);
    EXPECT_EQ(splitter.FragFirst, 1);
    EXPECT_EQ(splitter.FragLast, 3);
    EXPECT_EQ(flow.SplitWizStage, 1);
    EXPECT_TRUE(flow.nav.shown[static_cast<int>(SplitFrame::Intro)]);
}

}  // namespace
}  // namespace kb
