// Renders the main window's pages and each top-level dialog into PNG files in the build
// folder ("screenshots/"), so that the look can be reviewed without a display, and checks on
// each that no text is cut and no two controls overlap.
#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QLabel>
#include <QTabBar>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QProgressBar>
#include <QScreen>
#include <QPushButton>
#include <QSlider>

#include <gtest/gtest.h>

#include <filesystem>

#include "app/core/active_splitter.h"
#include "app/core/testing/scripted_dialogs.h"
#include "app/ui/assembler/uc_assembler.h"
#include "app/ui/common/help.h"
#include "app/ui/common/qt_prompter.h"
#include "app/ui/common/uc_progress_panel.h"
#include "app/ui/dialogs/frm_prework.h"
#include "app/ui/options/opt_gen_frame.h"
#include "app/ui/options/options_page.h"
#include "app/ui/options/plugin_man_frame.h"
#include "app/ui/shell/frm_about.h"
#include "app/ui/shell/frm_main.h"
#include "app/ui/shell/frm_splash.h"
#include "app/ui/shell/front_page.h"
#include "app/ui/shell/startup.h"
#include "app/ui/splitter/split_stage_source_multi.h"
#include "app/ui/splitter/split_wizard.h"
#include "app/ui/tests/render_check.h"
#include "app/ui/tests/ui_fixture.h"

#include <QMessageBox>

