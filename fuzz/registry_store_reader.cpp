// The settings store's reader takes any text, hand-edited or cut short, without crashing, and
// whatever it reads it writes back whole: the written text reads back as the same tree and is
// written again unchanged.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/registry_store.h"

using kb::platform::RegistryTree;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    RegistryTree tree = RegistryTree::Parse(text);
    std::string written = tree.Serialize("HKEY_CURRENT_USER");
    RegistryTree again = RegistryTree::Parse(written);
    if (!(again == tree)) std::abort();
    if (again.Serialize("HKEY_CURRENT_USER") != written) std::abort();

    // Walk what was read, as the registry calls do.
    for (const std::string& name : tree.SubKeys("")) {
        for (const std::string& sub : tree.SubKeys(name)) (void)tree.HasKey(name + "\\" + sub);
        (void)tree.FindValue(name, "");
    }
    if (tree.CreateKey("Software\\Fuzz") && !tree.HasKey("software\\FUZZ")) std::abort();
    return 0;
}
