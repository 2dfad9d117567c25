// Joining series: round trips of both formats, the CRC check, the temporary output of
// packed or enciphered sets, unreadable media, disk requests, refused names and full disks.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <unistd.h>

#include <cstdlib>

#include "app/core/active_assembler.h"
#include "app/core/kb_error.h"
#include "app/core/temp_manager.h"
#include "app/core/testing/fake_disks.h"
#include "app/core/testing/faulty_io.h"
#include "app/core/testing/open_hook.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/core/testing/temp_folder.h"
#include "app/core/tests/assembler_listener_fake.h"
#include "app/core/tests/series_fixtures.h"
#include "platform/read_ahead.h"

namespace kb {
namespace {

using testing::ReadAll;
using testing::ScriptedAssemblerListener;
using testing::ScriptedPrompter;
using testing::TempFolder;

std::string Random(size_t n, uint32_t seed = 7) {
    auto v = testing::RandomBytes(n, seed);
    return std::string(v.begin(), v.end());
}

struct Join {
    TempFolder src;
    TempFolder dest;
    ScriptedAssemblerListener events;
    ActiveAssembler a;
    Join() { a.SetListener(&events); }
    int16_t Run(const std::string& first, int32_t segment) {
        a.SetFileToAssemble(first);
        a.SetDestinationFolder(dest.Path());
        a.SegmentSize = segment;
        std::string d = dest.Path();
        return a.Assemble(d);
    }
};

TEST(AssemblerJoin, OwnFormatRoundTrips) {
    struct Case {
        size_t size, first, each;
        int32_t segment;
    };
    // Segments that divide the pieces and ones that do not, a different first piece, a
    // segment larger than a piece, and a source of no bytes.
    for (const Case& c : std::vector<Case>{{5000, 1000, 1500, 300},
                                           {4500, 1500, 1500, 500},
                                           {3000, 3000, 1000, 100000},
                                           {2999, 700, 1000, 1},
                                           {0, 1000, 1000, 64}}) {
        ScriptedPrompter p;
        Join j;
        const std::string data = Random(c.size);
        testing::Format4Options o;
        o.firstData = c.first;
        o.data = c.each;
        auto pieces = testing::WriteFormat4Series(j.src, data, o, testing::Dotted3("data"));
        ASSERT_EQ(j.Run(pieces[0], c.segment), 0) << c.size << "/" << c.segment;
        EXPECT_EQ(j.a.BigFile, j.dest.File("data.bin"));
        EXPECT_EQ(ReadAll(j.a.BigFile), data);
        EXPECT_EQ(j.a.LastFileFormatUsed, 11);
        EXPECT_EQ(j.events.starts, 1);
        // Pending window messages run after every chunk.
        EXPECT_EQ(p.doEventsCount, static_cast<int>(j.events.totals.size()));
        if (!j.events.totals.empty()) {
            EXPECT_EQ(j.events.totals.back(), 100);
        }
        EXPECT_TRUE(p.boxes.empty()) << p.boxes[0].text;
    }
}

TEST(AssemblerJoin, BareSeriesOfOtherProgramsKeepTheirNamesAndCase) {
    ScriptedPrompter p;
    Join j;
    const std::string data = Random(10000, 3);
    const std::string source = j.src.Write("Movie.avi", data);
    const std::string cmd = "cd '" + j.src.Path() +
                            "' && split -b 3000 --numeric-suffixes=1 -a 3 Movie.avi Movie.avi. && "
                            "rm Movie.avi";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    ASSERT_EQ(j.Run(j.src.File("Movie.avi.001"), 1024), 0);
    EXPECT_EQ(j.a.BigFile, j.dest.File("Movie.avi"));
    EXPECT_EQ(ReadAll(j.dest.File("Movie.avi")), data);
    EXPECT_EQ(j.a.LastFileFormatUsed, 1);

    Join k;
    testing::WriteRawSeries(k.src, data, 4000,
                            [](int32_t i) { return "Clip - " + std::to_string(i) + ".frg"; });
    ASSERT_EQ(k.Run(k.src.File("Clip - 1.frg"), 999), 0);
    EXPECT_EQ(ReadAll(k.dest.File("Clip")), data);
    EXPECT_TRUE(p.boxes.empty());
}

// coreutils' split numbers from 0 unless told otherwise: such a series is counted, joined,
// checked for a missing piece and resumed from its piece 0.
TEST(AssemblerJoin, ABareSeriesNumberedFromZeroJoinsWhole) {
    const std::string data = Random(10000, 5);
    const auto cut = [&](const TempFolder& dir) {
        dir.Write("big.bin", data);
        const std::string cmd = "cd '" + dir.Path() +
                                "' && split -b 3000 -d -a 3 big.bin big.bin. && rm big.bin";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        ASSERT_TRUE(std::filesystem::exists(dir.File("big.bin.003")));
    };
    {
        ScriptedPrompter p;
        Join j;
        cut(j.src);
        j.a.SetFileToAssemble(j.src.File("big.bin.000"));
        EXPECT_EQ(j.a.FragmentCount(), 4);
        ASSERT_EQ(j.Run(j.src.File("big.bin.000"), 1024), 0);
        EXPECT_EQ(j.a.BigFile, j.dest.File("big.bin"));
        EXPECT_TRUE(ReadAll(j.a.BigFile) == data);
        EXPECT_TRUE(p.boxes.empty());
    }
    {
        SCOPED_TRACE("a missing piece with a later one beside it");
        ScriptedPrompter p;
        Join j;
        cut(j.src);
        std::filesystem::remove(j.src.File("big.bin.001"));
        p.Answer(Answer::Cancel);
        EXPECT_EQ(j.Run(j.src.File("big.bin.000"), 1024), 1);
        ASSERT_EQ(p.boxes.size(), 1u);
        EXPECT_EQ(p.boxes[0].title, "Missing piece");
        EXPECT_EQ(p.boxes[0].text.rfind("Piece 2 of this series, " + j.src.File("big.bin.001") +
                                            ", is missing, but a later piece, " +
                                            j.src.File("big.bin.002") + ", is there. Only pieces "
                                            "1 to 1 can be joined",
                                        0),
                  0u)
            << p.boxes[0].text;
        EXPECT_TRUE(std::filesystem::is_empty(j.dest.Path()));
    }
    {
        SCOPED_TRACE("stopped and resumed");
        ScriptedPrompter p;
        Join j;
        TempFolder tasks;
        cut(j.src);
        j.events.cancelAtInterval = 5;
        j.events.saveAs = tasks.File("job.uft");
        ASSERT_EQ(j.Run(j.src.File("big.bin.000"), 1000), 1);
        ActiveAssembler b;
        ASSERT_TRUE(b.SetResumeInfo(tasks.File("job.uft")));
        std::string d;
        ASSERT_EQ(b.Assemble(d), 0);
        EXPECT_TRUE(ReadAll(j.dest.File("big.bin")) == data);
        EXPECT_TRUE(p.boxes.empty());
    }
}

// A later piece chosen stands for its whole series: the join starts on the series' first piece
// (number 0 of a coreutils set, else number 1, an own-format piece 1 too), as the wizard
// restarts there, and never joins a piece twice. Without its first piece a series counts none.
TEST(AssemblerJoin, AChosenLaterPieceJoinsItsSeriesFromTheFirstPiece) {
    const std::string data = Random(10000, 8);
    struct Case {
        const char* what;
        const char* split;  // coreutils' split options; nullptr: an own-format series
        const char* chosen;
        const char* removed;  // a piece taken away first, or nullptr
    };
    for (const Case& c : {Case{"numbered from 0", "-d -a 3", "big.bin.002", nullptr},
                          Case{"numbered from 1", "--numeric-suffixes=1 -a 3", "big.bin.003", nullptr},
                          Case{"own format", nullptr, "big.003", nullptr},
                          Case{"its first piece gone", "--numeric-suffixes=1 -a 3", "big.bin.002",
                               "big.bin.001"}}) {
        SCOPED_TRACE(c.what);
        ScriptedPrompter p;
        Join j;
        if (c.split != nullptr) {
            j.src.Write("big.bin", data);
            const std::string cmd = "cd '" + j.src.Path() + "' && split -b 3000 " + c.split +
                                    " big.bin big.bin. && rm big.bin";
            ASSERT_EQ(std::system(cmd.c_str()), 0);
        } else {
            testing::Format4Options o;
            o.name = "big.bin";
            o.firstData = o.data = 3000;
            testing::WriteFormat4Series(j.src, data, o, testing::Dotted3("big"));
        }
        if (c.removed != nullptr) {
            std::filesystem::remove(j.src.File(c.removed));
            p.Answer(Answer::OK);
            EXPECT_EQ(j.Run(j.src.File(c.chosen), 1024), 1);
            ASSERT_EQ(p.boxes.size(), 1u);
            EXPECT_EQ(p.boxes[0].text.rfind("An unknown problem occurred in FragmentCount()", 0), 0u);
            EXPECT_TRUE(std::filesystem::is_empty(j.dest.Path()));
            continue;
        }
        ASSERT_EQ(j.Run(j.src.File(c.chosen), 1024), 0);
        EXPECT_EQ(j.a.BigFile, j.dest.File("big.bin"));
        EXPECT_TRUE(ReadAll(j.a.BigFile) == data);
        EXPECT_TRUE(p.boxes.empty()) << p.boxes[0].text;
    }
}

TEST(AssemblerJoin, ACorruptedByteShowsTheCrcBoxForThatPieceOnly) {
    ScriptedPrompter p;
    Join j;
    const std::string data = Random(4000);
    auto pieces = testing::WriteFormat4Series(j.src, data, {}, testing::Dotted3("data"));
    std::string second = ReadAll(pieces[1]);
    second[500] ^= 0x01;
    j.src.Write("data.002", second);
    p.Answer(Answer::OK);
    EXPECT_EQ(j.Run(pieces[0], 256), 0);
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].title, "Validation error - CRC32 Mismatch");
    EXPECT_EQ(p.boxes[0].text,
              "The CRC-32 values are incorrect for piece 2 indicating corruption. You may "
              "continue, but the assembled file(s) may not match the original.");
    EXPECT_EQ(p.boxes[0].Icon(), mb::Critical);
}

