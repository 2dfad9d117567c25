// Stopping a join, its task file, and resuming it with a new object.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include <random>

#include "app/core/active_assembler.h"
#include "app/core/assembler_task_record.h"
#include "app/core/big_file.h"
#include "app/core/kb_error.h"
#include "app/core/temp_manager.h"
#include "app/core/testing/fake_disks.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/core/testing/temp_folder.h"
#include "app/core/tests/assembler_listener_fake.h"
#include "app/core/tests/series_fixtures.h"
#include "platform/twlib.h"

namespace kb {
namespace {

using testing::LeBytes;
using testing::ReadAll;
using testing::ScriptedAssemblerListener;
using testing::ScriptedPrompter;
using testing::TempFolder;

std::string Random(size_t n, uint32_t seed = 5) {
    auto v = testing::RandomBytes(n, seed);
    return std::string(v.begin(), v.end());
}

bool SlotOpen(int16_t slot) {
    int64_t pos = 0;
    return platform::bigfileGetPos(slot, pos) == 0;
}

struct JoinFolders {
    TempFolder src, dest, tasks;
    std::string task() const { return tasks.File("job.uft"); }
};

// Starts a join that stops at interval `cancelAt`, then resumes it with new objects (stopping
// again at `againAt` of each resumed run, 0: not) until it completes. Returns the output.
std::string StopAndResume(JoinFolders& s, const std::string& first, int32_t segment, int cancelAt,
                          int againAt, int* resumes) {
    {
        ScriptedAssemblerListener ev;
        ev.cancelAtInterval = cancelAt;
        ev.saveAs = s.task();
        ActiveAssembler a;
        a.SetListener(&ev);
        a.SetFileToAssemble(first);
        a.SetDestinationFolder(s.dest.Path());
        a.SegmentSize = segment;
        std::string d = s.dest.Path();
        if (a.Assemble(d) == 0) return ReadAll(a.BigFile);
    }
    for (*resumes = 1; *resumes < 100; ++*resumes) {
        ScriptedAssemblerListener ev;
        ev.cancelAtInterval = againAt;
        ev.saveAs = s.task();
        ActiveAssembler a;
        a.SetListener(&ev);
        a.SegmentSize = 1;  // restored from the task
        EXPECT_TRUE(a.SetResumeInfo(s.task()));
        std::string d = "/elsewhere";
        const int16_t r = a.Assemble(d);
        EXPECT_EQ(d, s.dest.Path());
        EXPECT_EQ(ev.starts, 0);
        if (r == 0) return ReadAll(a.BigFile);
    }
    return "";
}

TEST(AssemblerResume, StoppedAtRandomChunksAndResumedByNewObjects) {
    ScriptedPrompter p;
    std::mt19937 rng(42);
    for (int round = 0; round < 12; ++round) {
        JoinFolders s;
        const bool raw = round % 2 == 1;
        const std::string data = Random(7000 + round * 37, round + 1);
        const int32_t segment = std::vector<int32_t>{256, 1000, 333}[round % 3];
        std::vector<std::string> pieces;
        if (raw) {
            pieces = testing::WriteRawSeries(s.src, data, 2000, [](int32_t i) {
                return "Take Two - " + std::to_string(i) + ".frg";
            });
        } else {
            testing::Format4Options o;
            o.firstData = 1500;
            o.data = 2000;
            pieces = testing::WriteFormat4Series(s.src, data, o, testing::Dotted3("data"));
        }
        const int chunks = static_cast<int>(data.size()) / segment;  // a few chunks fewer than the join has
        int resumes = 0;
        const int cancelAt = std::uniform_int_distribution<int>(1, chunks)(rng);
        const int againAt = round % 4 == 0 ? std::uniform_int_distribution<int>(1, 5)(rng) : 0;
        const std::string out = StopAndResume(s, pieces[0], segment, cancelAt, againAt, &resumes);
        EXPECT_EQ(out, data) << "round " << round << " cancel " << cancelAt << " again " << againAt;
        EXPECT_GE(resumes, 1);
    }
    EXPECT_TRUE(p.boxes.empty());
}

TEST(AssemblerResume, CancelWithoutATaskNameDeletesTheOutput) {
    ScriptedPrompter p;
    JoinFolders s;
    auto pieces = testing::WriteFormat4Series(s.src, Random(4000), {}, testing::Dotted3("data"));
    ScriptedAssemblerListener ev;
    ev.cancelAtInterval = 3;
    ActiveAssembler a;
    a.SetListener(&ev);
    a.SetFileToAssemble(pieces[0]);
    a.SetDestinationFolder(s.dest.Path());
    a.SegmentSize = 300;
    std::string d = s.dest.Path();
    EXPECT_EQ(a.Assemble(d), 1);
    EXPECT_TRUE(std::filesystem::is_empty(s.dest.Path()));
}

// Stopped at disk requests on both sides of a resume: the last, shorter piece is taken with
// its own length and ends without a CRC box.
TEST(AssemblerResume, APackedSetResumedGoesOnInTheTemporaryArchiveItRegistersAgain) {
    ScriptedPrompter p;
    JoinFolders s;
    testing::ScopedEnv tmp("TMPDIR", s.tasks.Path());
    const std::string data = Random(3000);
    testing::Format4Options o;
    o.compression = 2;
    o.encryption = 9;
    auto pieces = testing::WriteFormat4Series(s.src, data, o, testing::Dotted3("data"));
    std::string archive;
    {
        ScriptedAssemblerListener ev;
        ev.cancelAtInterval = 5;
        ev.saveAs = s.task();
        ActiveAssembler a;
        a.SetListener(&ev);
        a.SetFileToAssemble(pieces[0]);
        a.SetDestinationFolder(s.dest.Path());
        a.SegmentSize = 256;
        std::string d = s.dest.Path();
        ASSERT_EQ(a.Assemble(d), 1);
        archive = a.BigFile;
    }
    // As after a restart of the program: nothing is registered until the task is resumed.
    TempManager::Instance().UnmarkTempFile("AssEncArchive");
    ActiveAssembler a;
    ASSERT_TRUE(a.SetResumeInfo(s.task()));
    std::string d;
    ASSERT_EQ(a.Assemble(d), 0);
    EXPECT_EQ(a.BigFile, archive);
    EXPECT_EQ(a.CompressionID, 2);
    EXPECT_EQ(a.EncryptionID, 9);
    EXPECT_EQ(TempManager::Instance().GetTempFilePath("AssEncArchive"), archive);
    EXPECT_EQ(archive.rfind(s.tasks.Path() + "/kbt", 0), 0u) << archive;
    EXPECT_EQ(ReadAll(archive), data);
    EXPECT_TRUE(std::filesystem::is_empty(s.dest.Path()));
    TempManager::Instance().RemoveTempFile("AssEncArchive", true);
    EXPECT_TRUE(p.boxes.empty());
}

TEST(AssemblerResume, StoppedAtDiskRequestsAndResumed) {
    ScriptedPrompter p;
    testing::FakeDisks disks;
    disks.kind = platform::DriveKind::Removable;
    JoinFolders s;
    TempFolder shelf;
    const std::string data = Random(5300, 9);
    testing::Format4Options o;
    o.data = 2000;
    o.firstData = 2000;
    testing::Namer name = testing::Dotted3("data");
    auto pieces = testing::WriteFormat4Series(shelf, data, o, name);
    s.src.Write("data.001", ReadAll(pieces[0]));
    std::vector<int32_t> asked;
    auto onDisk = [&](int32_t n, bool& cancel, std::string& save) {
        asked.push_back(n);
        if (std::count(asked.begin(), asked.end(), n) == 1) {
            cancel = true;  // every piece's first request is cancelled and saved
            save = s.task();
            return;
        }
        s.src.Write(name(n), ReadAll(pieces[n - 1]));
    };
    std::string out;
    for (int run = 0; run < 4 && out.empty(); ++run) {
        ScriptedAssemblerListener ev;
        ev.onDisk = onDisk;
        ActiveAssembler a;
        a.SetListener(&ev);
        if (run == 0) {
            a.SetFileToAssemble(s.src.File("data.001"));
            a.SetDestinationFolder(s.dest.Path());
            a.SegmentSize = 700;
        } else {
            ASSERT_TRUE(a.SetResumeInfo(s.task()));
        }
        std::string d = s.dest.Path();
        if (a.Assemble(d) == 0) out = ReadAll(a.BigFile);
    }
    EXPECT_EQ(asked, (std::vector<int32_t>{2, 2, 3, 3}));
    EXPECT_EQ(out, data);
    EXPECT_TRUE(p.boxes.empty()) << p.boxes[0].text;
}

TEST(AssemblerResume, ABareSetStoppedAtADiskRequestCopiesAllOfTheNextPiece) {
    ScriptedPrompter p;
    testing::FakeDisks disks;
    disks.kind = platform::DriveKind::Removable;
    JoinFolders s;
    TempFolder shelf;
    const std::string data = Random(5000, 4);
    auto pieces = testing::WriteRawSeries(shelf, data, 2000, testing::Dotted3("Side.B"));
    s.src.Write("Side.B.001", ReadAll(pieces[0]));
    const std::string output = s.dest.Write("Side.B", data.substr(0, 2000));
    // As a run stopped before piece 2 leaves it: piece 1 written, piece 2 not yet opened.
    s.tasks.Write("job.uft", LeBytes()
                                 .I16(2).Text(s.src.File("Side.B.001")).I32(1).I32(3)
                                 .I32(2).I32(3).I64(20000000).I64(0).I32(900).I32(200)
                                 .Text(output).U32(0).I64(0).Text(s.dest.Path()).I16(-1)
                                 .s);
    ScriptedAssemblerListener ev;
    ev.onDisk = [&](int32_t n, bool&, std::string&) {
        s.src.Write("Side.B.00" + std::to_string(n), ReadAll(pieces[n - 1]));
    };
    ActiveAssembler a;
    a.SetListener(&ev);
    ASSERT_TRUE(a.SetResumeInfo(s.task()));
    std::string d;
    ASSERT_EQ(a.Assemble(d), 0);
    EXPECT_EQ(ev.disks, (std::vector<int32_t>{2, 3}));
    EXPECT_EQ(ReadAll(output), data);
}

TEST(AssemblerResume, BareSetResumedAfterAnEncipheredJoinIsNotTakenForATemporaryFile) {
    ScriptedPrompter p;
    JoinFolders s;
    TempFolder tmp;
    testing::ScopedEnv env("TMPDIR", tmp.Path());
    const std::string data = Random(3000);
    testing::Format4Options o;
    o.encryption = 3;
    o.name = "enc.bin";
    auto enc = testing::WriteFormat4Series(s.src, data, o, testing::Dotted3("enc"));
    auto bare = testing::WriteRawSeries(s.src, data, 1000, testing::Dotted3("Bare.txt"));

    ActiveAssembler a;
    ScriptedAssemblerListener ev;
    a.SetListener(&ev);
    a.SetFileToAssemble(enc[0]);
    a.SetDestinationFolder(s.dest.Path());
    std::string d = s.dest.Path();
    ASSERT_EQ(a.Assemble(d), 0);
    const std::string archive = a.BigFile;

    {
        ActiveAssembler b;
        ScriptedAssemblerListener stop;
        stop.cancelAtInterval = 2;
        stop.saveAs = s.task();
        b.SetListener(&stop);
        b.SetFileToAssemble(bare[0]);
        b.SetDestinationFolder(s.dest.Path());
        b.SegmentSize = 400;
        ASSERT_EQ(b.Assemble(d), 1);
    }
    ev.cancelAtInterval = 0;
    ASSERT_TRUE(a.SetResumeInfo(s.task()));
    ASSERT_EQ(a.Assemble(d), 0);
    EXPECT_EQ(a.EncryptionID, 0);
    EXPECT_EQ(a.CompressionID, 0);
    EXPECT_EQ(a.BigFile, s.dest.File("Bare.txt"));
    EXPECT_EQ(ReadAll(a.BigFile), data);
    EXPECT_EQ(TempManager::Instance().GetTempFilePath("AssEncArchive"), archive);
    TempManager::Instance().RemoveTempFile("AssEncArchive", true);
}

TEST(AssemblerTaskFile, ABareTaskIsWrittenByteForByte) {
    TempFolder dir;
    AssemblerTaskRecord t;
    t.FirstPiece = "/p/a.001";
    t.FormatCode = 1;
    t.PieceCount = 3;
    t.PieceNumber = 2;
    t.ChunkCounter = 4;
    t.PieceLength = 1457664;
    t.BytesLeft = 1000;
    t.SegmentSize = 262144;
    t.LastChunkSize = 262144;
    t.OutputPath = "/o/a";
    t.RunningCrc = 0xDEADBEEF;
    t.Position = 1456664;
    t.Destination = "/o";
    t.AskDisk = true;
    OpenBF(dir.File("t.uft"), 1, "wb");
    WriteAssemblerTaskRecord(1, t);
    CloseBF(1);
    const std::string expected = LeBytes()
                                     .I16(2).Text("/p/a.001").I32(1).I32(3)
                                     .I32(2).I32(4).I64(14576640000LL).I64(10000000)
                                     .I32(262144).I32(262144).Text("/o/a").U32(0xDEADBEEF)
                                     .I64(14566640000LL).Text("/o").I16(-1)
                                     .s;
    EXPECT_EQ(ReadAll(dir.File("t.uft")), expected);
}

TEST(AssemblerTaskFile, SavedTasksReadBackBitForBit) {
    ScriptedPrompter p;
    JoinFolders s;
    testing::Format4Options o;
    o.name = "Report.doc";
    o.tmpl = "%f - %n.frg";
    o.compression = 2;
    TempFolder tmp;
    testing::ScopedEnv env("TMPDIR", tmp.Path());
    auto pieces = testing::WriteFormat4Series(
        s.src, Random(5000), o, [](int32_t i) { return "Report - " + std::to_string(i) + ".frg"; });
    ScriptedAssemblerListener ev;
    ev.cancelAtInterval = 5;
    ev.saveAs = s.task();
    ActiveAssembler a;
    a.SetListener(&ev);
    a.SetFileToAssemble(pieces[0]);
    a.SegmentSize = 300;
    std::string d = s.dest.Path();
    ASSERT_EQ(a.Assemble(d), 1);
    const std::string saved = ReadAll(s.task());

    OpenBF(s.task(), 1, "rb");
    AssemblerTaskRecord t;
    ASSERT_TRUE(ReadAssemblerTaskHead(1, t));
    ReadAssemblerTaskTail(1, t);
    CloseBF(1);
    EXPECT_EQ(t.Header.storedName, "Report.doc");
    EXPECT_EQ(t.Header.compressionId, 2);
    EXPECT_EQ(t.PieceNumber, 2);
    OpenBF(s.tasks.File("again.uft"), 1, "wb");
    WriteAssemblerTaskRecord(1, t);
    CloseBF(1);
    EXPECT_EQ(ReadAll(s.tasks.File("again.uft")), saved);
    TempManager::Instance().RemoveTempFile("AssEncArchive", true);
}

TEST(AssemblerTaskFile, TasksThatCannotBeResumed) {
    ScriptedPrompter p;
    TempFolder dir;
    const std::string tail = LeBytes()
                                 .I32(1).I32(0).I64(10000).I64(0).I32(100).I32(0)
                                 .Text("/o/x").U32(0).I64(0).Text("/o").I16(0)
                                 .s;
    const std::string rawHead = LeBytes().I16(2).Text("/p/x.001").I32(1).I32(1).s;
    // A split task's kind does not decide; a stopped older-format set does.
    {
        ActiveAssembler a;
        EXPECT_TRUE(a.SetResumeInfo(dir.Write("kind1.uft", LeBytes().I16(1).s + rawHead.substr(2) + tail)));
        EXPECT_TRUE(a.ResumePending());
    }
    {
        ActiveAssembler a;
        p.Answer(Answer::OK);
        const std::string code10 = LeBytes().I16(2).Text("/p/x.001").I32(10).I32(1).s + tail;
        EXPECT_FALSE(a.SetResumeInfo(dir.Write("code10.uft", code10)));
        ASSERT_EQ(p.boxes.size(), 1u);
        EXPECT_EQ(p.boxes[0].text, "Error loading unfinished task - invalid format codes");
        EXPECT_EQ(p.boxes[0].title, "Unable to resume");
        EXPECT_FALSE(a.ResumePending());
        EXPECT_EQ(a.FileToAssemble(), "/p/x.001");
        EXPECT_FALSE(SlotOpen(1));
    }
    {
        // A stored template that would leave the pieces' folder is refused when the join
        // starts; the refused task is not pending for the next join of the object.
        ActiveAssembler a;
        const std::string code11 = LeBytes()
                                       .I16(2).Text("/p/x.001").I32(11)
                                       .I32(1).Text("x.bin").I32(0).I32(0).I32(0)
                                       .Text("../%f.%N").I64(5)
                                       .s + tail;
        ASSERT_TRUE(a.SetResumeInfo(dir.Write("code11.uft", code11)));
        p.boxes.clear();
        p.Answer(Answer::OK);
        std::string d;
        EXPECT_EQ(a.Assemble(d), 1);
        ASSERT_EQ(p.boxes.size(), 1u);
        EXPECT_EQ(p.boxes[0].title, "Unable to assemble");
        EXPECT_FALSE(a.ResumePending());
    }
    // Cut short anywhere: error 57; values no join has: 321. Nothing is left pending.
    const std::string whole = rawHead + tail;
    std::string zeroSegment = whole;
    zeroSegment.replace(rawHead.size() + 24, 4, std::string(4, '\0'));
    std::string oddSize = whole;
    oddSize[rawHead.size() + 8] = 7;
    struct Case {
        std::string bytes;
        int number;
    };
    // A NUL would make the output path name another file, which the join would append to.
    std::string nulOutput = whole;
    nulOutput[nulOutput.find("/o/x") + 2] = '\0';
    std::vector<Case> cases = {{zeroSegment, 321}, {oddSize, 321}, {nulOutput, 321}};
    for (size_t cut : {size_t{1}, size_t{5}, rawHead.size(), whole.size() - 1})
        cases.push_back({whole.substr(0, cut), 57});
    for (const Case& c : cases) {
        ActiveAssembler a;
        try {
            a.SetResumeInfo(dir.Write("bad.uft", c.bytes));
            ADD_FAILURE() << c.bytes.size();
        } catch (const KbError& e) {
            EXPECT_EQ(e.Number(), c.number) << c.bytes.size();
        }
        EXPECT_FALSE(a.ResumePending());
        EXPECT_EQ(a.FileToAssemble(), "") << c.bytes.size();  // no half-loaded object
        EXPECT_FALSE(SlotOpen(1)) << c.bytes.size();          // the task file is closed
    }
    // Nor does a task that fails to load leave the one loaded before it pending.
    {
        ActiveAssembler a;
        ASSERT_TRUE(a.SetResumeInfo(dir.File("kind1.uft")));
        EXPECT_THROW(a.SetResumeInfo(dir.Write("cut.uft", whole.substr(0, 5))), KbError);
        EXPECT_FALSE(a.ResumePending());
    }
}

TEST(AssemblerTaskFile, AnOlderSetStoppedAtADiskRequestSavesCodeTen) {
    ScriptedPrompter p;
    testing::FakeDisks disks;
    disks.kind = platform::DriveKind::Removable;
    JoinFolders s;
    TempFolder shelf;
    auto pieces = testing::WriteLegacySeries(shelf, Random(2500), {}, testing::Dotted3("old"));
    s.src.Write("old.001", ReadAll(pieces[0]));
    ScriptedAssemblerListener ev;
    ev.onDisk = [&](int32_t, bool& cancel, std::string& save) {
        cancel = true;
        save = s.task();
    };
    ActiveAssembler a;
    a.SetListener(&ev);
    a.SetFileToAssemble(s.src.File("old.001"));
    a.SetDestinationFolder(s.dest.Path());
    std::string d = s.dest.Path();
    ASSERT_EQ(a.Assemble(d), 1);
    EXPECT_EQ(ReadAll(s.task()).substr(0, 2 + 2 + s.src.File("old.001").size() + 4),
              LeBytes().I16(2).Text(s.src.File("old.001")).I32(10).s);
    ActiveAssembler b;
    p.Answer(Answer::OK);
    EXPECT_FALSE(b.SetResumeInfo(s.task()));
    EXPECT_EQ(p.boxes.size(), 1u);
}

}  // namespace
}  // namespace kb

