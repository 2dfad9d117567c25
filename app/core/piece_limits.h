#pragma once
// The piece-size limits and the drive tests that the splitter and the wizards share. The
// object keeps no state; one shared instance is made on first use.

#include <cstdint>
#include <string>

namespace kb {

class Globals {
public:
    static Globals& Instance();

    // True when the drive that holds Drive (a path) is removable or a CD-ROM.
    bool DiskRemovable(const std::string& Drive) const;
    // True when the drive that holds Drive is a CD-ROM.
    bool IsDiskCD(const std::string& Drive) const;

    int64_t MaxFragSizeSupported() const { return 4294967296LL; }
    int16_t MinFragSizeSupported() const { return 10240; }
};

}  // namespace kb