TEST(AssemblerJoin, PackedOrEncipheredSetsGoToTheTemporaryArchive) {
    ScriptedPrompter p;
    Join j;
    testing::ScopedEnv tmp("TMPDIR", j.src.Path());
    const std::string data = Random(2500);
    testing::Format4Options o;
    o.encryption = 3;
    auto pieces = testing::WriteFormat4Series(j.src, data, o, testing::Dotted3("data"));
    ASSERT_EQ(j.Run(pieces[0], 300), 0);
    EXPECT_EQ(j.a.EncryptionID, 3);
    EXPECT_EQ(TempManager::Instance().GetTempFilePath("AssEncArchive"), j.a.BigFile);
    EXPECT_EQ(j.a.BigFile.rfind(j.src.Path() + "/kbt", 0), 0u) << j.a.BigFile;
    EXPECT_EQ(ReadAll(j.a.BigFile), data);
    EXPECT_FALSE(std::filesystem::exists(j.dest.File("data.bin")));
    TempManager::Instance().RemoveTempFile("AssEncArchive", true);

    // The same object then joins a bare set: while it runs (the save question reads them) and
    // after it, the set names neither a compressor nor an encryptor.
    auto bare = testing::WriteRawSeries(j.src, data, 1000, testing::Dotted3("Bare.txt"));
    std::vector<int32_t> seen;
    j.events.onInterval = [&](int) { seen.push_back(j.a.EncryptionID + j.a.CompressionID); };
    ASSERT_EQ(j.Run(bare[0], 300), 0);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen, std::vector<int32_t>(seen.size(), 0));
    EXPECT_EQ(j.a.BigFile, j.dest.File("Bare.txt"));
}

