// registry_writer PREFIX COUNT: writes the values PREFIX0 .. PREFIX<COUNT-1> (each holding its
// own name) under HKEY_CURRENT_USER\Software\Race of the registry in $KESTRELBINDER_REGISTRY.
// A second program for the registry test of several programs writing at once; exits 0 when
// every write succeeded.

#include <cstdlib>
#include <string>

#include "platform/registry.h"

int main(int argc, char** argv) {
    using namespace kb::platform;
    if (argc != 3) return 2;
    const std::string prefix = argv[1];
    const int count = std::atoi(argv[2]);
    RegKey key;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Race", KEY_ALL_ACCESS, key) != ERROR_SUCCESS)
        return 1;
    for (int i = 0; i < count; ++i) {
        const std::string name = prefix + std::to_string(i);
        if (RegSetValueEx(key, name, REG_SZ, name.data(), static_cast<uint32_t>(name.size())) !=
            ERROR_SUCCESS)
            return 1;
    }
    return 0;
}
