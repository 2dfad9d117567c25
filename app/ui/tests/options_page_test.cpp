// The configuration page as a user meets it: the general options with their buttons, slider
// and stored values across a restart, and the plug-in manager's list and buttons driving real
// test plug-ins.
#define KB_TEST_PLUGIN_DIR KB_UI_TEST_PLUGIN_DIR
#include "app/pluginhost/tests/plugin_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabBar>
#include <QTest>
#include <QTreeWidget>

#include <filesystem>
#include <memory>

#include "app/core/active_splitter.h"
#include "app/core/reg_access.h"
#include "app/core/testing/scripted_dialogs.h"
#include "app/core/testing/temp_folder.h"
#include "app/pluginhost/plugin_sys.h"
#include "app/pluginhost/plugin_tables.h"
#include "app/ui/assembler/uc_assembler.h"
#include "app/ui/common/icons.h"
#include "app/ui/common/plugin_host_callback.h"
#include "app/ui/options/opt_gen_frame.h"
#include "app/ui/options/options_page.h"
#include "app/ui/options/plugin_man_frame.h"
#include "app/ui/shell/frm_main.h"
#include "app/ui/tests/ui_fixture.h"

namespace kb {
namespace {

using testing::ScriptedDialogs;
using testing::ScriptedPrompter;

std::string Stored(const char* value) {
    return RegReadString(HKEY_CURRENT_USER, "Software\\Tarnwolde\\Kestrelbinder", value);
}

class OptionsPageTest : public testing::UiTest {
protected:
    void TearDown() override {
        window.reset();
        UiTest::TearDown();
    }
    OptGenFrame& Open() {
        window = std::make_unique<frmMain>(&host);
        window->show();
        window->SelectTab("Options");
        return *window->Options().fOptGen_;
    }
    // Which of Reset to defaults, Save and Revert are enabled.
    static std::string Buttons(const OptGenFrame& f) {
        std::string s;
        for (const QPushButton* b : {f.cmdOptGenReset_, f.cmdOptGenOK_, f.cmdOptGenCancel_})
            s += b->isEnabled() ? 'x' : '-';
        return s;
    }
    int32_t SplitterSegment() { return window->Splitter().SegmentSize; }
    int32_t AssemblerSegment() { return window->fAssPanel()->SegmentSize(); }

    testing::TempFolder folders;
    std::unique_ptr<frmMain> window;
};

TEST_F(OptionsPageTest, FirstRunShowsTheDefaultsAndTheSliderSetsBothSegmentSizes) {
    OptGenFrame& f = Open();
    EXPECT_EQ(f.txtOptGenDirSource_->text(), "");
    EXPECT_EQ(f.txtOptGenDirDest_->text(), "");
    EXPECT_EQ(f.sldOptGenSegSize_->value(), 8);
    EXPECT_EQ(f.lblOptGenSegSizeAmount_->text(), "256 kb");
    EXPECT_EQ(Buttons(f), "---");
    EXPECT_EQ(SplitterSegment(), 262144);
    EXPECT_EQ(AssemblerSegment(), 262144);

    ASSERT_TRUE(f.sldOptGenSegSize_->isEnabled());
    ASSERT_TRUE(f.sldOptGenSegSize_->isVisible());
    QTest::keyClick(f.sldOptGenSegSize_, Qt::Key_End);
    EXPECT_EQ(f.sldOptGenSegSize_->value(), 11);
    EXPECT_EQ(f.lblOptGenSegSizeAmount_->text(), "2048 kb");
    EXPECT_EQ(SplitterSegment(), 2097152);
    EXPECT_EQ(AssemblerSegment(), 2097152);
    EXPECT_EQ(Buttons(f), "xxx");
    EXPECT_EQ(Stored("SegmentSize"), "");  // only Save writes

    // Dragging shows the size in the slider's tip.
    f.sldOptGenSegSize_->setSliderDown(true);
    f.sldOptGenSegSize_->setSliderPosition(5);
    f.sldOptGenSegSize_->setSliderDown(false);
    EXPECT_EQ(f.sldOptGenSegSize_->toolTip(), "32 kb");
    EXPECT_EQ(SplitterSegment(), 32768);

    // While a split runs the new size waits until it has ended.
    window->SplitBusy = true;
    QTest::keyClick(f.sldOptGenSegSize_, Qt::Key_Home);
    EXPECT_EQ(f.lblOptGenSegSizeAmount_->text(), "16 kb");
    EXPECT_EQ(SplitterSegment(), 32768);
    EXPECT_EQ(AssemblerSegment(), 32768);
    window->SplitBusy = false;
    window->fAssPanel()->onBusy(false);
    EXPECT_EQ(SplitterSegment(), 16384);
    EXPECT_EQ(AssemblerSegment(), 16384);

    ScriptedPrompter p;
    p.Answer(Answer::OK);
    QTest::mouseClick(f.cmdOptGenSegSizeDescription_, Qt::LeftButton);
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].title, "Segment buffer size help");
}