TEST(AssemblerJoin, APieceThatShrinksWhileReadEndsInTheUnreadableMediaBox) {
    for (Answer answer : {Answer::Cancel, Answer::OK}) {
        ScriptedPrompter p;
        Join j;
        const std::string data = Random(3000);
        testing::Format4Options o;
        o.data = 2000;  // piece 2: eight chunks
        auto pieces = testing::WriteFormat4Series(j.src, data, o, testing::Dotted3("data"));
        // Chunks of 250 bytes: the fifth interval is the first chunk of piece 2. The piece
        // shrinks past the chunks its reader may already hold ahead, to 100 bytes into the
        // next one.
        const int held = platform::ReadAhead::kMaxDepth;
        j.events.onInterval = [&](int i) {
            if (i == 5) {
                ASSERT_EQ(truncate(pieces[1].c_str(), 12 + held * 250 + 100), 0);
            }
        };
        p.Answer(answer);
        // Then the chunks that find nothing, and the CRC box.
        const int empty = 8 - held - 1;
        if (answer == Answer::OK) {
            for (int i = 0; i < empty + 1; ++i) p.Answer(Answer::OK);
        }
        const int16_t r = j.Run(pieces[0], 250);
        ASSERT_GE(p.boxes.size(), 1u);
        EXPECT_EQ(p.boxes[0].title, "Unable to read media");
        EXPECT_EQ(p.boxes[0].Buttons(), mb::OKCancel);
        if (answer == Answer::Cancel) {
            EXPECT_EQ(r, 1);
            EXPECT_EQ(p.boxes.size(), 1u);
            EXPECT_FALSE(std::filesystem::exists(j.a.BigFile)) << "no partial file left whole-looking";
        } else {
            EXPECT_EQ(r, 0);
            std::string out = ReadAll(j.a.BigFile);
            ASSERT_EQ(out.size(), data.size());
            // The bytes the piece still held, then zeros, never an earlier chunk again.
            const size_t kept = 1000 + held * 250 + 100;
            EXPECT_EQ(out.substr(0, kept), data.substr(0, kept));
            EXPECT_EQ(out.substr(kept), std::string(data.size() - kept, '\0'));
            ASSERT_EQ(p.boxes.size(), 1u + empty + 1u);
            EXPECT_EQ(p.boxes.back().title, "Validation error - CRC32 Mismatch");
        }
    }
}

