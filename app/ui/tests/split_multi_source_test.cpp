// The multi-file source stage as a user meets it: files and folders added through the scripted
// dialogs and the command line's hand-over, the texts that describe the selection, removing,
// and the folder-size scans with their progress window.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/core/file_list.h"
#include "app/core/testing/scripted_dialogs.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/ui/shell/frm_main.h"
#include "app/ui/splitter/split_stage_source_multi.h"
#include "app/ui/splitter/split_wizard.h"
#include "app/ui/tests/ui_fixture.h"

namespace kb {
namespace {

namespace fs = std::filesystem;
using testing::ScriptedDialogs;
using testing::ScriptedPrompter;

class SplitMultiSourceTest : public testing::UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        window = std::make_unique<frmMain>(&host);
        window->SelectTab("Splitter");
        window->show();
        stage = window->SplitterWizard().fSplitStageSelectSourceMulti_;
        Click(window->findChild<QWidget*>("optSplitMultiFile"), QPoint(8, 8));
        Click(window->findChild<QWidget*>("cmdSplitWizNext"));
    }
    void TearDown() override {
        window.reset();
        UiTest::TearDown();
    }
    static void Click(QWidget* w, QPoint at = QPoint()) {
        ASSERT_NE(w, nullptr);
        ASSERT_TRUE(w->isVisible() && w->isEnabled()) << w->objectName().toStdString();
        QTest::mouseClick(w, Qt::LeftButton, {}, at);
    }
    void AddFile(const std::string& path) {
        dialogs.ChooseFile(path);
        Click(stage->cmdSplitListAddFile_);
    }
    void AddFolder(const std::string& path) {
        dialogs.ChooseFolder(path);
        Click(stage->cmdSplitListAddFolder_);
    }
    void Highlight(int row) {
        QTreeWidget* list = stage->SplitList_;
        const QRect r = list->visualItemRect(list->topLevelItem(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    }
    std::string MakeFile(const std::string& path, uintmax_t bytes) {
        fs::create_directories(fs::path(path).parent_path());
        { std::ofstream(path, std::ios::binary); }
        fs::resize_file(path, bytes);
        return path;
    }
    std::string Summary() const { return stage->lblToSplitSummary_->text().toStdString(); }
    std::string Details() const { return stage->lblToSplitItemDetails_->text().toStdString(); }
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (int i = 0; i < stage->SplitList_->topLevelItemCount(); ++i)
            rows.push_back(stage->SplitList_->topLevelItem(i)->text(0).toStdString());
        return rows;
    }
    bool NextEnabled() const { return window->findChild<QWidget*>("cmdSplitWizNext")->isEnabled(); }

    ScriptedPrompter prompter;
    ScriptedDialogs dialogs;
    testing::TempFolder files;
    std::unique_ptr<frmMain> window;
    SplitStageSourceMulti* stage = nullptr;
};

TEST_F(SplitMultiSourceTest, AFileAndAFolderMakeTheTwoLineSummaryAndReachTheWizard) {
    const std::string report = MakeFile(files.File("docs/report.final.doc"), 20'480);
    const std::string photos = files.File("Photos.2024");
    fs::create_directories(photos);
    EXPECT_EQ(Summary(), "Nothing selected.");
    EXPECT_FALSE(NextEnabled());

    AddFile(report);
    EXPECT_EQ(dialogs.openRequests.at(0).title, "Please select a file to split...");
    EXPECT_EQ(dialogs.openRequests.at(0).filter, "All Files (*.*)|*.*");
    EXPECT_EQ(Rows(), std::vector<std::string>{"report.final.doc"});
    EXPECT_EQ(Details(), "report.final.doc\n20 kb\nLocated in: " + files.File("docs/"));
    EXPECT_EQ(stage->txtSeriesName_->text(), "report.final");
    EXPECT_TRUE(stage->imgSplitPanelFileItemDetails_->isVisible());
    EXPECT_TRUE(NextEnabled());
    EXPECT_TRUE(stage->cmdSplitListRemove_->isEnabled());

    AddFolder(photos + "/");
    EXPECT_EQ(dialogs.folderRequests.at(0).title, "Select a folder which you would like to split...");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"report.final.doc", photos}));
    EXPECT_EQ(Details(), photos + "\nFile folder");
    EXPECT_TRUE(stage->imgSplitPanelFolderItemDetails_->isVisible());
    EXPECT_FALSE(stage->imgSplitPanelFileItemDetails_->isVisible());
    EXPECT_TRUE(stage->cmdfSplitPanelFileItemDetailsCalcFolderSize_->isVisible());
    EXPECT_EQ(Summary(), "1 individual file(s) totalling 20 kb\nand 1 folder(s) selected.");
    EXPECT_TRUE(stage->cmdfSplitPanelFileListSummaryCalcFolderSizes_->isVisible());
    EXPECT_EQ(stage->txtSeriesName_->text(), "report.final") << "only the first row names the series";
    EXPECT_FALSE(stage->SplitList_->dragEnabled());
    EXPECT_FALSE(window->findChild<QListWidget*>("lvStartupTasks")->dragEnabled());

    const SplitMultiSource& source = *stage;
    EXPECT_EQ(source.SplitFiles().NewEnum(), std::vector<std::string>{report});
    EXPECT_EQ(source.SplitFolders(), std::vector<std::string>{photos});
    EXPECT_EQ(window->SplitterWizard().Flow().SplitWizStage, 2);

    // Next and Back keep the selection; Reset empties it.
    Click(window->findChild<QWidget*>("cmdSplitWizNext"));
    EXPECT_TRUE(window->findChild<QWidget*>("fSplitStageCmpEnc")->isVisible());
    Click(window->findChild<QWidget*>("cmdSplitWizBack"));
    EXPECT_TRUE(stage->isVisible());
    EXPECT_EQ(Rows().size(), 2u);
    EXPECT_TRUE(NextEnabled());
    Click(window->findChild<QWidget*>("cmdSplitWizReset"));
    EXPECT_TRUE(Rows().empty());
    EXPECT_TRUE(source.SplitFolders().empty());
    EXPECT_EQ(stage->txtSeriesName_->text(), "Unnamed Series");
    EXPECT_EQ(Summary(), "Nothing selected.");
}

