// The front page as a user meets it: the two task lists, OK with its questions, and resuming
// saved splits and assembles through the window's own wizards.
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTextBrowser>

#include "app/core/active_splitter.h"
#include "app/core/kb_error.h"
#include "app/ui/common/help.h"
#include "app/ui/common/uc_progress_panel.h"
#include "app/ui/shell/frm_main.h"
#include "app/ui/shell/front_page.h"
#include "app/ui/splitter/split_wizard.h"
#include "app/ui/tests/front_page_fixture.h"

namespace kb {
namespace {

namespace fs = std::filesystem;
using testing::FrontPageTest;
using testing::RandomBytes;
using testing::ReadAll;
using testing::ScriptedDialogs;
using testing::ScriptedPrompter;

TEST_F(FrontPageTest, ListsTasksOfBothKindsBelowTheProgramFolderAndTheUsersFolder) {
    Open();
    ShowList(1);
    EXPECT_TRUE(Rows().empty());
    EXPECT_FALSE(Page().cmdWelcomeOK_->isEnabled());
    ShowList(0);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"Assemble files|Assemble",
                                                "Configure Kestrelbinder|Configure",
                                                "Split files|Split"}));
    EXPECT_TRUE(Page().cmdWelcomeOK_->isEnabled());

    const std::string split("\x01\x00rest", 6), join("\x02\x00rest", 6);
    home.Write("Unfinished Tasks/split job.uft", split);
    home.Write("deep/below/join job.uft", join);
    home.Write("Unfinished Tasks/SHOUTED.UFT", split);
    home.Write("Unfinished Tasks/other kind.uft", std::string("\x03\x00", 2));
    home.Write("Unfinished Tasks/short.uft", "\x01");
    fs::create_directories(userData.File("Kestrelbinder/Unfinished Tasks"));
    userData.Write("Kestrelbinder/Unfinished Tasks/mine.uft", join);
    ShowList(1);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"join job|AssembleDoc", "mine|AssembleDoc",
                                                "split job|SplitDoc"}));
    EXPECT_TRUE(Page().cmdWelcomeOK_->isEnabled());
    EXPECT_NE(Page().lvStartupTasks_->currentItem(), nullptr);

    // Help opens the contents in the help window.
    QTest::mouseClick(Page().cmdWelcomeHelp_, Qt::LeftButton);
    ASSERT_NE(HelpWindow(), nullptr);
    EXPECT_TRUE(HelpWindow()->toPlainText().contains("index.html"));
    delete HelpWindow();
}

TEST_F(FrontPageTest, NewTasksAskBeforeAbandoningAWizardInUse) {
    const std::string first = SplitInto(work.Write("a.bin", RandomBytes(30000, 2)), "a.bin", "set");
    Open();
    struct Case {
        const char* row;
        const char* title;
        Answer answer;
        const char* tab;
    };
    const Case cases[] = {{"Split files", "New split operation", Answer::Cancel, "Frontpage"},
                          {"Split files", "New split operation", Answer::OK, "Splitter"},
                          {"Assemble files", "New assemble operation", Answer::Cancel, "Frontpage"},
                          {"Assemble files", "New assemble operation", Answer::OK, "Assembler"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.row) + " " + AnswerName(c.answer));
        window->SelectTab("Frontpage");
        window->SplitterWizard().Flow().SplitWizInUse = true;
        ScriptedDialogs dialogs;
        dialogs.Cancel();
        QTest::mouseClick(window->fAssPanel()->cmdSelectSrcToAssemble(), Qt::LeftButton);
        ASSERT_TRUE(window->fAssPanel()->WizardUsed());
        ScriptedPrompter p;
        p.Answer(c.answer);
        ChooseAndOK(c.row);
        ASSERT_EQ(p.boxes.size(), 1u);
        EXPECT_EQ(p.boxes[0].title, c.title);
        EXPECT_EQ(p.boxes[0].style, mb::OKCancel | mb::Exclamation | mb::DefaultButton2);
        EXPECT_TRUE(p.boxes[0].text.starts_with("This will start a new"));
        EXPECT_EQ(window->SelectedTabKey(), c.tab);
    }
    EXPECT_FALSE(window->fAssPanel()->WizardUsed());

    // Untouched wizards are opened without a question.
    for (const auto& [row, tab] : {std::pair{"Split files", "Splitter"},
                                   std::pair{"Assemble files", "Assembler"},
                                   std::pair{"Configure Kestrelbinder", "Options"}}) {
        window->SplitterWizard().cmdSplitWizReset_Click();
        window->SelectTab("Frontpage");
        ScriptedPrompter p;
        ChooseAndOK(row);
        EXPECT_EQ(window->SelectedTabKey(), tab);
    }
    (void)first;
}

