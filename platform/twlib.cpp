#include "platform/twlib.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/crc32.h"
#include "platform/page_buffer.h"
#include "platform/read_ahead.h"

namespace kb::platform {

namespace {

struct Slot {
    int fd = -1;
    int64_t pos = 0;
    bool forWriting = false;
    std::unique_ptr<ReadAhead> ahead;  // made by the first chunk read
    PageBuffer staging;                // made by the first write that needs it
};

Slot gSlots[kMaxSlot + 1];

// Writes go to the file in steps of at most this many bytes. The page cache sizes the blocks it
// takes for a write by the write's length: larger blocks cost less per byte (a split in
// 256 KiB steps took 0.88 times as long as in 64 KiB steps), while 1 MiB steps now and then
// waited for free memory the host of a virtual machine had to give back first. A join four
// times as slow as a copy, once put down to 256 KiB writes, was as slow with 64 KiB steps and
// came from the placement of the buffers (page_buffer.h).
constexpr int32_t kWriteStep = 256 * 1024;

Slot* OpenSlot(int16_t slot) {
    if (slot < 1 || slot > kMaxSlot || gSlots[slot].fd < 0) return nullptr;
    return &gSlots[slot];
}

int CloseRetrying(int fd) {
    // Linux releases the descriptor even when close reports EINTR; closing again could hit a
    // descriptor opened meanwhile, so EINTR counts as closed.
    int rc = ::close(fd);
    return (rc == 0 || errno == EINTR) ? 0 : -1;
}

uint32_t TextCrc(const std::string& text, int32_t length) {
    size_t n = length < 0 ? 0 : static_cast<size_t>(length);
    if (n > text.size()) n = text.size();
    return Crc32(text.data(), n, 0);
}

}  // namespace

int64_t getFilesize(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}

int32_t bigfileOpen(const std::string& path, int16_t slot, const std::string& mode) {
    if (slot < 1 || slot > kMaxSlot) return 0;
    if (gSlots[slot].fd >= 0) bigfileClose(slot);

    int flags;
    if (mode == "rb") flags = O_RDONLY;
    else if (mode == "wb") flags = O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW;
    else if (mode == "wbx") flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW;
    else if (mode == "ab") flags = O_WRONLY | O_NOFOLLOW;  // never O_APPEND: SetPos moves writes
    else return 0;
    // O_NOFOLLOW: a link planted under an output's or a piece's name would have us write into
    // whatever file it points to.

    // O_NONBLOCK: opening a FIFO would otherwise wait for its other end. A slot needs a file
    // it can seek in, so FIFOs and sockets are refused like folders; regular files and
    // devices ignore the flag, which is cleared again all the same.
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return 0;

    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode) || S_ISFIFO(st.st_mode) ||
        S_ISSOCK(st.st_mode) || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        CloseRetrying(fd);
        return 0;
    }
    Slot& s = gSlots[slot];
    s.fd = fd;
    s.forWriting = (mode != "rb");
    s.pos = (mode == "ab") ? static_cast<int64_t>(st.st_size) : 0;
    return 1;
}

int32_t bigfileClose(int16_t slot) {
    Slot* s = OpenSlot(slot);
    if (!s) return 1;
    // The reader's buffer and the staging buffer serve the slot's next file.
    std::unique_ptr<ReadAhead> ahead = std::move(s->ahead);
    if (ahead) ahead->Release();
    PageBuffer staging = std::move(s->staging);
    int rc = CloseRetrying(s->fd);
    *s = Slot{};
    s->ahead = std::move(ahead);
    s->staging = std::move(staging);
    return rc == 0 ? 0 : 1;
}

int32_t bigfileLinkCount(int16_t slot) {
    Slot* s = OpenSlot(slot);
    struct stat st {};
    if (!s || ::fstat(s->fd, &st) != 0) return -1;
    return static_cast<int32_t>(st.st_nlink);
}

int32_t bigfileRead(void* buffer, int32_t length, int16_t slot) {
    Slot* s = OpenSlot(slot);
    if (!s || s->forWriting || length <= 0 || !buffer) return 0;
    const int32_t done = PreadFull(s->fd, buffer, length, s->pos);
    s->pos += done;
    return done;
}

int32_t bigfileReadChunk(int16_t slot, int32_t length, uint8_t*& data, uint32_t* crc) {
    data = nullptr;
    Slot* s = OpenSlot(slot);
    if (!s || s->forWriting || length <= 0) return 0;
    if (!s->ahead) s->ahead = std::make_unique<ReadAhead>();
    const int32_t done = s->ahead->Next(s->fd, s->pos, length, data, crc);
    s->pos += done;
    return done;
}

int32_t bigfileWrite(const void* buffer, int32_t length, int16_t slot) {
    Slot* s = OpenSlot(slot);
    if (!s || !s->forWriting || length <= 0 || !buffer) return 0;
    const auto* in = static_cast<const char*>(buffer);
    int32_t done = 0;
    while (done < length) {
        // Steps end on multiples of the step in the file, so that a chunk that starts past
        // a piece's header still fills whole pages after its first step.
        const int64_t at = s->pos + done;
        const auto step = static_cast<int32_t>(std::min<int64_t>(
            length - done, kWriteStep - at % kWriteStep));
        const char* from = in + done;
        if (PageBuffer::SlowToWrite(from, at)) {
            // Copied once more in the cache, at a distance the kernel's copy is quick with.
            if (s->staging.size() == 0) s->staging.resize(kWriteStep);
            uint8_t* placed = s->staging.PlacedFor(at);
            std::memcpy(placed, from, static_cast<size_t>(step));
            from = reinterpret_cast<const char*>(placed);
        }
        const auto n = ::pwrite(s->fd, from, static_cast<size_t>(step), at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return 0;  // the position stays at the chunk's start
        done += static_cast<int32_t>(n);
    }
    s->pos += done;
    return done;
}

int32_t bigfileGetPos(int16_t slot, int64_t& position) {
    Slot* s = OpenSlot(slot);
    if (!s) return 1;
    position = s->pos;
    return 0;
}

int32_t bigfileSetPos(int16_t slot, const int64_t& position) {
    Slot* s = OpenSlot(slot);
    if (!s || position < 0) return 1;
    s->pos = position;
    return 0;
}

int32_t getcheck(const std::string& text, int32_t length) {
    return static_cast<int32_t>(TextCrc(text, length) >> 17);
}

int32_t xcrypt(void* buffer, const std::string& passphrase, int32_t length) {
    if (!buffer || length <= 0) return 0;
    const auto key = static_cast<uint8_t>(TextCrc(passphrase, static_cast<int32_t>(passphrase.size())) & 0xFF);
    auto* p = static_cast<uint8_t*>(buffer);
    for (int32_t i = 0; i < length; ++i) p[i] ^= key;
    return 0;
}

}  // namespace kb::platform
