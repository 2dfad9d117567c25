// Series of the older header format: passphrase check and deciphering, the 4-byte trailers,
// the ".cab" rule, and cancelling, which such sets cannot save.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/core/active_assembler.h"
#include "app/core/temp_manager.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/core/testing/temp_folder.h"
#include "app/core/tests/assembler_listener_fake.h"
#include "app/core/tests/series_fixtures.h"

namespace kb {
namespace {

using testing::ReadAll;
using testing::ScriptedPrompter;
using testing::TempFolder;

std::string Random(size_t n, uint32_t seed = 11) {
    auto v = testing::RandomBytes(n, seed);
    return std::string(v.begin(), v.end());
}

struct LegacyJoin {
    TempFolder src, dest;
    testing::ScriptedAssemblerListener events;
    ActiveAssembler a;
    std::vector<std::string> pieces;
    LegacyJoin(const std::string& data, const testing::LegacyOptions& o) {
        a.SetListener(&events);
        pieces = testing::WriteLegacySeries(src, data, o, testing::Dotted3("old"));
        a.SetFileToAssemble(pieces[0]);
        a.SetDestinationFolder(dest.Path());
    }
    int16_t Run(int32_t segment) {
        a.SegmentSize = segment;
        std::string d = dest.Path();
        return a.Assemble(d);
    }
};

TEST(AssemblerLegacy, PassphraseIsAskedAgainUntilItsCheckValueMatches) {
    ScriptedPrompter p;
    const std::string data = Random(2600);
    testing::LegacyOptions o;
    o.passphrase = "open sesame";
    LegacyJoin j(data, o);
    j.events.passphrases = {"wrong", "also wrong", "open sesame"};
    ASSERT_EQ(j.Run(333), 0);  // the chunks do not follow the pieces
    EXPECT_EQ(j.events.firstRequests, (std::vector<bool>{true, false, false}));
    EXPECT_EQ(ReadAll(j.dest.File("old.bin")), data);
    EXPECT_EQ(j.a.LastFileFormatUsed, 10);
    EXPECT_TRUE(p.boxes.empty());
}

TEST(AssemblerLegacy, CancellingThePassphraseCreatesNoOutput) {
    ScriptedPrompter p;
    testing::LegacyOptions o;
    o.passphrase = "secret";
    LegacyJoin j(Random(1500), o);
    j.events.passphrases = {"nope"};
    EXPECT_EQ(j.Run(256), 1);
    EXPECT_EQ(j.events.firstRequests, (std::vector<bool>{true, false}));
    EXPECT_TRUE(std::filesystem::is_empty(j.dest.Path()));
}

TEST(AssemblerLegacy, TrailersAreDroppedWhereverTheChunksEnd) {
    // 262146 data bytes a piece with segments of 262144: the trailer would straddle chunks.
    struct Case {
        size_t data, each;
        int32_t segment;
    };
    for (const Case& c : std::vector<Case>{{2500, 1000, 300}, {524292, 262146, 262144},
                                           {1500, 1000, 1000}}) {
        ScriptedPrompter p;
        const std::string data = Random(c.data);
        testing::LegacyOptions o;
        o.trailer = true;
        o.data = c.each;
        LegacyJoin j(data, o);
        ASSERT_EQ(j.Run(c.segment), 0);
        EXPECT_EQ(ReadAll(j.dest.File("old.bin")), data) << c.data << "/" << c.segment;
    }
}

TEST(AssemblerLegacy, ACabNameInAnyCaseMeansACompressedArchive) {
    ScriptedPrompter p;
    testing::TempFolder tmp;
    testing::ScopedEnv env("TMPDIR", tmp.Path());
    const std::string data = Random(1200);
    testing::LegacyOptions o;
    o.name = "Bundle.CAB";
    LegacyJoin j(data, o);
    ASSERT_EQ(j.Run(500), 0);
    EXPECT_EQ(j.a.CompressionID, 2);
    EXPECT_EQ(j.a.EncryptionID, 0);
    EXPECT_EQ(TempManager::Instance().GetTempFilePath("AssEncArchive"), j.a.BigFile);
    EXPECT_EQ(ReadAll(j.a.BigFile), data);
    TempManager::Instance().RemoveTempFile("AssEncArchive", true);
}

TEST(AssemblerLegacy, CancelInsideAPieceCannotBeSavedAndTheJoinGoesOn) {
    ScriptedPrompter p;
    const std::string data = Random(3000);
    LegacyJoin j(data, {});
    TempFolder tasks;
    j.events.cancelAtInterval = 2;
    j.events.saveAs = tasks.File("t.uft");
    p.Answer(Answer::OK);
    ASSERT_EQ(j.Run(400), 0);
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].title, "Unable to save state");
    EXPECT_EQ(p.boxes[0].text,
              "State saving is only supported for unformatted and Kestrelbinder 4.0 and later "
              "pieces");
    EXPECT_EQ(ReadAll(j.dest.File("old.bin")), data);
    EXPECT_FALSE(std::filesystem::exists(tasks.File("t.uft")));
}

}  // namespace
}  // namespace kb
