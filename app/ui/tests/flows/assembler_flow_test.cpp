// The assembler flow's event handlers on their own: the disk request and its cancel question,
// the older format's passphrase, and the extraction's progress text; and the description of a
// chosen bare series, and a stop at a missing piece.
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/core/active_splitter.h"
#include "app/core/assembler_task_record.h"
#include "app/core/big_file.h"
#include "app/core/progress_view.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/core/testing/scripted_windows.h"
#include "app/core/tests/assembler_listener_fake.h"
#include "app/ui/assembler/assembler_flow.h"
#include "app/ui/tests/ui_fixture.h"

namespace kb {
namespace {

using testing::ReadAll;
using testing::ScriptedPrompter;
using testing::ScriptedWindows;
using testing::TempFolder;
using testing::UiTest;

struct RecordingPanel : ProgressView {
    std::string caption, bottom;
    int16_t pb1 = 0;
    bool cancelVisible = false, clicked = false;
    void SetVisible(bool) override {}
    void SetCaption(const std::string& t) override { caption = t; }
    void SetBottomText(const std::string& t) override { bottom = t; }
    void SetPB1Caption(const std::string&) override {}
    void SetPB2Caption(const std::string&) override {}
    void SetPB1Percent(int16_t p) override { pb1 = p; }
    void SetPB2Percent(int16_t) override {}
    void SetPB1Visible(bool) override {}
    void SetPB2Visible(bool) override {}
    void SetCancelVisible(bool v) override {
        cancelVisible = v;
        if (v) clicked = false;
    }
    bool CancelClicked() const override { return clicked; }
    void StartTimings() override {}
    void StopTimings() override {}
    bool CancelVisible() const override { return false; }
};

class AssemblerFlowTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        std::filesystem::create_directories(home.File("Unfinished Tasks"));
    }
    // Splits report.doc (70000 random bytes) into src and joins it into dest with `segment`,
    // stopped and saved as the task job.uft; the task.
    std::string StopJoinIntoTask(const TempFolder& src, const TempFolder& dest, int32_t segment) {
        const auto bytes = testing::RandomBytes(70000, 10);
        ActiveSplitter split;
        split.SetFileFormat(aftTarnwolde);
        split.SetBigFile(src.Write("report.doc", std::string(bytes.begin(), bytes.end())));
        split.FilenameToStore = "report.doc";
        split.SetDestinationFolder(src.Path());
        split.SetFragmentSize(int64_t{20000});
        split.SegmentSize = 4096;
        EXPECT_EQ(split.Split(), 1);
        const std::string task = home.File("Unfinished Tasks/job.uft");
        ScriptedPrompter p;
        testing::ScriptedAssemblerListener stop;
        stop.cancelAtInterval = 3;
        stop.saveAs = task;
        ActiveAssembler a;
        a.SetListener(&stop);
        a.SetFileToAssemble(src.File("report.001"));
        a.SetDestinationFolder(dest.Path());
        a.SegmentSize = segment;
        std::string d = dest.Path();
        EXPECT_EQ(a.Assemble(d), 1);
        return task;
    }
    // Resumes `task` in the wizard and expects the one box "Unable to resume" saying `text`, the
    // task file as it was and nothing pending.
    void ExpectRefusedAndKept(const std::string& task, const std::string& text) {
        const std::string saved = ReadAll(task);
        ScriptedPrompter p;
        p.Answer(Answer::OK);
        std::string d;
        EXPECT_FALSE(flow.Resume(task, d));
        ASSERT_EQ(p.boxes.size(), 1u);
        EXPECT_EQ(p.boxes[0].title, "Unable to resume");
        EXPECT_EQ(p.boxes[0].style, mb::OKOnly | mb::Critical);
        EXPECT_EQ(p.boxes[0].text, text);
        EXPECT_EQ(ReadAll(task), saved);
        EXPECT_FALSE(flow.assembler.ResumePending());
    }
    ScriptedWindows windows;
    RecordingPanel panel;
    AssemblerFlow flow{panel, windows, host, nullptr};
};

