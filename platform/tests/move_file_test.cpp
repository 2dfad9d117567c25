#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "app/core/testing/temp_folder.h"
#include "platform/move_file.h"

namespace kb::platform {
namespace {

namespace fs = std::filesystem;
using kb::testing::ReadAll;
using kb::testing::TempFolder;

TEST(MoveFile, NeverReplacesATargetAndMovingOntoItselfIsNothing) {
    TempFolder dir;
    const std::string a = dir.Write("a", "first");
    const std::string b = dir.Write("b", "second");
    std::string error;
    EXPECT_FALSE(MoveFileNoReplace(a, b, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadAll(a), "first");
    EXPECT_EQ(ReadAll(b), "second");

    EXPECT_TRUE(MoveFileNoReplace(a, dir.File("./a"), error));
    EXPECT_EQ(ReadAll(a), "first");

    EXPECT_TRUE(MoveFileNoReplace(a, dir.File("c"), error));
    EXPECT_FALSE(fs::exists(a));
    EXPECT_EQ(ReadAll(dir.File("c")), "first");
    EXPECT_FALSE(MoveFileNoReplace(dir.File("missing"), dir.File("d"), error));
}

// A moved-in private file gets the mode of a new file under the umask; a link is not followed.
TEST(MoveFile, NewFileModeFollowsTheUmaskAndLeavesLinksAlone) {
    TempFolder dir;
    const std::string file = dir.Write("private", "data");
    const std::string other = dir.Write("other", "data");
    ASSERT_EQ(chmod(file.c_str(), 0600), 0);
    ASSERT_EQ(chmod(other.c_str(), 0600), 0);
    fs::create_symlink(other, dir.File("link"));
    for (mode_t mask : {mode_t{022}, mode_t{027}}) {
        const mode_t old = umask(mask);
        GiveNewFileMode(file);
        GiveNewFileMode(dir.File("link"));
        umask(old);
        struct stat st {};
        ASSERT_EQ(stat(file.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0666 & ~mask);
        ASSERT_EQ(stat(other.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0600u);
    }
}

// /dev/shm is a file system of its own on most machines; a move there copies, then deletes.
TEST(MoveFile, AcrossFileSystemsCopiesThenDeletesTheSource) {
    struct stat shm {}, here {};
    TempFolder dir;
    if (stat("/dev/shm", &shm) != 0 || stat(dir.Path().c_str(), &here) != 0 ||
        shm.st_dev == here.st_dev || access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no second file system to move to";
    const std::string from = dir.Write("big", std::string(3 << 20, 'x') + "end");
    const std::string to = "/dev/shm/kb-move-test-" + std::to_string(getpid());
    std::string error;
    ASSERT_TRUE(MoveFileNoReplace(from, to, error)) << error;
    EXPECT_FALSE(fs::exists(from));
    EXPECT_EQ(fs::file_size(to), (3u << 20) + 3);
    dir.Write("again", "y");
    EXPECT_FALSE(MoveFileNoReplace(dir.File("again"), to, error));
    EXPECT_EQ(ReadAll(dir.File("again")), "y");
    fs::remove(to);
}

}  // namespace
}  // namespace kb::platform
