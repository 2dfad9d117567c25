#include "app/core/crc32.h"

#include "platform/crc32.h"

namespace kb {

namespace {
uint32_t gRunningCrc = 0;
}  // namespace

uint32_t UpdateCrc32(const void* data, size_t length, bool reset) {
    if (reset) gRunningCrc = 0;
    gRunningCrc = platform::Crc32(data, length, gRunningCrc);
    return gRunningCrc;
}

uint32_t AddCrc32(uint32_t chunkCrc, int64_t length, bool reset) {
    if (reset) gRunningCrc = 0;
    gRunningCrc = platform::Crc32Combine(gRunningCrc, chunkCrc, length);
    return gRunningCrc;
}

void SetCrc32State(uint32_t value) { gRunningCrc = value; }

}  // namespace kb
