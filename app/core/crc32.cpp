#include "app/core/crc32.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

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

bool Crc32OfFileSpan(const std::string& path, int64_t offset, int64_t length, uint32_t& crc) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    std::vector<uint8_t> buffer(static_cast<size_t>(1) << 20);
    uint32_t value = 0;
    while (length > 0) {
        const size_t want = static_cast<size_t>(std::min<int64_t>(length, static_cast<int64_t>(buffer.size())));
        const ssize_t got = pread(fd, buffer.data(), want, offset);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        value = platform::Crc32(buffer.data(), static_cast<size_t>(got), value);
        offset += got;
        length -= got;
    }
    close(fd);
    if (length > 0) return false;
    crc = value;
    return true;
}

}  // namespace kb
