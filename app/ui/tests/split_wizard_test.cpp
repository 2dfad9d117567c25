// The splitter wizard as a user meets it: clicks on its named controls, typed sizes, the
// scripted boxes and dialogs, and what reaches the window's splitter.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/core/active_splitter.h"
#include "app/core/testing/fake_disks.h"
#include "app/core/testing/scripted_dialogs.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/ui/common/folder_list.h"
#include "app/ui/common/help.h"
#include "app/ui/options/opt_gen_frame.h"
#include "app/ui/options/options_page.h"
#include "app/ui/shell/frm_main.h"
#include "app/ui/splitter/size_units.h"
#include "app/ui/splitter/split_wizard.h"
#include "app/ui/tests/splitter_window_fixture.h"

namespace kb {
namespace {

using testing::ScriptedDialogs;
using testing::ScriptedPrompter;

class SplitWizardTest : public testing::SplitterWindowTest {
protected:
    void ClickItem(QListWidget* list, const QString& text) {
        const auto found = list->findItems(text, Qt::MatchEndsWith);
        ASSERT_EQ(found.size(), 1) << text.toStdString();
        const QRect r = list->visualItemRect(found[0]);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    }
    // The one stage frame shown.
    std::string Shown() {
        std::string shown;
        for (const char* name : {"fSplitStageIntro", "fSplitStageSelectSourceSingle",
                                 "fSplitStageSelectSourceMulti", "fSplitStageCmpEnc",
                                 "fSplitStageSelDest", "fSplitStageFragSize", "fSplitStageFragRange"})
            if (!Child(name)->isHidden()) shown += std::string(shown.empty() ? "" : "+") + name;
        return shown;
    }
    std::string MakeFile(const std::string& name, uintmax_t bytes) {
        const std::string path = source.File(name);
        { std::ofstream(path, std::ios::binary); }
        std::filesystem::resize_file(path, bytes);
        return path;
    }
    // From stage 1 to stage 5 with the file of that name.
    void WalkToSizes(const QString& file) {
        Click("cmdSplitWizNext");
        ClickItem(Child<QListWidget>("SingleSplitFile"), file);
        Click("cmdSplitWizNext");
        Click("cmdSplitWizNext");
        Click("cmdSplitWizNext");
        ASSERT_EQ(Shown(), "fSplitStageFragSize");
    }
};

TEST_F(SplitWizardTest, OneFileWalksEveryStageForthAndBackAndReachesTheSplitter) {
    const std::string path = MakeFile("report.doc", 3'000'000);
    MakeFile("notes", 10);
    Open();
    EXPECT_EQ(Shown(), "fSplitStageIntro");
    EXPECT_FALSE(Child("cmdSplitWizBack")->isEnabled());
    Click("cmdSplitWizNext");
    EXPECT_EQ(Shown(), "fSplitStageSelectSourceSingle");
    EXPECT_FALSE(Child("cmdSplitWizNext")->isEnabled());
    auto* files = Child<QListWidget>("SingleSplitFile");
    EXPECT_EQ(files->count(), 2);  // a name without a dot is a file too
    ClickItem(files, "report.doc");
    EXPECT_EQ(Child<QLabel>("lblSingleSplitSelectedFileInfo")->text().toStdString(),
              path + "\n\n2929 kb");
    Click("cmdSplitWizNext");
    EXPECT_EQ(Shown(), "fSplitStageCmpEnc");
    Click("cmdSplitWizNext");
    EXPECT_EQ(Shown(), "fSplitStageSelDest");
    EXPECT_TRUE(Child<QRadioButton>("optSplitToFolder")->isChecked());
    EXPECT_FALSE(Child("optSplitToDisks")->isEnabled());
    EXPECT_TRUE(Child<QLabel>("lblSplitDestDriveInfo")->text().startsWith("Fixed disk\n\n"));
    Click("cmdSplitWizNext");
    EXPECT_EQ(Shown(), "fSplitStageFragSize");
    ActiveSplitter& s = window->Splitter();
    EXPECT_EQ(s.BigFile(), path);
    EXPECT_EQ(s.DestinationFolder(), dest.Path() + "/");
    EXPECT_EQ(Child<QComboBox>("cmbPreset")->currentText(), "1 Mb");
    EXPECT_EQ(Child<QLineEdit>("txtCustomSize")->text(), "1024");
    EXPECT_EQ(Child<QComboBox>("cmbCustSizeUnits")->currentText(), "KB");
    EXPECT_EQ(Child<QLineEdit>("txtCustomNumPieces")->text(), "3");
    EXPECT_EQ(Child<QLineEdit>("txtFragNamingTemplateExample")->text(), "report - 5.frg");
    EXPECT_EQ(Child<QComboBox>("cmbFirstFragSizeUnits")->currentText(), "KB smaller");

    Click("optCustomSize");
    Type("txtCustomSize", "12.5");
    EXPECT_EQ(s.FragmentSize(), 12800);
    EXPECT_EQ(Child<QLineEdit>("txtCustomSize")->text(), "12.5");
    EXPECT_EQ(Child<QLineEdit>("txtCustomNumPieces")->text(), "235");
    Click("chkFirstOverride");
    Type("txtFirstFragSize", "2");
    Type("txtFragNamingTemplate", "%f.%N");
    EXPECT_TRUE(s.DifferentSizeAtStart());
    EXPECT_EQ(s.FragmentSizeAtStart(), 12800 - 2048);
    Click("cmdSplitWizNext");
    EXPECT_EQ(Shown(), "fSplitStageFragRange");
    EXPECT_EQ(s.FragNamingTemplate, "%f.%N");
    const int32_t pieces = s.FragsNeeded();
    EXPECT_EQ(Child<QLabel>("lblFragRangeIntro")->text().toStdString(),
              "The selected file(s) will be split into " + std::to_string(pieces) +
                  " pieces. Which ones do you wish to create?");

    const char* back[] = {"fSplitStageFragSize", "fSplitStageSelDest", "fSplitStageCmpEnc",
                          "fSplitStageSelectSourceSingle", "fSplitStageIntro"};
    for (const char* frame : back) {
        Click("cmdSplitWizBack");
        EXPECT_EQ(Shown(), frame);
    }
    // The choices are kept on the way forward again.
    for (int i = 0; i < 5; ++i) Click("cmdSplitWizNext");
    EXPECT_EQ(Shown(), "fSplitStageFragRange");
    Click("optMakeRangeFragments");
    Type("txtFragRangeFrom", "2");
    Type("txtFragRangeTo", "999999");
    EXPECT_EQ(Child<QLineEdit>("txtFragRangeTo")->text().toStdString(), std::to_string(pieces));
    Click("cmdSplitWizNext");
    EXPECT_TRUE(s.FragUseRange);
    EXPECT_EQ(s.FragFirst, 2);
    EXPECT_EQ(s.FragLast, pieces);
    EXPECT_EQ(window->SelectedTabKey(), "Frontpage");
    EXPECT_EQ(window->SplitterWizard().Flow().SplitWizStage, 1);
    EXPECT_EQ(Shown(), "fSplitStageIntro");
}

TEST_F(SplitWizardTest, TheUnitListReExpressesTheSize) {
    MakeFile("a.bin", 1'000'000);
    Open();
    WalkToSizes("a.bin");
    Click("optCustomSize");
    Type("txtCustomSize", "128");
    auto* units = Child<QComboBox>("cmbCustSizeUnits");
    const int kbits = ListIndex(SizeUnit::Kbits);
    units->setCurrentIndex(kbits);
    emit units->activated(kbits);
    EXPECT_EQ(units->currentText(), "kbits");
    EXPECT_EQ(Child<QLineEdit>("txtCustomSize")->text(), "1024");
    EXPECT_EQ(window->Splitter().FragmentSize(), 131072);
}

TEST_F(SplitWizardTest, ARefusedSizeKeepsItsBoxAndTooManyPiecesNeverEndTheProgram) {
    MakeFile("huge.bin", 4ULL << 30);
    Open();
    WalkToSizes("huge.bin");
    Click("optCustomSize");
    prompter.Answer(Answer::OK);
    Type("txtCustomSize", "0");
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, "The minimum size supported is 10 kb");
    // Next pressed on a refused size stays, with the focus on the size.
    auto* size = Child<QLineEdit>("txtCustomSize");
    size->setFocus();
    size->selectAll();
    QTest::keyClicks(size, "x");
    prompter.Answer(Answer::OK);
    Click("cmdSplitWizNext");
    EXPECT_EQ(prompter.boxes.back().text, "Please enter a numeric value");
    EXPECT_EQ(Shown(), "fSplitStageFragSize");
    prompter.Answer(Answer::OK);
    Type("txtCustomSize", "100");
    ASSERT_EQ(prompter.boxes.size(), 3u);
    EXPECT_EQ(prompter.boxes[2].title, "Fatal error");
    EXPECT_FALSE(prompter.ended);
    EXPECT_EQ(Shown(), "fSplitStageFragSize");
    EXPECT_FALSE(window->SplitBusy);
    EXPECT_NE(window->cursor().shape(), Qt::WaitCursor);
    for (const char* b : {"cmdSplitWizNext", "cmdSplitWizBack", "cmdSplitWizReset"})
        EXPECT_TRUE(Child(b)->isEnabled()) << b;
    // A size that fits brings the wizard on.
    Type("txtCustomSize", "100000");
    Click("cmdSplitWizNext");
    EXPECT_EQ(Shown(), "fSplitStageFragRange");
}

TEST_F(SplitWizardTest, WithoutDefaultFoldersTheListsStartAtHome) {
    testing::ScopedEnv home("HOME", source.Path());
    window = std::make_unique<frmMain>(&host);
    EXPECT_EQ(Child<FolderList>("SingleSplitFolder")->Path(), source.Path());
    EXPECT_EQ(Child<FolderList>("dirFragDest")->Path(), source.Path());
    EXPECT_GT(Child<FolderList>("SingleSplitFolder")->count(), 1);
}

TEST_F(SplitWizardTest, TheOpenDialogAndResetDefaults) {
    const std::string path = MakeFile("movie.mkv", 70'000);
    Open();
    Click("cmdSplitWizNext");
    dialogs.ChooseFile(path);
    Click("cmdSingleSplitComDlg");
    EXPECT_EQ(Child<QListWidget>("SingleSplitFile")->currentItem()->text(), "movie.mkv");
    EXPECT_TRUE(Child("cmdSplitWizNext")->isEnabled());
    EXPECT_EQ(dialogs.openRequests.at(0).fileName, source.Path() + "/*.*");
    Click("cmdSplitWizReset");
    EXPECT_EQ(Shown(), "fSplitStageIntro");
    EXPECT_TRUE(Child<QRadioButton>("optSplitSingleFile")->isChecked());
    EXPECT_TRUE(Child<QRadioButton>("optPresetSize")->isChecked());
    EXPECT_EQ(Child<QComboBox>("cmbPreset")->currentIndex(), 2);
    EXPECT_EQ(Child<QLineEdit>("txtFragNamingTemplate")->text(), "%f - %n.frg");
    EXPECT_TRUE(Child<QRadioButton>("optMakeAllFrags")->isChecked());
    EXPECT_TRUE(Child<QRadioButton>("optExtraFilesNothing")->isChecked());
    EXPECT_FALSE(Child("cmdSplitWizBack")->isEnabled());
    EXPECT_TRUE(Child("cmdSplitWizNext")->isEnabled());
    std::filesystem::create_directories(home.File("Help"));
    std::ofstream(home.File("Help/13.html")) << "<p>The splitter's help</p>";
    Click("cmdSplitWizHelp");
    ASSERT_NE(HelpWindow(), nullptr);
    EXPECT_TRUE(HelpWindow()->toPlainText().contains("The splitter's help"));
    delete HelpWindow();
    Click("optSplitMultiFile");
    EXPECT_TRUE(window->SplitterWizard().Flow().SplitWizInUse);
    Click("cmdSplitWizNext");
    EXPECT_EQ(Shown(), "fSplitStageSelectSourceMulti");
    EXPECT_FALSE(Child("cmdSplitWizNext")->isEnabled());
}

}  // namespace
}  // namespace kb
