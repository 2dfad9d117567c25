// Recognising a series: the first piece, its format, the count, the joined file's name and
// the naming template of a bare series.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <unistd.h>

#include "app/core/active_assembler.h"
#include "app/core/kb_error.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/core/testing/temp_folder.h"
#include "app/core/tests/series_fixtures.h"

namespace kb {
namespace {

using testing::ScriptedPrompter;
using testing::TempFolder;

int ErrorNumberOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const KbError& e) {
        return e.Number();
    }
    return 0;
}

TEST(AssemblerFirstPiece, MissingAndEmptyFilesAreRefusedAndKeepThePath) {
    TempFolder dir;
    ActiveAssembler a;
    const std::string good = dir.Write("good.001", "x");
    a.SetFileToAssemble(good);
    try {
        a.SetFileToAssemble(dir.File("none.001"));
        FAIL();
    } catch (const KbError& e) {
        EXPECT_EQ(e.Number(), 53);
        EXPECT_EQ(e.Source(), "ActiveAssembler");
        EXPECT_EQ(e.Description(), "The file " + dir.File("none.001") +
                                       " does not exist. Therefore it cannot be assembled.");
    }
    const std::string empty = dir.Write("empty.001", "");
    try {
        a.SetFileToAssemble(empty);
        FAIL();
    } catch (const KbError& e) {
        EXPECT_EQ(e.Number(), 321);
        EXPECT_EQ(e.Description(), empty + " is zero-length! It cannot be assembled.");
    }
    EXPECT_EQ(a.FileToAssemble(), good);
}

TEST(AssemblerFirstPiece, DestinationEndsInExactlyOneSlash) {
    ActiveAssembler a;
    for (const auto& [in, out] : std::vector<std::pair<std::string, std::string>>{
             {"/data/out", "/data/out/"}, {"/data/out/", "/data/out/"}, {"/", "/"}}) {
        a.SetDestinationFolder(in);
        EXPECT_EQ(a.DestinationFolder(), out) << in;
    }
}

TEST(AssemblerFormat, MagicAnywhereInTheFirst300BytesMeansOwnFormat) {
    TempFolder dir;
    ScriptedPrompter p;
    const std::string magic = "Tarnwolde Extendable Fragment Format";
    struct Case {
        std::string bytes;
        int32_t format;
        std::string boxText;
    };
    const std::vector<Case> cases = {
        {magic + "rest", 0, ""},
        {std::string(200, 'z') + magic, 0, ""},
        {std::string(280, 'z') + magic, 1, ""},  // runs past byte 300
        {"short", 1, ""},
        {"Tarnwolde Fragment 1.0 and more", 1, "Old version of Tarnwolde fragment format"},
        {"Tarnwolde something", 1, "Old Tarnwolde file"},
    };
    for (const auto& c : cases) {
        p.boxes.clear();
        if (!c.boxText.empty()) p.Answer(Answer::OK);
        ActiveAssembler a;
        a.SetFileToAssemble(dir.Write("f.001", c.bytes));
        EXPECT_EQ(a.FileFormat(), c.format) << c.bytes.substr(0, 40);
        if (c.boxText.empty()) {
            EXPECT_TRUE(p.boxes.empty());
        } else {
            ASSERT_EQ(p.boxes.size(), 1u);
            EXPECT_EQ(p.boxes[0].text, c.boxText);
            EXPECT_EQ(p.boxes[0].title, "Format unsupported");
            EXPECT_EQ(p.boxes[0].Icon(), mb::Critical);
        }
    }
    ActiveAssembler a;
    a.SetFileToAssemble(dir.Write("g.001", magic));
    p.boxes.clear();
    p.Answer(Answer::OK);
    EXPECT_FALSE(a.FormatCouldBe(2));
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].title, "Warning");
    EXPECT_EQ(p.boxes[0].Icon(), mb::Exclamation);
    EXPECT_TRUE(a.FormatCouldBe(1));
}

TEST(AssemblerTemplate, GuessesAndFailuresOfTheFourTests) {
    TempFolder dir;
    struct Case {
        std::string name;
        std::string tmpl;  // "" : the guess fails
        std::string base;
    };
    const std::vector<Case> cases = {
        {"File.001", "%f.%N", "File"},
        {"File.7", "%f.%n", "File"},
        {"File - 012.frg", "%f - %N.frg", "File"},
        {"File - 3.frg", "%f - %n.frg", "File"},
        {"File - 3.FRG", "%f - %n.frg", "File"},
        {"Movie.avi.001", "%f.%N", "Movie.avi"},  // case kept
        {"File.abc", "", ""},
        {"File - 12.frg", "", ""},
        {"File.12", "", ""},
        {"Version 1.5/File - 001.frg", "", ""},  // the first dot is in the folder
    };
    for (const auto& c : cases) {
        ActiveAssembler a;
        a.SetFileToAssemble(dir.Write(c.name, "data"));
        if (c.tmpl.empty()) {
            try {
                a.GuessFragnameTemplate();
                ADD_FAILURE() << c.name;
            } catch (const KbError& e) {
                EXPECT_EQ(e.Number(), static_cast<int32_t>(0x80040200u)) << c.name;
                EXPECT_EQ(e.Source(), "ActiveAssembler");
                EXPECT_EQ(e.Description(), "Unable to determine fragment naming template.");
            }
        } else {
            EXPECT_EQ(a.GuessFragnameTemplate(), c.tmpl) << c.name;
            EXPECT_EQ(a.mstrRawFilenameComponentInTemplate, dir.File(c.base)) << c.name;
        }
    }
}

