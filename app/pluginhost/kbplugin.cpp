#include "app/pluginhost/kbplugin.h"

#include <dlfcn.h>

#include <array>
#include <map>
#include <string>

namespace kb::kbplugin {
namespace {

struct Slot {
    void* library = nullptr;
    PluginMainProc main = nullptr;
    bool enabled = false;
    bool Occupied() const { return library != nullptr; }
};

std::array<Slot, kSlotCount> table;

// Calls under way into each library, and the releases that wait for them. A callback may let
// pending window messages run while a plug-in's command is under way, and one of them may
// remove that very plug-in: its library must stay mapped until the plug-in has returned.
struct Busy {
    int calls = 0;
    int releasesDue = 0;
};
std::map<void*, Busy> busy;

void Release(void* library) {
    const auto it = busy.find(library);
    if (it != busy.end()) {
        ++it->second.releasesDue;
        return;
    }
    dlclose(library);
}

class CallUnderWay {
public:
    explicit CallUnderWay(void* library) : library_(library) { ++busy[library_].calls; }
    ~CallUnderWay() {
        const auto it = busy.find(library_);
        if (--it->second.calls > 0) return;
        const int due = it->second.releasesDue;
        busy.erase(it);
        for (int i = 0; i < due; ++i) dlclose(library_);
    }
    CallUnderWay(const CallUnderWay&) = delete;
    CallUnderWay& operator=(const CallUnderWay&) = delete;

private:
    void* library_;
};

Slot* At(int32_t slot) {
    if (slot < 0 || slot >= kSlotCount || !table[slot].Occupied()) return nullptr;
    return &table[slot];
}

}  // namespace

void init() {
    for (Slot& s : table) {
        if (s.Occupied()) Release(s.library);
        s = Slot{};
    }
}

int32_t loadplugin(const char* path) {
    if (path == nullptr || *path == '\0') return -1;
    int32_t free = 0;
    while (free < kSlotCount && table[free].Occupied()) ++free;
    if (free == kSlotCount) return -1;

    // A name without a folder would make dlopen search the system's library folders; a
    // plug-in path always names a file, so it is taken relative to the current folder.
    std::string name(path);
    if (name.find('/') == std::string::npos) name = "./" + name;
    void* library = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return -1;
    void* entry = dlsym(library, PLUGIN_MAIN_SYMBOL);
    if (entry == nullptr) {
        dlclose(library);
        return -1;
    }
    table[free].library = library;
    table[free].main = reinterpret_cast<PluginMainProc>(entry);
    table[free].enabled = false;
    return free;
}

void unloadplugin(int32_t slot) {
    Slot* s = At(slot);
    if (s == nullptr) return;
    Release(s->library);
    *s = Slot{};
}

void reorgplugins(int32_t slot) {
    // A slot that still holds a library is not overwritten: its handle would be lost.
    if (slot < 0 || slot >= kSlotCount || table[slot].Occupied()) return;
    for (int32_t i = slot; i + 1 < kSlotCount; ++i) table[i] = table[i + 1];
    table[kSlotCount - 1] = Slot{};
}

int32_t callpluginmain(int32_t slot, int32_t cmd, PluginHostCallbackProc callback, void* a1,
                       void* a2, void* a3, void* a4) {
    Slot* s = At(slot);
    if (s == nullptr) return PLUGIN_NOT_HANDLED;
    if (cmd == PLUGIN_EVT_ENABLED) s->enabled = true;
    if (cmd == PLUGIN_EVT_DISABLED) s->enabled = false;
    // The slot may be unloaded or moved during the call; what is called is fixed here.
    const PluginMainProc main = s->main;
    const CallUnderWay call(s->library);
    return main(cmd, callback, a1, a2, a3, a4);
}

bool callUnderWay(int32_t slot) {
    const Slot* s = At(slot);
    if (s == nullptr) return false;
    const auto it = busy.find(s->library);
    return it != busy.end() && it->second.calls > 0;
}

int16_t isEnabled(int32_t slot) {
    const Slot* s = At(slot);
    return (s != nullptr && s->enabled) ? 1 : 0;
}

}  // namespace kb::kbplugin
