#pragma once
// Disk queries for tests: one disk whose free space, capacity and kind the test sets (and may
// change from an event handler, as a user changing disks would). Installs itself for its
// lifetime.

#include <cstdint>
#include <functional>
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

    bool FreeBytes(const std::string& path, uint64_t& bytes) override {
        freeQueries.push_back(path);
        bytes = freeBytes;
        return !failing;
    }
    bool TotalBytes(const std::string&, uint64_t& bytes) override {
        bytes = totalBytes;
        return !failing;
    }
    platform::DriveKind KindOf(const std::string&) override { return kind; }

private:
    platform::DiskQueries* previous_;
};

}  // namespace kb::testing
