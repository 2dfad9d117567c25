// A task is held while it is resumed: a second resume of it, in another process or through
// another object, says so and changes nothing, for splits and joins alike. A join also holds
// its output, against a resume of a copy of its task.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <vector>

#include "app/core/active_assembler.h"
#include "app/core/active_splitter.h"
#include "app/core/kb_error.h"
#include "app/core/task_lock.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/core/testing/temp_folder.h"
#include "app/core/tests/assembler_listener_fake.h"
#include "app/core/tests/series_fixtures.h"
#include "split_fixtures.h"

namespace kb {
namespace {

namespace fs = std::filesystem;
using testing::ReadAll;
using testing::ScriptedPrompter;
using testing::TempFolder;

// Another process that holds the lock on a file until this object goes.
class OtherProcessHolds {
public:
    explicit OtherProcessHolds(const std::string& path) {
        int ready[2], done[2];
        if (pipe(ready) != 0 || pipe(done) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(ready[0]);
            close(done[1]);
            const int fd = open(path.c_str(), O_RDONLY);
            char c = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 ? 'y' : 'n';
            (void)!write(ready[1], &c, 1);
            (void)!read(done[0], &c, 1);  // returns when the parent's end closes
            _exit(0);
        }
        close(ready[1]);
        close(done[0]);
        done_ = done[1];
        char c = 'n';
        (void)!read(ready[0], &c, 1);
        close(ready[0]);
        holds_ = c == 'y';
    }
    ~OtherProcessHolds() {
        if (done_ >= 0) close(done_);
        if (pid_ > 0) waitpid(pid_, nullptr, 0);
    }
    bool Holds() const { return holds_; }

private:
    pid_t pid_ = -1;
    int done_ = -1;
    bool holds_ = false;
};

const std::string kInUse = "This unfinished task is already being resumed.";

void ExpectInUseBox(const ScriptedPrompter& p) {
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].text, kInUse);
    EXPECT_EQ(p.boxes[0].title, "Unfinished task in use");
    EXPECT_EQ(p.boxes[0].style, mb::OKOnly | mb::Exclamation);
}

class TaskLockTest : public ::testing::Test {
protected:
    TempFolder dir;
    // A split of 100000 bytes into pieces of 30000, saved inside piece 2.
    std::string SplitTask() {
        const std::string source = dir.Write("data.bin", testing::RandomBytes(100000, 4));
        fs::create_directories(dir.File("pieces"));
        ActiveSplitter s;
        testing::Recorder r;
        s.SetBigFile(source);
        s.FilenameToStore = "data.bin";
        s.SetDestinationFolder(dir.File("pieces"));
        s.SetFragmentSize(30000);
        s.SegmentSize = 4096;
        r.cancelAtInterval = 10;
        r.saveTo = dir.File("split.uft");
        s.SetListener(&r);
        EXPECT_EQ(s.Split(), -1);
        return r.saveTo;
    }
    // A join of a five-piece series stopped at its third chunk and saved.
    std::string JoinTask() {
        const auto v = testing::RandomBytes(5000, 6);
        testing::Format4Options o;
        const auto pieces = testing::WriteFormat4Series(dir, std::string(v.begin(), v.end()), o,
                                                        testing::Dotted3("data"));
        fs::create_directories(dir.File("out"));
        testing::ScriptedAssemblerListener ev;
        ev.cancelAtInterval = 3;
        ev.saveAs = dir.File("join.uft");
        ActiveAssembler a;
        a.SetListener(&ev);
        a.SetFileToAssemble(pieces[0]);
        a.SegmentSize = 400;
        std::string d = dir.File("out");
        a.SetDestinationFolder(d);
        EXPECT_EQ(a.Assemble(d), 1);
        return ev.saveAs;
    }
    std::map<std::string, std::string> Files() {
        std::map<std::string, std::string> all;
        for (const auto& e : fs::recursive_directory_iterator(dir.Path()))
            if (e.is_regular_file()) all[e.path().string()] = ReadAll(e.path().string());
        return all;
    }
};

