#include "app/core/piece_limits.h"

#include "platform/disk_queries.h"

namespace kb {

using platform::DriveKind;

Globals& Globals::Instance() {
    static Globals instance;
    return instance;
}

bool Globals::DiskRemovable(const std::string& Drive) const {
    DriveKind k = platform::Disks().KindOf(Drive);
    return k == DriveKind::Removable || k == DriveKind::CdRom;
}

bool Globals::IsDiskCD(const std::string& Drive) const {
    return platform::Disks().KindOf(Drive) == DriveKind::CdRom;
}

}  // namespace kb
