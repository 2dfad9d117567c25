#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

#include "app/core/reg_access.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/ui/common/uc_progress_panel.h"
#include "app/ui/shell/frm_main.h"
#include "app/ui/shell/tip_of_the_day.h"
#include "app/ui/splitter/split_stage_source_multi.h"
#include "app/ui/splitter/split_wizard.h"
#include "app/ui/tests/ui_fixture.h"

namespace kb {
namespace {

using testing::ScriptedPrompter;
using testing::UiTest;

class MainWindowTest : public UiTest {
protected:
    template <class W>
    W* Child(frmMain& w, const char* name) {
        W* c = w.findChild<W*>(name);
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    // Which of the four pages are shown, in tab order.
    std::string Pages(frmMain& w) {
        std::string shown;
        for (const char* name : {"fWelcome", "fSplitPanel", "fAssPanel", "fOptPanel"})
            shown += Child<QWidget>(w, name)->isHidden() ? '-' : 'x';
        return shown;
    }
};

TEST_F(MainWindowTest, CreationFillsTheWindow) {
    frmMain w(&host);
    EXPECT_EQ(w.windowTitle(), "Tarnwolde Kestrelbinder 2003");
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(w.FormLoading);
    EXPECT_TRUE(w.SplitterWizard().fSplitStageSelectSourceMulti_->FolderSizesStale());
    EXPECT_EQ(w.SplitterWizard().Flow().SplitWizStage, 1);
    EXPECT_EQ(host.PluginSplitter, &w.Splitter());

    auto* tabs = Child<QTabBar>(w, "Tabs");
    ASSERT_EQ(tabs->count(), 4);
    const char* captions[] = {"Welcome", "SplitterWizard", "Assembler", "Configuration"};
    const char* keys[] = {"Frontpage", "Splitter", "Assembler", "Options"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(tabs->tabText(i), captions[i]);
        EXPECT_EQ(tabs->tabData(i).toString(), keys[i]);
        EXPECT_FALSE(tabs->tabIcon(i).isNull());
    }
    EXPECT_EQ(w.SelectedTabKey(), "Frontpage");
    EXPECT_EQ(Pages(w), "x---");
    EXPECT_EQ(Child<QLabel>(w, "lblVersion")->text(), "Version 4.0.0");
    EXPECT_EQ(w.HelpFile(), home.Path() + "/Kestrelbinder4.hlp");

    auto* presets = Child<QComboBox>(w, "cmbPreset");
    ASSERT_EQ(presets->count(), 5);
    EXPECT_EQ(presets->itemText(1), "1.38MB DSHD");
    EXPECT_EQ(presets->itemText(4), "100 Mb");
    EXPECT_TRUE(Child<QLabel>(w, "lblFragNamingHelp")
                    ->text()
                    .startsWith("You may use the following special symbols...\n%f = Name"));
    EXPECT_TRUE(Child<QLabel>(w, "lblCompressionInfo")->text().contains("\nIt does not work"));
    EXPECT_FALSE(Child<QWidget>(w, "fSplitStageIntro")->isHidden());
    EXPECT_TRUE(Child<QWidget>(w, "fSptProgPan")->isHidden());
    for (const char* name : {"fSplitStageSelectSourceSingle", "fSplitStageSelectSourceMulti",
                             "fSplitStageCmpEnc", "fSplitStageSelDest", "fSplitStageFragSize",
                             "fSplitStageFragRange", "fOptGen", "fPluginMan", "PluginList",
                             "lvStartupTasks", "WelcomeTabs", "OptTabs"})
        Child<QWidget>(w, name);
}

TEST_F(MainWindowTest, EachStartShowsTheFollowingTip) {
    {
        frmMain w(&host);
        EXPECT_EQ(Child<QLabel>(w, "lblTipContent")->text().toStdString(), TipOfTheDay::Tip(0));
    }
    frmMain w(&host);
    EXPECT_EQ(Child<QLabel>(w, "lblTipContent")->text().toStdString(), TipOfTheDay::Tip(1));
    // The front page's buttons step through the tips.
    QTest::mouseClick(Child<QWidget>(w, "cmdTipNext"), Qt::LeftButton);
    EXPECT_EQ(Child<QLabel>(w, "lblTipContent")->text().toStdString(), TipOfTheDay::Tip(2));
    QTest::mouseClick(Child<QWidget>(w, "cmdTipPrevious"), Qt::LeftButton);
    EXPECT_EQ(Child<QLabel>(w, "lblTipContent")->text().toStdString(), TipOfTheDay::Tip(1));
}

TEST_F(MainWindowTest, TabChangesShowTheirPageAndBroadcastOncePerRealChange) {
    const std::string path = LoadEnabledRecorder("recorder.so");
    RecorderState* rec = Record(path);
    ASSERT_NE(rec, nullptr);
    frmMain w(&host);
    auto tabChanges = [&] { return Count(rec, PLUGIN_EVT_TAB_CHANGED); };

    w.SelectTab("Splitter");
    EXPECT_EQ(Pages(w), "-x--");
    EXPECT_TRUE(Child<QWidget>(w, "fSplitPanel")->isEnabled());
    EXPECT_EQ(tabChanges(), 1);
    w.SelectTab("Splitter");  // the tab already shown
    EXPECT_EQ(Pages(w), "-x--");
    EXPECT_EQ(tabChanges(), 1);

    w.show();
    auto* tabs = Child<QTabBar>(w, "Tabs");
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    EXPECT_EQ(tabChanges(), 1);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
    EXPECT_EQ(Pages(w), "--x-");
    EXPECT_EQ(tabChanges(), 2);
    w.SelectTab("Options");
    EXPECT_EQ(Pages(w), "---x");
    EXPECT_FALSE(Child<QWidget>(w, "fWelcome")->isEnabled());
    w.SelectTab("Frontpage");
    EXPECT_EQ(Pages(w), "x---");
    EXPECT_EQ(tabChanges(), 4);
    w.hide();
}

TEST_F(MainWindowTest, ClosingAsksOnlyWhileASplitIsBusy) {
    constexpr const char* kTitle = "Unable to exit cleanly";
    struct Case {
        bool busy;
        int mode;
        bool asks;
    };
    const Case cases[] = {{true, 0, true}, {true, 2, true}, {true, 1, false},
                          {false, 0, false}, {false, 2, false}};
    frmMain w(&host);
    for (const Case& c : cases) {
        ScriptedPrompter prompter;
        if (c.asks) prompter.Answer(Answer::Cancel);
        w.SplitBusy = c.busy;
        bool cancel = false;
        w.Form_QueryUnload(cancel, c.mode);
        EXPECT_EQ(cancel, c.asks) << c.busy << c.mode;
        ASSERT_EQ(prompter.boxes.size(), c.asks ? 1u : 0u);
        if (c.asks) {
            EXPECT_EQ(prompter.boxes[0].title, kTitle);
            EXPECT_EQ(prompter.boxes[0].style, mb::OKCancel | mb::Exclamation | mb::DefaultButton2);
            EXPECT_TRUE(prompter.boxes[0].text.starts_with(
                "Kestrelbinder is currently performing a task."));
            EXPECT_TRUE(prompter.boxes[0].text.ends_with("Are you sure you want to try and exit now?"));
        }
    }
    ScriptedPrompter prompter;
    prompter.Answer(Answer::OK);
    w.SplitBusy = true;
    bool cancel = false;
    w.Form_QueryUnload(cancel, 0);
    EXPECT_FALSE(cancel);
}

TEST_F(MainWindowTest, UnloadTellsTickedPluginsRestoresTheWindowAndLogs) {
    const std::string ticked = LoadEnabledRecorder("ticked.so");
    const std::string unticked = LoadEnabledRecorder("unticked.so");
    host.PluginList.Add(1, PluginRow{"Ticked", "", ticked, "", "", "", 0, true});
    host.PluginList.Add(2, PluginRow{"Unticked", "", unticked, "", "", "", 0, false});
    DebugLogEnabled = true;
    {
        frmMain w(&host);
        w.show();
        int32_t r = 0, s = 0;
        ASSERT_EQ(host.PluginHostCallbackAddress()(PLUGIN_CB_SUBCLASS_MAIN_WINDOW, nullptr, nullptr, &r, &s),
                  PLUGIN_OK);
        Record(ticked)->windowResult = 1;
        Record(unticked)->windowResult = 1;
        w.close();
        EXPECT_EQ(host.OldWindowProc, 0);
        EXPECT_EQ(Count(Record(ticked), PLUGIN_EVT_HOST_CLOSING), 1);
        EXPECT_EQ(Count(Record(unticked), PLUGIN_EVT_HOST_CLOSING), 0);
    }
    // Released, the window has every slot unloaded.
    EXPECT_EQ(Record(ticked), nullptr);
    EXPECT_EQ(Record(unticked), nullptr);
    const std::vector<std::string> expected = {
        "Form_Initialize entered", "Form_Load entered",       "Form_Load finished",
        "Form_Initialize finsished", "Form_Unload started",
        "Disabling subclassing",      "Removing all temporary files", "Form_Unload finished", "Form_Terminate started",
        "ShutdownAllPlugins() called", "Form_Terminate finished"};
    std::vector<std::string> seen;
    for (const std::string& line : LogLines())
        if (std::find(expected.begin(), expected.end(), line) != expected.end()) seen.push_back(line);
    EXPECT_EQ(seen, expected);
}

}  // namespace
}  // namespace kb
