#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>

#include "app/core/testing/temp_folder.h"
#include "bench/kbengine/tests/engine_run.h"

namespace {

using kb::testing::ReadAll;
using kb::testing::TempFolder;

class KbEngineSplit : public ::testing::Test {
protected:
    TempFolder dir;
    std::string source;
    void SetUp() override { source = dir.Write("in.dat", kb::testing::RandomBytes(300000, 9)); }
    std::string Folder(const std::string& name) {
        std::filesystem::create_directories(dir.File(name));
        return dir.File(name);
    }
    std::vector<std::string> Pieces(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().string());
        std::sort(names.begin(), names.end());
        std::vector<std::string> out;
        for (const auto& n : names) out.push_back(ReadAll(n));
        return out;
    }
};

TEST_F(KbEngineSplit, SplitsCancelsSavesAndResumesToTheSamePieces) {
    const std::string common = ShellQuote(source) + " ";
    EngineRun whole = Engine("split " + common + ShellQuote(Folder("whole")) + " --size 70000 --segment 8192");
    ASSERT_EQ(whole.status, 0) << whole.lastLine;
    EXPECT_EQ(Member(whole.lastLine, "result"), "1");
    EXPECT_EQ(Member(whole.lastLine, "completed"), "true");
    EXPECT_EQ(Member(whole.lastLine, "pieces"), "5");
    EXPECT_EQ(Member(whole.lastLine, "bytes"), "300000");
    EXPECT_FALSE(Member(whole.lastLine, "mb_per_s").empty());
    EXPECT_TRUE(std::filesystem::exists(dir.File("whole/in.001")));

    const std::string task = dir.File("t.uft");
    EngineRun cut = Engine("split " + common + ShellQuote(Folder("cut")) +
                           " --size 70000 --segment 8192 --cancel-after 12 --save " + ShellQuote(task));
    EXPECT_EQ(Member(cut.lastLine, "result"), "-1");
    EXPECT_EQ(Member(cut.lastLine, "completed"), "false");
    EXPECT_EQ(cut.status, 1);
    EngineRun resumed = Engine("resume-split " + ShellQuote(task) + " --segment 8192");
    EXPECT_EQ(Member(resumed.lastLine, "result"), "1");
    EXPECT_EQ(Member(resumed.lastLine, "completed"), "true");
    EXPECT_EQ(resumed.status, 0);
    EXPECT_TRUE(Pieces(dir.File("cut")) == Pieces(dir.File("whole")));

    // Without a save path the written pieces go.
    EngineRun dropped = Engine("split " + common + ShellQuote(Folder("drop")) +
                               " --size 70000 --segment 8192 --cancel-after 12");
    // The result is 1 as for a finished split; the status tells them apart.
    EXPECT_EQ(Member(dropped.lastLine, "result"), "1");
    EXPECT_EQ(Member(dropped.lastLine, "completed"), "false");
    EXPECT_EQ(dropped.status, 1);
    EXPECT_TRUE(Pieces(dir.File("drop")).empty());
    // So does a split stopped at a box.
    EngineRun refused = Engine("split " + common + ShellQuote(dir.File("no/such")) +
                               " --size 70000 --answer Cancel --answer Yes");
    EXPECT_EQ(Member(refused.lastLine, "result"), "1");
    EXPECT_EQ(refused.status, 1);
}

TEST_F(KbEngineSplit, RefusesATemplateWithoutANumberAndAsksBeforeReplacingPieces) {
    const std::string into = Folder("named");
    for (const char* bad : {"'%f'", "'../escaped %n.frg'"}) {
        EngineRun flat = Engine("split " + ShellQuote(source) + " " + ShellQuote(into) + " --template " + bad);
        EXPECT_EQ(flat.status, 1);
        EXPECT_EQ(Member(flat.lastLine, "error"), "5") << flat.lastLine;
        EXPECT_TRUE(std::filesystem::is_empty(into));
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("escaped 1.frg")));

    // The pieces of a first split are there: the default answer keeps them, Yes splits again.
    const std::string split = "split " + ShellQuote(source) + " " + ShellQuote(into) + " --size 70000";
    ASSERT_EQ(Engine(split).status, 0);
    std::filesystem::resize_file(dir.File("named/in.002"), 10);
    EngineRun kept = Engine(split);
    EXPECT_EQ(kept.status, 1);
    EXPECT_EQ(Member(kept.lastLine, "completed"), "false");
    EXPECT_EQ(std::filesystem::file_size(dir.File("named/in.002")), 10u);
    EXPECT_EQ(Engine(split + " --answer Yes").status, 0);
    EXPECT_EQ(std::filesystem::file_size(dir.File("named/in.002")), 70000u);
}

