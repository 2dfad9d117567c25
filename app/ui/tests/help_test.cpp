// The help window: topics by number from the program folder, and a clear page for a topic
// that is not installed.
#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QTextBrowser>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <vector>

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

// The steps of the splitter's topic as they read: each <li> without its markup, in lower case.
std::vector<std::string> SplitterSteps() {
    std::ifstream in(std::string(KB_UI_BINARY_DIR) + "/bin/Help/13.html");
    const std::string page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> steps;
    const std::regex item("<li>(.*?)</li>"), tag("<[^>]*>");
    for (auto it = std::sregex_iterator(page.begin(), page.end(), item);
         it != std::sregex_iterator(); ++it)
        steps.push_back(QString::fromStdString(std::regex_replace((*it)[1].str(), tag, ""))
                            .toLower()
                            .toStdString());
    return steps;
}

// Each step of the splitter's topic names what its stage of the wizard asks, and the choice
// of piece format is named at the stage that offers it.
TEST_F(HelpTest, TheSplitterTopicNamesEachChoiceAtTheStageThatOffersIt) {
    testing::ScriptedPrompter prompter;
    frmMain window(&host);
    const std::vector<std::string> steps = SplitterSteps();
    ASSERT_EQ(steps.size(), 6u);
    struct Case {
        size_t stage;
        const char* frame;    // the stage's frame in the wizard
        const char* caption;  // a choice it offers
        const char* named;    // how its step names it
    } cases[] = {
        {3, "fSplitStageCmpEnc", "Piece format", "piece format"},
        {3, "fSplitStageCmpEnc", "Enable compression", "compression"},
        {3, "fSplitStageCmpEnc", "Password-protect", "password"},
        {4, "fSplitStageSelDest", "Save fragments across several different disks in the selected "
                                  "drive", "removable disk"},
        {5, "fSplitStageFragSize", "Piece size", "size of the pieces"},
        {5, "fSplitStageFragSize", "Piece names", "named"},
        {6, "fSplitStageFragRange", "Generate range:", "range"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        auto* frame = window.findChild<QWidget*>(c.frame);
        ASSERT_NE(frame, nullptr);
        bool offered = false;
        for (auto* group : frame->findChildren<QGroupBox*>()) offered |= group->title() == c.caption;
        for (auto* button : frame->findChildren<QAbstractButton*>())
            offered |= button->text() == c.caption;
        EXPECT_TRUE(offered);
        EXPECT_NE(steps[c.stage - 1].find(c.named), std::string::npos) << steps[c.stage - 1];
    }
    for (size_t stage = 1; stage <= steps.size(); ++stage) {
        if (stage == 3) continue;
        EXPECT_EQ(steps[stage - 1].find("format"), std::string::npos) << steps[stage - 1];
    }
}

}  // namespace
}  // namespace kb