namespace kb {
namespace {

// A cancel answered on a piece's last chunk stops the join after the first chunk of the next
// piece; when that chunk is the whole last piece the join simply completes.
TEST(AssemblerResume, CancelOnAPiecesLastChunkTakesEffectInTheNextPiece) {
    ScriptedPrompter p;
    struct Case {
        int cancelAt;
        int16_t result;
    } cases[] = {{2, 1}, {4, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cancelAt);
        JoinFolders s;
        const std::string data = Random(2100, 9);  // pieces of 1000, 1000 and 100 bytes
        testing::Format4Options o;
        const auto pieces = testing::WriteFormat4Series(s.src, data, o, testing::Dotted3("data"));
        ScriptedAssemblerListener ev;
        ev.cancelAtInterval = c.cancelAt;
        ev.saveAs = s.task();
        ActiveAssembler a;
        a.SetListener(&ev);
        a.SetFileToAssemble(pieces[0]);
        a.SetDestinationFolder(s.dest.Path());
        a.SegmentSize = 500;
        std::string d = s.dest.Path();
        ASSERT_EQ(a.Assemble(d), c.result);
        EXPECT_EQ(ev.totals.size(), static_cast<size_t>(c.cancelAt));
        if (c.result == 0) {
            EXPECT_FALSE(std::filesystem::exists(s.task()));
            EXPECT_EQ(ReadAll(a.BigFile), data);
            continue;
        }
        ActiveAssembler b;
        ASSERT_TRUE(b.SetResumeInfo(s.task()));
        EXPECT_EQ(b.ResumeTask().PieceNumber, 2);
        EXPECT_EQ(b.ResumeTask().ChunkCounter, 1);
        std::string d2;
        ASSERT_EQ(b.Assemble(d2), 0);
        EXPECT_EQ(ReadAll(b.BigFile), data);
    }
}

}  // namespace
}  // namespace kb