TEST_F(AssemblerFlowTest, CancelledDiskRequestAsksAndShowsTheDiskAgainOrStops) {
    ScriptedPrompter p;
    int32_t disk = 3;
    bool cancel = false;
    std::string save = "earlier";
    // Cancel, then Cancel in the question: the disk again, then OK.
    windows.AnswerDisk(false).AnswerDisk(true);
    p.Answer(Answer::Cancel);
    flow.RequireNextDisk(disk, cancel, save);
    EXPECT_FALSE(cancel);
    // Cancel, then No: stop without saving.
    windows.AnswerDisk(false);
    p.Answer(Answer::No);
    flow.RequireNextDisk(disk, cancel, save);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(save, "");
    // Cancel, then Yes with a name: stop and save.
    windows.AnswerDisk(false);
    p.Answer(Answer::Yes).Type("disk job");
    flow.RequireNextDisk(disk, cancel, save);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(save, home.File("Unfinished Tasks/disk job.uft"));
    EXPECT_EQ(windows.diskRequests, (std::vector<int32_t>{3, 3, 3, 3}));
    for (const auto& box : p.boxes) EXPECT_EQ(box.title, "Assemble cancelled");
}

TEST_F(AssemblerFlowTest, TaskNamesSkipTakenOnesAndRefuseBlanks) {
    ScriptedPrompter p;
    for (const char* taken : {"Unnamed Assemble", "Unnamed Assemble 2", "taken"})
        home.Write(std::string("Unfinished Tasks/") + taken + ".uft", "");
    panel.clicked = true;
    bool cancel = false;
    std::string save;
    p.Answer(Answer::Yes).Type("taken").Type("   ").Type("");
    flow.AssembleInterval(10, 20, cancel, save);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(save, "");
    ASSERT_EQ(p.inputs.size(), 3u);
    EXPECT_EQ(p.inputs[0].defaultText, "Unnamed Assemble 3");
    EXPECT_EQ(p.inputs[1].prompt, "The name you supplied is already in use. Please enter a name "
                                  "to give the current project.");
    EXPECT_EQ(p.inputs[2].defaultText, "   ");
    EXPECT_EQ(panel.pb1, 10);
}

TEST_F(AssemblerFlowTest, PassphraseRequestsAndExtractionProgress) {
    ScriptedPrompter p;
    std::string pass;
    bool cancel = false;
    p.Type("first");
    flow.RequirePassphrase(pass, cancel, true);
    EXPECT_EQ(pass, "first");
    EXPECT_FALSE(cancel);
    p.Answer(Answer::OK).Type("");
    flow.RequirePassphrase(pass, cancel, false);
    EXPECT_TRUE(cancel);
    ASSERT_EQ(p.boxes.size(), 1u);
    ASSERT_EQ(p.inputs.size(), 2u);
    EXPECT_EQ(p.boxes[0].text, "Incorrect passphrase - passphrase checksums do not match");
    EXPECT_EQ(p.inputs[0].title, "Decryption key required");

    flow.ecExtractor_Progress("tree\\sub\\data.bin", 37);
    EXPECT_EQ(panel.pb1, 37);
    EXPECT_EQ(panel.bottom, "Working: data.bin");
}

