#pragma once
// Buffers for the bytes of a file on their way between the page cache and the disk copy.
//
// The kernel moves a buffer's bytes to and from the page cache with the processor's string
// copy. On the processors this runs on, that copy slows to a twentieth of its speed when the
// destination lies 1 to 63 bytes past the source, counted within a page: the distance between
// a buffer and the file offset it is read from or written to. A buffer taken from the heap
// sits 16 bytes past a page, and a piece's data sits 12 bytes past its record, so a plain
// buffer meets that distance on every chunk of a split or a join.
//
// A PageBuffer places the bytes of file position P at half a page from P's place in its
// page, so the copy from the source and the copy to any destination less than half a page
// away from the source keep clear of it; a write that still meets it goes through a staging
// copy placed the same way (PlacedForWrite).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>

namespace kb::platform {

class PageBuffer {
public:
    static constexpr size_t kPage = 4096;

    PageBuffer() = default;
    PageBuffer(PageBuffer&& other) noexcept { *this = std::move(other); }
    PageBuffer& operator=(PageBuffer&& other) noexcept {
        bytes_ = std::move(other.bytes_);
        size_ = other.size_;
        other.size_ = 0;
        return *this;
    }

    // Room for `size` bytes placed for any file position; the contents are not kept.
    void resize(size_t size);
    void clear() { resize(0); }
    size_t size() const { return size_; }
    // Where the bytes of file position `position` go.
    uint8_t* PlacedFor(int64_t position) const;

    // True when copying from `source` to file position `position` meets the slow distance.
    static bool SlowToWrite(const void* source, int64_t position);

private:
    struct Free {
        void operator()(uint8_t* p) const;
    };
    std::unique_ptr<uint8_t[], Free> bytes_;
    size_t size_ = 0;
};

}  // namespace kb::platform
