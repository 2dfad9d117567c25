#include "app/core/reg_access.h"

#include <cstring>

namespace kb {

namespace {
// The access the settings code has always asked for: read, write and create below the key.
constexpr uint32_t kAccess = 0x2003F;
constexpr uint32_t kBufferSize = 1024;
}  // namespace

bool RegWriteString(uint32_t root, const std::string& subKey, const std::string& valueName,
                    std::string& value) {
    platform::RegKey key;
    if (platform::RegCreateKeyEx(root, subKey, kAccess, key) != platform::ERROR_SUCCESS) return false;
    if (value.empty()) value.assign(1, ' ');
    int32_t rc = platform::RegSetValueEx(key, valueName, platform::REG_SZ, value.data(),
                                         static_cast<uint32_t>(value.size()));
    platform::RegCloseKey(key);
    return rc == platform::ERROR_SUCCESS;
}

std::string RegReadString(uint32_t root, const std::string& subKey, const std::string& valueName) {
    platform::RegKey key;
    if (platform::RegOpenKeyEx(root, subKey, kAccess, key) != platform::ERROR_SUCCESS) return "";
    char buffer[kBufferSize] = {};
    uint32_t type = 0;
    uint32_t size = kBufferSize;
    int32_t rc = platform::RegQueryValueEx(key, valueName, &type, buffer, &size);
    platform::RegCloseKey(key);
    if (rc != platform::ERROR_SUCCESS) return "";
    switch (type) {
    case platform::REG_SZ:
    case platform::REG_EXPAND_SZ: return std::string(buffer, strnlen(buffer, kBufferSize));
    case platform::REG_DWORD: {
        // A DWORD is unsigned: 3000000000 stored must not read back as a negative number.
        uint32_t n = 0;
        std::memcpy(&n, buffer, sizeof n);
        return std::to_string(n);
    }
    default: return "";
    }
}

}  // namespace kb