// coreutils' split numbers from 0: the set is described, counted and joined from its piece 0,
// also when a later piece is chosen.
TEST_F(AssemblerFlowTest, ABareSeriesNumberedFromZeroIsDescribedAndJoinedFromPieceZero) {
    TempFolder src, dest;
    const auto bytes = testing::RandomBytes(50000, 8);
    const std::string data(bytes.begin(), bytes.end());
    src.Write("big.bin", data);
    ASSERT_EQ(std::system(("cd '" + src.Path() +
                           "' && split -b 20000 -d -a 3 big.bin big.bin. && rm big.bin")
                              .c_str()),
              0);
    const std::string expected =
        "big.bin.000\r\nUnrecognized format or raw data\r\nDetected naming convention: "
        "%f.%N\r\nFirst of 3 total pieces\r\n";
    for (const char* chosen : {"big.bin.000", "big.bin.001", "big.bin.002"}) {
        SCOPED_TRACE(chosen);
        ScriptedPrompter p;
        const auto d = flow.DescribeSource(src.File(chosen));
        ASSERT_TRUE(d);
        EXPECT_EQ(d->text, expected);
        EXPECT_EQ(d->next, AssemblerFlow::SourceDescription::Next::Enable);
        EXPECT_EQ(flow.assembler.FileToAssemble(), src.File("big.bin.000"));
        EXPECT_EQ(flow.assembler.FragmentCount(), 3);
    }
    ScriptedPrompter p;
    ASSERT_EQ(flow.Run(dest.Path()).join, AssembleOutcome::Join::Joined);
    const std::string joined = ReadAll(dest.File("big.bin"));
    EXPECT_EQ(joined.size(), data.size());
    EXPECT_TRUE(joined == data);
}

// Cancel in the "Missing piece" box asks the cancel question; saved, the join resumes once the
// piece is back.
TEST_F(AssemblerFlowTest, AJoinStoppedAtAMissingPieceIsSavedAndResumesOnceThePieceIsBack) {
    TempFolder src, dest;
    const auto bytes = testing::RandomBytes(70000, 9);
    const std::string data(bytes.begin(), bytes.end());
    ActiveSplitter split;
    split.SetFileFormat(aftTarnwolde);
    split.SetBigFile(src.Write("report.doc", data));
    split.FilenameToStore = "report.doc";
    split.SetDestinationFolder(src.Path());
    split.SetFragmentSize(int64_t{20000});
    split.SegmentSize = 4096;
    ASSERT_EQ(split.Split(), 1);
    const std::string third = ReadAll(src.File("report.003"));
    std::filesystem::remove(src.File("report.003"));
    {
        ScriptedPrompter p;
        p.Answer(Answer::Cancel).Answer(Answer::Yes).Type("missing");
        ASSERT_TRUE(flow.DescribeSource(src.File("report.001")));
        const AssembleOutcome stopped = flow.Run(dest.Path());
        EXPECT_EQ(stopped.join, AssembleOutcome::Join::SavedAsTask);
        EXPECT_EQ(stopped.task, "missing");
        ASSERT_EQ(p.boxes.size(), 2u);
        EXPECT_EQ(p.boxes[0].title, "Missing piece");
        EXPECT_EQ(p.boxes[0].text, "Piece 3 of 4 (" + src.File("report.003") + ") cannot be "
                                   "found. Put it in the folder and click Retry, or click Cancel "
                                   "to stop.");
        EXPECT_EQ(p.boxes[1].title, "Assemble cancelled");
    }
    src.Write("report.003", third);
    ScriptedPrompter p;
    std::string d;
    const auto resumed = flow.Resume(home.File("Unfinished Tasks/missing.uft"), d);
    ASSERT_TRUE(resumed);
    EXPECT_TRUE(resumed->Whole());
    EXPECT_EQ(d, dest.Path());
    const std::string joined = ReadAll(dest.File("report.doc"));
    EXPECT_EQ(joined.size(), data.size());
    EXPECT_TRUE(joined == data);
}

