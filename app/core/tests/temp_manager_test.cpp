#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sys/stat.h>

#include "app/core/debug_log.h"
#include "app/core/kb_error.h"
#include "app/core/temp_manager.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/core/testing/temp_folder.h"

namespace kb {
namespace {

namespace fs = std::filesystem;
using testing::ScopedEnv;
using testing::ScriptedPrompter;
using testing::TempFolder;

class TempManagerTest : public ::testing::Test {
protected:
    TempFolder tmp;
    TempFolder home;
    ScopedEnv tmpdir{"TMPDIR", tmp.Path()};
    ScopedEnv homeEnv{"KESTRELBINDER_HOME", home.Path()};
    TempManager& tm = TempManager::Instance();

    void TearDown() override {
        DebugLogEnabled = false;
        for (const char* k : {"Archive", "EncArchive", "AssArchive", "AssEncArchive", "X", "Y", "Z"})
            try {
                tm.GetTempFilePath(k);
                tm.UnmarkTempFile(k);  // the folder goes with the fixture
            } catch (const KbError&) {
            }
    }
};

bool Registered(TempManager& tm, const std::string& key) {
    try {
        tm.GetTempFilePath(key);
        return true;
    } catch (const KbError& e) {
        EXPECT_EQ(e.Number(), err::InvalidArgument);
        return false;
    }
}

TEST_F(TempManagerTest, CreatesOwnerOnlyFilesNamedInTheSystemStyle) {
    DebugLogEnabled = true;
    const std::string a = tm.CreateTempFile("Archive", "kbt");
    const std::string b = tm.CreateTempFile("EncArchive", "kbt");
    EXPECT_NE(a, b);
    EXPECT_EQ(tm.GetTempFilePath("Archive"), a);
    for (const std::string& p : {a, b}) {
        EXPECT_EQ(fs::path(p).parent_path().string(), tmp.Path());
        EXPECT_TRUE(std::regex_match(fs::path(p).filename().string(), std::regex("kbt[0-9A-F]+\\.tmp")))
            << p;
        struct stat st {};
        ASSERT_EQ(stat(p.c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        EXPECT_EQ(st.st_size, 0);
    }
    EXPECT_EQ(testing::ReadAll(home.File("KxDebugLog.txt")),
              "Temp file created: " + a + "\r\nTemp file created: " + b + "\r\n");
}

TEST_F(TempManagerTest, CreatingAKeyAgainDeletesTheFirstFile) {
    const std::string first = tm.CreateTempFile("AssEncArchive", "kbt");
    const std::string second = tm.CreateTempFile("AssEncArchive", "kbt");
    EXPECT_FALSE(fs::exists(first));
    EXPECT_TRUE(fs::exists(second));
    EXPECT_EQ(tm.GetTempFilePath("AssEncArchive"), second);
}

TEST_F(TempManagerTest, CreateRaisesWhenNoFileCanBeMade) {
    ScopedEnv missing("TMPDIR", tmp.File("no/such/dir"));
    const std::string kept = tmp.Write("kept", "k");
    tm.MarkTempFile("Archive", kept);
    try {
        tm.CreateTempFile("Archive", "kbt");
        ADD_FAILURE() << "no error";
    } catch (const KbError& e) {
        EXPECT_EQ(e.Number(), err::PathFileAccess);
        EXPECT_EQ(e.Source(), "CreateTempFile");
        EXPECT_NE(e.Description().find(tmp.File("no/such/dir")), std::string::npos);
    }
    EXPECT_EQ(tm.GetTempFilePath("Archive"), kept);
    EXPECT_TRUE(fs::exists(kept));
}

TEST_F(TempManagerTest, MarkReplacesAnotherFileButNeverDeletesTheOneTakenOver) {
    const std::string q = tmp.Write("q", "q");
    const std::string p = tmp.Write("p", "p");
    tm.MarkTempFile("EncArchive", q);
    tm.MarkTempFile("EncArchive", p);
    EXPECT_FALSE(fs::exists(q));
    EXPECT_EQ(tm.GetTempFilePath("EncArchive"), p);
    tm.MarkTempFile("EncArchive", p);
    EXPECT_TRUE(fs::exists(p));
    EXPECT_EQ(tm.GetTempFilePath("EncArchive"), p);
}

TEST_F(TempManagerTest, UnmarkKeepsTheFileAndForgetsTheKey) {
    ScriptedPrompter prompter;
    const std::string f = tm.CreateTempFile("Archive", "kbt");
    tm.UnmarkTempFile("Archive");
    EXPECT_FALSE(Registered(tm, "Archive"));
    EXPECT_TRUE(fs::exists(f));
    fs::remove(f);

    prompter.Answer(Answer::OK);
    tm.UnmarkTempFile("Archive");
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].title, "Warning");
    EXPECT_EQ(prompter.boxes[0].style, mb::OKOnly | mb::Exclamation);
    EXPECT_EQ(prompter.boxes[0].text,
              "There was a problem unmarking a file as being temporary. This is non-fatal but if "
              "you have saved an unfinished task it could cause problems restoring this task.");
}

TEST_F(TempManagerTest, RemoveWarnsOnlyWhenNotSilent) {
    ScriptedPrompter prompter;
    tm.RemoveTempFile("X", true);  // not registered: nothing at all
    EXPECT_TRUE(prompter.boxes.empty());

    const std::string f = tm.CreateTempFile("X", "kbt");
    tm.RemoveTempFile("X", false);
    EXPECT_FALSE(fs::exists(f));
    EXPECT_TRUE(prompter.boxes.empty());

    prompter.Answer(Answer::OK);
    tm.RemoveTempFile("X", false);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text,
              "There was a problem removing a temporary file. This is non-fatal and probably "
              "nothing to worry about.");
}

TEST_F(TempManagerTest, RemoveAllStopsAtTheFirstFileThatCannotBeDeleted) {
    ScriptedPrompter prompter;
    const std::string a = tm.CreateTempFile("X", "kbt");
    const std::string stuck = tmp.Write("stuck/inner", "i");  // a non-empty folder: unlink fails
    tm.MarkTempFile("Y", tmp.File("stuck"));
    const std::string c = tm.CreateTempFile("Z", "kbt");

    prompter.Answer(Answer::OK);
    tm.RemoveAllTempFiles();
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].title, "Warning");
    EXPECT_EQ(prompter.boxes[0].style, mb::OKOnly | mb::Exclamation);
    EXPECT_EQ(prompter.boxes[0].text,
              "A problem occurred while cleaning up temporary files. This is non-fatal but if it "
              "alarms you, you could always run the disk cleanup wizard (Windows 98 and later) or "
              "remove the contents of the TEMP directory manually.");
    EXPECT_FALSE(fs::exists(a));
    EXPECT_FALSE(Registered(tm, "X"));
    EXPECT_TRUE(Registered(tm, "Y"));
    EXPECT_TRUE(Registered(tm, "Z"));
    EXPECT_TRUE(fs::exists(c));

    tm.UnmarkTempFile("Y");
    tm.RemoveAllTempFiles();
    EXPECT_FALSE(fs::exists(c));
    EXPECT_EQ(prompter.boxes.size(), 1u);
}

TEST_F(TempManagerTest, EachOperationLogsItsLine) {
    ScriptedPrompter prompter;
    DebugLogEnabled = true;
    const std::string kept = tmp.Write("kept", "k");
    tm.MarkTempFile("Archive", kept);
    tm.UnmarkTempFile("Archive");
    const std::string made = tm.CreateTempFile("X", "kbt");
    tm.RemoveTempFile("X", false);
    tm.RemoveTempFile("X", true);  // silent: no line
    tm.RemoveAllTempFiles();
    EXPECT_EQ(testing::ReadAll(home.File("KxDebugLog.txt")),
              "Marking " + kept + " as temporary\r\n"
              "Unmarking " + kept + " as temporary\r\n"
              "Temp file created: " + made + "\r\n"
              "Removing temp file " + made + " if it exists\r\n"
              "Removing all temporary files\r\n");
    EXPECT_TRUE(prompter.boxes.empty());
}

}  // namespace
}  // namespace kb
