#include "platform/read_ahead.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <system_error>
#include <unistd.h>

#include "platform/crc32.h"

namespace kb::platform {

namespace {

// How long a hand-over spins before it sleeps: far longer than one chunk takes, far shorter
// than anything a person would notice.
constexpr auto kSpinTime = std::chrono::microseconds(250);

inline void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// Waits until `ready()` holds; `signal` is bumped (and notified) by whoever may make it hold.
template <typename Ready>
void AwaitSignal(std::atomic<uint32_t>& signal, Ready ready) {
    const auto until = std::chrono::steady_clock::now() + kSpinTime;
    for (unsigned i = 1;; ++i) {
        if (ready()) return;
        CpuRelax();
        if (i % 64 == 0 && std::chrono::steady_clock::now() > until) break;
    }
    for (;;) {
        const uint32_t seen = signal.load(std::memory_order_acquire);
        if (ready()) return;
        signal.wait(seen, std::memory_order_acquire);
    }
}

void Signal(std::atomic<uint32_t>& signal) {
    signal.fetch_add(1, std::memory_order_release);
    signal.notify_one();
}

}  // namespace

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

ReadAhead::~ReadAhead() { Stop(); }

void ReadAhead::Release() {
    Stop();
    fd_ = -1;
}

int32_t ReadAhead::Next(int fd, int64_t position, int32_t length, uint8_t*& data,
                        uint32_t* crc) {
    data = nullptr;
    if (length <= 0 || position < 0 || fd < 0) return 0;
    if (fd != fd_) Release();
    fd_ = fd;
    const bool running = worker_.joinable();

    // A shorter call (the last chunk of a piece) is still served from the ring; the chunks
    // requested after it then no longer follow on, and the next call starts afresh.
    if (running && length <= chunkLength_ && ring_[head_].position == position &&
        ring_[head_].state.load(std::memory_order_acquire) != kFree) {
        // The chunk handed out last time is free again: it becomes the ring's newest request.
        if (current_ >= 0) {
            Request(current_, nextRequest_, crc != nullptr);
            nextRequest_ += chunkLength_;
        }
    } else {
        Stop();
        const int depth = std::min<int32_t>(kMaxDepth, kMaxAheadBytes / length);
        if (depth < 2 || !Start(depth, length)) return ReadDirect(position, length, data, crc);
        for (int i = 0; i < depth_; ++i)
            Request(i, position + static_cast<int64_t>(i) * length, crc != nullptr);
        nextRequest_ = position + static_cast<int64_t>(depth_) * length;
    }

    Chunk& c = ring_[head_];
    AwaitSignal(toCaller_, [&] { return c.state.load(std::memory_order_acquire) == kFilled; });
    current_ = head_;
    head_ = (head_ + 1) % depth_;
    data = c.bytes.PlacedFor(c.position);
    const int32_t got = std::min(c.got, length);
    if (crc) *crc = c.withCrc && got == c.got ? c.crc : Crc32(data, static_cast<size_t>(got), 0);
    return got;
}

bool ReadAhead::Start(int depth, int32_t length) {
    // The ring's memory is kept across restarts (one per piece in a split) as long as it is
    // large enough: fresh pages cost more than the reading they would serve.
    if (!ring_ || depth != depth_ || static_cast<size_t>(length) > ring_[0].bytes.size()) {
        ring_.reset();
        ring_ = std::make_unique<Chunk[]>(static_cast<size_t>(depth));
        for (int i = 0; i < depth; ++i) ring_[i].bytes.resize(static_cast<size_t>(length));
        depth_ = depth;
    }
    chunkLength_ = length;
    direct_.clear();
    for (int i = 0; i < depth_; ++i) ring_[i].state.store(kFree, std::memory_order_relaxed);
    head_ = 0;
    current_ = -1;
    quit_.store(false, std::memory_order_relaxed);
    try {
        worker_ = std::thread([this] { WorkerLoop(); });
        return true;
    } catch (const std::system_error&) {
        // No thread to be had: the chunks are read in the caller's thread instead.
        ring_.reset();
        chunkLength_ = 0;
        return false;
    }
}

void ReadAhead::Stop() {
    if (!worker_.joinable()) return;
    quit_.store(true, std::memory_order_release);
    Signal(toWorker_);
    worker_.join();
    current_ = -1;
}

void ReadAhead::Request(int index, int64_t position, bool withCrc) {
    Chunk& c = ring_[index];
    c.position = position;
    c.length = chunkLength_;
    c.withCrc = withCrc;
    c.state.store(kWanted, std::memory_order_release);
    Signal(toWorker_);
}

void ReadAhead::WorkerLoop() {
    for (int w = 0;; w = (w + 1) % depth_) {
        Chunk& c = ring_[w];
        AwaitSignal(toWorker_, [&] {
            return quit_.load(std::memory_order_acquire) ||
                   c.state.load(std::memory_order_acquire) == kWanted;
        });
        if (quit_.load(std::memory_order_acquire)) return;
        c.state.store(kReading, std::memory_order_relaxed);
        uint8_t* bytes = c.bytes.PlacedFor(c.position);
        c.got = PreadFull(fd_, bytes, c.length, c.position);
        if (c.withCrc) c.crc = Crc32(bytes, static_cast<size_t>(c.got), 0);
        c.state.store(kFilled, std::memory_order_release);
        Signal(toCaller_);
    }
}

int32_t ReadAhead::ReadDirect(int64_t position, int32_t length, uint8_t*& data,
                              uint32_t* crc) {
    ring_.reset();
    chunkLength_ = 0;
    if (direct_.size() < static_cast<size_t>(length)) direct_.resize(static_cast<size_t>(length));
    data = direct_.PlacedFor(position);
    const int32_t got = PreadFull(fd_, data, length, position);
    if (crc) *crc = Crc32(data, static_cast<size_t>(got), 0);
    return got;
}

}  // namespace kb::platform
