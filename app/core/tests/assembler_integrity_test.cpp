// Series that are damaged or mixed up: pieces out of place, from another series or never
// finished, a header whose count or length does not fit, a first piece whose header is
// damaged, and a join that fails part way.

#include <gtest/gtest.h>

#include <filesystem>

#include "app/core/active_assembler.h"
#include "app/core/kb_error.h"
#include "app/core/testing/faulty_io.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/core/testing/temp_folder.h"
#include "app/core/tests/assembler_listener_fake.h"
#include "app/core/tests/series_fixtures.h"

namespace kb {
namespace {

using testing::ReadAll;
using testing::ScriptedAssemblerListener;
using testing::ScriptedPrompter;
using testing::TempFolder;

std::string Random(size_t n, uint32_t seed = 11) {
    auto v = testing::RandomBytes(n, seed);
    return std::string(v.begin(), v.end());
}

struct Join {
    TempFolder src, dest, other;
    ScriptedAssemblerListener events;
    ActiveAssembler a;
    std::vector<std::string> pieces;
    std::string data = Random(4000);

    // Four pieces of 1000 data bytes: data.001 .. data.004.
    Join() {
        a.SetListener(&events);
        pieces = testing::WriteFormat4Series(src, data, {}, testing::Dotted3("data"));
    }
    int16_t Run(int32_t segment = 300) {
        a.SetFileToAssemble(pieces[0]);
        a.SetDestinationFolder(dest.Path());
        a.SegmentSize = segment;
        std::string d = dest.Path();
        return a.Assemble(d);
    }
};

const char* const kOutOfPlace = "Validation error - piece out of place";

std::vector<std::string> Titles(const ScriptedPrompter& p) {
    std::vector<std::string> t;
    for (const auto& b : p.boxes) t.push_back(b.title);
    return t;
}

TEST(AssemblerIntegrity, SwappedPiecesAreReportedAndJoiningGoesOn) {
    ScriptedPrompter p;
    Join j;
    const std::string second = ReadAll(j.pieces[1]);
    j.src.Write("data.002", ReadAll(j.pieces[2]));
    j.src.Write("data.003", second);
    p.Answer(Answer::OK).Answer(Answer::OK);
    EXPECT_EQ(j.Run(), 0);
    EXPECT_EQ(Titles(p), (std::vector<std::string>{kOutOfPlace, kOutOfPlace}));
    EXPECT_EQ(p.boxes[0].text,
              "The piece " + j.pieces[1] + " was joined as piece 2 of 4, but its record says it "
              "is piece 3 of 4: it may be out of place or belong to another series. You may "
              "continue, but the assembled file(s) may not match the original.");
    EXPECT_EQ(p.boxes[0].Icon(), mb::Critical);
    EXPECT_NE(p.boxes[1].text.find("piece 3 of 4, but its record says it is piece 2 of 4"),
              std::string::npos);
    EXPECT_EQ(ReadAll(j.a.BigFile).size(), j.data.size());
}

TEST(AssemblerIntegrity, APieceOfAnotherSeriesIsReported) {
    ScriptedPrompter p;
    Join j;
    testing::Format4Options o;
    o.data = 800;  // five pieces, the third of another length
    auto foreign = testing::WriteFormat4Series(j.other, Random(3900, 2), o, testing::Dotted3("data"));
    j.src.Write("data.003", ReadAll(foreign[2]));
    p.Answer(Answer::OK).Answer(Answer::OK);
    EXPECT_EQ(j.Run(), 0);
    EXPECT_EQ(Titles(p), (std::vector<std::string>{kOutOfPlace, "Validation error - length mismatch"}));
    EXPECT_NE(p.boxes[0].text.find("joined as piece 3 of 4, but its record says it is piece 3 of 5"),
              std::string::npos);
    EXPECT_EQ(p.boxes[1].text,
              "The assembled file " + j.a.BigFile + " holds 3800 bytes, but the series' header "
              "gives its length as 4000 bytes: pieces may be missing, out of place or from "
              "another series. The assembled file(s) may not match the original.");
}

TEST(AssemblerIntegrity, AHeaderCountOfOneIsReportedAsWellAsTheShortResult) {
    ScriptedPrompter p;
    Join j;
    std::string first = ReadAll(j.pieces[0]);
    first[50] = 1;  // the piece count, right after the common header
    j.src.Write("data.001", first);
    p.Answer(Answer::OK).Answer(Answer::OK);
    EXPECT_EQ(j.Run(), 0);
    EXPECT_EQ(Titles(p), (std::vector<std::string>{kOutOfPlace, "Validation error - length mismatch"}));
    EXPECT_NE(p.boxes[0].text.find("joined as piece 1 of 1, but its record says it is piece 1 of 4"),
              std::string::npos);
}

TEST(AssemblerIntegrity, APieceNeverFinishedIsSaidSoInsteadOfACrcBox) {
    ScriptedPrompter p;
    Join j;
    std::string second = ReadAll(j.pieces[1]);
    second.replace(0, 12, "xxxxxxxxxxxx");
    j.src.Write("data.002", second);
    p.Answer(Answer::OK);
    EXPECT_EQ(j.Run(), 0);
    ASSERT_EQ(Titles(p), (std::vector<std::string>{kOutOfPlace}));
    EXPECT_EQ(p.boxes[0].text,
              "The piece " + j.pieces[1] + " was never finished: its record still holds the "
              "placeholder written while the piece was being written. You may continue, but the "
              "assembled file(s) may not match the original.");
}

TEST(AssemblerIntegrity, ADamagedFormatTextIsNotJoinedAsBareData) {
    for (size_t at : {2u, 20u, 37u}) {
        SCOPED_TRACE(at);
        ScriptedPrompter p;
        Join j;
        std::string first = ReadAll(j.pieces[0]);
        first[at] ^= 0x20;
        j.src.Write("data.001", first);
        p.Answer(Answer::OK);
        EXPECT_EQ(j.Run(), 1);
        ASSERT_EQ(p.boxes.size(), 1u);
        EXPECT_EQ(p.boxes[0].title, "Unable to assemble - damaged header");
        EXPECT_NE(p.boxes[0].text.find(j.pieces[0]), std::string::npos);
        EXPECT_TRUE(std::filesystem::is_empty(j.dest.Path()));
        EXPECT_EQ(j.events.starts, 0);
    }
    // Bare data that merely opens with the same length is bare data.
    ScriptedPrompter p;
    Join j;
    const std::string data = std::string("\x24\x00", 2) + Random(3000, 4);
    testing::WriteRawSeries(j.other, data, 1000, testing::Dotted3("bare.bin"));
    j.a.SetFileToAssemble(j.other.File("bare.bin.001"));
    j.a.SetDestinationFolder(j.dest.Path());
    j.a.SegmentSize = 512;
    std::string d = j.dest.Path();
    EXPECT_EQ(j.a.Assemble(d), 0);
    EXPECT_EQ(ReadAll(j.dest.File("bare.bin")), data);
    EXPECT_TRUE(p.boxes.empty());
}

TEST(AssemblerIntegrity, AFreshJoinThatFailsLeavesNoPartialOutput) {
    ScriptedPrompter p;
    Join j;
    testing::FaultyIo full(testing::FaultyIo::Kind::Write, j.dest.File("data.bin"), 1500);
    p.Answer(Answer::OK);
    try {
        j.Run();
        ADD_FAILURE() << "joined";
    } catch (const KbError& e) {
        EXPECT_EQ(e.Number(), err::DiskFull);
    }
    EXPECT_GE(testing::FaultyIo::Failures(), 1);
    ASSERT_EQ(Titles(p), (std::vector<std::string>{"Fatal error"}));
    EXPECT_FALSE(std::filesystem::exists(j.dest.File("data.bin")));
}

TEST(AssemblerIntegrity, ATaskFileThatCannotBeWrittenIsFatalAndTheOutputGoes) {
    ScriptedPrompter p;
    Join j;
    j.events.cancelAtInterval = 2;
    j.events.saveAs = j.other.File("job.uft");
    testing::FaultyIo full(testing::FaultyIo::Kind::Write, j.events.saveAs, 0);
    p.Answer(Answer::OK);
    try {
        j.Run();
        ADD_FAILURE() << "no error";
    } catch (const KbError& e) {
        EXPECT_EQ(e.Number(), err::DiskFull);
    }
    ASSERT_EQ(Titles(p), (std::vector<std::string>{"Fatal error"}));
    EXPECT_TRUE(std::filesystem::is_empty(j.dest.Path()));
}

TEST(AssemblerIntegrity, AResumedJoinThatFailsKeepsItsOutputForItsTask) {
    ScriptedPrompter p;
    Join j;
    j.events.cancelAtInterval = 2;
    j.events.saveAs = j.other.File("job.uft");
    ASSERT_EQ(j.Run(), 1);
    const std::string out = j.dest.File("data.bin.part");
    ASSERT_TRUE(std::filesystem::exists(out));

    testing::FaultyIo full(testing::FaultyIo::Kind::Write, out, 1500);
    ActiveAssembler again;
    ASSERT_TRUE(again.SetResumeInfo(j.events.saveAs));
    p.Answer(Answer::OK);
    std::string d;
    EXPECT_THROW(again.Assemble(d), KbError);
    EXPECT_EQ(std::filesystem::file_size(out), 1500u);
}

}  // namespace
}  // namespace kb