TEST_F(FrontPageTest, ResumedSplitRunsToTheEndWithoutTimingsAndTheTaskIsGone) {
    MakeSplitTask("split job");
    Open();
    // The resumed piece is smaller than the default segment.
    window->Splitter().SegmentSize = 4096;
    window->SplitterWizard().Flow().SplitWizInUse = true;
    ShowList(1);
    ScriptedPrompter p;
    p.Answer(Answer::OK);
    ChooseAndOK("split job");
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].title, "Resume split operation");
    EXPECT_EQ(p.boxes[0].style, mb::OKCancel | mb::Exclamation | mb::DefaultButton1);
    EXPECT_FALSE(fs::exists(Task("split job")));
    ExpectSameAsOneGo();
    ExpectUnlockedOnTheFrontPage();
    ucProgressPanel* panel = window->fSptProgPan();
    EXPECT_EQ(panel->Caption(), "Resuming split operation...");
    EXPECT_FALSE(panel->ShowTimings());
    EXPECT_FALSE(window->SplitterWizard().Flow().SplitWizInUse);
    EXPECT_TRUE(Rows().empty());
}

// The box that says a task cannot be resumed asks whether to remove it, No the default: No
// keeps the task listed (it may resume once its files are back), Yes removes its file and
// nothing else.
TEST_F(FrontPageTest, SplitTaskThatCannotBeTakenAsksWhetherToRemoveItAndNothingRuns) {
    enum class Damage { SourceGone, TaskCutShort, PieceCutShort, SourceGrown };
    struct Case {
        Damage damage;
        const char* title;
    };
    const Case cases[] = {{Damage::SourceGone, "Unable to resume split operation"},
                          {Damage::TaskCutShort, "Unable to resume - damaged task file"},
                          {Damage::PieceCutShort, "Unable to resume"},
                          {Damage::SourceGrown, "Unable to resume"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        MakeSplitTask("split job");
        const std::string piece = work.File("pieces/movie.001");
        switch (c.damage) {
        case Damage::SourceGone: fs::remove(source); break;
        case Damage::TaskCutShort: fs::resize_file(Task("split job"), 20); break;
        case Damage::PieceCutShort: fs::resize_file(piece, fs::file_size(piece) - 1); break;
        case Damage::SourceGrown: fs::resize_file(source, 2'100'000); break;
        }
        const std::vector<std::string> pieces = Listing(work.File("pieces"));
        Open();
        ShowList(1);
        for (Answer answer : {Answer::No, Answer::Yes}) {
            ScriptedPrompter p;
            p.Answer(answer);
            ChooseAndOK("split job");
            ASSERT_EQ(p.boxes.size(), 1u);
            EXPECT_EQ(p.boxes[0].title, c.title);
            EXPECT_EQ(p.boxes[0].style, mb::YesNo | mb::Critical | mb::DefaultButton2);
            EXPECT_TRUE(p.boxes[0].text.ends_with(" Remove it from the list of unfinished tasks?"))
                << p.boxes[0].text;
            EXPECT_EQ(fs::exists(Task("split job")), answer == Answer::No);
            EXPECT_EQ(Listing(work.File("pieces")), pieces);
            ExpectUnlockedOnTheFrontPage();
        }
        EXPECT_TRUE(Rows().empty());
        window.reset();
        fs::remove_all(work.File("pieces"));
    }
}

// A split that finds, once running, that it cannot resume its task asks the same question on
// its own box, whether it then stops with an error or returns.
TEST_F(FrontPageTest, ResumedSplitThatSaysItCannotResumeAsksWhetherToRemoveTheTask) {
    MakeSplitTask("split job");
    const std::string saved = ReadAll(Task("split job"));
    const std::vector<std::string> pieces = Listing(work.File("pieces"));
    ActiveSplitter splitter;
    bool throws = false;
    FrontPageHooks hooks;
    hooks.splitWizInUse = [] { return false; };
    hooks.selectTab = [](const std::string&) {};
    hooks.lockForResumedSplit = [](bool) {};
    hooks.runResumedSplit = [&throws](const std::string&) {
        MsgBox("The unfinished task no longer matches its files: a piece is missing.",
               mb::OKOnly | mb::Critical, "Unable to resume");
        if (throws) throw KbError(err::DeviceIO, "Split", "stopped");
    };
    FrontPageFlow flow(splitter, hooks);
    for (bool t : {false, true}) {
        throws = t;
        for (Answer answer : {Answer::No, Answer::Yes}) {
            SCOPED_TRACE(std::string(t ? "throws " : "returns ") + AnswerName(answer));
            if (!fs::exists(Task("split job"))) home.Write("Unfinished Tasks/split job.uft", saved);
            ScriptedPrompter p;
            p.Answer(answer);
            EXPECT_TRUE(flow.cmdWelcomeOK_Click(FrontPageFlow::UnfinishedTaskRows().at(0)));
            ASSERT_EQ(p.boxes.size(), 1u);
            EXPECT_EQ(p.boxes[0].text, "The unfinished task no longer matches its files: a piece is "
                                       "missing. Remove it from the list of unfinished tasks?");
            EXPECT_EQ(p.boxes[0].style, mb::YesNo | mb::Critical | mb::DefaultButton2);
            EXPECT_EQ(fs::exists(Task("split job")), answer == Answer::No);
            if (answer == Answer::No) {
                EXPECT_EQ(ReadAll(Task("split job")), saved);
            }
            EXPECT_EQ(Listing(work.File("pieces")), pieces);
            EXPECT_FALSE(splitter.ResumePending());
        }
    }
}

TEST_F(FrontPageTest, ErrorOutOfAResumedSplitUnlocksTheWindowAndKeepsTheTask) {
    MakeSplitTask("split job");
    const std::string saved = ReadAll(Task("split job"));
    Open();
    // A split with no segment size stops with an error before it writes anything.
    window->Splitter().SegmentSize = 0;
    ShowList(1);
    ScriptedPrompter p;
    p.Answer(Answer::OK);
    ChooseAndOK("split job");
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].title, "Fatal error");
    EXPECT_EQ(ReadAll(Task("split job")), saved);
    ExpectUnlockedOnTheFrontPage();
}

