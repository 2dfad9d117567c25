#include "platform/read_ahead.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "platform/crc32.h"

namespace kb::platform {

int32_t PreadFull(int fd, void* buffer, int32_t length, int64_t position) {
    auto* out = static_cast<char*>(buffer);
    int32_t done = 0;
    while (done < length) {
        ssize_t n = ::pread(fd, out + done, static_cast<size_t>(length - done), position + done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // end of file, or an error after `done` good bytes
        done += static_cast<int32_t>(n);
    }
    return done;
}

int32_t ReadAhead::Next(int fd, int64_t position, int32_t length, uint8_t*& data,
                        uint32_t* crc) {
    data = nullptr;
    if (length <= 0 || position < 0 || fd < 0) return 0;
    if (fd != fd_) {
        fd_ = fd;
        // Only advice: a file that cannot take it is read all the same.
        (void)::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
    const auto need = static_cast<size_t>(length);
    const bool keep = length <= kMaxAheadBytes;
    if (buffer_.size() < need || (keep && buffer_.size() > static_cast<size_t>(kMaxAheadBytes)))
        buffer_.resize(need);
    data = buffer_.PlacedFor(position);
    const int32_t got = PreadFull(fd, data, length, position);
    if (crc) *crc = Crc32(data, static_cast<size_t>(got), 0);
    return got;
}

}  // namespace kb::platform
