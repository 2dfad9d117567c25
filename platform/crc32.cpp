#include "platform/crc32.h"

#include <isa-l/crc.h>

namespace kb::platform {

uint32_t Crc32(const void* data, size_t length, uint32_t previous) {
    if (length == 0) return previous;
    return crc32_gzip_refl(previous, static_cast<const unsigned char*>(data), length);
}

}  // namespace kb::platform
