#pragma once
// What the engine asks about the disk that holds a path: free space, capacity and the kind of
// drive. A "drive" here is the mounted file system that holds the path (the nearest existing
// folder on the way up counts, so a destination that is still to be made has a drive too).
// The queries go through one replaceable object, so tests can play a full floppy, a changed
// disk or a CD-ROM without real hardware.

#include <cstdint>
#include <string>

namespace kb::platform {

// The classic drive-type numbers; callers compare with them.
enum class DriveKind : int32_t {
    Unknown = 0,
    NoRootDir = 1,
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    RamDisk = 6,
};

class DiskQueries {
public:
    virtual ~DiskQueries() = default;
    // Bytes an unprivileged caller may still write; false when the disk cannot be queried.
    virtual bool FreeBytes(const std::string& path, uint64_t& bytes) = 0;
    // Total size of the file system; false when the disk cannot be queried.
    virtual bool TotalBytes(const std::string& path, uint64_t& bytes) = 0;
    virtual DriveKind KindOf(const std::string& path) = 0;
};

// The queries in use (the system's own until another is installed).
DiskQueries& Disks();
// Installs queries (nullptr restores the system's); returns the previous ones, or nullptr when
// they were the system's.
DiskQueries* SetDiskQueries(DiskQueries* q);

class ScopedDiskQueries {
public:
    explicit ScopedDiskQueries(DiskQueries& q) : previous_(SetDiskQueries(&q)) {}
    ~ScopedDiskQueries() { SetDiskQueries(previous_); }
    ScopedDiskQueries(const ScopedDiskQueries&) = delete;
    ScopedDiskQueries& operator=(const ScopedDiskQueries&) = delete;

private:
    DiskQueries* previous_;
};

// Whether a file of `bytes` bytes could be written into `folder` now: the free space the
// queries in use give, then the file system itself, asked to reserve the bytes for a file made
// there for the purpose and removed again, so that a quota or a file-size limit refuses too.
// A file system that cannot reserve space ahead answers by its free space alone.
bool RoomForFile(const std::string& folder, uint64_t bytes);

// ---- Pieces of the system implementation, open for tests ----

struct MountEntry {
    std::string mountPoint;
    std::string fsType;
    std::string source;
    uint32_t major = 0;
    uint32_t minor = 0;
};

// The mount of /proc/self/mountinfo text that holds an absolute, resolved path: the one with the
// longest mount point that is a folder prefix of it (the last listed wins a tie, as it covers the
// earlier one). False when none does.
bool FindMount(const std::string& mountinfo, const std::string& path, MountEntry& out);

// The kind of a mount. sysBlockDir is the sysfs folder of its block device (".../block/sda/sda1"
// or ".../block/sr0"), "" when it has none.
DriveKind ClassifyMount(const MountEntry& m, const std::string& sysBlockDir);

// The nearest existing folder or file at or above path, resolved ("/" at worst).
std::string NearestExisting(const std::string& path);

}  // namespace kb::platform
