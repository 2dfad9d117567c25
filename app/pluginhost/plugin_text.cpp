#include "app/pluginhost/plugin_text.h"

#include <limits>
#include <new>

namespace kb {

PluginBstr MakePluginBstr(const std::string& text) {
    if (text.size() > std::numeric_limits<uint32_t>::max()) throw std::bad_alloc();
    PluginBstr s = PluginBstrAlloc(text.data(), static_cast<uint32_t>(text.size()));
    if (s == nullptr) throw std::bad_alloc();
    return s;
}

std::string PluginBstrText(PluginBstr s) {
    if (s == nullptr) return std::string();
    return std::string(s, PluginBstrLen(s));
}

void TrimAtNullInPlace(std::string& text) {
    const size_t at = text.find('\0');
    if (at != std::string::npos && at >= 1) text.erase(at);
}

}  // namespace kb
