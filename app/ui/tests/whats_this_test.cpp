// "What's This?" on a right click: the menu, the topic it opens, and nothing on other clicks.
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QToolButton>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/ui/common/help.h"
#include "app/ui/common/whats_this.h"
#include "app/ui/options/opt_gen_frame.h"
#include "app/ui/options/options_page.h"
#include "app/ui/shell/frm_main.h"
#include "app/ui/splitter/split_stage_cmp_enc.h"
#include "app/ui/splitter/split_stage_frag_size.h"
#include "app/ui/splitter/split_stage_intro.h"
#include "app/ui/splitter/split_stage_sel_dest.h"
#include "app/ui/splitter/split_stage_source_multi.h"
#include "app/ui/splitter/split_stage_source_single.h"
#include "app/ui/splitter/split_wizard.h"
#include "app/ui/tests/ui_fixture.h"

namespace kb {
namespace {

class WhatsThisTest : public testing::UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        std::filesystem::create_directories(home.File("Help"));
        for (int topic : {1002, 1023})
            std::ofstream(home.File("Help/" + std::to_string(topic) + ".html"))
                << "<p>Topic " << topic << "</p>";
    }
    void TearDown() override {
        SetWhatsThisMenuChooser(nullptr);
        delete HelpWindow();
        UiTest::TearDown();
    }
    std::string Shown() const {
        return HelpWindow() ? HelpWindow()->toPlainText().trimmed().toStdString() : "";
    }
};

TEST_F(WhatsThisTest, RightClickOffersTheControlsTopic) {
    QWidget page;
    auto* desktop = new QPushButton("Desktop", &page);
    auto* bare = new QRadioButton("Disable formatting", &page);
    SetWhatsThisTopic(desktop, 1002);
    SetWhatsThisTopic(bare, 1023);
    page.show();

    int menus = 0;
    QWidget* targetWhileOpen = nullptr;
    bool choose = false;
    SetWhatsThisMenuChooser([&](QMenu& menu) {
        ++menus;
        targetWhileOpen = WhatsThisTarget();
        EXPECT_EQ(menu.actions().at(0)->text(), "What's This?");
        return choose;
    });

    QTest::mouseClick(desktop, Qt::LeftButton);
    EXPECT_EQ(menus, 0) << "a left click opens no menu";

    QTest::mouseClick(desktop, Qt::RightButton);
    EXPECT_EQ(menus, 1);
    EXPECT_EQ(targetWhileOpen, desktop);
    EXPECT_EQ(WhatsThisTarget(), nullptr);
    EXPECT_EQ(HelpWindow(), nullptr) << "closing the menu shows nothing";

    choose = true;
    QTest::mouseClick(desktop, Qt::RightButton);
    EXPECT_EQ(Shown(), "Topic 1002");
    QTest::mouseClick(bare, Qt::RightButton);
    EXPECT_EQ(Shown(), "Topic 1023");
}

// A right click that reaches the window as the system delivers it: a text box asks for its own
// edit menu on the press, and the help menu is offered in its place.
TEST_F(WhatsThisTest, ATextBoxOffersHelpInPlaceOfItsEditMenu) {
    std::ofstream(home.File("Help/1013.html")) << "<p>Topic 1013</p>";
    QWidget page;
    page.resize(300, 80);
    auto* edit = new QLineEdit("%f - %n.frg", &page);
    edit->setGeometry(10, 10, 200, 24);
    SetWhatsThisTopic(edit, 1013);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    int menus = 0;
    SetWhatsThisMenuChooser([&](QMenu& menu) {
        ++menus;
        EXPECT_EQ(WhatsThisTarget(), edit);
        EXPECT_EQ(menu.actions().at(0)->text(), "What's This?");
        return true;
    });
    QTest::mouseClick(page.windowHandle(), Qt::RightButton, {}, edit->geometry().center());
    QWidget* editMenu = QApplication::activePopupWidget();
    if (editMenu != nullptr) editMenu->close();
    EXPECT_EQ(editMenu, nullptr);
    EXPECT_EQ(menus, 1);
    EXPECT_EQ(Shown(), "Topic 1013");
    EXPECT_EQ(WhatsThisTarget(), nullptr);
}

// Every control that offers right-click help has its topic, and the topic is shipped.
TEST_F(WhatsThisTest, TheWindowsControlsCarryTheirTopics) {
    frmMain w(&host);
    SplitWizard& s = w.SplitterWizard();
    const std::pair<QWidget*, int> expected[] = {
        {s.fSplitStageSelDest_->chkUseFreespaceInstead_, 1001},
        {s.fSplitStageSelDest_->cmdFragDestDesktop_, 1002},
        {s.fSplitStageSelectSourceSingle_->cmdSingleSplitDesktop_, 1002},
        {s.fSplitStageSelDest_->cmdFragDestMyDocs_, 1003},
        {s.fSplitStageSelectSourceSingle_->cmdSingleSplitMyDocs_, 1003},
        {s.fSplitStageSelDest_->cmdFragDestMkdir_, 1004},
        {s.fSplitStageSelectSourceSingle_->cmdSingleSplitComDlg_, 1005},
        {s.fSplitStageIntro_->optSplitSingleFile_, 1006},
        {s.fSplitStageIntro_->optSplitMultiFile_, 1007},
        {s.fSplitStageFragSize_->txtFragNamingTemplate_, 1013},
        {s.fSplitStageSelectSourceMulti_->cmdfSplitPanelFileListSummaryCalcFolderSizes_, 1020},
        {s.fSplitStageSelectSourceMulti_->cmdfSplitPanelFileItemDetailsCalcFolderSize_, 1021},
        {s.fSplitStageCmpEnc_->optFileFormatting_[0], 1022},
        {s.fSplitStageCmpEnc_->optFileFormatting_[1], 1023},
        {s.fSplitStageCmpEnc_->chkUseCompression_, 1026},
        {w.Options().fOptGen_->sldOptGenSegSize_, 1027},
    };
    for (const auto& [control, topic] : expected) {
        EXPECT_EQ(WhatsThisTopic(control), topic) << control->objectName().toStdString();
        EXPECT_TRUE(std::filesystem::is_regular_file(std::string(KB_UI_BINARY_DIR) + "/bin/Help/" +
                                                     std::to_string(topic) + ".html"))
            << topic;
    }
}

}  // namespace
}  // namespace kb
