// Series that are damaged or mixed up: pieces out of place, from another series or never
// finished, a header whose count or length does not fit, a first piece whose header is
// damaged, and a join that fails part way.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/core/active_assembler.h"
#include "app/core/kb_error.h"
#include "app/core/testing/faulty_io.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/core/testing/temp_folder.h"
#include "app/core/tests/assembler_join_fixture.h"
#include "app/core/tests/series_fixtures.h"

namespace kb {
namespace {

using testing::Join;
using testing::PromptThen;
using testing::ReadAll;
using testing::ScriptedPrompter;
using testing::TempFolder;
using testing::Titles;

std::string Random(size_t n, uint32_t seed = 11) {
    auto v = testing::RandomBytes(n, seed);
    return std::string(v.begin(), v.end());
}

const char* const kOutOfPlace = "Validation error - piece out of place";

TEST(AssemblerIntegrity, SwappedPiecesAreReportedAndJoiningGoesOn) {
    ScriptedPrompter p;
    Join j;
    const std::string second = ReadAll(j.pieces[1]);
    j.src.Write("data.002", ReadAll(j.pieces[2]));
    j.src.Write("data.003", second);
    p.Answer(Answer::OK).Answer(Answer::OK);
    EXPECT_EQ(j.Run(), 0);
    ASSERT_EQ(Titles(p), (std::vector<std::string>{kOutOfPlace, kOutOfPlace}));
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
    ASSERT_EQ(Titles(p), (std::vector<std::string>{kOutOfPlace, "Validation error - length mismatch"}));
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
    ASSERT_EQ(Titles(p), (std::vector<std::string>{kOutOfPlace, "Validation error - length mismatch"}));
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

// Each join tells which of its pieces failed the check against their records, and only its
// own: the same object joining the mended set afterwards lists none.
TEST(AssemblerIntegrity, EachJoinListsThePiecesThatFailedTheirCheck) {
    const struct {
        const char* what;
        std::function<void(Join&)> damage;
        std::vector<int32_t> failed;
    } cases[] = {
        {"a data byte of piece 3",
         [](Join& j) {
             std::string third = ReadAll(j.pieces[2]);
             third.back() ^= 1;
             j.src.Write("data.003", third);
         },
         {3}},
        {"pieces 2 and 3 swapped",
         [](Join& j) {
             const std::string second = ReadAll(j.pieces[1]);
             j.src.Write("data.002", ReadAll(j.pieces[2]));
             j.src.Write("data.003", second);
         },
         {2, 3}},
        {"piece 4 never finished",
         [](Join& j) {
             std::string fourth = ReadAll(j.pieces[3]);
             fourth.replace(0, 12, "xxxxxxxxxxxx");
             j.src.Write("data.004", fourth);
         },
         {4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPrompter p;
        p.AllowUnexpected();
        Join j;
        std::vector<std::string> intact;
        for (const auto& piece : j.pieces) intact.push_back(ReadAll(piece));
        c.damage(j);
        EXPECT_EQ(j.Run(), 0);
        EXPECT_EQ(j.a.FailedPieces(), c.failed);
        for (size_t i = 0; i < intact.size(); ++i)
            j.src.Write(std::filesystem::path(j.pieces[i]).filename().string(), intact[i]);
        std::filesystem::remove(j.a.BigFile);
        EXPECT_EQ(j.Run(), 0);
        EXPECT_TRUE(j.a.FailedPieces().empty());
    }
}

// Each join tells what its result lacks though it ran to its end, worked out in that run: a
// length other than the header's, a bare series joined without a piece after the user's OK
// (also when resumed later), and bytes that could not be read, for which zeros stand while
// the chunks after them are read from their own place. The same object joining a whole set
// afterwards tells of none.
TEST(AssemblerIntegrity, EachJoinTellsWhatItsResultLacks) {
    auto bare = [](Join& j, std::initializer_list<int> numbers) {
        for (int i : numbers)
            j.other.Write("bare.bin.00" + std::to_string(i),
                          j.data.substr(static_cast<size_t>(i - 1) * 1000, 1000));
        return j.other.File("bare.bin.001");
    };
    std::unique_ptr<testing::FaultyIo> fault;
    const struct {
        const char* what;
        std::function<std::string(Join&)> prepare;  // the first piece
        int answers;                                 // boxes answered OK
        std::vector<int32_t> failed, unread;
        int32_t missing;
        int64_t joined, header;  // -1: the same
    } cases[] = {
        {"a header length of 4001",
         [](Join& j) {
             std::string first = ReadAll(j.pieces[0]);
             const size_t at = first.size() - 1000 - 12 - 8;  // the length, before the record
             EXPECT_EQ(first[at], '\xa0');                    // 4000 = 0x0fa0
             first[at] = '\xa1';
             j.src.Write("data.001", first);
             return j.pieces[0];
         },
         1, {}, {}, 0, 4000, 4001},
        {"piece 3 of a bare series missing, joined without it",
         [&](Join& j) { return bare(j, {1, 2, 4}); }, 1, {}, {}, 3, -1, -1},
        {"bytes of a bare piece unreadable",
         [&](Join& j) {
             fault = std::make_unique<testing::FaultyIo>(testing::FaultyIo::Kind::Read,
                                                         j.other.File("bare.bin.002"), 100, 200);
             return bare(j, {1, 2, 3, 4});
         },
         1, {}, {2}, 0, -1, -1},
        {"bytes of an own-format piece unreadable",
         [&](Join& j) {
             fault = std::make_unique<testing::FaultyIo>(testing::FaultyIo::Kind::Read,
                                                         j.pieces[1], 100, 200);
             return j.pieces[0];
         },
         2, {2}, {2}, 0, -1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPrompter p;
        Join j;
        j.pieces[0] = c.prepare(j);
        for (int i = 0; i < c.answers; ++i) p.Answer(Answer::OK);
        const int16_t result = j.Run();
        fault.reset();
        EXPECT_EQ(result, 0);
        const JoinFlaws& f = j.a.Flaws();
        EXPECT_EQ(f.failedPieces, c.failed);
        EXPECT_EQ(f.unreadPieces, c.unread);
        EXPECT_EQ(f.missingPiece, c.missing);
        EXPECT_EQ(f.joinedLength, c.joined);
        EXPECT_EQ(f.headerLength, c.header);
        if (!c.unread.empty()) {
            // Piece 2's bytes before the fault and from the chunk after it on are its own.
            const std::string out = ReadAll(j.a.BigFile);
            ASSERT_EQ(out.size(), j.data.size());
            EXPECT_TRUE(out.substr(0, 1050) == j.data.substr(0, 1050));
            EXPECT_TRUE(out.substr(1600) == j.data.substr(1600));
            EXPECT_NE(out.substr(1050, 550), j.data.substr(1050, 550));
        }
        ScriptedPrompter whole;
        std::filesystem::remove_all(j.dest.Path());
        std::filesystem::create_directories(j.dest.Path());
        j.pieces = testing::WriteFormat4Series(j.src, j.data, {}, testing::Dotted3("data"));
        EXPECT_EQ(j.Run(), 0);
        EXPECT_TRUE(j.a.Flaws().None());
    }
}

// A bare series joined without its missing piece and stopped is still told short once resumed.
TEST(AssemblerIntegrity, AResumedJoinOfASeriesWithAGapTellsOfTheMissingPiece) {
    ScriptedPrompter p;
    Join j;
    for (int i : {1, 2, 4})
        j.other.Write("bare.bin.00" + std::to_string(i),
                      j.data.substr(static_cast<size_t>(i - 1) * 1000, 1000));
    p.Answer(Answer::OK);
    j.events.cancelAtInterval = 2;
    j.events.saveAs = j.other.File("job.uft");
    j.pieces[0] = j.other.File("bare.bin.001");
    ASSERT_EQ(j.Run(), 1);
    ActiveAssembler b;
    ASSERT_TRUE(b.SetResumeInfo(j.other.File("job.uft")));
    std::string d;
    ASSERT_EQ(b.Assemble(d), 0);
    EXPECT_EQ(b.Flaws().missingPiece, 3);
    EXPECT_TRUE(ReadAll(j.dest.File("bare.bin")) == j.data.substr(0, 2000));
}

const char* const kDamagedHeader = "Unable to assemble - damaged header";

// Flips `count` bytes of the format text (offsets 2 .. 37), spread over it.
std::string DamageFormatText(std::string first, int count) {
    for (int i = 0; i < count; ++i) first[static_cast<size_t>(2 + i * 7)] ^= 0x20;
    return first;
}

// The refusal leaves nothing behind and never starts the join.
void ExpectRefused(Join& j, const ScriptedPrompter& p) {
    ASSERT_EQ(Titles(p), std::vector<std::string>{kDamagedHeader});
    EXPECT_EQ(p.boxes[0].Icon(), mb::Critical);
    EXPECT_NE(p.boxes[0].text.find(j.pieces[0]), std::string::npos) << p.boxes[0].text;
    EXPECT_TRUE(std::filesystem::is_empty(j.dest.Path()));
    EXPECT_EQ(j.events.starts, 0);
}

// A lone first piece has only its format text to tell a damaged header from bare data: up to
// four differing bytes are a damaged header, more are data that merely starts alike.
TEST(AssemblerIntegrity, ALoneFirstPieceWithAFewDamagedBytesOfItsFormatTextIsRefused) {
    for (int damaged = 1; damaged <= 5; ++damaged) {
        SCOPED_TRACE(damaged);
        ScriptedPrompter p;
        Join j;
        for (size_t i = 1; i < j.pieces.size(); ++i) std::filesystem::remove(j.pieces[i]);
        const std::string first = DamageFormatText(ReadAll(j.pieces[0]), damaged);
        j.src.Write("data.001", first);
        if (damaged <= 4) {
            p.Answer(Answer::OK);
            EXPECT_EQ(j.Run(), 1);
            ASSERT_NO_FATAL_FAILURE(ExpectRefused(j, p));
            EXPECT_NE(p.boxes[0].text.find("in " + std::to_string(damaged) + " byte(s)."),
                      std::string::npos) << p.boxes[0].text;
        } else {
            EXPECT_EQ(j.Run(), 0);
            EXPECT_TRUE(p.boxes.empty());
            EXPECT_EQ(ReadAll(j.dest.File("data")), first);
        }
    }
}

// With a second piece there, its intact record of piece 2 gives the series away, however the
// first piece's header was damaged.
TEST(AssemblerIntegrity, AFirstPieceWhoseHeaderIsLostIsRefusedWhenPieceTwoIsOwnFormat) {
    const struct {
        const char* what;
        std::function<std::string(std::string)> damage;
        bool byRecord;  // else the format text's few damaged bytes tell already
    } cases[] = {
        {"one byte of the format text", [](std::string f) { return DamageFormatText(f, 1); }, false},
        {"five bytes of the format text", [](std::string f) { return DamageFormatText(f, 5); }, true},
        {"all of the format text", [](std::string f) { return f.replace(2, 36, 36, '?'); }, true},
        {"first 512 bytes zeroed", [](std::string f) { return f.replace(0, 512, 512, '\0'); }, true},
        {"bytes deleted from the format text", [](std::string f) { return f.erase(10, 3); }, true},
        {"cut to 37 bytes", [](std::string f) { return f.substr(0, 37); }, true},
        {"cut to 1 byte", [](std::string f) { return f.substr(0, 1); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPrompter p;
        Join j;
        j.src.Write("data.001", c.damage(ReadAll(j.pieces[0])));
        p.Answer(Answer::OK);
        EXPECT_EQ(j.Run(), 1);
        ASSERT_NO_FATAL_FAILURE(ExpectRefused(j, p));
        if (c.byRecord) {
            EXPECT_EQ(p.boxes[0].text,
                      "The first piece " + j.pieces[0] + " has a damaged header: it does not read "
                      "as a piece of Kestrelbinder format, but the piece after it, " + j.pieces[1] +
                      ", begins with an intact record of piece 2 of that format. Joining it as "
                      "bare data would put the headers and records into the assembled file, so "
                      "the series cannot be assembled.");
        }
    }
}

// Bare data is joined as before: a first piece that merely opens with the format text's
// length, and a second piece that opens like a record of piece 2 whose CRC does not match.
TEST(AssemblerIntegrity, BareDataThatStartsLikeTheOwnFormatIsBareData) {
    const std::string lookalikeRecord("\x02\x00\x00\x00\x04\x00\x00\x00", 8);
    for (const std::string& data : {std::string("\x24\x00", 2) + Random(3000, 4),
                                    Random(1000, 4) + lookalikeRecord + Random(2000, 5)}) {
        ScriptedPrompter p;
        Join j;
        testing::WriteRawSeries(j.other, data, 1000, testing::Dotted3("bare.bin"));
        j.a.SetFileToAssemble(j.other.File("bare.bin.001"));
        j.a.SetDestinationFolder(j.dest.Path());
        j.a.SegmentSize = 512;
        std::string d = j.dest.Path();
        EXPECT_EQ(j.a.Assemble(d), 0);
        EXPECT_EQ(ReadAll(j.dest.File("bare.bin")), data);
        EXPECT_TRUE(p.boxes.empty());
    }
}

// A bare series is counted up to its first missing name; later pieces lying beside it are
// told of before anything is joined.
TEST(AssemblerIntegrity, ABareSeriesWithAMissingPieceSaysSoBeforeJoining) {
    const struct {
        const char* what;
        std::vector<int> missing;
        Answer answer;
    } cases[] = {
        {"piece 3 of 5 missing, stopped", {3}, Answer::Cancel},
        {"pieces 3 and 4 of 5 missing, stopped", {3, 4}, Answer::Cancel},
        {"piece 3 of 5 missing, joined anyway", {3}, Answer::OK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPrompter p;
        Join j;
        const std::string data = Random(5000, 6);
        auto pieces = testing::WriteRawSeries(j.other, data, 1000, testing::Dotted3("bare.bin"));
        for (int m : c.missing) std::filesystem::remove(pieces[static_cast<size_t>(m - 1)]);
        j.a.SetFileToAssemble(pieces[0]);
        j.a.SetDestinationFolder(j.dest.Path());
        p.Answer(c.answer);
        std::string d = j.dest.Path();
        EXPECT_EQ(j.a.Assemble(d), c.answer == Answer::OK ? 0 : 1);
        ASSERT_EQ(Titles(p), std::vector<std::string>{"Missing piece"});
        EXPECT_EQ(p.boxes[0].text,
                  "Piece 3 of this series, " + pieces[2] + ", is missing, but a later piece, " +
                  pieces[static_cast<size_t>(c.missing.back())] + ", is there. Only pieces 1 "
                  "to 2 can be joined, and the assembled file would lack the rest. Click OK to "
                  "join them anyway, or Cancel to stop and bring the missing piece into the "
                  "folder first.");
        EXPECT_EQ(p.boxes[0].style, mb::OKCancel | mb::Exclamation | mb::DefaultButton2);
        if (c.answer == Answer::OK) {
            EXPECT_EQ(ReadAll(j.dest.File("bare.bin")), data.substr(0, 2000));
        } else {
            EXPECT_TRUE(std::filesystem::is_empty(j.dest.Path()));
            EXPECT_EQ(j.events.starts, 0);
        }
    }
}

TEST(AssemblerIntegrity, AFreshJoinThatFailsLeavesNoPartialOutput) {
    ScriptedPrompter p;
    Join j;
    testing::FaultyIo full(testing::FaultyIo::Kind::Write, j.dest.File("data.bin"), 1500);
    full.FailWith(EROFS);  // not a want of room, which is asked about
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
    ASSERT_NO_FATAL_FAILURE(j.StopAndSave());
    const std::string out = j.dest.File("data.bin.part");
    ASSERT_TRUE(std::filesystem::exists(out));

    testing::FaultyIo full(testing::FaultyIo::Kind::Write, out, 1500);
    full.FailWith(EROFS);  // not a want of room, which is asked about
    ActiveAssembler again;
    ASSERT_TRUE(again.SetResumeInfo(j.events.saveAs));
    p.Answer(Answer::OK);
    std::string d;
    EXPECT_THROW(again.Assemble(d), KbError);
    EXPECT_EQ(std::filesystem::file_size(out), 1500u);
}

// Saved again under its own name, a resumed join replaces its task only once the new one is
// written whole: a save that fails leaves the task it resumed, which resumes as before.
TEST(AssemblerIntegrity, AFailedSaveUnderTheTasksOwnNameLeavesTheTask) {
    ScriptedPrompter p;
    Join j;
    ASSERT_NO_FATAL_FAILURE(j.StopAndSave());
    const std::string task = ReadAll(j.events.saveAs);
    {
        ActiveAssembler again;
        again.SetListener(&j.events);
        j.events.totals.clear();
        ASSERT_TRUE(again.SetResumeInfo(j.events.saveAs));
        testing::FaultyIo full(testing::FaultyIo::Kind::Write, j.events.saveAs, 20);
        p.Answer(Answer::OK);  // the fatal error's box
        std::string d;
        EXPECT_THROW(again.Assemble(d), KbError);
        EXPECT_GE(testing::FaultyIo::Failures(), 1);
    }
    ASSERT_EQ(Titles(p), (std::vector<std::string>{"Fatal error"}));
    EXPECT_EQ(ReadAll(j.events.saveAs), task);
    for (const auto& e : std::filesystem::directory_iterator(j.other.Path()))
        EXPECT_EQ(e.path().filename(), "job.uft");  // nothing is left beside the task
    ActiveAssembler last;
    ASSERT_TRUE(last.SetResumeInfo(j.events.saveAs));
    std::string d;
    ASSERT_EQ(last.Assemble(d), 0);
    EXPECT_TRUE(ReadAll(j.dest.File("data.bin")) == j.data);
    EXPECT_FALSE(std::filesystem::exists(j.events.saveAs));
}

// A piece that cannot be found is asked for (Retry looks again); Cancel asks the listener
// whether to save, and the listener may also go on after all.
TEST(AssemblerIntegrity, AMissingPieceIsAskedForUntilItIsThereOrTheUserStops) {
    const struct {
        const char* what;
        std::vector<Answer> answers;  // after the last one the piece is back, when joined
        bool goOnAtStop;              // the listener's answer to the first stop
        int16_t result;
        int stops;
    } cases[] = {
        {"Retry until it is back", {Answer::Retry, Answer::Retry}, false, 0, 0},
        {"Cancel, then on after all", {Answer::Cancel, Answer::Retry}, true, 0, 1},
        {"Cancel, nothing saved", {Answer::Cancel}, false, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PromptThen p;
        Join j;
        const std::string third = ReadAll(j.pieces[2]);
        std::filesystem::remove(j.pieces[2]);
        for (Answer a : c.answers) p.Answer(a);
        if (c.result == 0) {
            p.after = c.answers.size();
            p.then = [&] { j.src.Write("data.003", third); };
        }
        j.events.onStop = [&](bool& cancel, std::string&) {
            if (c.goOnAtStop && j.events.stops == 1) cancel = false;
        };
        EXPECT_EQ(j.Run(), c.result);
        EXPECT_EQ(j.events.stops, c.stops);
        ASSERT_EQ(p.boxes.size(), c.answers.size());
        for (const auto& box : p.boxes) {
            EXPECT_EQ(box.title, "Missing piece");
            EXPECT_EQ(box.text, "Piece 3 of 4 (" + j.pieces[2] + ") cannot be found. Put it in the "
                                "folder and click Retry, or click Cancel to stop.");
            EXPECT_EQ(box.style, mb::RetryCancel | mb::Exclamation | mb::DefaultButton1);
        }
        if (c.result == 0)
            EXPECT_TRUE(ReadAll(j.dest.File("data.bin")) == j.data);
        else
            EXPECT_TRUE(std::filesystem::is_empty(j.dest.Path()));
    }
}

// Stopped and saved at a missing piece, the join resumes once the piece is back; the resume
// asks for it again while it is not.
TEST(AssemblerIntegrity, AJoinStoppedAtAMissingPieceResumesOnceThePieceIsThere) {
    PromptThen p;
    Join j;
    const std::string third = ReadAll(j.pieces[2]);
    std::filesystem::remove(j.pieces[2]);
    j.events.saveAs = j.other.File("job.uft");
    p.Answer(Answer::Cancel);
    ASSERT_EQ(j.Run(), 1);
    ASSERT_TRUE(std::filesystem::exists(j.events.saveAs));
    EXPECT_EQ(std::filesystem::file_size(j.dest.File("data.bin.part")), 2000u);

    ActiveAssembler again;
    ASSERT_TRUE(again.SetResumeInfo(j.events.saveAs));
    p.Answer(Answer::Retry);
    p.after = 2;
    p.then = [&] { j.src.Write("data.003", third); };
    std::string d;
    ASSERT_EQ(again.Assemble(d), 0);
    ASSERT_EQ(p.boxes.size(), 2u);
    EXPECT_EQ(p.boxes[1].title, "Missing piece");
    EXPECT_TRUE(ReadAll(j.dest.File("data.bin")) == j.data);
}

// An older set cannot be saved as a task: Cancel at a missing piece stops without asking.
TEST(AssemblerIntegrity, AMissingPieceOfAnOlderSetStopsWithoutAskingToSave) {
    PromptThen p;
    Join j;
    auto old = testing::WriteLegacySeries(j.other, j.data, {}, testing::Dotted3("old"));
    std::filesystem::remove(old[1]);
    p.Answer(Answer::Cancel);
    j.events.saveAs = j.other.File("job.uft");
    j.a.SetFileToAssemble(old[0]);
    j.a.SetDestinationFolder(j.dest.Path());
    std::string d = j.dest.Path();
    EXPECT_EQ(j.a.Assemble(d), 1);
    ASSERT_EQ(Titles(p), std::vector<std::string>{"Missing piece"});
    EXPECT_EQ(p.boxes[0].text.rfind("Piece 2 of 4 (" + old[1] + ") cannot be found.", 0), 0u);
    EXPECT_EQ(j.events.stops, 0);
    EXPECT_FALSE(std::filesystem::exists(j.events.saveAs));
    EXPECT_TRUE(std::filesystem::is_empty(j.dest.Path()));
}

}  // namespace
}  // namespace kb
