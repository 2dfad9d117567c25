// What the assembler wizard's last page says when a join ends, and where the data is then:
// "Finished!" only for a whole result, otherwise what happened and where the data lies.
#include <QLabel>

#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <memory>

#include "app/core/testing/fake_disks.h"
#include "app/core/testing/faulty_io.h"
#include "app/ui/common/panel_view.h"
#include "app/ui/common/uc_progress_panel.h"
#include "app/ui/tests/assembler_fixture.h"

namespace kb {
namespace {

namespace fs = std::filesystem;
using testing::AssemblerTest;
using testing::RandomBytes;
using testing::ReadAll;
using testing::ScriptedPrompter;

class AssemblerLastPageTest : public AssemblerTest {
protected:
    std::string Heading(ucAssembler& w) { return w.lblFinished()->text().toStdString(); }
    std::string Text(ucAssembler& w) {
        return w.lblOutcome()->isVisibleTo(&w) ? w.lblOutcome()->text().toStdString() : "";
    }
};

// A new folder on a file system other than the work folder's, for a temporary folder that a
// move out of it must copy from; "" when there is none.
std::string FolderOnAnotherFileSystem(const std::string& work) {
    struct stat shm {}, here {};
    std::string other = "/dev/shm/kbtest-XXXXXX";
    if (stat("/dev/shm", &shm) != 0 || stat(work.c_str(), &here) != 0 ||
        shm.st_dev == here.st_dev || mkdtemp(other.data()) == nullptr)
        return "";
    return other;
}

// "@" in a text stands for the destination folder.
std::string At(std::string text, const std::string& dest) {
    for (size_t at = 0; (at = text.find('@', at)) != std::string::npos; at += dest.size())
        text.replace(at, 1, dest);
    return text;
}

TEST_F(AssemblerLastPageTest, EachWayAJoinEndsIsToldOnTheLastPage) {
    const std::string report = work.Write("report.doc", RandomBytes(70000, 21));
    const std::string plain = work.Write("plain.bin", RandomBytes(30000, 22));
    const int16_t tea = LoadTea();
    const std::string enc = TeaEncrypt(tea, plain, "secret");
    std::unique_ptr<testing::FaultyIo> fault;
    // Pieces 1, 2 and 4 of a bare set of pieces of 20000 bytes, in a folder of its own.
    auto gap = [&](const std::string& folder) {
        const std::string data = ReadAll(report);
        for (int i : {1, 2, 4})
            work.Write(folder + "/movie.avi.00" + std::to_string(i),
                       data.substr(static_cast<size_t>(i - 1) * 20000, 20000));
        return work.File(folder + "/movie.avi.001");
    };
    int n = 0;
    // Each case makes its set in a folder of its own and may put files into the destination.
    auto own = [&](const std::string& source, const std::string& name, int32_t compression = 0,
                   int32_t encryption = 0) {
        return SplitInto(source, name, "set" + std::to_string(n), compression, encryption);
    };
    const struct Case {
        const char* what;
        std::function<std::string(const std::string& dest)> prepare;  // the first piece
        std::vector<Answer> answers;
        const char* password;  // nullptr: none is asked
        int cancelAt;          // the chunk after which Cancel is clicked; 0 never
        const char* heading;
        const char* text;
    } cases[] = {
        {"whole", [&](const std::string&) { return own(report, "report.doc"); }, {}, nullptr, 0,
         "Finished!", ""},
        {"piece 3 damaged",
         [&](const std::string&) {
             const std::string first = own(report, "report.doc");
             const std::string third = first.substr(0, first.size() - 1) + "3";
             std::string bytes = ReadAll(third);
             bytes.back() ^= 1;
             work.Write(fs::relative(third, work.Path()).string(), bytes);
             return first;
         },
         {Answer::OK}, nullptr, 0, "Not completed",
         "Piece 3 failed its CRC-32 check, so the file \"@/report.doc\" does not match the "
         "original."},
        {"stopped and saved", [&](const std::string&) { return own(report, "report.doc"); },
         {Answer::Yes}, nullptr, 1, "Stopped",
         "The progress has been saved as the unfinished task \"job\"."},
        {"stopped without saving", [&](const std::string&) { return own(report, "report.doc"); },
         {Answer::No}, nullptr, 1, "Stopped", "The assemble was stopped, and nothing has been kept."},
        {"a write error",
         [&](const std::string& dest) {
             fault = std::make_unique<testing::FaultyIo>(testing::FaultyIo::Kind::Write,
                                                         dest + "/report.doc.part", 30000);
             fault->FailWith(EROFS);  // not a want of room, which is asked about
             return own(report, "report.doc");
         },
         {Answer::OK}, nullptr, 0, "Stopped",
         "An error stopped the assemble: Unable to write to @/report.doc.part: Read-only file "
         "system."},
        {"a full disk, stopped without saving",
         [&](const std::string& dest) {
             fault = std::make_unique<testing::FaultyIo>(testing::FaultyIo::Kind::Write,
                                                         dest + "/report.doc.part", 30000);
             return own(report, "report.doc");
         },
         {Answer::Cancel, Answer::No}, nullptr, 0, "Stopped",
         "The assemble was stopped, and nothing has been kept."},
        {"No to replacing a file before the join",
         [&](const std::string& dest) {
             work.Write(fs::relative(dest, work.Path()).string() + "/report.doc", "mine");
             return own(report, "report.doc");
         },
         {Answer::No}, nullptr, 0, "Stopped",
         "The assemble did not complete: the message shown before this one says why."},
        {"a missing piece", [&](const std::string&) { return gap("gap"); }, {Answer::Cancel},
         nullptr, 0, "Stopped",
         "The assemble did not complete: the message shown before this one says why."},
        {"a missing piece, the pieces before it joined",
         [&](const std::string&) { return gap("gap and OK"); }, {Answer::OK}, nullptr, 0,
         "Not completed", "Piece 3 is missing, so the file \"@/movie.avi\" holds only pieces 1 to 2."},
        {"a length other than the header's",
         [&](const std::string&) {
             const std::string first = own(report, "report.doc");
             std::string bytes = ReadAll(first);
             const std::string length("\x70\x11\x01\0\0\0\0\0", 8);  // 70000
             const size_t at = bytes.find(length);
             EXPECT_LT(at, 200u);
             bytes[at] = '\x71';
             work.Write(fs::relative(first, work.Path()).string(), bytes);
             return first;
         },
         {Answer::OK}, nullptr, 0, "Not completed",
         "The joined data holds 70000 bytes, but the series' header gives 70001 bytes, so the "
         "file \"@/report.doc\" does not match the original."},
        {"a piece that could not be read in full",
         [&](const std::string&) {
             const std::string first = gap("unread");
             work.Write("unread/movie.avi.003", ReadAll(report).substr(40000, 20000));
             fs::remove(work.File("unread/movie.avi.004"));
             fault = std::make_unique<testing::FaultyIo>(testing::FaultyIo::Kind::Read,
                                                         work.File("unread/movie.avi.002"), 100, 200);
             return first;
         },
         {Answer::OK}, nullptr, 0, "Not completed",
         "Piece 2 could not be read in full, and zeros stand in for what could not be read, so "
         "the file \"@/movie.avi\" does not match the original."},
        {"no decryptor", [&](const std::string&) { return own(plain, "plain.bin", 0, 7); },
         {Answer::OK}, nullptr, 0, "Not completed",
         "No plug-in could decrypt the data: it is kept, still encrypted, as \"@/plain.bin\"."},
        {"passphrase refused", [&](const std::string&) { return own(enc, "plain.bin", 0, 2); },
         {Answer::Cancel, Answer::OK}, "wrong", 0, "Not completed",
         "The data was not decrypted: it is kept, still encrypted, as \"@/plain.bin.eid2.enc\"."},
        {"unknown compressor", [&](const std::string&) { return own(plain, "plain.bin", 3); },
         {Answer::OK}, nullptr, 0, "Not completed",
         "The data was packed by an unknown compressor: it is kept as the archive "
         "\"@/plain.bin\"."},
        {"No to replacing a file after the join",
         [&](const std::string& dest) {
             work.Write(fs::relative(dest, work.Path()).string() + "/plain.bin", "mine");
             return own(plain, "plain.bin", 3);
         },
         {Answer::OK, Answer::No, Answer::OK}, nullptr, 0, "Not completed",
         "\"@/plain.bin\" was not replaced: the data is kept as \"@/plain (2).bin\"."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ++n;
        const std::string dest = work.File("out" + std::to_string(n));
        fs::create_directories(dest);
        const std::string first = c.prepare(dest);
        ScriptedPrompter p;
        for (Answer a : c.answers) p.Answer(a);
        if (c.cancelAt > 0 && c.answers[0] == Answer::Yes) p.Type("job");
        if (c.password != nullptr) windows.TypePassword(c.password);
        ucAssembler w(nullptr, &windows, host);
        w.SetSegmentSize(16384);
        p.OnDoEvents([&p, &w, &c] {
            if (p.doEventsCount == c.cancelAt)
                w.fProgpan()->findChild<QPushButton*>("cmdCancel")->click();
        });
        Join(w, first, dest);
        fault.reset();
        EXPECT_TRUE(w.fFinished()->isVisibleTo(&w));
        EXPECT_EQ(Heading(w), c.heading);
        EXPECT_EQ(Text(w), At(c.text, dest));
        EXPECT_TRUE(fs::is_empty(tmp.Path()));
        fs::remove(home.File("Unfinished Tasks/job.uft"));
    }
}

// An archive that is not unpacked in full is kept in the destination under the set's stored
// name, never in the temporary folder the system empties, and never over a file of the user.
TEST_F(AssemblerLastPageTest, AnArchiveNotUnpackedInFullIsKeptInTheDestination) {
    const std::string cab = MakeCab(1);
    const std::string first = SplitInto(cab, "backup.cab", "pieces", 1);
    for (bool userHasOne : {false, true}) {
        SCOPED_TRACE(userHasOne ? "a backup.cab of the user's there" : "no backup.cab there");
        const std::string dest = work.File(userHasOne ? "taken" : "free");
        // A file of the same name makes the unpacking leave an entry out.
        work.Write(fs::relative(dest, work.Path()).string() + "/tree/readme.txt", "my notes");
        if (userHasOne) work.Write(fs::relative(dest, work.Path()).string() + "/backup.cab", "mine");
        const std::string kept = dest + (userHasOne ? "/backup (2).cab" : "/backup.cab");
        ScriptedPrompter p;
        p.Answer(Answer::OK);
        ucAssembler w(nullptr, &windows, host);
        Join(w, first, dest);
        ASSERT_EQ(p.boxes.size(), 1u);
        EXPECT_EQ(p.boxes[0].title, "Assembled data kept");
        EXPECT_EQ(KeptPath(p.boxes[0]), kept);
        EXPECT_EQ(ReadAll(kept), ReadAll(cab));
        EXPECT_EQ(ReadAll(dest + "/tree/readme.txt"), "my notes");
        EXPECT_EQ(ReadAll(dest + "/backup.cab"), userHasOne ? "mine" : ReadAll(cab));
        EXPECT_TRUE(fs::is_empty(tmp.Path()));
        EXPECT_EQ(Heading(w), "Not completed");
        EXPECT_EQ(Text(w), "The archive could not be unpacked in full: it is kept as the archive \"" +
                               kept + "\".");
    }
}

// A destination that fills up while the archive is unpacked (here: a file-size limit from the
// start of the unpacking). From a temporary folder on the same file system the archive is
// still moved into the destination under its stored name, as a move there takes no room; from
// another file system it cannot be, so it stays in the temporary folder, and the box and the
// last page say that the system may empty that folder.
TEST_F(AssemblerLastPageTest, AnArchiveThatCannotLeaveTheTemporaryFolderIsSaidToLieThere) {
    const std::string other = FolderOnAnotherFileSystem(work.Path());
    if (other.empty()) GTEST_SKIP() << "no second file system for the temporary folder";
    const std::string cab = MakeCab(1);
    const std::string first = SplitInto(cab, "backup.cab", "pieces", 1);
    rlimit unlimited{};
    getrlimit(RLIMIT_FSIZE, &unlimited);
    const auto underLimit = [&unlimited](const std::string& archive, const std::string& to,
                                         const std::function<void(const std::string&, int)>& progress) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = unlimited;
        small.rlim_cur = 1000;
        setrlimit(RLIMIT_FSIZE, &small);
        platform::ExtractCab(archive, to, progress);
    };
    ucProgressPanel bar(nullptr);
    PanelView view(bar);
    for (bool apart : {false, true}) {
        SCOPED_TRACE(apart ? "the temporary folder on another file system" : "on the same one");
        const std::string dest = work.File(apart ? "apart" : "beside");
        fs::create_directories(dest);
        testing::ScopedEnv tmpdir("TMPDIR", apart ? other : tmp.Path());
        AssemblerFlow flow(view, windows, host, underLimit);
        ScriptedPrompter p;
        p.Answer(Answer::OK);
        ASSERT_TRUE(flow.DescribeSource(first));
        const AssembleOutcome outcome = flow.Run(dest);
        setrlimit(RLIMIT_FSIZE, &unlimited);
        std::signal(SIGXFSZ, SIG_DFL);
        std::vector<std::string> left;
        for (const auto& e : fs::directory_iterator(apart ? other : tmp.Path()))
            left.push_back(e.path().string());
        ASSERT_EQ(left.size(), apart ? 1u : 0u);
        const std::string kept = apart ? left[0] : dest + "/backup.cab";
        EXPECT_EQ(ReadAll(kept), ReadAll(cab));
        EXPECT_EQ(outcome.placement.path, kept);
        ASSERT_EQ(p.boxes.size(), 1u);
        EXPECT_EQ(p.boxes[0].title, "Assembled data kept");
        // The reason ends in the list of entries not written; a space and an empty line part
        // it from what became of the data.
        const std::string notWritten =
            " (Error writing to file: " + std::string(std::strerror(EFBIG)) + ")";
        const std::string where =
            apart ? "The data is still in the temporary folder, as " + kept + ". The system may "
                    "empty that folder, so move the file elsewhere before you end this session."
                  : "The data has been kept as " + kept + ".";
        EXPECT_EQ(p.boxes[0].text,
                  "The assembled archive could not be unpacked into " + dest + ": These entries "
                  "of the archive could not be unpacked and were not written:\ntree/sub/data.bin" +
                      notWritten + "\ntree/sub/deeper/more.bin" + notWritten + " \r\r" + where);
        const std::string page =
            "The archive could not be unpacked in full: it is kept as the archive \"" + kept + "\".";
        EXPECT_EQ(LastPageOf(outcome).text,
                  apart ? page + " It is still in the temporary folder, which the system may "
                                 "empty, so move it elsewhere before you end this session."
                        : page);
        fs::remove(kept);
    }
    fs::remove_all(other);
}

// The password window of a test, which also changes the machine as the window closes.
class PasswordThen : public WizardWindows {
public:
    PasswordThen(std::string password, std::function<void()> then)
        : password_(std::move(password)), then_(std::move(then)) {}
    std::string ConfirmPassword(const std::string&) override {
        if (then_) then_();
        return password_;
    }
    bool RequestDisk(int32_t) override { return false; }

private:
    std::string password_;
    std::function<void()> then_;
};

// A decryption that could not write its output is not taken for a wrong passphrase: the box
// says the temporary folder is full and where it is, and the data is kept encrypted.
TEST_F(AssemblerLastPageTest, AFullTemporaryFolderIsNotTakenForAWrongPassphrase) {
    const std::string plain = work.Write("plain.bin", RandomBytes(30000, 23));
    const std::string enc = TeaEncrypt(LoadTea(), plain, "secret");
    const std::string first = SplitInto(enc, "plain.bin", "pieces", 0, 2);
    rlimit unlimited{};
    getrlimit(RLIMIT_FSIZE, &unlimited);
    std::unique_ptr<testing::FakeDisks> disks;
    const struct Case {
        const char* what;
        const char* password;
        std::function<void()> then;
        bool full;
    } cases[] = {
        {"a file-size limit, the right passphrase", "secret",
         [&] {
             std::signal(SIGXFSZ, SIG_IGN);
             rlimit small = unlimited;
             small.rlim_cur = 10000;
             setrlimit(RLIMIT_FSIZE, &small);
         },
         true},
        {"too little free space", "wrong",
         [&] {
             disks = std::make_unique<testing::FakeDisks>();
             disks->freeBytes = 1000;
         },
         true},
        {"room enough, a wrong passphrase", "wrong", {}, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string dest = work.File("out" + std::to_string(n++));
        ScriptedPrompter p;
        p.Answer(Answer::Cancel);
        if (!c.full) p.Answer(Answer::OK);
        PasswordThen password(c.password, c.then);
        ucAssembler w(nullptr, &password, host);
        Join(w, first, dest);
        setrlimit(RLIMIT_FSIZE, &unlimited);
        std::signal(SIGXFSZ, SIG_DFL);
        disks.reset();
        ASSERT_EQ(p.boxes.size(), c.full ? 1u : 2u);
        const std::string kept = dest + "/plain.bin.eid2.enc";
        EXPECT_EQ(ReadAll(kept), ReadAll(enc));
        EXPECT_TRUE(fs::is_empty(tmp.Path()));
        if (c.full) {
            EXPECT_EQ(p.boxes[0].title, "Temporary folder full");
            EXPECT_EQ(p.boxes[0].style, mb::RetryCancel | mb::Critical);
            EXPECT_NE(p.boxes[0].text.find("the temporary folder " + tmp.Path() + " has no room"),
                      std::string::npos) << p.boxes[0].text;
            EXPECT_EQ(Text(w), "The temporary folder \"" + tmp.Path() + "\" had no room to decrypt "
                               "the data: it is kept, still encrypted, as \"" + kept + "\".");
        } else {
            EXPECT_EQ(p.boxes[0].title, "Decryption passphrase rejected");
            EXPECT_EQ(Text(w), "The data was not decrypted: it is kept, still encrypted, as \"" +
                                   kept + "\".");
        }
    }
}

// Replacing a file of the user with data from another file system copies the data in under
// the unfinished name first: the user's file goes only once the data has arrived, and a
// ".part" already there is neither replaced nor written into.
TEST_F(AssemblerLastPageTest, DataFromAnotherFileSystemReplacesAFileOnlyOnceItHasArrived) {
    const std::string other = FolderOnAnotherFileSystem(work.Path());
    if (other.empty()) GTEST_SKIP() << "no second file system for the temporary folder";
    const std::string plain = work.Write("plain.bin", RandomBytes(30000, 24));
    const std::string first = SplitInto(plain, "plain.bin", "pieces", 3);
    for (bool partThere : {true, false}) {
        SCOPED_TRACE(partThere ? "a .part left in the destination" : "no .part there");
        testing::ScopedEnv tmpdir("TMPDIR", other);
        const std::string dest = work.File(partThere ? "with_part" : "without_part");
        const std::string mine = work.Write(fs::relative(dest, work.Path()).string() + "/plain.bin", "mine");
        if (partThere) work.Write(fs::relative(dest, work.Path()).string() + "/plain.bin.part", "left");
        ScriptedPrompter p;
        p.Answer(Answer::OK).Answer(Answer::Yes);
        if (partThere) p.Answer(Answer::OK);
        ucAssembler w(nullptr, &windows, host);
        Join(w, first, dest);
        ASSERT_GE(p.boxes.size(), 2u);
        EXPECT_EQ(p.boxes[1].title, "File already exists");
        EXPECT_TRUE(fs::is_empty(other));
        if (partThere) {
            EXPECT_EQ(ReadAll(mine), "mine");
            EXPECT_EQ(ReadAll(mine + ".part"), "left");
            ASSERT_EQ(p.boxes.size(), 3u);
            EXPECT_EQ(KeptPath(p.boxes[2]), dest + "/plain (2).bin");
            EXPECT_EQ(ReadAll(dest + "/plain (2).bin"), ReadAll(plain));
            EXPECT_EQ(Text(w), "The data could not be moved to \"" + mine + "\": it is kept as \"" +
                                   dest + "/plain (2).bin\".");
        } else {
            EXPECT_EQ(ReadAll(mine), ReadAll(plain));
            EXPECT_EQ(Listing(dest), std::vector<std::string>{"plain.bin"});
        }
    }
    fs::remove_all(other);
}

}  // namespace
}  // namespace kb