TEST(AssemblerJoin, DisksAreRequestedOnlyWhenPieceTwoIsAbsentOnARemovableDrive) {
    for (bool presentAtStart : {false, true}) {
        ScriptedPrompter p;
        testing::FakeDisks disks;
        disks.kind = platform::DriveKind::Removable;
        Join j;
        const std::string data = Random(3500);
        TempFolder shelf;
        auto pieces = testing::WriteFormat4Series(shelf, data, {}, testing::Dotted3("data"));
        j.src.Write("data.001", ReadAll(pieces[0]));
        if (presentAtStart) {
            for (int i = 2; i <= 4; ++i)
                j.src.Write("data.00" + std::to_string(i), ReadAll(pieces[i - 1]));
        }
        // "Changing the disk" puts the requested piece in place.
        j.events.onDisk = [&](int32_t n, bool&, std::string&) {
            j.src.Write("data.00" + std::to_string(n), ReadAll(pieces[n - 1]));
        };
        ASSERT_EQ(j.Run(j.src.File("data.001"), 400), 0);
        EXPECT_EQ(ReadAll(j.a.BigFile), data);
        const std::vector<int32_t> expected =
            presentAtStart ? std::vector<int32_t>{} : std::vector<int32_t>{2, 3, 4};
        EXPECT_EQ(j.events.disks, expected);
    }
}

TEST(AssemblerJoin, SetsCountingNoPiecesAreRefusedBeforeAnythingIsWritten) {
    ScriptedPrompter p;
    Join j;
    testing::LegacyOptions o;
    o.countOverride = -2;
    auto pieces = testing::WriteLegacySeries(j.src, Random(1500), o, testing::Dotted3("old"));
    const std::string bare = j.src.Write("Lone.avi.002", "piece two only");
    for (const std::string& first : {pieces[0], bare}) {
        p.boxes.clear();
        p.Answer(Answer::OK);
        EXPECT_EQ(j.Run(first, 100), 1);
        ASSERT_EQ(p.boxes.size(), 1u);
        EXPECT_EQ(p.boxes[0].text,
                  "An unknown problem occurred in FragmentCount() - source drive may be "
                  "inaccessible");
        EXPECT_EQ(p.boxes[0].title, kAppTitle);
    }
    EXPECT_TRUE(std::filesystem::is_empty(j.dest.Path()));

    // A header cut short fails the count too, and leaves no file open in a slot.
    const std::string cut = j.src.Write(
        "cut.001", testing::CommonHeader(4) + testing::LeBytes().I32(2).I16(500).Raw("ab").s);
    p.boxes.clear();
    p.Answer(Answer::OK);
    EXPECT_EQ(j.Run(cut, 100), 1);
    ASSERT_EQ(p.boxes.size(), 1u);
    for (int16_t slot : {1, 2}) {
        int64_t pos = 0;
        EXPECT_NE(platform::bigfileGetPos(slot, pos), 0) << "slot " << slot << " left open";
    }
}