// The base and the first piece of a series are those of the piece last set, whether or not
// anything asked for the template since.
TEST(AssemblerTemplate, TheBaseFollowsTheFirstPieceSet) {
    TempFolder dir;
    for (const char* name : {"a.bin.001", "a.bin.002", "b.bin.001", "b.bin.002"}) dir.Write(name, "x");
    ActiveAssembler a;
    a.SetFileToAssemble(dir.File("a.bin.002"));
    EXPECT_EQ(a.mstrRawFilenameComponentInTemplate, dir.File("a.bin"));
    EXPECT_EQ(a.SeriesStart("%f.%N"), dir.File("a.bin.001"));
    a.SetFileToAssemble(dir.File("b.bin.002"));
    EXPECT_EQ(a.SeriesStart("%f.%N"), dir.File("b.bin.001"));
    EXPECT_EQ(a.mstrRawFilenameComponentInTemplate, dir.File("b.bin"));
    a.SetFileToAssemble(dir.Write("c.txt", "x"));
    EXPECT_EQ(a.mstrRawFilenameComponentInTemplate, "");
}

TEST(AssemblerTemplate, AFirstDotNearTheStartOfThePathIsAnInvalidArgument) {
    TempFolder dir;
    dir.Write("x.frg", "data");
    char old[4096];
    ASSERT_TRUE(getcwd(old, sizeof old));
    ASSERT_EQ(chdir(dir.Path().c_str()), 0);
    ActiveAssembler a;
    a.SetFileToAssemble("x.frg");
    EXPECT_EQ(ErrorNumberOf([&] { a.GuessFragnameTemplate(); }), 5);
    ASSERT_EQ(chdir(old), 0);
}

TEST(AssemblerCount, BareSeriesCountsTheRunOfPiecesFromOne) {
    TempFolder dir;
    for (int i : {1, 2, 3, 5}) dir.Write("Movie.avi.00" + std::to_string(i), "x");
    dir.Write("Clip - 1.frg", "x");
    dir.Write("Clip - 2.frg", "x");
    dir.Write("odd.abc", "x");
    struct Case {
        std::string first;
        int32_t count;
    };
    for (const auto& c : std::vector<Case>{{"Movie.avi.001", 3}, {"Movie.avi.002", 3},
                                           {"Clip - 1.frg", 2}, {"odd.abc", 0}}) {
        ActiveAssembler a;
        a.SetFileToAssemble(dir.File(c.first));
        EXPECT_EQ(a.FragmentCount(), c.count) << c.first;
    }
}

TEST(AssemblerNames, JoinedFileNameOfBareAndFormattedSets) {
    TempFolder dir;
    ActiveAssembler a;
    a.SetFileToAssemble(dir.Write("data.007", "x"));
    EXPECT_EQ(a.AssembledFilename(), "data.unk");

    testing::Format4Options o;
    o.name = "../../evil/Report.doc";
    auto pieces = testing::WriteFormat4Series(dir, std::string(1500, 'a'), o,
                                              testing::Dotted3("Report"));
    a.SetFileToAssemble(pieces[0]);
    EXPECT_EQ(a.AssembledFilename(), "Report.doc");  // only the file-name part is used
    EXPECT_EQ(a.FragmentCount(), 2);

    testing::LegacyOptions lo;
    lo.name = "Old.CAB";
    auto old = testing::WriteLegacySeries(dir, std::string(2500, 'b'), lo, testing::Dotted3("Old"));
    a.SetFileToAssemble(old[0]);
    EXPECT_EQ(a.AssembledFilename(), "Old.CAB");
    EXPECT_EQ(a.FragmentCount(), 3);
    auto h = a.ReadFragmentHeaders();
    EXPECT_EQ(h.Legacy.IsCab, -1);
}

TEST(AssemblerNames, DamagedHeadersGiveErrorsNotCrashes) {
    TempFolder dir;
    const std::string common = testing::CommonHeader(4);
    // Count present, then a name length that runs past the end of the file.
    const std::string cut = common + testing::LeBytes().I32(2).I16(500).Raw("abc").s;
    const std::string negative = common + testing::LeBytes().I32(2).I16(-3).s;
    for (const std::string& bytes : {cut, negative, common.substr(0, 45)}) {
        ActiveAssembler a;
        a.SetFileToAssemble(dir.Write("bad.001", bytes));
        EXPECT_EQ(ErrorNumberOf([&] { a.FragmentCount(); }), 57);
    }
}

}  // namespace
}  // namespace kb