TEST_F(OptionsPageTest, BrowseClearSaveRestartResetAndRevert) {
    {
        OptGenFrame& f = Open();
        ScriptedDialogs dialogs;
        ScriptedPrompter p;
        dialogs.ChooseFolder(folders.Path() + "/").ChooseFolder("/").Cancel();
        QTest::mouseClick(f.cmdOptGenDirSourceSet_, Qt::LeftButton);
        QTest::mouseClick(f.cmdOptGenDirDestSet_, Qt::LeftButton);
        EXPECT_EQ(f.txtOptGenDirSource_->text().toStdString(), folders.Path());
        EXPECT_EQ(f.txtOptGenDirDest_->text(), "/");  // the root keeps its "/"
        EXPECT_EQ(dialogs.folderRequests[1].title, "Select the folder to make the default destination...");
        QTest::mouseClick(f.cmdOptGenOK_, Qt::LeftButton);
        EXPECT_EQ(Buttons(f), "x--");
        // A cancelled Browse changes nothing but still enables the buttons.
        QTest::mouseClick(f.cmdOptGenDirSourceSet_, Qt::LeftButton);
        EXPECT_EQ(f.txtOptGenDirSource_->text().toStdString(), folders.Path());
        EXPECT_EQ(Buttons(f), "xxx");

        p.Answer(Answer::OK);
        QTest::mouseClick(f.cmdOptGenDirSourceClear_, Qt::LeftButton);
        ASSERT_EQ(p.boxes.size(), 1u);
        EXPECT_EQ(p.boxes[0].title, "Clear default source directory");
        EXPECT_EQ(p.boxes[0].style, mb::Exclamation | mb::OKCancel);
        EXPECT_EQ(f.txtOptGenDirSource_->text(), "");
        EXPECT_EQ(f.txtOptGenDirDest_->text(), "/");
        QTest::keyClick(f.sldOptGenSegSize_, Qt::Key_End);
        QTest::mouseClick(f.cmdOptGenOK_, Qt::LeftButton);
        EXPECT_EQ(Stored("SegmentSize"), "11");
        EXPECT_EQ(Stored("DefaultSource"), " ");
        EXPECT_EQ(Stored("DefaultDest"), "/");
    }
    SCOPED_TRACE("after a restart");
    OptGenFrame& f = Open();
    EXPECT_EQ(f.txtOptGenDirSource_->text(), " ");
    EXPECT_EQ(f.txtOptGenDirDest_->text(), "/");
    EXPECT_EQ(f.sldOptGenSegSize_->value(), 11);
    EXPECT_EQ(SplitterSegment(), 2097152);
    EXPECT_EQ(AssemblerSegment(), 2097152);
    EXPECT_EQ(Buttons(f), "x--");

    ScriptedPrompter p;
    p.Answer(Answer::OK);
    QTest::mouseClick(f.cmdOptGenReset_, Qt::LeftButton);
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].title, "Settings reset");
    EXPECT_EQ(f.txtOptGenDirDest_->text(), "");
    EXPECT_EQ(SplitterSegment(), 262144);
    EXPECT_EQ(Buttons(f), "-xx");
    QTest::mouseClick(f.cmdOptGenCancel_, Qt::LeftButton);  // Revert: no further box
    EXPECT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(f.txtOptGenDirDest_->text(), "/");
    EXPECT_EQ(f.sldOptGenSegSize_->value(), 11);
    EXPECT_EQ(AssemblerSegment(), 2097152);
    EXPECT_EQ(Buttons(f), "x--");
}

