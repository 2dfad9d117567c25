#pragma once
// Sequential chunk reading of one open file, read ahead in blocks of several chunks.
//
// A split or a join reads its input chunk after chunk and spends the rest of each step in
// the write. The chunks are read in the caller's thread, several at a time into one buffer
// placed for the page cache's copy (see page_buffer.h): fewer, larger reads cost less per
// byte (a split reading 1 MiB at a time took 0.9 times as long as one reading 256 KiB). The
// file is marked as read sequentially, so the kernel reads ahead of the caller as well.
//
// A worker thread that read and checked the next chunks meanwhile cost more than it saved:
// handing each chunk to another core, and two threads taking turns on a busy machine, made a
// warm split about 1.4 times as slow as reading and writing in one thread.
//
// Memory is one block of at most kMaxDepth chunks, kMaxAheadBytes or one chunk if that is
// longer, whatever the file's size.

#include <cstdint>

#include "platform/page_buffer.h"

namespace kb::platform {

class ReadAhead {
public:
    // Chunks read at once: the one asked for and those after it. A file that changes while
    // it is read shows the chunks already read as they were.
    static constexpr int kMaxDepth = 4;
    // A block never holds more than this, unless one chunk is longer.
    static constexpr int32_t kMaxAheadBytes = 8 * 1024 * 1024;

    // The bytes of `fd` at [position, position + length): returns how many were read (fewer
    // only at the end of the file or on an error, as pread retried until full), and points
    // `data` at them, in memory with room for `length` bytes. The memory stays valid, and may
    // be changed by the caller, until the next call, Release or the object's end. A call that
    // continues where the last one ended, with the same length or less, is served from the
    // block read before where it holds the bytes; any other call reads afresh. With `crc`, it
    // also receives the CRC-32 of the bytes read (Crc32 of them alone).
    int32_t Next(int fd, int64_t position, int32_t length, uint8_t*& data,
                 uint32_t* crc = nullptr);

    // Forgets the file; must come before `fd` is closed. The memory is kept for the next file
    // (a join reads piece after piece through one slot).
    void Release() {
        fd_ = -1;
        blockLength_ = 0;
    }

private:
    // Reads a block of chunks of `length` bytes from `position`.
    void ReadBlock(int64_t position, int32_t length);

    int fd_ = -1;
    PageBuffer buffer_;
    int64_t blockPosition_ = 0;
    int32_t blockLength_ = 0;  // asked for; 0 when no block is held
    int32_t blockGot_ = 0;     // read
    int32_t chunkLength_ = 0;  // of the chunks the block was read for
    int64_t next_ = -1;        // where the chunk handed out last ended
};

// Reads `length` bytes at `position` into `buffer`, retrying short and interrupted reads until
// the buffer is full, the file ends or an error comes. Returns the count read.
int32_t PreadFull(int fd, void* buffer, int32_t length, int64_t position);

}  // namespace kb::platform
