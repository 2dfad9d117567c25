// The multi-file stage's folder-size scans: what they count, the progress window they show and
// its Cancel, and the main window they always give back.
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "app/core/testing/scripted_dialogs.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/ui/dialogs/frm_prework.h"
#include "app/ui/shell/frm_main.h"
#include "app/ui/splitter/split_stage_source_multi.h"
#include "app/ui/splitter/split_wizard.h"
#include "app/ui/tests/ui_fixture.h"

namespace kb {
namespace {

namespace fs = std::filesystem;

frmPrework* Prework() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* p = qobject_cast<frmPrework*>(w); p != nullptr && p->isVisible()) return p;
    return nullptr;
}

class FolderScanTest : public testing::UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        window = std::make_unique<frmMain>(&host);
        window->SelectTab("Splitter");
        window->show();
        stage = window->SplitterWizard().fSplitStageSelectSourceMulti_;
        QTest::mouseClick(window->findChild<QWidget*>("optSplitMultiFile"), Qt::LeftButton, {},
                          QPoint(8, 8));
        QTest::mouseClick(window->findChild<QWidget*>("cmdSplitWizNext"), Qt::LeftButton);
        ASSERT_TRUE(stage->isVisible());
    }
    void TearDown() override {
        window.reset();
        UiTest::TearDown();
    }
    void Click(QWidget* w) {
        ASSERT_TRUE(w->isVisible() && w->isEnabled()) << w->objectName().toStdString();
        QTest::mouseClick(w, Qt::LeftButton);
    }
    // A folder of `count` files of `bytes` each, one of them without a dot in its name.
    std::string MakeFolder(const std::string& name, int count, uintmax_t bytes) {
        const std::string folder = files.File(name);
        fs::create_directories(folder + "/inner");
        for (int i = 0; i < count; ++i) {
            const std::string path =
                folder + (i % 2 ? "/inner/" : "/") + (i == 0 ? "README" : "f" + std::to_string(i) + ".dat");
            { std::ofstream(path, std::ios::binary); }
            fs::resize_file(path, bytes);
        }
        return folder;
    }
    std::string Summary() const { return stage->lblToSplitSummary_->text().toStdString(); }
    std::string Details() const { return stage->lblToSplitItemDetails_->text().toStdString(); }

    testing::ScriptedPrompter prompter;
    testing::ScriptedDialogs dialogs;
    testing::TempFolder files;
    std::unique_ptr<frmMain> window;
    SplitStageSourceMulti* stage = nullptr;
};

