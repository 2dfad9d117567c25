// Listing unfinished tasks below the program folder and the per-user task folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/core/testing/temp_folder.h"
#include "app/ui/common/unfinished_tasks.h"

namespace kb {
namespace {

void Write(const std::string& path, std::string bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(UnfinishedTasks, ListsTaskFilesOfBothKindsBelowEveryFolder) {
    testing::TempFolder program, user;
    Write(program.File("Unfinished Tasks/Photos.uft"), std::string("\x01\x00rest", 6));
    Write(program.File("deep/er/Backup.uft"), std::string("\x02\x00", 2));
    Write(program.File("Unfinished Tasks/Upper.UFT"), std::string("\x01\x00", 2));
    Write(program.File("Unfinished Tasks/Short.uft"), "\x01");
    Write(program.File("Unfinished Tasks/Other.uft"), std::string("\x03\x00", 2));
    Write(user.File("Mine.uft"), std::string("\x02\x00", 2));

    std::vector<UnfinishedTask> tasks =
        ListUnfinishedTasks({program.Path(), user.Path(), program.File("Unfinished Tasks"), ""});
    std::sort(tasks.begin(), tasks.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    ASSERT_EQ(tasks.size(), 3u);
    EXPECT_EQ(tasks[0].name, "Backup");
    EXPECT_EQ(tasks[0].kind, 2);
    EXPECT_EQ(tasks[1].name, "Mine");
    EXPECT_EQ(tasks[1].path, user.File("Mine.uft"));
    EXPECT_EQ(tasks[2].name, "Photos");
    EXPECT_EQ(tasks[2].kind, 1);
}

TEST(UnfinishedTasks, NoFolderNoTasks) {
    EXPECT_TRUE(ListUnfinishedTasks({"/nonexistent/kb-tasks"}).empty());
    EXPECT_EQ(ReadTaskKind("/nonexistent/kb-tasks/x.uft"), 0);
}

}  // namespace
}  // namespace kb
