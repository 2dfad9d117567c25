#include "shellext/com/drop_files.h"

#include <cstring>

namespace kb::com {

HGLOBAL MakeDropFiles(const std::vector<std::string>& names) noexcept {
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& n : names) {
        if (n.find('\0') != std::string::npos) return nullptr;
        size += n.size() + 1;
    }
    HGLOBAL block = GlobalAlloc(size);
    auto* bytes = static_cast<char*>(GlobalLock(block));
    if (!bytes) return GlobalFree(block);
    DROPFILES header{sizeof(DROPFILES), 0, 0, 0, 0};
    std::memcpy(bytes, &header, sizeof header);
    char* at = bytes + sizeof header;
    for (const std::string& n : names) {
        std::memcpy(at, n.c_str(), n.size() + 1);
        at += n.size() + 1;
    }
    GlobalUnlock(block);
    return block;
}

UINT DragQueryFileA(HDROP drop, size_t size, UINT iFile, char* buffer, UINT cch) noexcept {
    if (!drop || size < sizeof(DROPFILES)) return 0;
    DROPFILES header;
    std::memcpy(&header, drop, sizeof header);
    if (header.fWide || header.pFiles < sizeof(DROPFILES) || header.pFiles >= size) return 0;
    const char* at = static_cast<const char*>(drop) + header.pFiles;
    const char* end = static_cast<const char*>(drop) + size;
    UINT index = 0;
    while (at < end && *at) {
        const void* nul = std::memchr(at, '\0', static_cast<size_t>(end - at));
        if (!nul) return 0;  // a name running off the block: the list is damaged
        const size_t length = static_cast<size_t>(static_cast<const char*>(nul) - at);
        if (index == iFile) {
            if (!buffer) return static_cast<UINT>(length);
            if (cch == 0) return 0;
            const size_t copied = length < cch - 1 ? length : cch - 1;
            std::memcpy(buffer, at, copied);
            buffer[copied] = '\0';
            return static_cast<UINT>(copied);
        }
        ++index;
        at += length + 1;
    }
    return iFile == 0xFFFFFFFFu ? index : 0;
}

}  // namespace kb::com
