#pragma once
// The smallest and the largest piece, in bytes, that the splitter and the wizards accept.

#include <cstdint>

namespace kb {

constexpr int64_t MaxFragSizeSupported() { return 4294967296LL; }
constexpr int16_t MinFragSizeSupported() { return 10240; }

}  // namespace kb
