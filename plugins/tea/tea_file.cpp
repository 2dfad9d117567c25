#include "plugins/tea/tea_file.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "plugins/tea/le32.h"
#include "plugins/tea/posix_file.h"
#include "plugins/tea/tea_key.h"
#include "plugins/tea/tea_lanes.h"

namespace kb::tea {
namespace {

// Reads go through a buffer far larger than a block, a multiple of 8 so that only the last
// read can end in a part block, which keeps the output identical to reading 8 bytes at a time.
// It stays small enough to remain in the processor's cache between the read, the cipher and
// the write; at 1 MiB the copies into the page cache cost a tenth of the run.
constexpr size_t kBufferLength = size_t{1} << 16;
// Progress is reported every this many 8-byte reads, counted as if read one by one.
constexpr uint64_t kReadsPerReport = 100;

// The checksum field of a passphrase, as stored.
uint32_t ChecksumField(const char* passphrase) {
    return static_cast<uint32_t>(PassphraseChecksum(passphrase, std::strlen(passphrase)));
}

class Progress {
public:
    Progress(const TeaProgress& hook, uint64_t size) : hook_(hook), size_(size) {}

    // `count` reads of a whole block each, reported as if made one by one.
    void Blocks(uint64_t count) {
        while (count > 0) {
            const uint64_t step = std::min(count, kReadsPerReport - reads_ % kReadsPerReport);
            reads_ += step;
            consumed_ += 8 * step;
            count -= step;
            if (reads_ % kReadsPerReport == 0) Report();
        }
    }

    // The final read, of the `length` bytes (0 to 7) that follow the last whole block.
    void Last(size_t length) {
        consumed_ += length;
        if (++reads_ % kReadsPerReport == 0) Report();
    }

private:
    void Report() const {
        if (hook_.report == nullptr) return;
        uint64_t percent = size_ == 0 ? 100 : consumed_ * 100 / size_;
        if (percent > 100) percent = 100;  // the file grew while being read
        hook_.report(static_cast<int32_t>(percent), hook_.context);
    }

    const TeaProgress& hook_;
    uint64_t size_;
    uint64_t reads_ = 0, consumed_ = 0;
};

// Runs the data part through the cipher, window by window, until the end of the input.
bool CryptData(int in, int out, const KeyWindows& windows, bool encrypt, size_t lanes,
               Progress& progress) {
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[kBufferLength]);
    if (!buffer) return false;
    uint64_t block = 0;
    for (;;) {
        const ssize_t n = ReadFull(in, buffer.get(), kBufferLength);
        if (n < 0) return false;
        const size_t length = static_cast<size_t>(n), blocks = length / 8;
        CryptBlocks(buffer.get(), blocks, windows, block, encrypt, lanes);
        block += blocks;
        progress.Blocks(blocks);
        if (!WriteAll(out, buffer.get(), length)) return false;
        if (length < kBufferLength) {
            // The final read: a part block copied as it is, or nothing at all. It takes a
            // window like any other block, which changes no byte since nothing follows.
            progress.Last(length % 8);
            return true;
        }
    }
}

}  // namespace

int32_t TeaEncryptFile(const char* source, const char* dest, const char* passphrase,
                       const TeaProgress& progress, size_t lanes) {
    const uint64_t size = GetFileSize64(source);
    InputFile in;
    if (!in.Open(source)) return kTeaFailed;
    KeyBlock key{};
    if (!DrawKeyBlock(key)) return kTeaFailed;

    OutputFile out;
    if (!out.Create(dest, in)) return kTeaFailed;
    uint8_t header[kTeaHeaderLength];
    StoreLe32(header, static_cast<uint32_t>(kTeaFormat));
    StoreLe32(header + 4, ChecksumField(passphrase));
    StoreLe32(header + 8, static_cast<uint32_t>(kKeyBlockLength));
    std::memcpy(header + 12, key.data(), key.size());
    if (!WriteAll(out.Fd(), header, sizeof header)) return kTeaFailed;

    MixPassphraseIntoKey(key.data(), passphrase, key.size());
    Progress report(progress, size);
    if (!CryptData(in.Fd(), out.Fd(), CutKeyWindows(key), true, lanes, report)) return kTeaFailed;
    return out.Commit() ? kTeaOk : kTeaFailed;
}

int32_t TeaDecryptFile(const char* source, const char* dest, const char* passphrase,
                       const TeaProgress& progress, size_t lanes) {
    const uint64_t size = GetFileSize64(source);
    if (size == 0) return kTeaFailed;
    InputFile in;
    if (!in.Open(source)) return kTeaFailed;

    // The whole header is checked before the destination exists.
    uint8_t header[kTeaHeaderLength];
    const ssize_t n = ReadFull(in.Fd(), header, sizeof header);
    if (n < 0) return kTeaFailed;
    if (n < 4 || LoadLe32(header) != static_cast<uint32_t>(kTeaFormat)) return kTeaNotTeaFile;
    if (n < 8) return kTeaFailed;
    if (LoadLe32(header + 4) != ChecksumField(passphrase)) return kTeaWrongPassphrase;
    if (n < 12) return kTeaFailed;
    // This plug-in writes no other length, and its windows need exactly 256 bytes.
    if (LoadLe32(header + 8) != kKeyBlockLength) return kTeaNotTeaFile;
    if (static_cast<size_t>(n) < sizeof header) return kTeaFailed;

    OutputFile out;
    if (!out.Create(dest, in)) return kTeaFailed;
    KeyBlock key{};
    std::memcpy(key.data(), header + 12, key.size());
    MixPassphraseIntoKey(key.data(), passphrase, key.size());
    // The percentage is taken against the whole encrypted file, header included.
    Progress report(progress, size);
    if (!CryptData(in.Fd(), out.Fd(), CutKeyWindows(key), false, lanes, report)) return kTeaFailed;
    return out.Commit() ? kTeaOk : kTeaFailed;
}

}  // namespace kb::tea
