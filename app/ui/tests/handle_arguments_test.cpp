// The command line handed to the window at the end of start-up, in the forms a shell or the
// context-menu extension gives it.
#include <QPushButton>
#include <QTreeWidget>

#include <cstdlib>
#include <filesystem>

#include "app/core/active_splitter.h"
#include "app/core/kb_error.h"
#include "app/ui/shell/command_line.h"
#include "app/ui/shell/frm_main.h"
#include "app/ui/shell/startup.h"
#include "app/ui/splitter/split_stage_intro.h"
#include "app/ui/splitter/split_stage_source_multi.h"
#include "app/ui/splitter/split_stage_source_single.h"
#include "app/ui/splitter/split_wizard.h"
#include "app/ui/tests/assembler_fixture.h"

namespace kb {
namespace {

namespace fs = std::filesystem;
using testing::RandomBytes;
using testing::ScriptedPrompter;

class HandleArgumentsTest : public testing::AssemblerTest {
protected:
    void TearDown() override {
        window.reset();
        ProgramCommandLine.clear();
        AssemblerTest::TearDown();
    }
    void Run(const std::vector<std::string>& arguments) {
        window = std::make_unique<frmMain>(&host);
        ProgramCommandLine = CommandLineOf(arguments);
        window->HandleArguments();
    }
    SplitWizard& Wizard() { return window->SplitterWizard(); }
    // Runs the line and expects, without a box, the Assembler tab with the set of three pieces
    // whose first piece the line names.
    void ExpectSetLoaded(const std::vector<std::string>& arguments) {
        ScriptedPrompter p;
        Run(arguments);
        EXPECT_TRUE(p.boxes.empty());
        EXPECT_EQ(window->SelectedTabKey(), "Assembler");
        EXPECT_NE(window->fAssPanel()->CurrentSetInfo().find("First of 3 total pieces"),
                  std::string::npos)
            << window->fAssPanel()->CurrentSetInfo();
        EXPECT_TRUE(window->fAssPanel()->cmdNext()->isEnabled());
    }

    std::unique_ptr<frmMain> window;
};

TEST_F(HandleArgumentsTest, OneFileOpensTheSingleFileStageWithItSelected) {
    // A name holding blanks arrives quoted.
    for (const char* name : {"Report.DOC", "my report.doc"}) {
        SCOPED_TRACE(name);
        const std::string path = work.Write(name, RandomBytes(5000));
        for (const std::vector<std::string>& args : {std::vector<std::string>{path},
                                                     std::vector<std::string>{path, "-split"}}) {
            ScriptedPrompter p;
            Run(args);
            EXPECT_EQ(window->SelectedTabKey(), "Splitter");
            EXPECT_FALSE(Wizard().fSplitStageSelectSourceSingle_->isHidden());
            EXPECT_EQ(Wizard().Flow().SingleSourcePath(), path);
            EXPECT_TRUE(Wizard().cmdSplitWizNext_->isEnabled());
            EXPECT_EQ(Wizard().Flow().single.info.substr(0, path.size()), path);
        }
    }
}

TEST_F(HandleArgumentsTest, FoldersAndSeveralFilesGoToTheMultiFileList) {
    const std::string folder = work.Path() + "/Photos";
    fs::create_directories(folder);
    work.Write("Photos/a.jpg", "jpeg");
    const std::string file = work.Write("notes.txt", "notes");
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {{folder, "-split"}, {folder}},
        {{folder + "/", folder, "-split"}, {folder}},
        {{file, folder, "-split"}, {"notes.txt", folder}},
        {{folder, file}, {}},  // two items without a switch: the Assembler tab
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.size());
        ScriptedPrompter p;
        Run(c.args);
        if (c.rows.empty()) {
            EXPECT_EQ(window->SelectedTabKey(), "Assembler");
            continue;
        }
        EXPECT_EQ(window->SelectedTabKey(), "Splitter");
        SplitStageSourceMulti& multi = *Wizard().fSplitStageSelectSourceMulti_;
        EXPECT_FALSE(multi.isHidden());
        std::vector<std::string> rows;
        for (int i = 0; i < multi.SplitList_->topLevelItemCount(); ++i)
            rows.push_back(multi.SplitList_->topLevelItem(i)->text(0).toStdString());
        EXPECT_EQ(rows, c.rows);
        EXPECT_TRUE(Wizard().cmdSplitWizNext_->isEnabled());
    }
}

TEST_F(HandleArgumentsTest, APieceOpensTheAssemblerWithItsSetLoaded) {
    const std::string first = SplitInto(work.Write("movie.bin", RandomBytes(50000, 3)), "movie.bin", "set");
    ASSERT_TRUE(first.ends_with(".001")) << first;
    for (const std::vector<std::string>& args : {std::vector<std::string>{first},
                                                 std::vector<std::string>{first, "-assemble"}})
        ExpectSetLoaded(args);
}

