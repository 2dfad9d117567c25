// The help window: topics by number from the program folder, and a clear page for a topic
// that is not installed.
#include <QApplication>
#include <QTextBrowser>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/core/testing/scripted_prompter.h"
#include "app/ui/common/help.h"
#include "app/ui/shell/frm_main.h"
#include "app/ui/tests/ui_fixture.h"

namespace kb {
namespace {

class HelpTest : public testing::UiTest {
protected:
    void TearDown() override {
        delete HelpWindow();
        UiTest::TearDown();
    }
};

TEST_F(HelpTest, ShowsATopicByNumberAndSaysWhenOneIsMissing) {
    std::filesystem::create_directories(home.File("Help"));
    std::ofstream(home.File("Help/13.html")) << "<html><body><p>Stage by stage</p></body></html>";
    ShowHelpTopic(13);
    ASSERT_NE(HelpWindow(), nullptr);
    EXPECT_TRUE(HelpWindow()->isVisible());
    EXPECT_TRUE(HelpWindow()->toPlainText().contains("Stage by stage"));

    ShowHelpTopic(1002);
    EXPECT_TRUE(HelpWindow()->toPlainText().contains("Help not available"));
    EXPECT_TRUE(HelpWindow()->toPlainText().contains("Help/1002.html"));
    ShowHelpContents();
    EXPECT_TRUE(HelpWindow()->toPlainText().contains("index.html"));
}

TEST_F(HelpTest, TheHelpWindowClosesWithTheMainWindowAndTheProgramEnds) {
    testing::ScriptedPrompter prompter;
    frmMain window(&host);
    window.show();
    ShowHelpTopic(13);
    ASSERT_TRUE(HelpWindow()->isVisible());
    // The program's own event loop ends once its last window has closed.
    QTimer::singleShot(0, &window, [&window] { window.close(); });
    QTimer guard;
    guard.setSingleShot(true);
    bool stillRunning = false;
    QObject::connect(&guard, &QTimer::timeout, [&stillRunning] {
        stillRunning = true;
        QApplication::quit();
    });
    guard.start(5000);
    QApplication::exec();
    EXPECT_FALSE(stillRunning) << "a window of the program kept it running";
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(HelpWindow() == nullptr || !HelpWindow()->isVisible());
}

TEST(HelpPages, EveryTopicTheProgramOpensIsShipped) {
    const std::string folder = std::string(KB_UI_BINARY_DIR) + "/bin/Help/";
    for (int topic : {1, 13, 1001, 1002, 1003, 1004, 1005, 1006, 1007, 1013, 1020, 1021, 1022,
                      1023, 1026, 1027})
        EXPECT_TRUE(std::filesystem::is_regular_file(folder + std::to_string(topic) + ".html"))
            << topic;
    EXPECT_TRUE(std::filesystem::is_regular_file(folder + "index.html"));
}

}  // namespace
}  // namespace kb
