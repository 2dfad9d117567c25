#include "platform/crc32.h"

#include <isa-l/crc.h>
#include <zlib.h>

namespace kb::platform {

uint32_t Crc32(const void* data, size_t length, uint32_t previous) {
    if (length == 0) return previous;
    return crc32_gzip_refl(previous, static_cast<const unsigned char*>(data), length);
}

uint32_t Crc32Combine(uint32_t crcA, uint32_t crcB, int64_t lengthB) {
    if (lengthB <= 0) return crcA;
    return static_cast<uint32_t>(crc32_combine64(crcA, crcB, static_cast<z_off64_t>(lengthB)));
}

}  // namespace kb::platform