TEST_F(FrontPageTest, ResumedAssembleDeletesItsTaskOnlyWhenItIsDone) {
    source = work.Write("report.doc", RandomBytes(70000, 11));
    const std::string first = SplitInto(source, "report.doc", "set");
    for (const char* name : {"done", "broken"}) {
        StopJoinAndSaveTask(first, name, work.File(std::string("out-") + name));
        ASSERT_TRUE(fs::exists(Task(name)));
    }
    fs::remove(work.File("out-broken/report.doc.part"));
    Open();
    ShowList(1);
    {
        ScriptedPrompter p;
        ChooseAndOK("done");
        EXPECT_TRUE(p.boxes.empty());
        EXPECT_EQ(window->SelectedTabKey(), "Assembler");
        EXPECT_FALSE(fs::exists(Task("done")));
        EXPECT_EQ(ReadAll(work.File("out-done/report.doc")), ReadAll(source));
    }
    // The wizard has been used since: resuming asks first.
    ScriptedDialogs dialogs;
    dialogs.Cancel();
    QTest::mouseClick(window->fAssPanel()->cmdSelectSrcToAssemble(), Qt::LeftButton);
    window->SelectTab("Frontpage");
    EXPECT_EQ(Rows(), std::vector<std::string>{"broken|AssembleDoc"});
    ScriptedPrompter p;
    p.Answer(Answer::OK).Answer(Answer::No);
    ChooseAndOK("broken");
    ASSERT_EQ(p.boxes.size(), 2u);
    EXPECT_EQ(p.boxes[0].title, "Resume assemble operation");
    EXPECT_EQ(p.boxes[0].style, mb::OKCancel | mb::Exclamation | mb::DefaultButton1);
    EXPECT_EQ(p.boxes[1].title, "Unable to resume");
    EXPECT_TRUE(fs::exists(Task("broken")));
}

