#include "shellext/com/guids.h"

#include <cstdio>
#include <cstring>

#include "shellext/com/shell_interfaces.h"

namespace kb::com {

// The system's own interfaces keep their well-known identifiers.
const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IDataObject = {0x0000010E, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IShellExtInit = {0x000214E8, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IContextMenu = {0x000214E4, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// Kestrelbinder's own.
const CLSID CLSID_KXShlExt = {0xBA15C29F, 0x3909, 0x47DC, {0xB4, 0x7E, 0xF6, 0x02, 0xA5, 0xC6, 0x0D, 0xFC}};
const IID IID_IKXShlExt = {0xAA7C42E7, 0x1D0B, 0x40E8, {0xB0, 0xB5, 0x32, 0x38, 0x0F, 0x81, 0x69, 0x96}};
const GUID LIBID_KESTRELBINDERSHELLEXTLib = {0xF6BCE81E, 0x63E6, 0x4AC2,
                                             {0xA1, 0x1B, 0x22, 0x26, 0xE5, 0xF7, 0xFE, 0x0F}};

bool IsEqualGUID(const GUID& a, const GUID& b) {
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
           std::memcmp(a.Data4, b.Data4, sizeof a.Data4) == 0;
}

std::string GuidText(const GUID& g) {
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                  g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

namespace {
int Hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

std::optional<GUID> ParseGuid(const std::string& text) {
    static const char kShape[] = "{########-####-####-####-############}";
    if (text.size() != sizeof kShape - 1) return std::nullopt;
    uint8_t bytes[16];
    int n = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (kShape[i] != '#') {
            if (text[i] != kShape[i]) return std::nullopt;
            continue;
        }
        const int hi = Hex(text[i]), lo = Hex(text[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes[n++] = static_cast<uint8_t>(hi * 16 + lo);
        ++i;
    }
    GUID g{};
    g.Data1 = (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
    g.Data2 = static_cast<uint16_t>((bytes[4] << 8) | bytes[5]);
    g.Data3 = static_cast<uint16_t>((bytes[6] << 8) | bytes[7]);
    std::memcpy(g.Data4, bytes + 8, 8);
    return g;
}

}  // namespace kb::com
