#pragma once
// Disk queries for tests: one disk whose free space, capacity and kind the test sets (and may
// change from an event handler, as a user changing disks would), and any number of folders
// that stand for file systems of their own. Installs itself for its lifetime.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/disk_queries.h"

namespace kb::testing {

class FakeDisks : public platform::DiskQueries {
public:
    FakeDisks() : previous_(platform::SetDiskQueries(this)) {}
    ~FakeDisks() override { platform::SetDiskQueries(previous_); }
    FakeDisks(const FakeDisks&) = delete;
    FakeDisks& operator=(const FakeDisks&) = delete;

    uint64_t freeBytes = 1ULL << 40;
    uint64_t totalBytes = 1ULL << 41;
    platform::DriveKind kind = platform::DriveKind::Fixed;
    bool failing = false;             // every space query fails
    std::vector<std::string> freeQueries;  // the paths free space was asked for

    // A path at or below one of these folders is on that file system (the deepest folder
    // wins); every other path is on the one disk above.
    struct Mounted {
        uint64_t freeBytes = 0;
        uint64_t totalBytes = 0;
    };
    std::map<std::string, Mounted> mounted;

    bool FreeBytes(const std::string& path, uint64_t& bytes) override {
        freeQueries.push_back(path);
        const Mounted* m = MountedOf(path);
        bytes = m ? m->freeBytes : freeBytes;
        return !failing;
    }
    bool TotalBytes(const std::string& path, uint64_t& bytes) override {
        const Mounted* m = MountedOf(path);
        bytes = m ? m->totalBytes : totalBytes;
        return !failing;
    }
    platform::DriveKind KindOf(const std::string&) override { return kind; }

private:
    const Mounted* MountedOf(const std::string& path) const {
        const Mounted* found = nullptr;
        size_t depth = 0;
        for (const auto& [folder, m] : mounted) {
            const bool inside = path.compare(0, folder.size(), folder) == 0 &&
                                (path.size() == folder.size() || path[folder.size()] == '/');
            if (inside && folder.size() >= depth) {
                found = &m;
                depth = folder.size();
            }
        }
        return found;
    }

    platform::DiskQueries* previous_;
};

}  // namespace kb::testing
