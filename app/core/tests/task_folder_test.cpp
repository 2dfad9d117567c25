#include <gtest/gtest.h>

#include <filesystem>

#include "app/core/debug_log.h"
#include "app/core/task_folder.h"
#include "app/core/testing/temp_folder.h"

namespace kb {
namespace {

using testing::ScopedEnv;

class TaskFolderTest : public ::testing::Test {
protected:
    testing::TempFolder root;
    ScopedEnv data{"XDG_DATA_HOME", root.File("data")};
    void TearDown() override { DebugLogEnabled = false; }
};

TEST_F(TaskFolderTest, WritableProgramFolderKeepsTasksAndLog) {
    std::filesystem::create_directory(root.File("prog"));
    ScopedEnv home("KESTRELBINDER_HOME", root.File("prog"));
    EXPECT_EQ(UnfinishedTasksFolder(), root.File("prog/Unfinished Tasks"));
    EXPECT_EQ(DebugLogPath(), root.File("prog/KxDebugLog.txt"));
    EXPECT_EQ(TaskFolders(), (std::vector<std::string>{root.File("prog/Unfinished Tasks"),
                                                       root.File("data/Kestrelbinder/Unfinished Tasks")}));
    // Asking is no reason to make the user's folder.
    EXPECT_FALSE(std::filesystem::exists(root.File("data")));
}

// A path below a plain file can be written by nobody, root included, which a folder without
// write permission is not.
TEST_F(TaskFolderTest, UnwritableProgramFolderMovesTasksAndLogToTheUsersDataFolder) {
    root.Write("file", "x");
    ScopedEnv home("KESTRELBINDER_HOME", root.File("file/prog"));
    EXPECT_EQ(UnfinishedTasksFolder(), root.File("data/Kestrelbinder/Unfinished Tasks"));
    EXPECT_TRUE(std::filesystem::is_directory(root.File("data/Kestrelbinder/Unfinished Tasks")));

    DebugLogEnabled = true;
    DebugLog("line");
    EXPECT_EQ(testing::ReadAll(root.File("data/Kestrelbinder/KxDebugLog.txt")), "line\r\n");
}

TEST_F(TaskFolderTest, RelativeDataHomeIsIgnored) {
    ScopedEnv relative("XDG_DATA_HOME", "relative/data");
    ScopedEnv user("HOME", root.Path());
    EXPECT_EQ(UserDataFolder(), root.File(".local/share/Kestrelbinder"));
}

}  // namespace
}  // namespace kb
