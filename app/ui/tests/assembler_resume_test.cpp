// Stopping a join from the wizard's Cancel button, saving it as an unfinished task, resuming
// it, and what the main window does while a join runs.
#include <QLabel>
#include <QTabBar>

#include "app/ui/common/uc_progress_panel.h"
#include "app/ui/shell/frm_main.h"
#include "app/ui/tests/assembler_fixture.h"

namespace kb {
namespace {

namespace fs = std::filesystem;
using testing::AssemblerTest;
using testing::RandomBytes;
using testing::ReadAll;
using testing::ScriptedPrompter;

class AssemblerResumeTest : public AssemblerTest {
protected:
    // Clicks the panel's Cancel button once, after the join's `chunk`-th chunk.
    void CancelAt(ScriptedPrompter& p, ucAssembler& w, int chunk) {
        p.OnDoEvents([&p, &w, chunk] {
            if (p.doEventsCount == chunk)
                w.fProgpan()->findChild<QPushButton*>("cmdCancel")->click();
        });
    }
    std::string Task(const std::string& name) { return home.File("Unfinished Tasks/" + name + ".uft"); }

    std::string source;
    std::string first;
    void MakeSet() {
        source = work.Write("report.doc", RandomBytes(70000, 11));
        first = SplitInto(source, "report.doc", "pieces");
    }
};

TEST_F(AssemblerResumeTest, SavedJoinResumesToTheSameBytesAndCanBeSavedAgainUnderItsOwnName) {
    MakeSet();
    {
        ScriptedPrompter p;
        ucAssembler w(nullptr, &windows, host);
        w.SetSegmentSize(16384);
        CancelAt(p, w, 1);
        p.Answer(Answer::Yes).Type("job");
        Join(w, first, work.File("out"));
        ASSERT_EQ(p.boxes.size(), 1u);
        EXPECT_EQ(p.boxes[0].title, "Assemble cancelled");
        EXPECT_EQ(p.boxes[0].style, mb::YesNoCancel | mb::Question | mb::DefaultButton3);
        ASSERT_EQ(p.inputs.size(), 1u);
        EXPECT_EQ(p.inputs[0].defaultText, "Unnamed Assemble");
        EXPECT_TRUE(w.fFinished()->isVisibleTo(&w));
        EXPECT_EQ(w.lblFinished()->text(), "Stopped");
        EXPECT_EQ(w.lblOutcome()->text(), "The progress has been saved as the unfinished task \"job\".");
        ASSERT_TRUE(fs::exists(Task("job")));
    }
    {
        SCOPED_TRACE("resumed, stopped again and saved under its own name");
        const std::string before = ReadAll(Task("job"));
        ScriptedPrompter p;
        ucAssembler w(nullptr, &windows, host);
        w.SetDestPath(work.Path());
        CancelAt(p, w, 1);
        p.Answer(Answer::Yes).Type("job");
        EXPECT_TRUE(w.ResumeFrom(Task("job")));
        ASSERT_EQ(p.inputs.size(), 1u);
        EXPECT_EQ(p.inputs[0].defaultText, "job");
        ASSERT_TRUE(fs::exists(Task("job")));
        EXPECT_NE(ReadAll(Task("job")), before) << "the task holds the later state";
        EXPECT_EQ(w.DestPath(), work.File("out"));
        EXPECT_EQ(w.lblOutcome()->text(), "The progress has been saved as the unfinished task \"job\".");
    }
    ScriptedPrompter p;
    const std::string plugin = LoadEnabledRecorder("rec.so");
    ucAssembler w(nullptr, &windows, host);
    EXPECT_TRUE(w.ResumeFrom(Task("job")));
    EXPECT_FALSE(fs::exists(Task("job"))) << "the join is done, and so is its task";
    EXPECT_EQ(Count(Record(plugin), PLUGIN_EVT_ASSEMBLE_START), 1);
    EXPECT_EQ(Count(Record(plugin), PLUGIN_EVT_ASSEMBLE_END), 1);
    EXPECT_EQ(ReadAll(work.File("out/report.doc")), ReadAll(source));
    EXPECT_TRUE(w.fFinished()->isVisibleTo(&w));
    EXPECT_EQ(w.lblFinished()->text(), "Finished!");
    EXPECT_FALSE(w.lblOutcome()->isVisibleTo(&w));
    EXPECT_TRUE(w.cmdReset()->isEnabled());
    EXPECT_FALSE(w.cmdNext()->isEnabled());
}

// A piece that failed its CRC-32 check before the join was saved is still in the output as it
// was: the resumed join's last page says so, and does not say "Finished!".
TEST_F(AssemblerResumeTest, APieceThatFailedBeforeTheResumeIsToldOnTheLastPage) {
    MakeSet();
    const std::string second = first.substr(0, first.size() - 1) + "2";
    std::string bytes = ReadAll(second);
    bytes[bytes.size() - 100] ^= 1;
    work.Write(fs::relative(second, work.Path()).string(), bytes);
    {
        ScriptedPrompter p;
        ucAssembler w(nullptr, &windows, host);
        w.SetSegmentSize(16384);
        CancelAt(p, w, 4);
        p.Answer(Answer::OK).Answer(Answer::Yes).Type("job");
        Join(w, first, work.File("out"));
        ASSERT_EQ(p.boxes.size(), 2u);
        EXPECT_EQ(p.boxes[0].title, "Validation error - CRC32 Mismatch");
        ASSERT_TRUE(fs::exists(Task("job")));
    }
    ScriptedPrompter p;
    ucAssembler w(nullptr, &windows, host);
    EXPECT_TRUE(w.ResumeFrom(Task("job")));
    EXPECT_TRUE(p.boxes.empty()) << p.boxes[0].text;
    EXPECT_FALSE(fs::exists(Task("job")));
    EXPECT_EQ(w.lblFinished()->text(), "Not completed");
    EXPECT_EQ(w.lblOutcome()->text().toStdString(),
              "Piece 2 failed its CRC-32 check, so the file \"" + work.File("out/report.doc") +
                  "\" does not match the original.");
}

TEST_F(AssemblerResumeTest, TasksThatCannotBeResumedAreKept) {
    MakeSet();
    {
        ScriptedPrompter p;
        ucAssembler w(nullptr, &windows, host);
        w.SetSegmentSize(4096);  // below what a resumed join accepts
        CancelAt(p, w, 1);
        p.Answer(Answer::Yes).Type("small");
        Join(w, first, work.File("out"));
    }
    {
        ScriptedPrompter p;
        ucAssembler w(nullptr, &windows, host);
        w.SetSegmentSize(16384);
        CancelAt(p, w, 1);
        p.Answer(Answer::Yes).Type("gone");
        Join(w, first, work.File("out2"));
        fs::remove(work.File("out2/report.doc.part"));
    }
    work.Write("bad.uft", "not a task");
    for (const std::string& task : {Task("small"), Task("gone"), work.File("bad.uft")}) {
        SCOPED_TRACE(task);
        ScriptedPrompter p;
        p.Answer(Answer::OK);
        ucAssembler w(nullptr, &windows, host);
        EXPECT_FALSE(w.ResumeFrom(task));
        ASSERT_EQ(p.boxes.size(), 1u);
        EXPECT_EQ(p.boxes[0].title, "Unable to resume");
        EXPECT_TRUE(fs::exists(task));
        EXPECT_EQ(w.CurrentPage(), 1);
        EXPECT_FALSE(w.Flow().assembler.ResumePending());
    }
}

TEST_F(AssemblerResumeTest, CancelOnTheTemporaryFileWarningGoesOnWithTheJoin) {
    const std::string packed = SplitInto(MakeCab(2), "backup.cab", "pieces", 2);
    ScriptedPrompter p;
    ucAssembler w(nullptr, &windows, host);
    w.SetSegmentSize(16384);
    CancelAt(p, w, 1);
    p.Answer(Answer::Yes).Type("kept").Answer(Answer::Cancel);
    Join(w, packed, work.File("out"));
    ASSERT_EQ(p.boxes.size(), 2u);
    EXPECT_EQ(p.boxes[1].title, "Warning: Temporary files");
    EXPECT_EQ(p.boxes[1].style, mb::OKCancel | mb::Exclamation);
    EXPECT_NE(p.boxes[1].text.find("This contains the data before decompression or decryption"),
              std::string::npos);
    EXPECT_FALSE(w.fProgpan()->CancelClicked());
    EXPECT_FALSE(fs::exists(Task("kept")));
    ExpectTreeIn(work.File("out"));
}

// A saved join of packed data keeps its temporary archive, and the resumed join unpacks it.
TEST_F(AssemblerResumeTest, SavedJoinOfAPackedSetKeepsItsArchiveAndUnpacksWhenResumed) {
    const std::string packed = SplitInto(MakeCab(1), "backup.cab", "pieces", 1);
    {
        ScriptedPrompter p;
        ucAssembler w(nullptr, &windows, host);
        w.SetSegmentSize(16384);
        CancelAt(p, w, 1);
        p.Answer(Answer::Yes).Type("packed").Answer(Answer::OK);
        Join(w, packed, work.File("out"));
        ASSERT_EQ(p.boxes.size(), 2u);
        EXPECT_EQ(p.boxes.back().title, "Warning: Temporary files");
        EXPECT_FALSE(fs::is_empty(tmp.Path()));  // the archive so far stays for the task
    }
    {
        SCOPED_TRACE("resumed and stopped without saving");
        const std::string task = ReadAll(Task("packed"));
        ScriptedPrompter p;
        ucAssembler w(nullptr, &windows, host);
        CancelAt(p, w, 1);
        p.Answer(Answer::No);
        EXPECT_TRUE(w.ResumeFrom(Task("packed")));
        EXPECT_EQ(ReadAll(Task("packed")), task);
        EXPECT_FALSE(fs::is_empty(tmp.Path())) << "the archive is still the task's";
        TempManager::Instance().RemoveAllTempFiles();
        EXPECT_FALSE(fs::is_empty(tmp.Path()));
    }
    {
        SCOPED_TRACE("resumed and saved again under its own name");
        const std::string task = ReadAll(Task("packed"));
        ScriptedPrompter p;
        ucAssembler w(nullptr, &windows, host);
        CancelAt(p, w, 1);
        p.Answer(Answer::Yes).Type("packed").Answer(Answer::OK);
        EXPECT_TRUE(w.ResumeFrom(Task("packed")));
        ASSERT_EQ(p.boxes.size(), 2u);
        EXPECT_EQ(p.boxes.back().title, "Warning: Temporary files");
        EXPECT_NE(ReadAll(Task("packed")), task);
        TempManager::Instance().RemoveAllTempFiles();
        EXPECT_FALSE(fs::is_empty(tmp.Path()));
    }
    ScriptedPrompter p;
    ucAssembler w(nullptr, &windows, host);
    EXPECT_TRUE(w.ResumeFrom(Task("packed")));
    ExpectTreeIn(work.File("out"));
    EXPECT_TRUE(fs::is_empty(tmp.Path()));
}

TEST_F(AssemblerResumeTest, WhileAJoinRunsTheTabsWaitAndClosingAsksFirst) {
    MakeSet();
    ScriptedPrompter p;
    frmMain main(&host);
    ucAssembler& w = *main.fAssPanel();
    auto* tabs = main.findChild<QTabBar*>("Tabs");
    bool sawBusy = false;
    int32_t segmentDuring = 0;
    w.SetSegmentSize(16384);
    p.OnDoEvents([&] {
        if (p.doEventsCount != 2) return;
        sawBusy = main.AssembleBusy && !tabs->isEnabled();
        bool cancel = false;
        main.Form_QueryUnload(cancel, 0);
        EXPECT_TRUE(cancel);
        // The configuration page's segment size waits for the next join.
        w.SetSegmentSize(65536);
        segmentDuring = w.Flow().assembler.SegmentSize;
    });
    p.Answer(Answer::Cancel);
    main.SelectTab("Assembler");
    Join(w, first, work.File("out"));
    EXPECT_TRUE(sawBusy);
    EXPECT_EQ(segmentDuring, 16384);
    EXPECT_EQ(w.Flow().assembler.SegmentSize, 65536);
    EXPECT_FALSE(main.AssembleBusy);
    EXPECT_TRUE(tabs->isEnabled());
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].title, "Unable to exit cleanly");
    EXPECT_EQ(ReadAll(work.File("out/report.doc")), ReadAll(source));
}

}  // namespace
}  // namespace kb