TEST(AssemblerJoin, NamesFromTheHeaderNeverLeaveTheDestination) {
    struct Case {
        std::string name, tmpl;
        bool refused;
        std::string written;
    };
    for (const Case& c : std::vector<Case>{{"..", "%f.%N", true, ""},
                                           {"", "%f.%N", true, ""},
                                           {"ok.bin", "../%f.%N", true, ""},
                                           {"ok.bin", "%f.bin", true, ""},  // no number
                                           // A NUL ends the name where the system reads it:
                                           // every piece would be the file "ok".
                                           {"ok.bin", std::string("ok\0%N", 5), true, ""},
                                           {std::string("ok\0.bin", 7), "%f.%N", true, ""},
                                           {"../../up/ok.bin", "%f.%N", false, "ok.bin"}}) {
        ScriptedPrompter p;
        Join j;
        testing::Format4Options o;
        o.name = c.name;
        o.tmpl = c.tmpl;
        // Pieces are named from the stored name's file-name part, as the splitter names them.
        auto pieces = testing::WriteFormat4Series(j.src, Random(1500), o, testing::Dotted3("ok"));
        if (c.refused) p.Answer(Answer::OK);
        EXPECT_EQ(j.Run(pieces[0], 512), c.refused ? 1 : 0) << c.name << " " << c.tmpl;
        if (c.refused) {
            ASSERT_EQ(p.boxes.size(), 1u);
            EXPECT_EQ(p.boxes[0].title, "Unable to assemble");
            EXPECT_TRUE(std::filesystem::is_empty(j.dest.Path()));
        } else {
            EXPECT_TRUE(std::filesystem::exists(j.dest.File(c.written)));
        }
    }
}

TEST(AssemblerJoin, AnOutputNamedLikeAPieceNeverEmptiesThatPiece) {
    // The stored name is that of a piece when the set is joined into the pieces' own folder; a
    // piece missing before it does not hide it.
    struct Case {
        const char* name;
        size_t named, missing;  // piece numbers, 0 for none
    } cases[] = {{"clip.002", 2, 0}, {"clip.003", 3, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedPrompter p;
        Join j;
        testing::Format4Options o;
        o.name = c.name;
        auto pieces = testing::WriteFormat4Series(j.src, Random(3000), o, testing::Dotted3("clip"));
        if (c.missing) std::filesystem::remove(pieces[c.missing - 1]);
        const std::string before = ReadAll(pieces[c.named - 1]);
        p.Answer(Answer::OK);
        j.a.SetFileToAssemble(pieces[0]);
        j.a.SetDestinationFolder(j.src.Path());
        std::string d = j.src.Path();
        EXPECT_EQ(j.a.Assemble(d), 1);
        ASSERT_EQ(p.boxes.size(), 1u);
        EXPECT_EQ(p.boxes[0].title, "Unable to assemble");
        EXPECT_EQ(ReadAll(pieces[c.named - 1]), before);
    }
}

TEST(AssemblerJoin, AFailedWriteIsAFatalErrorNotASuccess) {
    ScriptedPrompter p;
    Join j;
    auto pieces = testing::WriteFormat4Series(j.src, Random(3000), {}, testing::Dotted3("data"));
    testing::FaultyIo full(testing::FaultyIo::Kind::Write, j.dest.File("data.bin"), 0);
    full.FailWith(EROFS);  // not a want of room, which is asked about
    p.Answer(Answer::OK);
    try {
        j.Run(pieces[0], 512);
        FAIL();
    } catch (const KbError& e) {
        EXPECT_EQ(e.Number(), err::DiskFull);
    }
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].title, "Fatal error");
    EXPECT_EQ(p.boxes[0].text.rfind("A fatal error has occurred in function Assemble(), sector 0", 0),
              0u);
}