// An assemble task that can never be resumed (a format this program does not resume, or an
// output that is gone) is offered for removal on its failure box; Yes removes the task file
// only, never the pieces or what was joined so far.
TEST_F(FrontPageTest, AssembleTaskThatCannotBeResumedAsksWhetherToRemoveIt) {
    source = work.Write("report.doc", RandomBytes(70000, 11));
    const std::string first = SplitInto(source, "report.doc", "set");
    StopJoinAndSaveTask(first, "gone", work.File("out"));
    ASSERT_TRUE(fs::exists(Task("gone")));
    const std::string output = work.File("out/report.doc.part");
    fs::rename(output, work.File("out/kept.part"));
    home.Write("Unfinished Tasks/code 10.uft", std::string("\x02\x00\x08\x00/p/x.001\x0a\x00\x00\x00", 16));
    const std::vector<std::string> before = Listing(work.Path());
    struct Case {
        const char* task;
        std::string text;
    };
    const Case cases[] = {
        {"code 10", "Error loading unfinished task - invalid format codes."},
        {"gone", "The unfinished task no longer matches its files: " + output + " is missing."},
    };
    Open();
    ShowList(1);
    for (const Case& c : cases) {
        for (Answer answer : {Answer::No, Answer::Yes}) {
            SCOPED_TRACE(std::string(c.task) + " " + AnswerName(answer));
            ScriptedPrompter p;
            p.Answer(answer);
            ChooseAndOK(c.task);
            ASSERT_EQ(p.boxes.size(), 1u);
            EXPECT_EQ(p.boxes[0].text, c.text + " Remove it from the list of unfinished tasks?");
            EXPECT_EQ(p.boxes[0].title, "Unable to resume");
            EXPECT_EQ(p.boxes[0].style, mb::YesNo | mb::Critical | mb::DefaultButton2);
            EXPECT_EQ(fs::exists(Task(c.task)), answer == Answer::No);
            EXPECT_EQ(Listing(work.Path()), before);
            // Back on this page, as after a split task that was not resumed.
            EXPECT_EQ(window->SelectedTabKey(), "Frontpage");
            EXPECT_TRUE(window->findChild<QTabBar*>("Tabs")->isEnabled());
        }
    }
    EXPECT_TRUE(Rows().empty());
}

// The resumed task lives outside the task folder, where another task holds its name in other
// letters: saving under its own name in those letters must not write over that task.
TEST_F(FrontPageTest, ResumedJoinSavedUnderItsOwnNameLeavesAnotherTaskOfThatNameAlone) {
    source = work.Write("report.doc", RandomBytes(70000, 11));
    const std::string first = SplitInto(source, "report.doc", "set");
    StopJoinAndSaveTask(first, "job", work.File("out"));
    fs::create_directories(home.File("deep"));
    fs::rename(Task("job"), home.File("deep/job.uft"));
    const std::string other("\x02\x00" "another task", 14);
    home.Write("Unfinished Tasks/JOB.uft", other);
    Open();
    ShowList(1);
    ScriptedPrompter p;
    ucAssembler& w = *window->fAssPanel();
    p.OnDoEvents([&p, &w] {
        if (p.doEventsCount == 1) w.fProgpan()->findChild<QPushButton*>("cmdCancel")->click();
    });
    p.Answer(Answer::Yes).Type("JOB").Type("job 2");
    ChooseAndOK("job");
    ASSERT_EQ(p.inputs.size(), 2u);
    EXPECT_EQ(p.inputs[0].defaultText, "job");
    EXPECT_TRUE(p.inputs[1].prompt.starts_with("The name you supplied is already in use."));
    EXPECT_EQ(ReadAll(Task("JOB")), other);
    EXPECT_FALSE(fs::exists(home.File("deep/job.uft")));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"JOB|AssembleDoc", "job 2|AssembleDoc"}));
}

}  // namespace
}  // namespace kb