TEST_F(TaskLockTest, ATaskAnotherProcessResumesIsLeftAsItIs) {
    ScriptedPrompter quiet;
    const std::string split = SplitTask(), join = JoinTask();
    const auto before = Files();
    {
        OtherProcessHolds other(split);
        OtherProcessHolds another(join);
        ASSERT_TRUE(other.Holds() && another.Holds());
        {
            ScriptedPrompter p;
            p.Answer(Answer::OK);
            ActiveSplitter s;
            try {
                s.SetResumeInfo(split);
                ADD_FAILURE() << "loaded";
            } catch (const TaskInUse& e) {
                EXPECT_EQ(e.Number(), err::FileAlreadyOpen);
            }
            EXPECT_FALSE(s.ResumePending());
            EXPECT_EQ(s.ResumedTask(), "");
            ExpectInUseBox(p);
        }
        {
            ScriptedPrompter p;
            p.Answer(Answer::OK);
            ActiveAssembler a;
            EXPECT_FALSE(a.SetResumeInfo(join));
            EXPECT_FALSE(a.ResumePending());
            ExpectInUseBox(p);
        }
        EXPECT_TRUE(Files() == before);
    }
    // Once the other resume has ended, both load.
    ActiveSplitter s;
    EXPECT_NO_THROW(s.SetResumeInfo(split));
    EXPECT_TRUE(s.ResumePending());
    ActiveAssembler a;
    EXPECT_TRUE(a.SetResumeInfo(join));
}

// A task file can be copied: a join holds its output while it writes it, and a resume of a copy
// whose output another join holds says so and changes nothing, in the engine and in the
// wizard's check alike.
TEST_F(TaskLockTest, ACopyOfATaskWhoseOutputAnotherJoinWritesIsLeftAsItIs) {
    ScriptedPrompter quiet;
    const std::string join = JoinTask(), copy = dir.File("copy.uft");
    fs::copy_file(join, copy);
    const std::string part = dir.File("out/data.bin.part");
    const auto before = Files();
    {
        OtherProcessHolds other(part);
        ASSERT_TRUE(other.Holds());
        for (bool checkFirst : {false, true}) {
            SCOPED_TRACE(checkFirst ? "the wizard's check" : "the engine's run");
            ScriptedPrompter p;
            p.Answer(Answer::OK);
            ActiveAssembler a;
            ASSERT_TRUE(a.SetResumeInfo(copy));
            std::string d;
            if (checkFirst) {
                EXPECT_FALSE(a.MayResume(kWizardSegments));
            } else {
                EXPECT_EQ(a.Assemble(d), 1);
            }
            EXPECT_FALSE(a.ResumePending());
            ExpectInUseBox(p);
            EXPECT_TRUE(Files() == before);
        }
    }
    ActiveAssembler a;
    ASSERT_TRUE(a.SetResumeInfo(copy));
    std::string d;
    EXPECT_EQ(a.Assemble(d), 0);
    EXPECT_EQ(fs::file_size(dir.File("out/data.bin")), 5000u);
}

