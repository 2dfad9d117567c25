#pragma once
// The program's version, major.minor.revision. Plug-ins judge their compatibility from it.

#include <string>

namespace kb {

inline constexpr int kVersionMajor = 4;
inline constexpr int kVersionMinor = 0;
inline constexpr int kVersionRevision = 0;

// "4.0.0"
inline std::string VersionText() {
    return std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
           std::to_string(kVersionRevision);
}

}  // namespace kb
