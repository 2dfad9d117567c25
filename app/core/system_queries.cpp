#include "app/core/system_queries.h"

#include <limits>

#include "app/core/kb_error.h"
#include "platform/disk_queries.h"
#include "platform/os_version.h"
#include "platform/twlib.h"

namespace kb {

using platform::DriveKind;

namespace {
// Sizes travel as signed 64-bit counts; a file system larger than that cannot be written full.
int64_t AsSize(uint64_t bytes) {
    constexpr uint64_t kMax = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
    return static_cast<int64_t>(bytes > kMax ? kMax : bytes);
}
}  // namespace

bool IsWindowsNT() { return platform::PlatformId() == platform::kPlatformNT; }

bool DiskRemovable(const std::string& Drive) {
    const DriveKind k = platform::Disks().KindOf(Drive);
    return k == DriveKind::Removable || k == DriveKind::CdRom;
}

bool IsDiskCD(const std::string& Drive) { return platform::Disks().KindOf(Drive) == DriveKind::CdRom; }

std::string TrimAtNull(const std::string& Text) {
    size_t nul = Text.find('\0');
    return nul == std::string::npos ? Text : Text.substr(0, nul);
}

int64_t GetFreeDiskSpace(const std::string& Path) {
    uint64_t bytes = 0;
    return platform::Disks().FreeBytes(Path, bytes) ? AsSize(bytes) : 0;
}

int64_t GetDiskCapacity(const std::string& Path) {
    if (IsDiskCD(Path)) return GetFreeDiskSpace(Path);
    uint64_t bytes = 0;
    return platform::Disks().TotalBytes(Path, bytes) ? AsSize(bytes) : 0;
}

int16_t GetCheckValue(const std::string& Text) {
    int32_t v = platform::getcheck(Text, static_cast<int32_t>(Text.size()));
    if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max())
        throw KbError(err::Overflow, "GetCheckValue");
    return static_cast<int16_t>(v);
}

}  // namespace kb
