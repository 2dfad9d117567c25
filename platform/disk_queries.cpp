#include "platform/disk_queries.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

#include "platform/temp_names.h"

namespace kb::platform {

namespace fs = std::filesystem;

namespace {

// mountinfo writes blanks, tabs, newlines and backslashes in paths as \ooo octal escapes.
std::string Unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size()) {
            const std::string oct = s.substr(i + 1, 3);
            if (oct.size() == 3 && oct.find_first_not_of("01234567") == std::string::npos) {
                out.push_back(static_cast<char>(std::stoi(oct, nullptr, 8)));
                i += 3;
                continue;
            }
        }
        out.push_back(s[i]);
    }
    return out;
}

bool IsFolderPrefix(const std::string& mountPoint, const std::string& path) {
    if (mountPoint == "/") return !path.empty() && path[0] == '/';
    if (path.compare(0, mountPoint.size(), mountPoint) != 0) return false;
    return path.size() == mountPoint.size() || path[mountPoint.size()] == '/';
}

std::string ReadFirstLine(const fs::path& p) {
    std::ifstream in(p);
    std::string line;
    std::getline(in, line);
    return line;
}

bool IsOneOf(const std::string& s, std::initializer_list<const char*> names) {
    for (const char* n : names)
        if (s == n) return true;
    return false;
}

// The sysfs folder of a block device number, "" when there is none.
std::string SysBlockDirOf(uint32_t major, uint32_t minor) {
    std::error_code ec;
    fs::path link = "/sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor);
    fs::path dir = fs::canonical(link, ec);
    return ec ? std::string() : dir.string();
}

class SystemDisks final : public DiskQueries {
public:
    bool FreeBytes(const std::string& path, uint64_t& bytes) override {
        struct statvfs v {};
        if (statvfs(NearestExisting(path).c_str(), &v) != 0) return false;
        bytes = static_cast<uint64_t>(v.f_bavail) * v.f_frsize;
        return true;
    }
    bool TotalBytes(const std::string& path, uint64_t& bytes) override {
        struct statvfs v {};
        if (statvfs(NearestExisting(path).c_str(), &v) != 0) return false;
        bytes = static_cast<uint64_t>(v.f_blocks) * v.f_frsize;
        return true;
    }
    DriveKind KindOf(const std::string& path) override {
        if (path.empty()) return DriveKind::NoRootDir;
        std::ifstream in("/proc/self/mountinfo");
        std::stringstream text;
        text << in.rdbuf();
        MountEntry m;
        if (!FindMount(text.str(), NearestExisting(path), m)) return DriveKind::Unknown;
        std::string sysDir;
        if (m.major != 0) {
            sysDir = SysBlockDirOf(m.major, m.minor);
        } else if (m.source.rfind("/dev/", 0) == 0) {
            // File systems on anonymous device numbers (btrfs, for one) still name their device.
            struct stat st {};
            if (stat(m.source.c_str(), &st) == 0 && S_ISBLK(st.st_mode))
                sysDir = SysBlockDirOf(::major(st.st_rdev), ::minor(st.st_rdev));
        }
        return ClassifyMount(m, sysDir);
    }
};

SystemDisks gSystem;
DiskQueries* gCurrent = &gSystem;

}  // namespace

DiskQueries& Disks() { return *gCurrent; }

DiskQueries* SetDiskQueries(DiskQueries* q) {
    DiskQueries* old = gCurrent;
    gCurrent = q ? q : &gSystem;
    return old == &gSystem ? nullptr : old;
}

bool RoomForFile(const std::string& folder, uint64_t bytes) {
    uint64_t free = 0;
    if (Disks().FreeBytes(folder, free) && free < bytes) return false;
    if (bytes == 0) return true;
    const std::string probe = CreateTempFileName(folder, "kbr");
    if (probe.empty()) return errno != ENOSPC && errno != EDQUOT;
    const int fd = open(probe.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    bool room = true;
    if (fd >= 0) {
        const int r = fallocate(fd, 0, 0, static_cast<off_t>(bytes));
        room = r == 0 || (errno != ENOSPC && errno != EDQUOT && errno != EFBIG);
        close(fd);
    }
    unlink(probe.c_str());
    return room;
}

bool FindMount(const std::string& mountinfo, const std::string& path, MountEntry& out) {
    std::istringstream lines(mountinfo);
    std::string line;
    bool found = false;
    size_t bestLen = 0;
    while (std::getline(lines, line)) {
        std::istringstream f(line);
        std::vector<std::string> fields;
        for (std::string w; f >> w;) fields.push_back(w);
        // id parent major:minor root mountpoint options [optional...] - fstype source super
        size_t dash = 0;
        for (size_t i = 6; i < fields.size(); ++i)
            if (fields[i] == "-") { dash = i; break; }
        if (dash == 0 || dash + 2 >= fields.size()) continue;
        MountEntry m;
        m.mountPoint = Unescape(fields[4]);
        m.fsType = fields[dash + 1];
        m.source = Unescape(fields[dash + 2]);
        const std::string& dev = fields[2];
        size_t colon = dev.find(':');
        if (colon == std::string::npos) continue;
        m.major = static_cast<uint32_t>(std::strtoul(dev.c_str(), nullptr, 10));
        m.minor = static_cast<uint32_t>(std::strtoul(dev.c_str() + colon + 1, nullptr, 10));
        if (!IsFolderPrefix(m.mountPoint, path)) continue;
        if (!found || m.mountPoint.size() >= bestLen) {
            out = m;
            bestLen = m.mountPoint.size();
            found = true;
        }
    }
    return found;
}

DriveKind ClassifyMount(const MountEntry& m, const std::string& sysBlockDir) {
    const std::string& t = m.fsType;
    if (IsOneOf(t, {"nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "9p", "fuse.sshfs"}))
        return DriveKind::Remote;
    if (IsOneOf(t, {"tmpfs", "ramfs"})) return DriveKind::RamDisk;
    if (IsOneOf(t, {"iso9660", "udf"})) return DriveKind::CdRom;
    if (!sysBlockDir.empty()) {
        std::error_code ec;
        fs::path disk = sysBlockDir;
        // A partition's own folder lies inside its disk's folder, which holds the flags.
        if (fs::exists(disk / "partition", ec)) disk = disk.parent_path();
        const std::string name = disk.filename().string();
        if (name.rfind("sr", 0) == 0 || m.major == 11) return DriveKind::CdRom;
        if (ReadFirstLine(disk / "removable") == "1") return DriveKind::Removable;
    }
    return DriveKind::Fixed;
}

std::string NearestExisting(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::absolute(path.empty() ? fs::path(".") : fs::path(path), ec);
    if (ec) return "/";
    while (!fs::exists(p, ec)) {
        if (!p.has_relative_path()) return "/";
        p = p.parent_path();
    }
    fs::path resolved = fs::canonical(p, ec);
    return ec ? p.string() : resolved.string();
}

}  // namespace kb::platform