// A series names its own output: whatever already has that name, or the unfinished name
// beside it, is the user's and goes only after a Yes, at the final rename; a link is never
// written through.
TEST(AssemblerJoin, WhatAlreadyHasTheOutputsNameGoesOnlyAfterAYes) {
    namespace fs = std::filesystem;
    enum class Kind { File, Link, DanglingLink, LeftoverPart, PartLink };
    for (Kind kind : {Kind::File, Kind::Link, Kind::DanglingLink, Kind::LeftoverPart, Kind::PartLink}) {
        for (Answer answer : {Answer::No, Answer::Yes}) {
            SCOPED_TRACE(static_cast<int>(kind) * 10 + static_cast<int>(answer));
            ScriptedPrompter p;
            Join j;
            TempFolder elsewhere;
            const std::string data = Random(3000);
            auto pieces = testing::WriteFormat4Series(j.src, data, {}, testing::Dotted3("data"));
            const std::string out = j.dest.File("data.bin");
            const std::string part = out + ".part";
            const std::string target = elsewhere.Write("mine", "the user's own file");
            const bool onPart = kind == Kind::LeftoverPart || kind == Kind::PartLink;
            const std::string planted = onPart ? part : out;
            if (kind == Kind::File || kind == Kind::LeftoverPart)
                j.dest.Write(fs::path(planted).filename(), "mine");
            else
                fs::create_symlink(kind == Kind::DanglingLink ? elsewhere.File("none") : target, planted);
            p.Answer(answer);

            EXPECT_EQ(j.Run(pieces[0], 512), answer == Answer::Yes ? 0 : 1);
            ASSERT_EQ(p.boxes.size(), 1u);
            EXPECT_EQ(p.boxes[0].title, "File already exists");
            EXPECT_EQ(p.boxes[0].text, planted + " already exists. Replace it with the joined file?");
            EXPECT_EQ(p.boxes[0].style, mb::YesNo | mb::Exclamation | mb::DefaultButton2);
            EXPECT_EQ(ReadAll(target), "the user's own file");
            EXPECT_FALSE(fs::exists(elsewhere.File("none")));
            if (answer == Answer::No) {
                EXPECT_TRUE(fs::exists(fs::symlink_status(planted)));
                if (kind == Kind::File || kind == Kind::LeftoverPart) {
                    EXPECT_EQ(ReadAll(planted), "mine");
                }
                EXPECT_FALSE(fs::exists(fs::symlink_status(onPart ? out : part)));
            } else {
                EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(out)));
                EXPECT_EQ(ReadAll(out), data);
                EXPECT_FALSE(fs::exists(fs::symlink_status(part)));
                EXPECT_EQ(j.a.BigFile, out);
            }
        }
    }
}

// The replacement happens only once the joined file is whole: a join that fails after the
// Yes leaves the user's file as it was, and removes only what it wrote itself.
TEST(AssemblerJoin, AJoinThatFailsAfterAYesKeepsTheFileItWouldHaveReplaced) {
    ScriptedPrompter p;
    Join j;
    auto pieces = testing::WriteFormat4Series(j.src, Random(3000), {}, testing::Dotted3("data"));
    const std::string out = j.dest.Write("data.bin", "mine");
    testing::FaultyIo full(testing::FaultyIo::Kind::Write, out + ".part", 1500);
    full.FailWith(EROFS);  // not a want of room, which is asked about
    p.Answer(Answer::Yes).Answer(Answer::OK);
    EXPECT_THROW(j.Run(pieces[0], 512), KbError);
    ASSERT_EQ(p.boxes.size(), 2u);
    EXPECT_EQ(p.boxes[1].title, "Fatal error");
    EXPECT_EQ(ReadAll(out), "mine");
    EXPECT_FALSE(std::filesystem::exists(out + ".part"));
}

