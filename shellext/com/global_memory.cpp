#include "shellext/com/global_memory.h"

#include <cstdint>
#include <cstdlib>
#include <new>

namespace kb::com {

struct GlobalBlock {
    size_t size;
    unsigned locks;
    alignas(std::max_align_t) unsigned char bytes[1];
};

HGLOBAL GlobalAlloc(size_t size) noexcept {
    if (size > SIZE_MAX - sizeof(GlobalBlock)) return nullptr;
    void* raw = std::calloc(1, sizeof(GlobalBlock) + size);
    if (!raw) return nullptr;
    auto* block = new (raw) GlobalBlock{};
    block->size = size;
    return block;
}

void* GlobalLock(HGLOBAL block) noexcept {
    if (!block) return nullptr;
    ++block->locks;
    return block->bytes;
}

bool GlobalUnlock(HGLOBAL block) noexcept {
    if (!block || block->locks == 0) return false;
    return --block->locks != 0;
}

size_t GlobalSize(HGLOBAL block) noexcept { return block ? block->size : 0; }

HGLOBAL GlobalFree(HGLOBAL block) noexcept {
    std::free(block);
    return nullptr;
}

}  // namespace kb::com
