#pragma once
// The Tea encrypted file. All integers 32-bit little-endian:
//
//   offset  size  field
//   0       4     format, always 1
//   4       4     PassphraseChecksum of the passphrase (signed)
//   8       4     key block length, always 256
//   12      256   key block, random, as drawn (before the passphrase is mixed in)
//   268     n     the source: every whole 8-byte block enciphered with TEA under window
//                 (block number % 16) of the mixed key block, words little-endian; a final
//                 part block of 1 to 7 bytes stored unchanged
//
// so an encrypted file is always 268 bytes longer than its source.

#include <cstddef>
#include <cstdint>

#include "plugins/tea/tea_lanes.h"

namespace kb::tea {

inline constexpr int32_t kTeaFormat = 1;
inline constexpr uint64_t kTeaHeaderLength = 12 + 256;

// Results of the two operations.
inline constexpr int32_t kTeaOk = 0;
inline constexpr int32_t kTeaWrongPassphrase = 1;
inline constexpr int32_t kTeaFailed = -1;
inline constexpr int32_t kTeaNotTeaFile = -2;

// Called every 100th 8-byte read with the whole percentage of the file read so far.
struct TeaProgress {
    void (*report)(int32_t percent, void* context) = nullptr;
    void* context = nullptr;
};

// `lanes` picks the cipher path (see tea_lanes.h); every path writes the same bytes.

// 0 success, -1 failure. A destination left incomplete is removed.
int32_t TeaEncryptFile(const char* source, const char* dest, const char* passphrase,
                       const TeaProgress& progress = {}, size_t lanes = WidestLanes());

// 0 success, 1 wrong passphrase (no destination created), -2 not a Tea file, -1 other failure.
// A destination left incomplete is removed.
int32_t TeaDecryptFile(const char* source, const char* dest, const char* passphrase,
                       const TeaProgress& progress = {}, size_t lanes = WidestLanes());

}  // namespace kb::tea
