#include "platform/os_version.h"

namespace kb::platform {

int32_t PlatformId() { return kPlatformNT; }

}  // namespace kb::platform