TEST_F(SplitMultiSourceTest, TheSamePathTwiceIsOneRowButNamesDifferingInCaseAreTwoFiles) {
    const std::string upper = MakeFile(files.File("Report.txt"), 10);
    const std::string lower = MakeFile(files.File("report.txt"), 10);
    AddFile(upper);
    AddFile(upper);
    AddFile(lower);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"Report.txt", "report.txt"}));

    fs::create_directories(files.File("music"));
    AddFolder(files.File("music"));
    Click(stage->cmdfSplitPanelFileListSummaryCalcFolderSizes_);
    EXPECT_FALSE(stage->FolderSizesStale());
    AddFolder(files.File("music/"));
    EXPECT_EQ(Rows().size(), 3u);
    EXPECT_TRUE(stage->FolderSizesStale()) << "a folder chosen again still marks the sizes stale";

    // Nothing chosen, or a file gone meanwhile, adds nothing.
    dialogs.Cancel();
    Click(stage->cmdSplitListAddFile_);
    dialogs.Cancel();
    Click(stage->cmdSplitListAddFolder_);
    prompter.Answer(Answer::OK);
    AddFile(files.File("gone.txt"));
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text,
              "Unable to add file, it may be in use by another process or does not exist.");
    EXPECT_EQ(Rows().size(), 3u);
}

TEST_F(SplitMultiSourceTest, TheCommandLineAddsWithoutDialogsAndSkipsAListedFolder) {
    const std::string movie = MakeFile(files.File("movie.mkv"), 100);
    fs::create_directories(files.File("album"));
    stage->AddFileFromCommandLine(movie);
    stage->AddFolderFromCommandLine(files.File("album/"));
    stage->AddFolderFromCommandLine(files.File("album"));
    stage->AddFolderFromCommandLine("");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"movie.mkv", files.File("album")}));
    EXPECT_TRUE(dialogs.openRequests.empty());
    EXPECT_EQ(stage->txtSeriesName_->text(), "movie");
    // The add-file dialog starts where the last file came from.
    dialogs.Cancel();
    Click(stage->cmdSplitListAddFile_);
    EXPECT_EQ(dialogs.openRequests.at(0).fileName, movie);

    // The root of the file system keeps its "/".
    AddFolder("/");
    EXPECT_EQ(Rows().back(), "/");
    EXPECT_EQ(stage->SplitFolders().back(), "/");
}

TEST_F(SplitMultiSourceTest, SeriesNameFollowsTheFirstRowUntilTheUserTypesOne) {
    const std::string a = MakeFile(files.File("holiday.mkv"), 10);
    const std::string b = MakeFile(files.File("extra.txt"), 10);
    AddFile(a);
    EXPECT_EQ(stage->txtSeriesName_->text(), "holiday");
    Click(stage->cmdSplitListRemove_);
    EXPECT_EQ(stage->txtSeriesName_->text(), "Unnamed Series");
    EXPECT_EQ(Details(), "Nothing selected.");
    EXPECT_EQ(Summary(), "Nothing selected.");
    EXPECT_FALSE(NextEnabled());
    EXPECT_FALSE(stage->cmdSplitListRemoveAll_->isEnabled());

    stage->txtSeriesName_->setFocus();
    stage->txtSeriesName_->selectAll();
    QTest::keyClicks(stage->txtSeriesName_, "Backup");
    AddFile(b);
    AddFile(a);
    EXPECT_EQ(stage->txtSeriesName_->text(), "Backup");
    Click(stage->cmdSplitListRemoveAll_);
    EXPECT_EQ(stage->txtSeriesName_->text(), "Backup");
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(stage->SplitFiles().count(), 0);
    // Reset hands the name back to the selection.
    Click(window->findChild<QWidget*>("cmdSplitWizReset"));
    EXPECT_EQ(stage->txtSeriesName_->text(), "Unnamed Series");
}

TEST_F(SplitMultiSourceTest, SizesAreSixtyFourBit) {
    const std::string big = MakeFile(files.File("disk.img"), 12ull << 30);
    AddFile(big);
    EXPECT_EQ(Details(), "disk.img\n12 Gb\nLocated in: " + files.Path() + "/");
    EXPECT_EQ(Summary(), "1 individual file(s) totalling 12 Gb\n");
}

}  // namespace
}  // namespace kb