// A task whose output names a file that is not the join's is refused before anything is
// touched, and kept.
TEST_F(AssemblerFlowTest, ATaskWritingIntoAUsersFileIsRefusedAndKept) {
    TempFolder src, dest, elsewhere;
    const std::string task = StopJoinIntoTask(src, dest, 16384);
    ASSERT_FALSE(HasFailure());
    AssemblerTaskRecord t;
    OpenBF(task, 1, "rb");
    ReadAssemblerTaskHead(1, t);
    ReadAssemblerTaskTail(1, t);
    CloseBF(1);
    const std::string thesis = elsewhere.Write("thesis.odt", std::string(90000, 't'));
    t.OutputPath = thesis;
    OpenBF(task, 1, "wb");
    WriteAssemblerTaskRecord(1, t);
    CloseBF(1);

    ExpectRefusedAndKept(task, "The unfinished task no longer matches its files: " + thesis +
                                   " is not the file this task joins into, which is " +
                                   dest.File("report.doc.part") + ".");
    EXPECT_EQ(ReadAll(thesis), std::string(90000, 't'));
}

// The wizard resumes only a task whose segment its slider can show; the engine by itself joins
// it all the same.
TEST_F(AssemblerFlowTest, ATaskWithASegmentOutsideTheSlidersIsRefusedByTheWizardAlone) {
    TempFolder src, dest;
    const std::string task = StopJoinIntoTask(src, dest, 4096);
    ASSERT_FALSE(HasFailure());
    const std::string output = dest.File("report.doc.part");
    const std::string joined = ReadAll(output);
    ExpectRefusedAndKept(task, "The unfinished task " + task + " cannot be resumed: its segment "
                               "size of 4096 bytes lies outside 16384 to 2097152 bytes. The task "
                               "file has been kept.");
    EXPECT_EQ(ReadAll(output), joined);
    // Refused, the task changes nothing: an output left longer by a resume stopped without
    // saving is not cut back either.
    {
        std::ofstream(output, std::ios::app | std::ios::binary) << "left by a stopped resume";
        const std::string longer = ReadAll(output);
        ExpectRefusedAndKept(task, "The unfinished task " + task + " cannot be resumed: its "
                                   "segment size of 4096 bytes lies outside 16384 to 2097152 "
                                   "bytes. The task file has been kept.");
        EXPECT_EQ(ReadAll(output), longer);
    }
    ScriptedPrompter p;
    ActiveAssembler a;
    ASSERT_TRUE(a.SetResumeInfo(task));
    std::string d;
    EXPECT_EQ(a.Assemble(d), 0);
    EXPECT_EQ(ReadAll(dest.File("report.doc")), ReadAll(src.File("report.doc")));
    EXPECT_TRUE(p.boxes.empty());
}

// The page names the pieces that failed their check, but never more than ten of them.
TEST(AssemblerLastPage, NamesAtMostTenFailedPieces) {
    AssembleOutcome o;
    o.join = AssembleOutcome::Join::Joined;
    o.placement = {Placement::Kind::InPlace, "/d/f", ""};
    const struct {
        std::vector<int32_t> pieces;
        const char* text;
    } cases[] = {
        {{}, ""},
        {{3}, "Piece 3 failed its CRC-32 check, so the file \"/d/f\" does not match the original."},
        {{2, 3}, "Pieces 2 and 3 failed their CRC-32 checks, so the file \"/d/f\" does not match "
                 "the original."},
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
         "Pieces 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 and 2 more failed their CRC-32 checks, so the file "
         "\"/d/f\" does not match the original."},
    };
    for (const auto& c : cases) {
        o.flaws.failedPieces = c.pieces;
        const LastPage page = LastPageOf(o);
        EXPECT_EQ(page.heading, c.pieces.empty() ? "Finished!" : "Not completed");
        EXPECT_EQ(page.text, c.text);
    }
    o.placement = {Placement::Kind::NotReplaced, "/d/f (2)", "/d/f"};
    EXPECT_EQ(LastPageOf(o).text, "Pieces 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 and 2 more failed their "
                                  "CRC-32 checks, so the data does not match the original.\n"
                                  "\"/d/f\" was not replaced: the data is kept as \"/d/f (2)\".");
}

}  // namespace
}  // namespace kb
