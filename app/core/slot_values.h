#pragma once
// Little-endian integers read from and written to a large-file slot, for the stored records
// of the joining engine.

#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

#include "app/core/big_file.h"
#include "app/core/kb_error.h"
#include "app/core/little_endian.h"

namespace kb {

// Reads one integer at the slot's position; a file that ends first raises 57.
template <typename T>
T ReadValueBF(int16_t slot) {
    static_assert(std::is_integral_v<T>);
    uint8_t b[sizeof(T)];
    if (bigfileRead(b, sizeof(T), slot) != static_cast<int32_t>(sizeof(T)))
        throw KbError(err::DeviceIO, "ReadValueBF", "Unable to read: the file ends early.");
    return LoadLE<T>(b);
}

// Writes one integer; a failed write raises 61 with `who` as its source.
template <typename T>
void WriteValueBF(int16_t slot, T value, const char* who) {
    static_assert(std::is_integral_v<T>);
    uint8_t b[sizeof(T)];
    StoreLE(b, value);
    if (bigfileWrite(b, sizeof(T), slot) != static_cast<int32_t>(sizeof(T)))
        throw KbError(err::DiskFull, who, "Unable to write: the disk may be full.");
}

}  // namespace kb
