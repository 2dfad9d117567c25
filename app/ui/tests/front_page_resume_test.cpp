// Resuming a split from the front page as safely as a fresh split: stopped without saving it
// goes back to its task, saved again it leaves one task, it asks before replacing a file under
// a later piece's name, and a task another resume holds is left alone (the join's too).
#include <QPushButton>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <memory>

#include "app/core/testing/faulty_io.h"
#include "app/ui/tests/front_page_fixture.h"

namespace kb {
namespace {

namespace fs = std::filesystem;
using testing::FrontPageTest;
using testing::RandomBytes;
using testing::ReadAll;
using testing::ScriptedPrompter;

// Stopped without saving, by the user or on a full disk, a resumed split goes back to its task:
// the pieces the task had finished stay, the one it had begun is cut back, the ones begun since
// go, and the task stays listed to be resumed again.
TEST_F(FrontPageTest, ResumedSplitStoppedWithoutSavingGoesBackToItsTask) {
    for (bool fullDisk : {false, true}) {
        SCOPED_TRACE(fullDisk ? "full disk" : "Cancel, then No");
        MakeSplitTask("split job");
        const auto saved = BytesIn(work.File("pieces"));
        const std::string savedTask = ReadAll(Task("split job"));
        Open();
        window->Splitter().SegmentSize = 4096;
        ShowList(1);
        {
            ScriptedPrompter p;
            std::unique_ptr<testing::FaultyIo> full;
            if (fullDisk) {
                full = std::make_unique<testing::FaultyIo>(testing::FaultyIo::Kind::Write,
                                                           work.File("pieces/movie.003"), 5000);
                p.Answer(Answer::Cancel).Answer(Answer::Yes);
            } else {
                // Cancel once piece 2 has been begun; No to saving the progress.
                p.OnDoEvents([this, clicked = false]() mutable {
                    if (clicked || !fs::exists(work.File("pieces/movie.002"))) return;
                    clicked = true;
                    window->fSptProgPan()->findChild<QPushButton*>("cmdCancel")->click();
                });
                p.Answer(Answer::No);
            }
            ChooseAndOK("split job");
            ASSERT_EQ(p.boxes.size(), fullDisk ? 2u : 1u);
            EXPECT_EQ(p.boxes[0].title, fullDisk ? "Problem writing data" : "Split cancelled");
        }
        EXPECT_TRUE(BytesIn(work.File("pieces")) == saved);
        EXPECT_EQ(ReadAll(Task("split job")), savedTask);
        ExpectUnlockedOnTheFrontPage();
        EXPECT_EQ(Rows(), std::vector<std::string>{"split job|SplitDoc"});
        // Resumed once more it runs to the end, and the task is done.
        ScriptedPrompter p;
        ChooseAndOK("split job");
        EXPECT_TRUE(p.boxes.empty());
        ExpectSameAsOneGo();
        EXPECT_FALSE(fs::exists(Task("split job")));
        window.reset();
        fs::remove_all(work.File("pieces"));
        fs::remove_all(work.File("reference"));
    }
}

// Stopped without saving (Cancel then No, a missing piece not brought back, an error part
// way), a resumed join goes back to its task as a resumed split does: the task stays listed as
// it was, and what the join wrote stays in its unfinished file, to be cut back when the task is
// resumed again; resumed once more it runs to the end, and the task is done.
TEST_F(FrontPageTest, ResumedJoinStoppedWithoutSavingGoesBackToItsTask) {
    source = work.Write("report.doc", RandomBytes(70000, 11));
    const std::string first = SplitInto(source, "report.doc", "set");
    const std::string third = first.substr(0, first.size() - 3) + "003";
    ASSERT_TRUE(fs::exists(third)) << third;
    const std::string part = work.File("out/report.doc.part");
    enum class Stop { CancelThenNo, MissingPiece, Error };
    for (Stop stop : {Stop::CancelThenNo, Stop::MissingPiece, Stop::Error}) {
        SCOPED_TRACE(static_cast<int>(stop));
        StopJoinAndSaveTask(first, "join job", work.File("out"));
        const std::string savedTask = ReadAll(Task("join job"));
        const std::string savedPart = ReadAll(part);
        const std::string pieceThree = ReadAll(third);
        Open();
        ShowList(1);
        {
            ScriptedPrompter p;
            std::unique_ptr<testing::FaultyIo> fault;
            std::vector<std::string> titles;
            if (stop == Stop::CancelThenNo) {
                ucAssembler& w = *window->fAssPanel();
                p.OnDoEvents([&p, &w] {
                    if (p.doEventsCount == 1) w.fProgpan()->findChild<QPushButton*>("cmdCancel")->click();
                });
                p.Answer(Answer::No);
                titles = {"Assemble cancelled"};
            } else if (stop == Stop::MissingPiece) {
                fs::remove(third);
                p.Answer(Answer::Cancel).Answer(Answer::No);
                titles = {"Missing piece", "Assemble cancelled"};
            } else {
                fault = std::make_unique<testing::FaultyIo>(testing::FaultyIo::Kind::Write, part,
                                                            savedPart.size() + 20000);
                fault->FailWith(EROFS);  // not a want of room, which is asked about
                p.Answer(Answer::OK);
                titles = {"Fatal error"};
            }
            ChooseAndOK("join job");
            ASSERT_EQ(p.boxes.size(), titles.size());
            for (size_t i = 0; i < titles.size(); ++i) EXPECT_EQ(p.boxes[i].title, titles[i]);
        }
        work.Write(fs::relative(third, work.Path()).string(), pieceThree);
        EXPECT_EQ(ReadAll(Task("join job")), savedTask);
        const std::string kept = ReadAll(part);
        EXPECT_GT(kept.size(), savedPart.size());
        EXPECT_TRUE(kept.substr(0, savedPart.size()) == savedPart);
        EXPECT_FALSE(fs::exists(work.File("out/report.doc")));
        if (stop != Stop::Error) {
            EXPECT_EQ(window->fAssPanel()->lblOutcome()->text(),
                      "The assemble was stopped: the unfinished task \"join job\" is kept as it "
                      "was, to be resumed later.");
        }
        window->SelectTab("Frontpage");
        EXPECT_EQ(Rows(), std::vector<std::string>{"join job|AssembleDoc"});
        ScriptedPrompter p;
        ChooseAndOK("join job");
        EXPECT_TRUE(p.boxes.empty()) << p.boxes[0].text;
        EXPECT_EQ(window->fAssPanel()->lblFinished()->text(), "Finished!");
        EXPECT_TRUE(ReadAll(work.File("out/report.doc")) == ReadAll(source));
        EXPECT_FALSE(fs::exists(Task("join job")));
        window->SelectTab("Frontpage");
        EXPECT_TRUE(Rows().empty());
        window.reset();
        fs::remove_all(work.File("out"));
    }
}

// Saved again, the resumed split leaves one task: under its own name (offered first) the task
// file is written over, under another name the old one goes.
TEST_F(FrontPageTest, ResumedSplitSavedAgainLeavesOneTask) {
    for (const char* name : {"split job", "later job"}) {
        SCOPED_TRACE(name);
        MakeSplitTask("split job");
        const std::string first = ReadAll(Task("split job"));
        Open();
        window->Splitter().SegmentSize = 4096;
        ShowList(1);
        {
            ScriptedPrompter p;
            p.OnDoEvents([this, &p] {
                if (p.doEventsCount == 4) window->fSptProgPan()->findChild<QPushButton*>("cmdCancel")->click();
            });
            p.Answer(Answer::Yes).Type(name);
            ChooseAndOK("split job");
            ASSERT_EQ(p.inputs.size(), 1u);
            EXPECT_EQ(p.inputs[0].defaultText, "split job");
        }
        ExpectUnlockedOnTheFrontPage();
        EXPECT_EQ(Rows(), std::vector<std::string>{std::string(name) + "|SplitDoc"});
        EXPECT_EQ(fs::exists(Task("split job")), std::string(name) == "split job");
        ASSERT_TRUE(fs::exists(Task(name)));
        EXPECT_NE(ReadAll(Task(name)), first);
        ScriptedPrompter p;
        ChooseAndOK(name);
        ExpectSameAsOneGo();
        EXPECT_TRUE(Rows().empty());
        window.reset();
        fs::remove_all(work.File("pieces"));
        fs::remove_all(work.File("reference"));
    }
}

// A file the user put under the name of a piece still to come is asked for as in a fresh
// split; No leaves everything, the task too, as it was.
TEST_F(FrontPageTest, ResumedSplitAsksBeforeReplacingAFileUnderALaterPieceName) {
    MakeSplitTask("split job");
    const std::string mine = work.Write("pieces/movie.005", "the user's own file");
    const auto before = BytesIn(work.File("pieces"));
    const std::string savedTask = ReadAll(Task("split job"));
    Open();
    ShowList(1);
    ScriptedPrompter p;
    p.Answer(Answer::No);
    ChooseAndOK("split job");
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].title, "Files already exist");
    EXPECT_EQ(p.boxes[0].text, mine + " already exists. Replace it with a fragment of this split?");
    EXPECT_TRUE(BytesIn(work.File("pieces")) == before);
    EXPECT_EQ(ReadAll(Task("split job")), savedTask);
    ExpectUnlockedOnTheFrontPage();
    EXPECT_EQ(Rows(), std::vector<std::string>{"split job|SplitDoc"});
}

