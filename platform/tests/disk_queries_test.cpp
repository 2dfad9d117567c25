#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/core/testing/fake_disks.h"
#include "platform/disk_queries.h"
#include "platform/os_version.h"
#include "platform/user_dirs.h"

namespace kb::platform {
namespace {

namespace fs = std::filesystem;

struct Scratch {
    fs::path dir;
    Scratch() {
        std::string p = (fs::temp_directory_path() / "kbplat-XXXXXX").string();
        dir = mkdtemp(p.data());
    }
    ~Scratch() { fs::remove_all(dir); }
    void Put(const fs::path& rel, const std::string& text) {
        fs::create_directories((dir / rel).parent_path());
        std::ofstream(dir / rel) << text;
    }
};

const char* kMountinfo =
    "26 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n"
    "40 26 8:17 / /media/usb rw,nosuid - vfat /dev/sdb1 rw\n"
    "41 26 8:33 / /media/usb\\040stick rw - vfat /dev/sdc1 rw\n"
    "42 26 11:0 / /media/cdrom ro - iso9660 /dev/sr0 ro\n"
    "43 26 0:50 / /mnt/share rw - nfs4 server:/export rw\n"
    "44 26 0:51 / /mnt/share rw - cifs //host/share rw\n";

TEST(FindMount, LongestFolderPrefixWinsAndEscapesAreDecoded) {
    struct Case { const char* path; const char* mount; const char* type; } cases[] = {
        {"/home/u/file", "/", "ext4"},
        {"/media/usb", "/media/usb", "vfat"},
        {"/media/usb/a/b", "/media/usb", "vfat"},
        {"/media/usbx/a", "/", "ext4"},               // a name that merely starts like a mount
        {"/media/usb stick/f", "/media/usb stick", "vfat"},
        {"/mnt/share/x", "/mnt/share", "cifs"},       // the later mount covers the earlier one
    };
    for (const auto& c : cases) {
        MountEntry m;
        ASSERT_TRUE(FindMount(kMountinfo, c.path, m)) << c.path;
        EXPECT_EQ(m.mountPoint, c.mount) << c.path;
        EXPECT_EQ(m.fsType, c.type) << c.path;
    }
    MountEntry m;
    FindMount(kMountinfo, "/media/cdrom/x", m);
    EXPECT_EQ(m.major, 11u);
    EXPECT_EQ(m.minor, 0u);
    EXPECT_FALSE(FindMount("", "/x", m));
}

TEST(ClassifyMount, KindComesFromFileSystemTypeAndBlockDevice) {
    Scratch s;
    s.Put("block/sdb/removable", "1\n");
    s.Put("block/sdb/sdb1/partition", "1\n");
    s.Put("block/vda/removable", "0\n");
    s.Put("block/sr0/removable", "1\n");
    auto mount = [](const char* type, uint32_t major) {
        MountEntry m;
        m.fsType = type;
        m.major = major;
        return m;
    };
    EXPECT_EQ(ClassifyMount(mount("vfat", 8), (s.dir / "block/sdb/sdb1").string()),
              DriveKind::Removable);
    EXPECT_EQ(ClassifyMount(mount("ext4", 254), (s.dir / "block/vda").string()), DriveKind::Fixed);
    EXPECT_EQ(ClassifyMount(mount("udf", 11), (s.dir / "block/sr0").string()), DriveKind::CdRom);
    EXPECT_EQ(ClassifyMount(mount("ext2", 11), (s.dir / "block/sr0").string()), DriveKind::CdRom);
    EXPECT_EQ(ClassifyMount(mount("nfs4", 0), ""), DriveKind::Remote);
    EXPECT_EQ(ClassifyMount(mount("tmpfs", 0), ""), DriveKind::RamDisk);
    EXPECT_EQ(ClassifyMount(mount("overlay", 0), ""), DriveKind::Fixed);
}

TEST(SystemDisks, AFolderStillToBeMadeIsOnTheDiskOfItsParent) {
    Scratch s;
    const std::string missing = (s.dir / "not" / "yet").string();
    EXPECT_EQ(NearestExisting(missing), fs::canonical(s.dir).string());
    uint64_t free1 = 0, total = 0, free2 = 0;
    ASSERT_TRUE(Disks().TotalBytes(missing, total));
    ASSERT_TRUE(Disks().FreeBytes(missing, free1));
    ASSERT_TRUE(Disks().FreeBytes(s.dir.string(), free2));
    EXPECT_GT(total, 0u);
    EXPECT_LE(free1, total);
    // Both name one file system; other processes may write in between, so allow for that.
    EXPECT_NEAR(static_cast<double>(free1), static_cast<double>(free2), 512.0 * 1024 * 1024);
    EXPECT_NE(Disks().KindOf(missing), DriveKind::Unknown);
    EXPECT_EQ(Disks().KindOf(""), DriveKind::NoRootDir);
    EXPECT_EQ(PlatformId(), kPlatformNT);
}

// Room for a file is what the free space gives and the file system grants: a file-size limit
// refuses as a full disk does, and the probe leaves nothing behind.
TEST(RoomForFile, FreeSpaceAndTheFileSystemBothDecide) {
    Scratch s;
    const std::string folder = s.dir.string();
    EXPECT_TRUE(RoomForFile(folder, 1 << 20));
    EXPECT_TRUE(RoomForFile(folder, 0));
    {
        kb::testing::FakeDisks disks;
        disks.freeBytes = 4096;
        EXPECT_FALSE(RoomForFile(folder, 4097));
        EXPECT_TRUE(RoomForFile(folder, 4096));
    }
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 65536;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool big = RoomForFile(folder, 1 << 20);
    const bool within = RoomForFile(folder, 32768);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_FALSE(big);
    EXPECT_TRUE(within);
    EXPECT_TRUE(fs::is_empty(s.dir));
}

class EnvVar {
public:
    EnvVar(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old, had_ = true;
        setenv(name, value.c_str(), 1);
    }
    ~EnvVar() { had_ ? setenv(name_, old_.c_str(), 1) : unsetenv(name_); }

private:
    const char* name_;
    std::string old_;
    bool had_ = false;
};

TEST(XdgUserDir, ReadsTheUserDirsFileAndAnswersEmptyForWhatIsNotThere) {
    Scratch s;
    fs::create_directories(s.dir / "home/Schreibtisch");
    fs::create_directories(s.dir / "docs");
    s.Put("cfg/user-dirs.dirs",
          "# written by the desktop\n"
          "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch/\"\n"
          "XDG_DOCUMENTS_DIR=\"" + (s.dir / "docs").string() + "\"\n"
          "XDG_MUSIC_DIR=\"$HOME/Music\"\n"
          "XDG_PUBLICSHARE_DIR=\"$HOME/\"\n");
    EnvVar home("HOME", (s.dir / "home").string());
    EnvVar cfg("XDG_CONFIG_HOME", (s.dir / "cfg").string());
    EXPECT_EQ(XdgUserDir("DESKTOP"), (s.dir / "home/Schreibtisch").string());
    EXPECT_EQ(XdgUserDir("DOCUMENTS"), (s.dir / "docs").string());
    EXPECT_EQ(XdgUserDir("MUSIC"), "");        // configured, but the folder does not exist
    EXPECT_EQ(XdgUserDir("PUBLICSHARE"), "");  // switched off
    EXPECT_EQ(XdgUserDir("VIDEOS"), "");       // not configured
    EnvVar noCfg("XDG_CONFIG_HOME", (s.dir / "nowhere").string());
    EXPECT_EQ(XdgUserDir("DESKTOP"), "");
}

}  // namespace
}  // namespace kb::platform
