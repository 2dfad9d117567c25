#include "platform/page_buffer.h"

#include <cstdlib>
#include <new>

namespace kb::platform {

namespace {

// Within a page, the destination of a copy 1 to this many bytes past its source is slow.
constexpr uint64_t kSlowDistance = 64;

uint64_t InPage(uint64_t v) { return v % PageBuffer::kPage; }

}  // namespace

void PageBuffer::resize(size_t size) {
    if (size == size_) return;
    bytes_.reset();
    size_ = 0;
    if (size == 0) return;
    // One page more, for the placement; whole pages, as aligned_alloc wants.
    const size_t whole = (size + 2 * kPage - 1) / kPage * kPage;
    auto* p = static_cast<uint8_t*>(std::aligned_alloc(kPage, whole));
    if (!p) throw std::bad_alloc();
    bytes_.reset(p);
    size_ = size;
}

uint8_t* PageBuffer::PlacedFor(int64_t position) const {
    return bytes_.get() + InPage(static_cast<uint64_t>(position) + kPage / 2);
}

bool PageBuffer::SlowToWrite(const void* source, int64_t position) {
    const uint64_t distance =
        InPage(static_cast<uint64_t>(position) - reinterpret_cast<uintptr_t>(source));
    return distance != 0 && distance < kSlowDistance;
}

void PageBuffer::Free::operator()(uint8_t* p) const { std::free(p); }

}  // namespace kb::platform
