#pragma once
// The program's one running CRC-32 value, shared by splitting and assembling. A piece's CRC is
// built chunk by chunk: the first chunk with reset = true, the later ones with reset = false;
// the value after the last chunk is the CRC-32 of the piece's data alone (zlib's crc32 of it).
// A resumed task restores a piece's chain with SetCrc32State before its next chunk.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace kb {

// When `reset` is true the running value becomes 0 first; then the chunk is added to it.
// Returns the new running value.
uint32_t UpdateCrc32(const void* data, size_t length, bool reset);

inline uint32_t UpdateCrc32(std::span<const uint8_t> chunk, bool reset) {
    return UpdateCrc32(chunk.data(), chunk.size(), reset);
}

// The same for a chunk whose own CRC-32 (Crc32 of it alone) is already known, as a chunk read
// through bigfileReadChunk brings it.
uint32_t AddCrc32(uint32_t chunkCrc, int64_t length, bool reset);

// Sets the running value.
void SetCrc32State(uint32_t value);

// The CRC-32 of the `length` bytes of a file from `offset` on, as Crc32 of them alone (the
// running value is left alone); false when the file cannot be read that far.
bool Crc32OfFileSpan(const std::string& path, int64_t offset, int64_t length, uint32_t& crc);

}  // namespace kb