TEST_F(HandleArgumentsTest, AQuotedFirstPieceOpensTheAssembler) {
    // As a launcher passes a piece whose folder and name hold blanks: one argument, quoted on
    // the rebuilt line, in either naming of the pieces.
    const std::string source = work.Write("big", RandomBytes(50000, 4));
    for (const char* naming : {"%f - %n.frg", "%f.%N"}) {
        SCOPED_TRACE(naming);
        const std::string folder = work.File("t1 pieces");
        fs::remove_all(folder);
        fs::create_directories(folder);
        ActiveSplitter s;
        s.SetBigFile(source);
        s.FilenameToStore = "big";
        s.FragNamingTemplate = naming;
        s.SetDestinationFolder(folder);
        s.SetFragmentSize(int64_t{20000});
        s.SegmentSize = 4096;
        ASSERT_EQ(s.Split(), 1);
        const std::string first = folder + (naming[2] == ' ' ? "/big - 1.frg" : "/big.001");
        ASSERT_TRUE(fs::exists(first));
        ExpectSetLoaded({first});
    }
}

// coreutils' split numbers a bare set from 0 unless told otherwise: its first piece ends in
// ".000", quoted on the line when its path holds blanks.
TEST_F(HandleArgumentsTest, APieceNumberedFromZeroOpensTheAssembler) {
    const std::string folder = work.File("my pieces");
    fs::create_directories(folder);
    work.Write("my pieces/my big.bin", RandomBytes(50000, 5));
    ASSERT_EQ(std::system(("cd '" + folder +
                           "' && split -b 20000 -d -a 3 'my big.bin' 'my big.bin.' && rm 'my big.bin'")
                              .c_str()),
              0);
    const std::string first = folder + "/my big.bin.000";
    ASSERT_TRUE(fs::exists(first));
    ExpectSetLoaded({first});
}

TEST_F(HandleArgumentsTest, TwoItemsWithoutASwitchOnlySelectTheAssemblerTab) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"a.txt", "b.txt"},
                                                 std::vector<std::string>{"-assemble", "x.frg"}}) {
        ScriptedPrompter p;
        Run(args);
        EXPECT_EQ(window->SelectedTabKey(), "Assembler");
        EXPECT_EQ(window->fAssPanel()->CurrentSetInfo(), "Nothing selected.");
        EXPECT_FALSE(window->fAssPanel()->cmdNext()->isEnabled());
    }
}

TEST_F(HandleArgumentsTest, RefusedLinesShowTheirBoxAndChangeNothing) {
    struct Case {
        std::string line;
        const char* title;
        std::string text;
    };
    const Case cases[] = {
        {"-split", "Invalid command line arguments", CommandLineUsageText("-split")},
        {"-Split a b c", "Invalid command line arguments", CommandLineUsageText("-Split a b c")},
        {"\"/tmp/no end", "Unexpected error",
         "An error occurred processing the command line arguments. The error was: Subscript out "
         "of range\rThe arguments will not be processed."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        ScriptedPrompter p;
        p.Answer(Answer::OK);
        window = std::make_unique<frmMain>(&host);
        ProgramCommandLine = c.line;
        window->HandleArguments();
        ASSERT_EQ(p.boxes.size(), 1u);
        EXPECT_EQ(p.boxes[0].title, c.title);
        EXPECT_EQ(p.boxes[0].text, c.text);
        EXPECT_EQ(p.boxes[0].style, mb::OKOnly | mb::Critical);
        EXPECT_EQ(window->SelectedTabKey(), "Frontpage");
    }
    // No line, or only the debug-log switch: nothing at all.
    for (const char* line : {"", "  -DebugLog "}) {
        ScriptedPrompter p;
        window = std::make_unique<frmMain>(&host);
        ProgramCommandLine = line;
        window->HandleArguments();
        EXPECT_EQ(window->SelectedTabKey(), "Frontpage");
    }
}

// A box that cannot be shown fails with an error of its own.
class FailingBoxPrompter : public ScriptedPrompter {
public:
    explicit FailingBoxPrompter(std::string title) : failing_(std::move(title)) {}
    kb::Answer MsgBox(const std::string& text, int style, const std::string& title) override {
        if (title == failing_) throw KbError(err::OutOfMemory, "MsgBox");
        return ScriptedPrompter::MsgBox(text, style, title);
    }

private:
    std::string failing_;
};

TEST_F(HandleArgumentsTest, AnErrorInsideTheHandOverEndsItWithTheUnexpectedErrorBox) {
    static std::string path;
    path = work.Write("report.doc", RandomBytes(5000));
    // The file goes while the wizard turns to its source stage, and the box that says so fails.
    RecorderState* rec = Record(LoadEnabledRecorder("rec.so"));
    rec->hook = [](int32_t cmd, void*) {
        if (cmd == PLUGIN_EVT_WIZARD_PAGE) fs::remove(path);
    };
    FailingBoxPrompter p("Problem accessing file");
    p.Answer(Answer::OK);
    Run({path});
    rec->hook = nullptr;
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].title, "Unexpected error");
    EXPECT_EQ(p.boxes[0].text,
              "An error occurred processing the command line arguments. The error was: Out of "
              "memory\rThe arguments will not be processed.");
    EXPECT_EQ(p.boxes[0].style, mb::OKOnly | mb::Critical);
    // What was handed over before the error stays, and the stages show the wizard's state.
    EXPECT_EQ(window->SelectedTabKey(), "Splitter");
    EXPECT_FALSE(Wizard().fSplitStageSelectSourceSingle_->isHidden());
    EXPECT_TRUE(Wizard().fSplitStageIntro_->isHidden());
}

}  // namespace
}  // namespace kb