namespace kb {
namespace {

// Stops a join of `first` with a task after three chunks; returns the output it left.
std::string StopWithTask(JoinFolders& s, const std::string& first) {
    ScriptedAssemblerListener ev;
    ev.cancelAtInterval = 3;
    ev.saveAs = s.task();
    ActiveAssembler a;
    a.SetListener(&ev);
    a.SetFileToAssemble(first);
    a.SetDestinationFolder(s.dest.Path());
    a.SegmentSize = 700;
    std::string d = s.dest.Path();
    EXPECT_EQ(a.Assemble(d), 1);
    return a.BigFile;
}

// A resume killed part way leaves the output longer than its task says (cut back), and an
// output changed behind the task's back may be shorter or gone (refused, task untouched).
TEST(AssemblerResume, AResumeFirstMakesTheOutputMatchItsTask) {
    namespace fs = std::filesystem;
    struct Case {
        const char* what;
        bool raw;
        std::function<void(const std::string&)> change;
        const char* problem;  // nullptr: resumes
    };
    const std::vector<Case> cases = {
        {"longer, own format", false, [](const std::string& o) { fs::resize_file(o, fs::file_size(o) + 4567); }, nullptr},
        {"longer, bare", true, [](const std::string& o) { fs::resize_file(o, fs::file_size(o) + 4567); }, nullptr},
        {"shorter", false, [](const std::string& o) { fs::resize_file(o, fs::file_size(o) - 1); },
         " is shorter than the task expects."},
        {"missing", true, [](const std::string& o) { fs::remove(o); }, " is missing."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPrompter p;
        JoinFolders s;
        const std::string data = Random(7000, 9);
        std::vector<std::string> pieces;
        if (c.raw) {
            pieces = testing::WriteRawSeries(s.src, data, 2500, testing::Dotted3("clip.bin"));
        } else {
            testing::Format4Options o;
            o.firstData = 1500;
            o.data = 2500;
            pieces = testing::WriteFormat4Series(s.src, data, o, testing::Dotted3("data"));
        }
        // Stopped in piece 2, so that both earlier and current pieces count.
        ScriptedAssemblerListener ev;
        ev.cancelAtInterval = 5;
        ev.saveAs = s.task();
        ActiveAssembler first;
        first.SetListener(&ev);
        first.SetFileToAssemble(pieces[0]);
        first.SetDestinationFolder(s.dest.Path());
        first.SegmentSize = 700;
        std::string d = s.dest.Path();
        ASSERT_EQ(first.Assemble(d), 1);
        const std::string out = first.BigFile;
        ASSERT_EQ(fs::path(out).extension(), ".part");
        const std::string task = ReadAll(s.task());
        c.change(out);
        const bool existed = fs::exists(out);
        const auto size = existed ? fs::file_size(out) : 0;

        if (c.problem) p.Answer(Answer::OK);
        ActiveAssembler again;
        ASSERT_TRUE(again.SetResumeInfo(s.task()));
        d.clear();
        if (!c.problem) {
            EXPECT_EQ(again.Assemble(d), 0);
            EXPECT_EQ(ReadAll(again.BigFile), data);
            EXPECT_TRUE(p.boxes.empty());
            continue;
        }
        EXPECT_EQ(again.Assemble(d), 1);
        ASSERT_EQ(p.boxes.size(), 1u);
        EXPECT_EQ(p.boxes[0].title, "Unable to resume");
        EXPECT_EQ(p.boxes[0].text, "The unfinished task no longer matches its files: " + out + c.problem);
        EXPECT_EQ(fs::exists(out), existed);
        if (existed) {
            EXPECT_EQ(fs::file_size(out), size);
        }
        EXPECT_EQ(ReadAll(s.task()), task);
        EXPECT_FALSE(again.ResumePending());
    }
}

// Tasks saved before unfinished names point at the final name; they resume where they are.
TEST(AssemblerResume, ATaskSavedWithTheFinalNameStillResumes) {
    ScriptedPrompter p;
    JoinFolders s;
    const std::string data = Random(5000, 3);
    auto pieces = testing::WriteFormat4Series(s.src, data, {}, testing::Dotted3("data"));
    const std::string part = StopWithTask(s, pieces[0]);
    const std::string out = s.dest.File("data.bin");
    std::filesystem::rename(part, out);
    AssemblerTaskRecord t;
    OpenBF(s.task(), 1, "rb");
    ReadAssemblerTaskHead(1, t);
    ReadAssemblerTaskTail(1, t);
    CloseBF(1);
    ASSERT_EQ(t.OutputPath, part);
    t.OutputPath = out;
    OpenBF(s.task(), 1, "wb");
    WriteAssemblerTaskRecord(1, t);
    CloseBF(1);

    ActiveAssembler a;
    ASSERT_TRUE(a.SetResumeInfo(s.task()));
    std::string d;
    EXPECT_EQ(a.Assemble(d), 0);
    EXPECT_EQ(a.BigFile, out);
    EXPECT_EQ(ReadAll(out), data);
    EXPECT_FALSE(std::filesystem::exists(part));
    EXPECT_TRUE(p.boxes.empty());
}

// A resume in a later run asks about a file that took the final name meanwhile, at the end.
TEST(AssemblerResume, AFileThatTookTheFinalNameMeanwhileIsAskedAbout) {
    for (Answer answer : {Answer::No, Answer::Yes}) {
        ScriptedPrompter p;
        JoinFolders s;
        const std::string data = Random(5000, 4);
        auto pieces = testing::WriteFormat4Series(s.src, data, {}, testing::Dotted3("data"));
        const std::string part = StopWithTask(s, pieces[0]);
        const std::string out = s.dest.Write("data.bin", "mine");
        p.Answer(answer);
        if (answer == Answer::No) p.Answer(Answer::OK);
        ActiveAssembler a;
        ASSERT_TRUE(a.SetResumeInfo(s.task()));
        std::string d;
        EXPECT_EQ(a.Assemble(d), answer == Answer::Yes ? 0 : 1);
        ASSERT_GE(p.boxes.size(), 1u);
        EXPECT_EQ(p.boxes[0].title, "File already exists");
        EXPECT_EQ(ReadAll(out), answer == Answer::Yes ? data : "mine");
        if (answer == Answer::No) {
            EXPECT_EQ(p.boxes[1].title, "Assembled data kept");
            EXPECT_EQ(ReadAll(part), data);
        } else {
            EXPECT_FALSE(std::filesystem::exists(part));
        }
    }
}

}  // namespace
}  // namespace kb