// A task that another resume holds (here a lock this process takes, as another window's would
// be) is named as such and left alone, neither run nor offered for removal.
TEST_F(FrontPageTest, ATaskAnotherResumeHoldsIsLeftAsItIs) {
    MakeSplitTask("split job");
    source = work.Write("report.doc", RandomBytes(70000, 11));
    StopJoinAndSaveTask(SplitInto(source, "report.doc", "set"), "join job", work.File("out"));
    const std::vector<std::string> before = Listing(work.Path());
    const std::string part = ReadAll(work.File("out/report.doc.part"));
    Open();
    ShowList(1);
    for (const char* task : {"split job", "join job"}) {
        SCOPED_TRACE(task);
        const std::string saved = ReadAll(Task(task));
        const int held = open(Task(task).c_str(), O_RDONLY);
        ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
        {
            ScriptedPrompter p;
            p.Answer(Answer::OK);
            ChooseAndOK(task);
            ASSERT_EQ(p.boxes.size(), 1u);
            EXPECT_EQ(p.boxes[0].title, "Unfinished task in use");
            EXPECT_EQ(p.boxes[0].text, "This unfinished task is already being resumed.");
        }
        close(held);
        EXPECT_EQ(ReadAll(Task(task)), saved);
        EXPECT_EQ(Listing(work.Path()), before);
        EXPECT_EQ(ReadAll(work.File("out/report.doc.part")), part);
        EXPECT_FALSE(window->SplitBusy);
        EXPECT_EQ(window->SelectedTabKey(), "Frontpage");
        EXPECT_EQ(Rows(), (std::vector<std::string>{"join job|AssembleDoc", "split job|SplitDoc"}));
    }
}

}  // namespace
}  // namespace kb