TEST_F(FolderScanTest, TheHighlightedFolderCountsEveryRealFileAndGivesTheWindowBack) {
    const std::string folder = MakeFolder("tree", 130, 1024);
    // Neither a link back up the tree nor a FIFO is counted.
    fs::create_directory_symlink("..", folder + "/up");
    ASSERT_EQ(::mkfifo((folder + "/pipe").c_str(), 0600), 0);
    stage->AddFolderFromCommandLine(folder);

    std::vector<std::string> captions;
    bool sawDisabledWindow = false;
    prompter.OnDoEvents([&] {
        frmPrework* w = Prework();
        if (w == nullptr) return;
        sawDisabledWindow = !window->isEnabled() && window->cursor().shape() == Qt::WaitCursor;
        if (captions.empty() || captions.back() != w->lblSubCapt_->text().toStdString())
            captions.push_back(w->lblSubCapt_->text().toStdString());
        // The main window does not close under a running scan.
        EXPECT_FALSE(window->close());
    });
    Click(stage->cmdfSplitPanelFileItemDetailsCalcFolderSize_);
    EXPECT_TRUE(sawDisabledWindow);
    EXPECT_EQ(captions, (std::vector<std::string>{"Counting files....", "Found 60 kb", "Found 120 kb"}));
    EXPECT_EQ(Details(), folder + "\nFile folder\nContains 130 files totalling 130 kb");
    EXPECT_FALSE(stage->cmdfSplitPanelFileItemDetailsCalcFolderSize_->isVisible());
    EXPECT_TRUE(stage->FolderSizesStale()) << "one folder's size leaves the summary as it was";
    EXPECT_EQ(Prework(), nullptr);
    EXPECT_TRUE(window->isEnabled());
    EXPECT_NE(window->cursor().shape(), Qt::WaitCursor);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(FolderScanTest, ACancelledScanKeepsTheFinishedFoldersAndTheNextRunSkipsThem) {
    const std::string single = files.Write("notes.txt", std::string(2048, 'n'));
    stage->AddFileFromCommandLine(single);
    std::vector<std::string> folders;
    for (int i = 0; i < 5; ++i) folders.push_back(MakeFolder("f" + std::to_string(i), 4, 10240));
    for (const auto& f : folders) stage->AddFolderFromCommandLine(f);

    // Cancel as soon as the third folder may be cancelled.
    prompter.OnDoEvents([&] {
        frmPrework* w = Prework();
        if (w != nullptr && stage->Selection().FolderSizes.Count() == 2 && w->cmdCancel_->isEnabled() &&
            w->height() > w->cmdCancel_->geometry().bottom())
            QTest::mouseClick(w->cmdCancel_, Qt::LeftButton);
    });
    Click(stage->cmdfSplitPanelFileListSummaryCalcFolderSizes_);
    EXPECT_EQ(stage->Selection().FolderSizes.Keys(),
              (std::vector<std::string>{folders[0] + "/", folders[1] + "/"}));
    EXPECT_TRUE(stage->FolderSizesStale());
    EXPECT_EQ(Summary(), "1 individual file(s) totalling 2048 bytes\nand 5 folder(s) selected.");
    EXPECT_EQ(Prework(), nullptr);
    EXPECT_TRUE(window->isEnabled());

    // The finished folders are not read again: emptying one on disk changes nothing.
    fs::remove_all(folders[0]);
    prompter.OnDoEvents(nullptr);
    Click(stage->cmdfSplitPanelFileListSummaryCalcFolderSizes_);
    EXPECT_FALSE(stage->FolderSizesStale());
    EXPECT_EQ(Summary(), "1 individual file(s) totalling 2048 bytes\n20 file(s) in 5 folder(s), "
                         "totalling 200 kb\n\nTotal size of selection: 202 kb");
    EXPECT_FALSE(stage->cmdfSplitPanelFileListSummaryCalcFolderSizes_->isVisible());
    // The highlighted row (the last folder) shows what the scan found for it.
    EXPECT_EQ(Details(), folders[4] + "\nFile folder\nContains 4 files totalling 40 kb");

    // Removing a measured folder takes its size with it.
    stage->SplitList_->setCurrentItem(stage->SplitList_->topLevelItem(1));
    Click(stage->cmdSplitListRemove_);
    EXPECT_FALSE(stage->Selection().FolderSizes.Has(folders[0] + "/"));
    EXPECT_TRUE(stage->FolderSizesStale());
    EXPECT_EQ(Summary(), "1 individual file(s) totalling 2048 bytes\nand 4 folder(s) selected.");
}

TEST_F(FolderScanTest, ClosingTheProgressWindowCancelsAndUnreadableFilesAreReported) {
    const std::string folder = MakeFolder("locked", 3, 100);
    const bool root = ::geteuid() == 0;
    if (!root) ::chmod((folder + "/f2.dat").c_str(), 0);
    stage->AddFolderFromCommandLine(folder);
    if (!root) prompter.Answer(Answer::OK);
    prompter.OnDoEvents([&] {
        if (frmPrework* w = Prework(); w != nullptr && w->PB_->value() > 0) w->close();
    });
    Click(stage->cmdfSplitPanelFileListSummaryCalcFolderSizes_);
    if (!root) {
        ASSERT_EQ(prompter.boxes.size(), 1u);
        EXPECT_EQ(prompter.boxes[0].title, "Problem opening certain files");
        EXPECT_EQ(prompter.boxes[0].text,
                  "1 files within the folder '" + folder +
                      "' could not be added - they may be in use by another process or you might "
                      "not have permission to access them. Folders containing these files are not "
                      "currently supported and if you continue you will probably encounter "
                      "problems later.");
        EXPECT_EQ(prompter.boxes[0].Icon(), mb::Exclamation);
    }
    EXPECT_FALSE(stage->Selection().FolderSizes.Has(folder + "/"));
    EXPECT_TRUE(stage->FolderSizesStale());
    EXPECT_EQ(Prework(), nullptr);
    EXPECT_TRUE(window->isEnabled());
}

}  // namespace
}  // namespace kb
