#include "platform/read_ahead.h"

#include <algorithm>
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
        Release();
        fd_ = fd;
        // Only advice: a file that cannot take it is read all the same.
        (void)::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
    // A block cut short (an error part way) never stands for the bytes it did not get: they
    // are read again, so a chunk after an unreadable one still gets what can be read.
    const bool served = blockLength_ > 0 && position == next_ && length <= chunkLength_ &&
                        position + length <= blockPosition_ + blockGot_;
    if (!served) ReadBlock(position, length);
    next_ = position + length;
    data = buffer_.PlacedFor(blockPosition_) + (position - blockPosition_);
    const int64_t held = blockPosition_ + blockGot_ - position;
    const auto got = static_cast<int32_t>(std::clamp<int64_t>(held, 0, length));
    if (crc) *crc = Crc32(data, static_cast<size_t>(got), 0);
    return got;
}

void ReadAhead::ReadBlock(int64_t position, int32_t length) {
    const int depth = std::clamp<int32_t>(kMaxAheadBytes / length, 1, kMaxDepth);
    const int64_t want = static_cast<int64_t>(depth) * length;
    blockLength_ = static_cast<int32_t>(want);
    if (buffer_.size() < static_cast<size_t>(blockLength_) ||
        buffer_.size() > static_cast<size_t>(std::max(blockLength_, kMaxAheadBytes)))
        buffer_.resize(static_cast<size_t>(blockLength_));
    blockPosition_ = position;
    chunkLength_ = length;
    blockGot_ = PreadFull(fd_, buffer_.PlacedFor(position), blockLength_, position);
}

}  // namespace kb::platform
