// What a command line asks for, in its Linux form: paths keep their case, relative paths are
// made absolute, "-debuglog" is cut only as an item of its own, and every line comes to an end.
#include <gtest/gtest.h>

#include "app/core/debug_log.h"
#include "app/ui/shell/command_line.h"
#include "app/ui/tests/ui_fixture.h"

namespace kb {
namespace {

using Kind = CommandLinePlan::Kind;
using Items = std::vector<std::string>;

TEST(CommandLine, PlansEachFormOfLine) {
    struct Case {
        std::string line;
        Kind kind;
        Items items;
        std::string assemble;
    } cases[] = {
        {"", Kind::Nothing, {}, ""},
        {"  -DebugLog ", Kind::Nothing, {}, ""},
        {"-debuglog -debuglog", Kind::Usage, {}, ""},
        {"/Data/Report.TXT", Kind::Split, {"/Data/Report.TXT"}, ""},
        {"\"/d/my file.bin\" /d/Folder -split", Kind::Split, {"/d/my file.bin", "/d/Folder"}, ""},
        {"/d/-debuglog-notes -debuglog -split", Kind::Split, {"/d/-debuglog-notes"}, ""},
        {"-debuglog-notes.txt -split", Kind::Split, {"/work/here/-debuglog-notes.txt"}, ""},
        {"rel/file.bin -split", Kind::Split, {"/work/here/rel/file.bin"}, ""},
        {"/d/s.frg", Kind::AssemblerTab, {}, "/d/s.frg"},
        {"/d/Piece.001 -Assemble", Kind::AssemblerTab, {}, "/d/Piece.001"},
        // A piece whose path holds blanks arrives quoted; its name, not the quote, decides.
        {"\"/d/t1 pieces/p - 1.frg\"", Kind::AssemblerTab, {}, "/d/t1 pieces/p - 1.frg"},
        {"\"/d/t1 pieces/Big.001\"", Kind::AssemblerTab, {}, "/d/t1 pieces/Big.001"},
        // A bare set numbered from 0 starts at ".000"; a name merely ending in the digits does not.
        {"\"/d/my big.bin.000\"", Kind::AssemblerTab, {}, "/d/my big.bin.000"},
        {"/d/Big.000 -assemble", Kind::AssemblerTab, {}, "/d/Big.000"},
        {"/d/year2000", Kind::Split, {"/d/year2000"}, ""},
        {"\"/d/p - 1.frg\" -split", Kind::Split, {"/d/p - 1.frg"}, ""},
        {"\"/d/my file.frg.txt\"", Kind::Split, {"/d/my file.frg.txt"}, ""},
        {"/d/a /d/b", Kind::AssemblerTab, {}, ""},
        {"-assemble /d/s.frg", Kind::AssemblerTab, {}, ""},
        {"/d/a.frg /d/b.frg /d/c.frg", Kind::Split, {"/d/a.frg", "/d/b.frg", "/d/c.frg"}, ""},
        {"-split", Kind::Usage, {}, ""},
        {"/d/a /d/b /d/c -assemble", Kind::Usage, {}, ""},
        {"/d/a -split -split", Kind::Usage, {}, ""},
        {"-x /d/a /d/b", Kind::Usage, {}, ""},
        {"/d/a \"/d/b", Kind::Usage, {}, ""},
        {"\"/d/unclosed", Kind::Error, {}, ""},
    };
    for (const Case& c : cases) {
        const CommandLinePlan plan = PlanCommandLine(c.line, "/work/here");
        EXPECT_EQ(plan.kind, c.kind) << c.line;
        EXPECT_EQ(plan.items, c.items) << c.line;
        EXPECT_EQ(plan.assemblePath, c.assemble) << c.line;
    }
    EXPECT_EQ(PlanCommandLine("\"/d/x", "/").errorDescription, "Subscript out of range");
}

TEST(CommandLine, UsageTextQuotesTheLineAsReceived) {
    EXPECT_EQ(CommandLineUsageText("-SPLIT -debuglog"),
              "Invalid command line arguments passed - they will be ignored. Examples of correct "
              "usage....\rKestrelbinder.exe file1.txt folder file2.txt -split\r"
              "Kestrelbinder.exe frag - 1.frg -assemble\rYou passed: -SPLIT -debuglog");
}

class CommandLineLog : public testing::UiTest {};

TEST_F(CommandLineLog, WritesTheLineAsReceivedAndAfterTheSwitchIsCut) {
    DebugLogEnabled = true;
    PlanCommandLine("/d/A.bin -DEBUGLOG -split", "/");
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Command line parameters passed to EXE..../d/A.bin -DEBUGLOG -split");
    EXPECT_EQ(lines[1], "Filename parameters after processing..../d/A.bin  -split");
}

}  // namespace
}  // namespace kb
