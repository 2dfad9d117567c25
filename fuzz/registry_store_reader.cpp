// The settings store's reader takes any text, hand-edited or cut short, without crashing, and
// whatever it reads it writes back whole: the written text reads back as the same tree and is
// written again unchanged; a key it deletes is gone with all its subkeys.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

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

    // Deleting any key leaves nothing of it below, neither in the tree nor in its text.
    std::vector<std::string> all;  // key paths, breadth first, a few dozen at most
    for (size_t next = 0; next <= all.size() && all.size() < 64; ++next) {
        const std::string parent = next == 0 ? "" : all[next - 1];
        for (const std::string& sub : tree.SubKeys(parent))
            all.push_back(parent.empty() ? sub : parent + "\\" + sub);
    }
    for (const std::string& path : all) {
        RegistryTree pruned = tree;
        std::vector<std::string> below = pruned.SubKeys(path);
        if (!pruned.DeleteKey(path) || pruned.HasKey(path)) std::abort();
        for (const std::string& sub : below)
            if (pruned.HasKey(path + "\\" + sub)) std::abort();
        if (RegistryTree::Parse(pruned.Serialize("HKEY_CURRENT_USER")).HasKey(path)) std::abort();
    }
    return 0;
}