// Each plug-in type has a picture of its own in the list; types that share an image key share
// the picture, and none is the plain plug-in picture of a row still being added.
TEST_F(OptionsPageTest, EachPluginTypeShowsItsOwnPicture) {
    const int32_t types[] = {0, 1, 2, 3, 4, 5, 6, 7, -1};
    std::vector<std::string> keys;
    for (int32_t type : types) {
        keys.push_back(PluginTypeIconKey(type));
        host.PluginList.Add(static_cast<int>(keys.size()),
                       PluginRow{"Plug-in", keys.back(), "/opt/lib" + keys.back() + ".so",
                                 PluginTypeText(type), "Yes", "CompatExcellent", 0, true});
    }
    Open();
    QTreeWidget* list = window->Options().fPluginMan_->PluginList_;
    ASSERT_EQ(list->topLevelItemCount(), static_cast<int>(keys.size()));
    auto image = [list](int row) { return list->topLevelItem(row)->icon(0).pixmap(16, 16).toImage(); };
    const QImage plain = icons::Icon(icons::Kind::Plugin).pixmap(16, 16).toImage();
    for (size_t i = 0; i < keys.size(); ++i) {
        EXPECT_FALSE(image(static_cast<int>(i)).isNull()) << keys[i];
        EXPECT_NE(image(static_cast<int>(i)), plain) << keys[i];
        for (size_t j = i + 1; j < keys.size(); ++j)
            EXPECT_EQ(image(static_cast<int>(i)) == image(static_cast<int>(j)), keys[i] == keys[j])
                << keys[i] << " and " << keys[j];
    }
}

class PluginManagerPageTest : public testing::PluginHostTest {
protected:
    void SetUp() override {
        PluginHostTest::SetUp();
        std::filesystem::create_directories(home.File("Plugins"));
        home_ = std::make_unique<testing::ScopedEnv>("KESTRELBINDER_HOME", home.Path());
        registry_ = std::make_unique<testing::ScopedEnv>("KESTRELBINDER_REGISTRY", registry.Path());
    }
    void TearDown() override {
        window.reset();
        PluginHostTest::TearDown();
    }
    void Name(TestPluginScript& s, const char* name) {
        s.name = name;
        s.nameLen = static_cast<uint32_t>(std::strlen(name));
    }
    void Add(int i) {
        dialogs.ChooseFile(testing::TestPlugin("scripted" + std::to_string(i)));
        QTest::mouseClick(page->cmdAddPlugin_, Qt::LeftButton);
    }
    QTreeWidgetItem* Item(int row) { return page->PluginList_->topLevelItem(row - 1); }
    void Highlight(int row) {
        QTreeWidget* list = page->PluginList_;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(Item(row)).center());
        ASSERT_EQ(page->SelectedRow(), row);
    }
    int Sent(int plugin, int cmd) const {
        int n = 0;
        for (const auto& [p, c] : PluginHostTest::Sent()) n += p == plugin && c == cmd;
        return n;
    }

    testing::TempFolder home;
    testing::TempFolder registry;
    ScriptedDialogs dialogs;
    std::unique_ptr<frmMain> window;
    PluginManFrame* page = nullptr;

private:
    std::unique_ptr<testing::ScopedEnv> home_;
    std::unique_ptr<testing::ScopedEnv> registry_;
};

