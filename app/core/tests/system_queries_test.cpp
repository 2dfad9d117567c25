#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/core/piece_limits.h"
#include "app/core/special_folder.h"
#include "app/core/system_queries.h"
#include "app/core/testing/fake_disks.h"
#include "app/core/testing/temp_folder.h"
#include "platform/twlib.h"

namespace kb {
namespace {

using platform::DriveKind;
using testing::FakeDisks;

TEST(Globals, DriveTestsFollowTheKindOfTheDriveHoldingThePath) {
    FakeDisks disks;
    struct Case { DriveKind kind; bool removable; bool cd; } cases[] = {
        {DriveKind::Removable, true, false}, {DriveKind::CdRom, true, true},
        {DriveKind::Fixed, false, false},    {DriveKind::Remote, false, false},
        {DriveKind::RamDisk, false, false},  {DriveKind::Unknown, false, false},
    };
    for (const auto& c : cases) {
        disks.kind = c.kind;
        EXPECT_EQ(DiskRemovable("/media/x/"), c.removable);
        EXPECT_EQ(IsDiskCD("/media/x/"), c.cd);
    }
    EXPECT_EQ(MaxFragSizeSupported(), 4294967296LL);
    EXPECT_EQ(MinFragSizeSupported(), 10240);
}

TEST(DiskSpace, CapacityIsTheTotalExceptOnACdAndZeroWhenTheDiskCannotBeAsked) {
    FakeDisks disks;
    disks.freeBytes = 5000;
    disks.totalBytes = 1457664;
    EXPECT_EQ(GetFreeDiskSpace("/media/floppy/"), 5000);
    EXPECT_EQ(GetDiskCapacity("/media/floppy/"), 1457664);
    disks.kind = DriveKind::CdRom;
    EXPECT_EQ(GetDiskCapacity("/media/cdrom/"), 5000);
    disks.kind = DriveKind::Fixed;
    disks.failing = true;
    EXPECT_EQ(GetFreeDiskSpace("/x/"), 0);
    EXPECT_EQ(GetDiskCapacity("/x/"), 0);
    disks.failing = false;
    disks.freeBytes = ~0ULL;  // more than a signed size holds
    EXPECT_GT(GetFreeDiskSpace("/x/"), 0);
}

TEST(SystemQueries, TrimAtNullAndTheSystemFamily) {
    using namespace std::string_literals;
    EXPECT_EQ(TrimAtNull("abc\0def"s), "abc");
    EXPECT_EQ(TrimAtNull("\0x"s), "");
    EXPECT_EQ(TrimAtNull("abc"), "abc");
    EXPECT_TRUE(IsWindowsNT());
    for (const char* pass : {"", "secret", "a much longer passphrase than most"})
        EXPECT_EQ(GetCheckValue(pass), platform::getcheck(pass, static_cast<int32_t>(std::string(pass).size())));
}

TEST(SpecialFolder, DesktopAndDocumentsComeFromTheUserDirsFile) {
    testing::TempFolder t;
    std::filesystem::create_directories(t.File("home/Desktop"));
    std::filesystem::create_directories(t.File("home/Documents"));
    t.Write("cfg/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n");
    testing::ScopedEnv home("HOME", t.File("home"));
    testing::ScopedEnv cfg("XDG_CONFIG_HOME", t.File("cfg"));
    EXPECT_EQ(GetDesktopFolder(), t.File("home/Desktop"));
    // Named, but not there: the usual folder stands in.
    EXPECT_EQ(GetMyDocumentsFolder(), t.File("home/Documents"));
    EXPECT_EQ(GetSpecialFolder(CSIDL_DESKTOPDIRECTORY), t.File("home/Desktop"));
    EXPECT_EQ(GetSpecialFolder(38), "");  // a folder this system has no counterpart of
}

// Many desktops have no user-dirs file at all.
TEST(SpecialFolder, WithoutTheUserDirsFileTheUsualFoldersThenTheHomeFolderServe) {
    testing::TempFolder t;
    std::filesystem::create_directories(t.File("cfg"));
    testing::ScopedEnv cfg("XDG_CONFIG_HOME", t.File("cfg"));
    struct Case {
        std::vector<std::string> folders;  // made under the home folder
        std::string home;                  // $HOME, under the test's folder
        std::string desktop, documents;    // expected, under the test's folder ("" for none)
    } cases[] = {
        {{"a/Desktop", "a/Documents"}, "a", "a/Desktop", "a/Documents"},
        {{"b/Desktop"}, "b/", "b/Desktop", "b"},
        {{"c"}, "c", "c", "c"},
        {{}, "gone", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.home);
        for (const std::string& f : c.folders) std::filesystem::create_directories(t.File(f));
        testing::ScopedEnv home("HOME", t.File(c.home));
        EXPECT_EQ(GetDesktopFolder(), c.desktop.empty() ? "" : t.File(c.desktop));
        EXPECT_EQ(GetMyDocumentsFolder(), c.documents.empty() ? "" : t.File(c.documents));
    }
}

}  // namespace
}  // namespace kb
