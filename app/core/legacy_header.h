#pragma once
// The older piece header (versions below 4 of the common header). The program only reads it;
// it follows the FragmentCommonHeader at the start of piece 1, little-endian, texts counted:
//
//   piece count        16-bit signed
//   original name      counted text
//   reserved           16-bit
//   encrypted flag     16-bit   non-zero: a LegacyEncryptionRecord follows, data enciphered
//   reserved           16-bit
//   reserved           16-bit   replaced in memory by IsCab (below)
//   trailer flag       16-bit   non-zero: each piece's data ends in 4 bytes not of the file
//
// LegacyEncryptionRecord, directly after it when the encrypted flag is set:
//
//   text               counted text (ignored)
//   reserved           16-bit
//   reserved           16-bit
//   check value        16-bit signed, the passphrase's check value (getcheck)

#include <cstdint>
#include <string>

namespace kb {

struct LegacyFragmentHeader {
    int16_t FragmentCount = 0;
    std::string OrigFilename;
    int16_t Reserved1 = 0;
    int16_t Encrypted = 0;
    int16_t Reserved2 = 0;
    // Read from the file, then overwritten: -1 when the name ends in "cab" (any case), else 0.
    int16_t IsCab = 0;
    int16_t Trailer = 0;
};

struct LegacyEncryptionRecord {
    std::string Text;
    int16_t Reserved1 = 0;
    int16_t Reserved2 = 0;
    int16_t CheckValue = 0;
};

// Reads the older header, and its encryption record when flagged, at the slot's position.
// A file that ends early raises 57.
void ReadLegacyHeader(int16_t slot, LegacyFragmentHeader& legacy,
                      LegacyEncryptionRecord& encryption);

}  // namespace kb
