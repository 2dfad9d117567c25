#pragma once
// The TEA block cipher: 64-bit blocks of two 32-bit words, 128-bit keys of four words,
// 32 cycles. Words are host integers; the file layer loads them little-endian.

#include <cstdint>

namespace kb::tea {

inline constexpr uint32_t kDelta = 0x9E3779B9u;
inline constexpr int kCycles = 32;

void TeaEncryptBlock(const uint32_t in[2], uint32_t out[2], const uint32_t key[4]);
void TeaDecryptBlock(const uint32_t in[2], uint32_t out[2], const uint32_t key[4]);

}  // namespace kb::tea