// Until the last piece is in, the output carries a name that cannot pass for the whole file.
TEST(AssemblerJoin, TheOutputIsUnfinishedByNameUntilEveryPieceIsIn) {
    ScriptedPrompter p;
    Join j;
    const std::string data = Random(3000);
    auto pieces = testing::WriteFormat4Series(j.src, data, {}, testing::Dotted3("data"));
    std::vector<std::string> seen;
    p.OnDoEvents([&] {
        for (const auto& e : std::filesystem::directory_iterator(j.dest.Path()))
            seen.push_back(e.path().filename());
    });
    EXPECT_EQ(j.Run(pieces[0], 512), 0);
    EXPECT_FALSE(seen.empty());
    for (const auto& name : seen) EXPECT_EQ(name, "data.bin.part");
    EXPECT_EQ(ReadAll(j.dest.File("data.bin")), data);
    EXPECT_EQ(std::filesystem::file_size(j.dest.Path() + "/data.bin"), data.size());
    EXPECT_FALSE(std::filesystem::exists(j.dest.File("data.bin.part")));
}

// Another join of the set into the folder (in another window, say) makes its ".part" just
// after this one looked for one and just before it makes its own: this one finds it there and
// asks, and the other's unfinished file stays as the other join wrote it.
TEST(AssemblerJoin, TwoJoinsIntoOneFolderNeverShareOneUnfinishedFile) {
    ScriptedPrompter p;
    Join j;
    const std::string data = Random(3000, 8);
    auto pieces = testing::WriteFormat4Series(j.src, data, {}, testing::Dotted3("data"));
    const std::string part = j.dest.File("data.bin.part");
    testing::OpenHook other("/data.bin.part", [&] { j.dest.Write("data.bin.part", data.substr(0, 512)); });
    p.Answer(Answer::No);
    EXPECT_EQ(j.Run(pieces[0], 1024), 1);
    EXPECT_TRUE(testing::OpenHook::Ran());
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].title, "File already exists");
    EXPECT_EQ(p.boxes[0].text.rfind(part + " already exists.", 0), 0u) << p.boxes[0].text;
    EXPECT_EQ(ReadAll(part), data.substr(0, 512));
    EXPECT_FALSE(std::filesystem::exists(j.dest.File("data.bin")));
}

// Writes into a file whose folder is gone all succeed; the join must not report success.
TEST(AssemblerJoin, AnOutputWhoseFolderWasRemovedIsNotWritten) {
    ScriptedPrompter p;
    Join j;
    auto pieces = testing::WriteFormat4Series(j.src, Random(3000), {}, testing::Dotted3("data"));
    p.OnDoEvents([&] { std::filesystem::remove_all(j.dest.Path()); });
    p.Answer(Answer::OK);
    EXPECT_EQ(j.Run(pieces[0], 512), 1);
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].title, "Problem writing data");
    EXPECT_NE(p.boxes[0].text.find("data.bin.part was removed"), std::string::npos) << p.boxes[0].text;
    std::filesystem::create_directory(j.dest.Path());  // for the fixture's clean-up
}

TEST(AssemblerPercent, HalvesGoToEvenAndTheFigureIsClamped) {
    EXPECT_EQ(GetPercentDone(1, 200, 1000, 1000), 0);  // 0.5 -> 0
    EXPECT_EQ(GetPercentDone(1, 200, 3000, 1000), 2);  // 1.5 -> 2
    EXPECT_EQ(GetPercentDone(1, 200, 5000, 1000), 2);  // 2.5 -> 2
    EXPECT_EQ(GetPercentDone(3, 2, 500, 1000), 100);   // a later piece longer than the current
    EXPECT_DOUBLE_EQ(GetPercentDoneThisFrag(1, 3), 100.0 / 3);
}

TEST(AssemblerPercent, APieceOfNoLengthIsAFatalErrorOfItsStep) {
    ScriptedPrompter p;
    p.Answer(Answer::OK).Answer(Answer::OK);
    EXPECT_THROW(GetPercentDone(1, 1, 0, 0), KbError);
    EXPECT_THROW(GetPercentDoneThisFrag(0, 0), KbError);
    ASSERT_EQ(p.boxes.size(), 2u);
    EXPECT_EQ(p.boxes[0].text.rfind(
                  "A fatal error has occurred in function Assembler.GetPercentDone(), sector 10", 0),
              0u);
    EXPECT_EQ(p.boxes[1].text.rfind("A fatal error has occurred in function "
                                    "Assembler.GetPercentDoneThisFrag(), sector 1",
                                    0),
              0u);
}

}  // namespace
}  // namespace kb
