#pragma once
// Sequential chunk reading of one open file with a read-ahead on a worker thread.
//
// A split or a join reads its input chunk after chunk and spends the rest of each step in
// the write. Reading the next chunks, and working out their CRC-32, on a second thread
// meanwhile takes both off the critical path, so a warm split runs at the pace of its writes.
//
// The worker only fills buffers the caller asked for: it reads ahead at most kMaxDepth - 1
// chunks of the caller's own chunk length, in a ring that stays within kMaxAheadBytes, so
// memory does not grow with the file. Hand-overs spin briefly and then sleep, so a caller
// held up by a message box costs no processor time.

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "platform/page_buffer.h"

namespace kb::platform {

class ReadAhead {
public:
    static constexpr int kMaxDepth = 4;
    // The ring never holds more than this; chunks too long for two of them to fit are read
    // without a read-ahead (one buffer, no thread).
    static constexpr int32_t kMaxAheadBytes = 8 * 1024 * 1024;

    ReadAhead() = default;
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The bytes of `fd` at [position, position + length): returns how many were read (fewer
    // only at the end of the file or on an error, as pread retried until full), and points
    // `data` at them, in memory with room for `length` bytes. The memory stays valid, and may
    // be changed by the caller, until the next call, Release or the object's end. A call that
    // continues where the last one ended, with the same length or less, is served from the
    // read-ahead; any other call starts it afresh. With `crc`, it also receives the CRC-32 of
    // the bytes read (Crc32 of them alone), which the worker works out with the reading.
    int32_t Next(int fd, int64_t position, int32_t length, uint8_t*& data,
                 uint32_t* crc = nullptr);

    // Stops reading ahead; must come before `fd` is closed. The memory is kept for the next
    // file (a join reads piece after piece through one slot).
    void Release();

private:
    enum State : int { kFree, kWanted, kReading, kFilled };
    struct Chunk {
        PageBuffer bytes;
        int64_t position = 0;
        int32_t length = 0;
        int32_t got = 0;
        bool withCrc = false;
        uint32_t crc = 0;
        std::atomic<int> state{kFree};
    };

    void WorkerLoop();
    void Stop();
    // Starts the worker on a ring of `depth` chunks of `length` bytes; false when no thread
    // could be had.
    bool Start(int depth, int32_t length);
    void Request(int index, int64_t position, bool withCrc);
    int32_t ReadDirect(int64_t position, int32_t length, uint8_t*& data, uint32_t* crc);

    int fd_ = -1;
    std::unique_ptr<Chunk[]> ring_;
    int depth_ = 0;
    int32_t chunkLength_ = 0;  // of the running read-ahead; 0 when none runs
    int head_ = 0;             // the chunk the next call should find
    int64_t nextRequest_ = 0;  // where the next chunk to request begins
    int current_ = -1;         // the chunk the caller holds
    PageBuffer direct_;
    std::atomic<bool> quit_{false};
    // Bumped whenever the caller gives the worker something to do, and whenever the worker
    // fills a chunk; a side that runs out of spinning sleeps on its counter.
    std::atomic<uint32_t> toWorker_{0};
    std::atomic<uint32_t> toCaller_{0};
    std::thread worker_;
};

// Reads `length` bytes at `position` into `buffer`, retrying short and interrupted reads until
// the buffer is full, the file ends or an error comes. Returns the count read.
int32_t PreadFull(int fd, void* buffer, int32_t length, int64_t position);

}  // namespace kb::platform