TEST_F(PluginManagerPageTest, AddTickUntickConfigureAndRemoveThroughTheWidgets) {
    TestPluginScript& padlock = Script(0);
    Name(padlock, "Padlock");
    padlock.type = PLUGIN_TYPE_ENCRYPTOR;
    padlock.writeType = 1;
    TestPluginScript& watcher = Script(1);
    Name(watcher, "Watcher");
    watcher.mask = PLUGIN_RES_WINDOW_MESSAGES;
    watcher.writeMask = 1;
    watcher.configurable = 1;
    TestPluginScript& old = Script(2);
    Name(old, "Old");
    old.compat = PLUGIN_COMPAT_BAD;
    old.writeCompat = 1;
    old.reason = "It needs version 9.";
    window = std::make_unique<frmMain>(&host);
    window->show();
    window->SelectTab("Options");
    QTabBar* tabs = window->Options().OptTabs_;
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    page = window->Options().fPluginMan_;
    ASSERT_TRUE(page->isVisible());
    EXPECT_EQ(page->lblSelectedPlugin_->text(), "Nothing selected.");
    EXPECT_FALSE(page->cmdConfigPlugin_->isEnabled());

    for (int i : {0, 1, 2}) Add(i);
    ASSERT_EQ(page->PluginList_->topLevelItemCount(), 3);
    EXPECT_EQ(Item(1)->text(1), "Encryptor");
    EXPECT_EQ(Item(1)->data(0, Qt::UserRole + 1).toString(), "Padlock");
    EXPECT_EQ(Item(3)->text(2), "No");
    std::string ticks;
    for (int row : {1, 2, 3}) ticks += Item(row)->checkState(0) == Qt::Checked ? 'x' : '-';
    EXPECT_EQ(ticks, "xx-");
    EXPECT_EQ(host.SubclassPluginIndex, 1);
    // The last row added is highlighted with its reason.
    EXPECT_EQ(page->SelectedRow(), 3);
    EXPECT_TRUE(page->lblSelectedPlugin_->text().endsWith("It needs version 9."));
    EXPECT_FALSE(page->cmdConfigPlugin_->isEnabled());

    // Ticking the incompatible plug-in is refused.
    prompter.Answer(Answer::OK);
    Item(3)->setCheckState(0, Qt::Checked);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].title, "Incompatibility detected");
    EXPECT_EQ(Item(3)->checkState(0), Qt::Unchecked);

    Highlight(2);
    ASSERT_TRUE(page->cmdConfigPlugin_->isEnabled());
    QTest::mouseClick(page->cmdConfigPlugin_, Qt::LeftButton);
    EXPECT_EQ(Sent(1, PLUGIN_CMD_CONFIGURE), 1);

    // Unticking the plug-in that receives the window's messages gives them back first.
    int32_t r = 0, s = 0;
    ASSERT_EQ(host.PluginHostCallbackAddress()(PLUGIN_CB_SUBCLASS_MAIN_WINDOW, nullptr, nullptr, &r, &s), PLUGIN_OK);
    ASSERT_NE(host.OldWindowProc, 0);
    Item(2)->setCheckState(0, Qt::Unchecked);
    EXPECT_EQ(host.OldWindowProc, 0);
    EXPECT_EQ(Sent(1, PLUGIN_EVT_DISABLED), 1);

    // Remove moves the rows below up with their slots.
    Highlight(1);
    QTest::mouseClick(page->cmdDelPlugin_, Qt::LeftButton);
    ASSERT_EQ(page->PluginList_->topLevelItemCount(), 2);
    EXPECT_EQ(Item(1)->text(0), "Watcher");
    EXPECT_EQ(host.PluginCount, 2);
    EXPECT_EQ(host.GetPluginString(0, PLUGIN_CMD_GET_NAME), "Watcher");
    EXPECT_TRUE(page->lblSelectedPlugin_->text().startsWith("Watcher"));

    // Without a highlighted row Remove and Configure do nothing.
    page->PluginList_->setCurrentItem(nullptr);
    QTest::mouseClick(page->cmdDelPlugin_, Qt::LeftButton);
    EXPECT_EQ(page->PluginList_->topLevelItemCount(), 2);
    EXPECT_FALSE(page->cmdConfigPlugin_->isEnabled());

    for (int row : {1, 1}) {
        Highlight(row);
        QTest::mouseClick(page->cmdDelPlugin_, Qt::LeftButton);
    }
    EXPECT_EQ(page->PluginList_->topLevelItemCount(), 0);
    EXPECT_EQ(page->lblSelectedPlugin_->text(), "Nothing selected.");
    EXPECT_TRUE(page->imgSelectedPlugin_->isHidden());
}

}  // namespace
}  // namespace kb
