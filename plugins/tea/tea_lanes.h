#pragma once
// TEA over a run of consecutive data blocks, several blocks side by side in vector lanes.
// Blocks are independent (each takes the window of its own number, nothing is chained), so a
// vector of N lanes carries N blocks through the 32 cycles at once and gives exactly the bytes
// that TeaEncryptBlock / TeaDecryptBlock give one block at a time.

#include <cstddef>
#include <cstdint>

#include "plugins/tea/tea_key.h"

namespace kb::tea {

// Lane counts: 1 is the one-block cipher; 4, 8 and 16 use 128-, 256- and 512-bit vectors.
inline constexpr size_t kLaneCounts[] = {1, 4, 8, 16};

// Whether this processor runs `lanes` blocks at once: 1 always, 4 on every x86-64, 8 with
// AVX2, 16 with AVX-512F. Other lane counts and other processors: false.
bool LanesSupported(size_t lanes);

// The widest lane count this processor supports, chosen once.
size_t WidestLanes();

// Enciphers (or deciphers) `count` whole 8-byte blocks at `data` in place, block i under
// window (first + i) % 16, words little-endian as stored. `lanes` picks the path; one this
// processor lacks runs the one-block cipher.
void CryptBlocks(uint8_t* data, size_t count, const KeyWindows& windows, uint64_t first,
                 bool encrypt, size_t lanes);

}  // namespace kb::tea
