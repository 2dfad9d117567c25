#pragma once
// CRC-32 with the zlib polynomial and conventions (reflected, initial and final XOR
// 0xFFFFFFFF folded into the running value): Crc32(B, Crc32(A, 0)) equals Crc32(AB, 0) and
// zlib's crc32(0, AB), whatever the split. Hardware-accelerated where the processor allows.

#include <cstddef>
#include <cstdint>
#include <span>

namespace kb::platform {

// Continues a CRC-32 from `previous` (0 starts a new one) over `length` bytes.
uint32_t Crc32(const void* data, size_t length, uint32_t previous);

inline uint32_t Crc32(std::span<const uint8_t> data, uint32_t previous) {
    return Crc32(data.data(), data.size(), previous);
}

// The CRC-32 of A followed by B, from Crc32 of A, Crc32 of B and B's length, without the data.
uint32_t Crc32Combine(uint32_t crcA, uint32_t crcB, int64_t lengthB);

}  // namespace kb::platform
