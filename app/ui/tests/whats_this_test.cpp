// "What's This?" on a right click: the menu, the topic it opens, and nothing on other clicks.
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/ui/common/whats_this.h"
#include "app/ui/help.h"
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

}  // namespace
}  // namespace kb
