#include "app/core/big_file.h"

#include "app/core/kb_error.h"

namespace kb {

int64_t FileSizeBF(const std::string& path) { return platform::getFilesize(path); }

void OpenBF(const std::string& path, int16_t slot, const std::string& mode) {
    if (platform::bigfileOpen(path, slot, mode) == 0)
        throw KbError(err::DeviceIO, "OpenBF", "Unable to open file: " + path);
}

void CloseBF(int16_t slot) {
    if (platform::bigfileClose(slot) != 0)
        throw KbError(err::DeviceIO, "CloseBF", "Unable to close file.");
}

int64_t GetPosBF(int16_t slot) {
    int64_t pos = 0;
    if (platform::bigfileGetPos(slot, pos) != 0)
        throw KbError(err::DeviceIO, "GetPosBF", "Unable to get file position.");
    return pos;
}

void SetPosBF(int16_t slot, int64_t position) {
    if (platform::bigfileSetPos(slot, position) != 0)
        throw KbError(err::DeviceIO, "SetPosBF", "Unable to set file position.");
}

int32_t ChunkLength(int32_t segment, int64_t left, int64_t writeAt) {
    constexpr int64_t kAlignment = 64 * 1024;
    if (left <= segment) return static_cast<int32_t>(left);
    if (segment % kAlignment != 0) return segment;
    return segment - static_cast<int32_t>((writeAt + segment) % kAlignment);
}

int32_t WriteStringBF(const std::string& text, int16_t slot) {
    if (text.size() > 32767)
        throw KbError(err::Overflow, "WriteStringBF",
                      "Text of " + std::to_string(text.size()) +
                          " bytes is too long to be stored (at most 32767).");
    const auto n = static_cast<uint16_t>(text.size());
    const uint8_t len[2] = {static_cast<uint8_t>(n & 0xFF), static_cast<uint8_t>(n >> 8)};
    if (bigfileWrite(len, 2, slot) != 2) return 0;
    return bigfileWrite(text.data(), static_cast<int32_t>(text.size()), slot);
}

std::string ReadStringBF(int16_t slot) {
    uint8_t len[2];
    if (bigfileRead(len, 2, slot) != 2)
        throw KbError(err::DeviceIO, "ReadStringBF",
                      "Unable to read text: the file ends before its length.");
    const auto n = static_cast<int16_t>(static_cast<uint16_t>(len[0] | (len[1] << 8)));
    if (n < 0)
        throw KbError(err::DeviceIO, "ReadStringBF",
                      "Unable to read text: invalid length " + std::to_string(n) + ".");
    std::string text(static_cast<size_t>(n), '\0');
    if (bigfileRead(text.data(), n, slot) != n)
        throw KbError(err::DeviceIO, "ReadStringBF",
                      "Unable to read text of " + std::to_string(n) +
                          " bytes: the file ends first.");
    return text;
}

}  // namespace kb
