#pragma once
// Little-endian two's-complement integers, the byte order of every stored record (pieces,
// task files). One place for the byte shuffling, so writers and readers cannot drift apart.

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

namespace kb {

// Appends the sizeof(T) bytes of `value`, lowest first.
template <typename T>
void AppendLE(std::string& out, T value) {
    static_assert(std::is_integral_v<T>);
    const auto u = static_cast<std::make_unsigned_t<T>>(value);
    for (size_t i = 0; i < sizeof(T); ++i) out += static_cast<char>((u >> (8 * i)) & 0xFF);
}

// Writes the sizeof(T) bytes of `value` at `out`, lowest first.
template <typename T>
void StoreLE(uint8_t* out, T value) {
    static_assert(std::is_integral_v<T>);
    const auto u = static_cast<std::make_unsigned_t<T>>(value);
    for (size_t i = 0; i < sizeof(T); ++i) out[i] = static_cast<uint8_t>((u >> (8 * i)) & 0xFF);
}

// The value of the sizeof(T) bytes at `in`, lowest first.
template <typename T>
T LoadLE(const uint8_t* in) {
    static_assert(std::is_integral_v<T>);
    std::make_unsigned_t<T> u = 0;
    for (size_t i = 0; i < sizeof(T); ++i) u |= static_cast<std::make_unsigned_t<T>>(in[i]) << (8 * i);
    return static_cast<T>(u);
}

}  // namespace kb
