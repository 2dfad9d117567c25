#pragma once
// The operating-system family the engine reports. Callers ask only whether they run on the
// family with 64-bit disk queries, per-user settings and long names; this system always does.

#include <cstdint>

namespace kb::platform {

// The classic platform identifiers.
inline constexpr int32_t kPlatformWin32s = 0;
inline constexpr int32_t kPlatformWindows = 1;
inline constexpr int32_t kPlatformNT = 2;

// The family of the running system: always the NT family here.
int32_t PlatformId();

}  // namespace kb::platform