// A join holds its output from the moment it takes it up until its run ends: a fresh join its
// new ".part", a resumed one its task's output from its check on. A leftover ".part" that
// another join holds is not replaced.
TEST_F(TaskLockTest, AJoinHoldsItsOutputWhileItWritesIt) {
    ScriptedPrompter p;
    auto free = [](const std::string& path) {
        OtherProcessHolds probe(path);
        return probe.Holds();
    };
    const std::string part = dir.File("out/data.bin.part");
    std::vector<bool> freeDuring;
    {
        const std::string join = JoinTask();
        ActiveAssembler a;
        ASSERT_TRUE(a.SetResumeInfo(join));
        ASSERT_TRUE(a.MayResume());
        EXPECT_FALSE(free(part));
        a.CancelResume();
        EXPECT_TRUE(free(part));
        ASSERT_TRUE(a.SetResumeInfo(join));
        testing::ScriptedAssemblerListener ev;
        ev.onInterval = [&](int) { freeDuring.push_back(free(part)); };
        a.SetListener(&ev);
        std::string d;
        EXPECT_EQ(a.Assemble(d), 0);
        EXPECT_TRUE(free(dir.File("out/data.bin")));
    }
    {
        ActiveAssembler a;
        testing::ScriptedAssemblerListener ev;
        a.SetListener(&ev);
        a.SetFileToAssemble(dir.File("data.001"));
        a.SetDestinationFolder(dir.File("again"));
        fs::create_directories(dir.File("again"));
        a.SegmentSize = 1000;
        std::string d = dir.File("again");
        const std::string fresh = dir.File("again/data.bin.part");
        ev.onInterval = [&](int) { freeDuring.push_back(free(fresh)); };
        EXPECT_EQ(a.Assemble(d), 0);
    }
    EXPECT_FALSE(freeDuring.empty());
    EXPECT_EQ(std::count(freeDuring.begin(), freeDuring.end(), true), 0);
    EXPECT_TRUE(p.boxes.empty());

    const std::string leftover = dir.Write("third/data.bin.part", "another join's");
    {
        OtherProcessHolds other(leftover);
        ASSERT_TRUE(other.Holds());
        ScriptedPrompter held;
        held.Answer(Answer::OK);
        ActiveAssembler a;
        a.SetFileToAssemble(dir.File("data.001"));
        a.SetDestinationFolder(dir.File("third"));
        std::string d = dir.File("third");
        EXPECT_EQ(a.Assemble(d), 1);
        ASSERT_EQ(held.boxes.size(), 1u);
        EXPECT_EQ(held.boxes[0].text, leftover + " is being written by another join. Let that "
                                                 "join end, or join into another folder.");
        EXPECT_EQ(held.boxes[0].title, "File in use");
        EXPECT_EQ(held.boxes[0].style, mb::OKOnly | mb::Exclamation);
        EXPECT_EQ(ReadAll(leftover), "another join's");
    }
}

// From loading until the end of its run the task is held, also against this process; a
// dropped resume gives it free.
TEST_F(TaskLockTest, AResumeHoldsItsTaskUntilItsRunEnds) {
    ScriptedPrompter p;
    const std::string split = SplitTask(), join = JoinTask();
    auto free = [](const std::string& task) {
        OtherProcessHolds probe(task);
        return probe.Holds();
    };
    {
        ActiveSplitter first;
        first.SegmentSize = 4096;
        first.SetResumeInfo(split);
        EXPECT_EQ(first.ResumedTask(), split);
        EXPECT_FALSE(free(split));
        p.Answer(Answer::OK);
        ActiveSplitter second;
        EXPECT_THROW(second.SetResumeInfo(split), TaskInUse);
        first.ClearResumeInfo();
        EXPECT_TRUE(free(split));
        second.SegmentSize = 4096;
        second.SetResumeInfo(split);
        // Split once to its end: the task is done, and its file gone.
        EXPECT_EQ(second.Split(), 1);
        EXPECT_FALSE(fs::exists(split));
    }
    ActiveAssembler first;
    ASSERT_TRUE(first.SetResumeInfo(join));
    EXPECT_FALSE(free(join));
    p.Answer(Answer::OK);
    ActiveAssembler second;
    EXPECT_FALSE(second.SetResumeInfo(join));
    std::string d;
    // Joined to its end: the task is done, and its file gone.
    EXPECT_EQ(first.Assemble(d), 0);
    EXPECT_FALSE(fs::exists(join));
    EXPECT_EQ(p.boxes.size(), 2u);
}

}  // namespace
}  // namespace kb
