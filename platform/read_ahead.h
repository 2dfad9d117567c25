#pragma once
// Sequential chunk reading of one open file, read ahead by the kernel.
//
// A split or a join reads its input chunk after chunk and spends the rest of each step in
// the write. The chunks are read in the caller's thread into one buffer placed for the
// page cache's copy (see page_buffer.h); the file is marked as read sequentially, so the
// kernel reads ahead of the caller on its own. A worker thread that read and checked the
// next chunks meanwhile cost more than it saved: handing each chunk to another core, and
// two threads taking turns on a busy machine, made a warm split about 1.6 times as slow
// as reading and writing in one thread, and a cold one twice as slow.
//
// Memory is one buffer of the longest chunk asked for, whatever the file's size.

#include <cstdint>

#include "platform/page_buffer.h"

namespace kb::platform {

class ReadAhead {
public:
    // Chunks of the file the reader holds at once: the one handed out. A file that changes
    // while it is read shows every later chunk as it is then.
    static constexpr int kMaxDepth = 1;
    // Chunks up to this length keep their buffer for the next call; a longer one gets a
    // buffer of its own, given back when the next chunk is shorter.
    static constexpr int32_t kMaxAheadBytes = 8 * 1024 * 1024;

    // The bytes of `fd` at [position, position + length): returns how many were read (fewer
    // only at the end of the file or on an error, as pread retried until full), and points
    // `data` at them, in memory with room for `length` bytes. The memory stays valid, and may
    // be changed by the caller, until the next call, Release or the object's end. With `crc`,
    // it also receives the CRC-32 of the bytes read (Crc32 of them alone).
    int32_t Next(int fd, int64_t position, int32_t length, uint8_t*& data,
                 uint32_t* crc = nullptr);

    // Forgets the file; must come before `fd` is closed. The memory is kept for the next file
    // (a join reads piece after piece through one slot).
    void Release() { fd_ = -1; }

private:
    int fd_ = -1;
    PageBuffer buffer_;
};

// Reads `length` bytes at `position` into `buffer`, retrying short and interrupted reads until
// the buffer is full, the file ends or an error comes. Returns the count read.
int32_t PreadFull(int fd, void* buffer, int32_t length, int64_t position);

}  // namespace kb::platform
