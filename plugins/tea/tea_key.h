#pragma once
// The per-file key block: drawn at random, stored in the file as drawn, then mixed with the
// passphrase and cut into sixteen TEA keys ("windows") that the data blocks take in turn.

#include <array>
#include <cstddef>
#include <cstdint>

namespace kb::tea {

inline constexpr size_t kKeyBlockLength = 256;
inline constexpr size_t kWindowCount = 16;

using KeyBlock = std::array<uint8_t, kKeyBlockLength>;
using KeyWindow = std::array<uint32_t, 4>;
using KeyWindows = std::array<KeyWindow, kWindowCount>;

// Sum of i * byte i (i from 1, bytes signed), wrapping in 32 bits; stored in the file so that a
// wrong passphrase is refused before anything is written.
int32_t PassphraseChecksum(const char* text, size_t length);

// XORs the passphrase, repeated, into the first `length` bytes of `key`, leaving a byte as it
// is where the XOR would make or unmake a zero or a blank. An empty passphrase changes nothing.
void MixPassphraseIntoKey(uint8_t* key, const char* passphrase, size_t length);

// The sixteen 16-byte windows of the mixed block, each read as four little-endian words.
// Block b of the data uses window b % 16.
KeyWindows CutKeyWindows(const KeyBlock& mixed);

// Fills the block from the system's strong random source; false when it cannot.
bool DrawKeyBlock(KeyBlock& block);

}  // namespace kb::tea