// A resume refuses a task whose source has changed or that another resume holds, asks before
// replacing files under the names still to come, and a resume stopped without saving goes back
// to its task; only the resume that completes the series removes the task.
TEST_F(KbEngineSplit, AResumeLooksAtItsTaskAndItsFilesFirst) {
    const std::string task = dir.File("t.uft"), folder = Folder("cut");
    const std::string whole = "split " + ShellQuote(source) + " " + ShellQuote(Folder("whole")) +
                              " --size 70000 --segment 8192";
    ASSERT_EQ(Engine(whole).status, 0);
    Engine("split " + ShellQuote(source) + " " + ShellQuote(folder) +
           " --size 70000 --segment 8192 --cancel-after 12 --save " + ShellQuote(task));
    const auto saved = Pieces(folder);
    const std::string savedTask = ReadAll(task);
    ASSERT_EQ(saved.size(), 2u);
    const std::string resume = "resume-split " + ShellQuote(task) + " --segment 8192";
    auto untouched = [&] {
        EXPECT_TRUE(Pieces(folder) == saved);
        EXPECT_EQ(ReadAll(task), savedTask);
    };

    // Stopped without saving, twice.
    for (const char* at : {"3", "20"}) {
        EngineRun stopped = Engine(resume + " --cancel-after " + at);
        EXPECT_EQ(stopped.status, 1) << at;
        EXPECT_EQ(Member(stopped.lastLine, "completed"), "false");
        untouched();
    }
    // A file under the name of piece 4: the default answer keeps it.
    const std::string mine = dir.Write("cut/in.004", "mine");
    EngineRun asked = Engine(resume);
    EXPECT_EQ(asked.status, 1);
    EXPECT_EQ(ReadAll(mine), "mine");
    std::filesystem::remove(mine);
    untouched();
    // The source grown since.
    const std::string data = ReadAll(source);
    dir.Write("in.dat", data + "more");
    EngineRun changed = Engine(resume);
    EXPECT_EQ(changed.status, 1);
    EXPECT_EQ(Member(changed.lastLine, "error"), "57") << changed.lastLine;
    dir.Write("in.dat", data);
    untouched();
    // Held by another resume.
    const int held = open(task.c_str(), O_RDONLY);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
    EngineRun busy = Engine(resume);
    close(held);
    EXPECT_EQ(busy.status, 1);
    EXPECT_EQ(Member(busy.lastLine, "error"), "55") << busy.lastLine;
    EXPECT_NE(Member(busy.lastLine, "description").find("already being resumed"), std::string::npos);
    untouched();

    EngineRun done = Engine(resume);
    EXPECT_EQ(done.status, 0) << done.lastLine;
    EXPECT_TRUE(Pieces(folder) == Pieces(dir.File("whole")));
    EXPECT_FALSE(std::filesystem::exists(task));
}

TEST_F(KbEngineSplit, OptionsReachTheSplitter) {
    EngineRun r = Engine("split " + ShellQuote(source) + " " + ShellQuote(Folder("opts")) +
                         " --format 1 --count 4 --template '%f-%n.part' --store-name x.y --range 2-3");
    ASSERT_EQ(r.status, 0) << r.lastLine;
    EXPECT_EQ(Member(r.lastLine, "pieces"), "4");
    auto pieces = Pieces(dir.File("opts"));
    ASSERT_EQ(pieces.size(), 2u);  // four pieces of 75001 bytes (the last shorter), 2 and 3 written
    EXPECT_TRUE(pieces[0] == ReadAll(source).substr(75001, 75001));
    EXPECT_TRUE(std::filesystem::exists(dir.File("opts/x-3.part")));

    EngineRun first = Engine("split " + ShellQuote(source) + " " + ShellQuote(Folder("first")) +
                             " --format 1 --size 100000 --first-size 50000");
    EXPECT_EQ(Member(first.lastLine, "pieces"), "4");
    EXPECT_EQ(std::filesystem::file_size(dir.File("first/in.001")), 50000u);

    const std::string base = "split " + ShellQuote(source) + " " + ShellQuote(dir.File("opts")) + " ";
    for (const char* bad : {"--range 3-2", "--range x", "--format 2", "--save t.uft", "--segment 0"})
        EXPECT_EQ(Engine(base + bad).status, 2) << bad;
    EXPECT_EQ(Member(Engine("resume-split " + ShellQuote(dir.File("none.uft"))).lastLine, "error"), "57");
}

}  // namespace
