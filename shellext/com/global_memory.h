#pragma once
// Movable memory blocks as a data object hands them out: allocated by one side, locked to be
// read, and freed by whoever receives them. Both sides use the same C allocator.

#include <cstddef>

namespace kb::com {

struct GlobalBlock;
using HGLOBAL = GlobalBlock*;

// A zero-filled block of `size` bytes; nullptr when out of memory.
HGLOBAL GlobalAlloc(size_t size) noexcept;
// The block's bytes (nullptr for a null handle); every lock wants its unlock.
void* GlobalLock(HGLOBAL block) noexcept;
bool GlobalUnlock(HGLOBAL block) noexcept;
size_t GlobalSize(HGLOBAL block) noexcept;
// Frees the block; nullptr on success, as the handle is no longer valid.
HGLOBAL GlobalFree(HGLOBAL block) noexcept;

}  // namespace kb::com