namespace kb {
namespace {

using testing::SaveAndCheck;

using testing::UiTest;

class RenderTest : public UiTest {};

// The check every render makes: texts with too little room, and controls drawn over each other.
TEST(RenderCheck, FindsCutTextsAndOverlapsButNotAControlInItsGroup) {
    QWidget window;
    window.resize(320, 200);
    auto place = [&](QWidget* w, const char* name, QRect r) {
        w->setObjectName(name);
        w->setGeometry(r);
    };
    place(new QLabel("A caption far too long for its room", &window), "narrowLabel", {10, 10, 60, 20});
    place(new QPushButton("Next >>", &window), "narrowButton", {10, 40, 30, 25});
    place(new QCheckBox("Enable compression", &window), "narrowCheck", {10, 70, 60, 20});
    auto* wrapped = new QLabel("Several words that need more than one line here", &window);
    wrapped->setWordWrap(true);
    place(wrapped, "lowLabel", {10, 100, 80, 15});
    place(new QLabel("Fits", &window), "roomyLabel", {10, 130, 100, 20});
    place(new QLabel("Edge", &window), "edgeLabel", {280, 170, 60, 20});
    auto* group = new QGroupBox("Group", &window);
    place(group, "group", {150, 10, 160, 100});
    place(new QPushButton("OK", group), "inside", {10, 30, 100, 30});
    place(new QLineEdit(&window), "over", {200, 50, 100, 22});
    window.show();
    QCoreApplication::processEvents();
    std::string all;
    for (const std::string& f : testing::LayoutFaults(window)) all += f + "\n";
    for (const char* cut : {"narrowLabel", "narrowButton", "narrowCheck", "lowLabel"})
        EXPECT_NE(all.find(std::string("cut: ") + cut), std::string::npos) << cut << "\n" << all;
    EXPECT_NE(all.find("cut: edgeLabel \"Edge\" lies partly outside its window"), std::string::npos)
        << all;
    EXPECT_NE(all.find("overlap: group"), std::string::npos) << all;
    EXPECT_NE(all.find("overlap: inside \"OK\""), std::string::npos) << all;
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 7) << all;
    window.hide();
}

// A window must fit the room its screen gives windows, and lie on it.
TEST(RenderCheck, FindsAWindowLargerThanItsScreenOrPartlyOffIt) {
    QWidget window;
    window.setObjectName("window");
    const QRect room = window.screen()->availableGeometry();
    struct Case {
        const char* what;
        QRect geometry;
        const char* fault;  // nullptr: none
    } cases[] = {
        {"fits", {room.x() + 10, room.y() + 10, 300, 200}, nullptr},
        {"too tall", {room.x(), room.y(), 300, room.height() + 50}, "larger than its screen: window"},
        {"too wide", {room.x(), room.y(), room.width() + 1, 200}, "larger than its screen: window"},
        {"below the screen's room", {room.x(), room.bottom() - 100, 300, 200}, "off its screen: window"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        window.setGeometry(c.geometry);
        window.show();
        QCoreApplication::processEvents();
        const std::vector<std::string> faults = testing::LayoutFaults(window);
        if (c.fault == nullptr) {
            EXPECT_TRUE(faults.empty()) << faults.front();
            continue;
        }
        ASSERT_EQ(faults.size(), 1u);
        EXPECT_EQ(faults[0].substr(0, std::string(c.fault).size()), c.fault) << faults[0];
    }
}

TEST_F(RenderTest, MainWindowPages) {
    frmMain w(&host);
    host.PluginList.Add(1, PluginRow{"TEA Encryption", "Padlock", "/opt/libTea.so", "Encryptor",
                                "Excellent", "CompatExcellent", 0, true});
    for (const char* key : {"Frontpage", "Splitter", "Assembler", "Options"}) {
        w.SelectTab(key);
        SaveAndCheck(w, (std::string("main-") + key).c_str());
    }
    w.findChild<QTabBar*>("OptTabs")->setCurrentIndex(1);
    SaveAndCheck(w, "main-Options-Plugins");
    w.SelectTab("Splitter");
    w.findChild<QWidget*>("fSplitStageIntro")->hide();
    ucProgressPanel* panel = w.fSptProgPan();
    panel->SetCaption("Splitting...");
    panel->SetPB1Caption("Total progress:");
    panel->SetPB2Caption("Current piece:");
    panel->SetBottomText("Clicking cancel will allow you to save the current progress and "
                         "continue later.");
    uint32_t now = 0;
    ucProgressPanel::SetTickSource([&now] { return now; });
    panel->StartTimings();
    now = 95000;
    panel->SetPB2Percent(70);
    panel->SetPB1Percent(42);
    ucProgressPanel::SetTickSource(nullptr);
    panel->show();
    SaveAndCheck(w, "main-Splitter-progress");
    w.hide();
}

TEST_F(RenderTest, SplitterWizardStages) {
    testing::TempFolder source;
    for (const char* name : {"holiday-video.mkv", "report.doc", "README"})
        source.Write(name, std::string(70000, 'x'));
    std::filesystem::create_directories(source.File("Photos"));
    frmMain w(&host);
    w.Options().fOptGen_->txtOptGenDirSource_->setText(QString::fromStdString(source.Path()));
    w.Options().fOptGen_->txtOptGenDirDest_->setText(QString::fromStdString(source.Path()));
    w.SelectTab("Splitter");
    SplitWizard& wizard = w.SplitterWizard();
    SplitWizardFlow& flow = wizard.Flow();
    wizard.cmdSplitWizReset_Click();
    SaveAndCheck(w, "split-stage-1-intro");
    wizard.Run([&] { flow.cmdSplitWizNext_Click(); });
    wizard.Run([&] {
        flow.single.fileName = "holiday-video.mkv";
        flow.SingleSplitFile_Click();
    });
    SaveAndCheck(w, "split-stage-2-source-single");
    const char* names[] = {"split-stage-3-cmp-enc", "split-stage-4-sel-dest",
                           "split-stage-5-frag-size", "split-stage-6-frag-range"};
    for (const char* name : names) {
        wizard.Run([&] { flow.cmdSplitWizNext_Click(); });
        SaveAndCheck(w, name);
    }
    wizard.cmdSplitWizReset_Click();
    wizard.Run([&] {
        flow.intro.multiFile = true;
        flow.cmdSplitWizNext_Click();
    });
    SaveAndCheck(w, "split-stage-2-source-multi");
    w.hide();
}

TEST_F(RenderTest, MultiFileSourceAndScanWindow) {
    testing::TempFolder source;
    const std::string video = source.Write("holiday-video.mkv", std::string(70000, 'x'));
    const std::string report = source.Write("quarterly report.doc", std::string(23000, 'x'));
    const std::string deep = "Photos/2024/Summer holidays at the lake with the whole family";
    std::filesystem::create_directories(source.File(deep));
    source.Write(deep + "/beach.jpg", std::string(150000, 'x'));
    frmMain w(&host);
    w.SelectTab("Splitter");
    SplitWizard& wizard = w.SplitterWizard();
    wizard.cmdSplitWizReset_Click();
    wizard.Run([&] {
        wizard.Flow().intro.multiFile = true;
        wizard.Flow().cmdSplitWizNext_Click();
    });
    SplitStageSourceMulti& stage = *wizard.fSplitStageSelectSourceMulti_;
    stage.AddFileFromCommandLine(video);
    stage.AddFileFromCommandLine(report);
    stage.AddFolderFromCommandLine(source.File("Photos"));
    stage.AddFolderFromCommandLine(source.File(deep));
    SaveAndCheck(w, "split-stage-2-source-multi-selection");
    stage.SplitList_->setCurrentItem(stage.SplitList_->topLevelItem(1));
    SaveAndCheck(w, "split-stage-2-source-multi-file");
    frmPrework prework(&w);
    prework.lblCapt_->setText("Finding sizes....");
    prework.lblSubCapt_->setText("Found 1520 Mb - Scanning next folder...");
    prework.PB_->setValue(40);
    SaveAndCheck(prework, "prework-short");
    prework.SetShowCancel(true);
    SaveAndCheck(prework, "prework-cancel");
    prework.hide();
    w.hide();
}

TEST_F(RenderTest, FrontPageTasksOptionsAndPluginManager) {
    home.Write("Unfinished Tasks/holiday video.uft", std::string("\x01\x00task", 6));
    home.Write("Unfinished Tasks/backup of photos.uft", std::string("\x02\x00task", 6));
    host.PluginList.Add(1, PluginRow{"TEA Encryption", "Padlock", "/opt/libTea.so", "Encryptor",
                                "Excellent", "CompatExcellent", 0, true});
    host.PluginList.Add(2, PluginRow{"Script maker", "Scriptpad", "/opt/libScript.so", "Script generator",
                                "Conflict", "Conflict", 10, false});
    host.PluginList.Add(3, PluginRow{"Bundle maker", "Executable", "/opt/libExe.so", "EXE Maker",
                                "Probable", "CompatGood", 1, true});
    host.PluginList.Add(4, PluginRow{"Chimes", "Speaker", "/opt/libChimes.so", "Sound extension",
                                "Possible", "CompatMaybe", 2, false});
    host.PluginList.Add(5, PluginRow{"Mystery", "Unknown", "/opt/libMystery.so", "Unknown", "No",
                                "CompatBad", 3, false});
    frmMain w(&host);
    w.Front().WelcomeTabs_->setCurrentIndex(1);
    SaveAndCheck(w, "front-unfinished-tasks");
    w.SelectTab("Options");
    OptGenFrame* gen = w.Options().fOptGen_;
    {
        testing::ScriptedDialogs dialogs;
        dialogs.ChooseFolder("/home/user/Documents").ChooseFolder("/media/usb-stick");
        gen->cmdOptGenDirSourceSet_->click();
        gen->cmdOptGenDirDestSet_->click();
    }
    gen->sldOptGenSegSize_->triggerAction(QAbstractSlider::SliderPageStepAdd);
    SaveAndCheck(w, "options-general");
    w.Options().OptTabs_->setCurrentIndex(1);
    PluginManFrame* manager = w.Options().fPluginMan_;
    manager->PluginList_->setCurrentItem(manager->PluginList_->topLevelItem(1));
    SaveAndCheck(w, "options-plugin-manager");
    w.hide();
}

// The program started as the file manager's context menu starts it.
TEST_F(RenderTest, StartedWithACommandLine) {
    testing::TempFolder data;
    const std::string file = data.Write("holiday video.mkv", std::string(300000, 'v'));
    {
        auto w = Main(CommandLineOf({file, "-split"}), 0);
        EXPECT_EQ(w->SelectedTabKey(), "Splitter");
        EXPECT_EQ(w->SplitterWizard().Flow().SingleSourcePath(), file);
        SaveAndCheck(*w, "start-split");
        w->close();
    }
    ActiveSplitter s;
    s.SetBigFile(file);
    s.FilenameToStore = "holiday video.mkv";
    s.SetDestinationFolder(data.Path());
    s.SetFragmentSize(int64_t{100000});
    s.SegmentSize = 65536;
    ASSERT_EQ(s.Split(), 1);
    auto w = Main(CommandLineOf({data.File("holiday video.001"), "-assemble"}), 0);
    EXPECT_EQ(w->SelectedTabKey(), "Assembler");
    EXPECT_NE(w->fAssPanel()->CurrentSetInfo().find("First of 4 total pieces"), std::string::npos)
        << w->fAssPanel()->CurrentSetInfo();
    SaveAndCheck(*w, "start-assemble");
    w->close();
}

TEST_F(RenderTest, SplashTextsKeepClearOfTheSweepOfPieces) {
    frmSplash splash;
    splash.show();
    QCoreApplication::processEvents();
    const QRect pieces = splash.PiecesArea();
    ASSERT_FALSE(pieces.isEmpty());
    for (QLabel* label : splash.findChildren<QLabel*>()) {
        if (label->text().isEmpty()) continue;
        // The text as drawn, not the label's whole cell.
        const QRect text = label->fontMetrics().boundingRect(label->text());
        const QRect drawn(label->mapTo(&splash, label->contentsRect().topLeft()), text.size());
        EXPECT_FALSE(drawn.adjusted(0, 0, 0, 4).intersects(pieces))
            << label->objectName().toStdString();
        EXPECT_TRUE(splash.rect().contains(drawn)) << label->objectName().toStdString();
    }
    splash.hide();
}

TEST_F(RenderTest, Dialogs) {
    frmSplash splash;
    SaveAndCheck(splash, "splash");
    frmAbout about;
    SaveAndCheck(about, "about");
    std::unique_ptr<QMessageBox> box(QtPrompter::BuildMessageBox(
        "Kestrelbinder is currently performing a task. Are you sure you want to try and exit "
        "now?",
        mb::OKCancel | mb::Exclamation | mb::DefaultButton2, "Unable to exit cleanly"));
    SaveAndCheck(*box, "messagebox");
}

TEST_F(RenderTest, HelpWindow) {
    std::filesystem::copy(std::string(KB_UI_BINARY_DIR) + "/bin/Help", home.File("Help"));
    ShowHelpTopic(13);
    ASSERT_NE(HelpWindow(), nullptr);
    SaveAndCheck(*HelpWindow(), "help-topic");
    ShowHelpContents();
    SaveAndCheck(*HelpWindow(), "help-contents");
    delete HelpWindow();
}

}  // namespace
}  // namespace kb
