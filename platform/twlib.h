#pragma once
// Byte-exact file access with 64-bit positions through numbered slots, plus the check value and
// decipher of the older piece format. The engine reads and writes pieces, sources and task
// files only through these functions; app/core/big_file.h turns their failure results into
// errors.
//
// Slots are numbered 1 to kMaxSlot; each holds at most one open file and its own position.
// Every read and write happens at the slot's position (pread/pwrite), so a slot opened "ab"
// starts at the end of the file but bigfileSetPos still moves the next write: the splitter
// overwrites a piece's placeholder record this way.

#include <cstdint>
#include <string>

namespace kb::platform {

inline constexpr int16_t kMaxSlot = 16;

// The file's length in bytes; -1 when it cannot be examined (a missing file, for instance).
int64_t getFilesize(const std::string& path);

// Opens a file in a slot; non-zero on success, 0 on failure. Modes:
//   "rb"  an existing file, for reading, from offset 0;
//   "wb"  created or emptied, for writing, from offset 0 (new files get mode 0666 less umask);
//   "wbx" as "wb", but only a file made by this call: anything already there is refused;
//   "ab"  an existing file, for writing, positioned at its end.
// The writing modes never follow a link in the last part of the path: a link there is refused.
// A folder, a FIFO or a socket is refused at once (never waited on). A slot that already
// holds a file is closed first.
int32_t bigfileOpen(const std::string& path, int16_t slot, const std::string& mode);

// Closes the slot's file; 0 on success, non-zero when the slot holds no file or close fails.
int32_t bigfileClose(int16_t slot);

// How many names the slot's file has (-1 when the slot holds no file). 0 means it was
// removed while open, with its folder, say: every write then "succeeds" into nothing.
int32_t bigfileLinkCount(int16_t slot);

// Reads up to `length` bytes at the slot's position into `buffer` and advances the position
// by the count returned. Short reads and interrupted calls are retried, so the buffer is
// filled unless the end of the file or an error comes first. 0 at the end of the file, on an
// error before any byte, or for a slot opened for writing.
int32_t bigfileRead(void* buffer, int32_t length, int16_t slot);

// Reads up to `length` bytes at the slot's position like bigfileRead, but into memory the
// slot owns, placed for the kernel's copy (platform/page_buffer.h): `data` points at them,
// the caller may change them in place (to decipher them, say), and they stay valid until the
// next bigfileReadChunk, or the close, of this slot. The file is read ahead by the kernel.
// Returns the count, as bigfileRead. With `crc`, also the CRC-32 of the bytes read (as Crc32
// of them alone), worked out while they are still in the processor's cache.
int32_t bigfileReadChunk(int16_t slot, int32_t length, uint8_t*& data, uint32_t* crc = nullptr);

// Writes `length` bytes at the slot's position. Returns `length` when every byte was written
// and advances the position by it; on any failure returns 0 and leaves the position where the
// chunk started, so that writing the same chunk again rewrites the same offset. Writing 0
// bytes returns 0. A slot opened "rb" cannot be written.
int32_t bigfileWrite(const void* buffer, int32_t length, int16_t slot);

// Stores the slot's position in `position`; 0 on success, non-zero when the slot is not open.
int32_t bigfileGetPos(int16_t slot, int64_t& position);

// Moves the slot's position; 0 on success, non-zero when the slot is not open or the position
// is negative. A position past the end is allowed (a later write extends the file).
int32_t bigfileSetPos(int16_t slot, const int64_t& position);

// Check value of a passphrase, stored in older-format encrypted pieces:
//   c = CRC-32 (the zlib polynomial and conventions, as Crc32 of platform/crc32.h) of the first
//       `length` bytes of `text` (all of it when `length` is larger, none when negative);
//   getcheck = c >> 17, a value from 0 to 32767.
int32_t getcheck(const std::string& text, int32_t length);

// Deciphers, in place, the first `length` bytes of `buffer` with the passphrase (older-format
// data). Every byte is XORed with one key byte K = (c & 0xFF), c being the CRC-32 of the whole
// passphrase as above. K does not depend on a byte's position, so the result does not depend
// on how the data is cut into chunks, and enciphering is the same operation. An empty
// passphrase gives K = 0 and leaves the buffer unchanged. Returns 0.
int32_t xcrypt(void* buffer, const std::string& passphrase, int32_t length);

}  // namespace kb::platform
