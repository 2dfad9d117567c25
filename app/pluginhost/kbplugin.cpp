#include "app/pluginhost/kbplugin.h"

#include <dlfcn.h>

#include <string>

namespace kb::kbplugin {

// Counts one call into a library for as long as it runs; the last call to return closes the
// library as often as it was released meanwhile.
class SlotTable::CallGuard {
public:
    CallGuard(std::map<void*, Busy>& busy, void* library) : busy_(busy), library_(library) {
        ++busy_[library_].calls;
    }
    ~CallGuard() {
        const auto it = busy_.find(library_);
        if (--it->second.calls > 0) return;
        const int due = it->second.releasesDue;
        busy_.erase(it);
        for (int i = 0; i < due; ++i) dlclose(library_);
    }
    CallGuard(const CallGuard&) = delete;
    CallGuard& operator=(const CallGuard&) = delete;

private:
    std::map<void*, Busy>& busy_;
    void* library_;
};

SlotTable::~SlotTable() { init(); }

void SlotTable::Release(void* library) {
    const auto it = busy_.find(library);
    if (it != busy_.end()) {
        ++it->second.releasesDue;
        return;
    }
    dlclose(library);
}

SlotTable::Slot* SlotTable::At(int32_t slot) {
    if (slot < 0 || slot >= kSlotCount || !table_[slot].Occupied()) return nullptr;
    return &table_[slot];
}

const SlotTable::Slot* SlotTable::At(int32_t slot) const {
    if (slot < 0 || slot >= kSlotCount || !table_[slot].Occupied()) return nullptr;
    return &table_[slot];
}

void SlotTable::init() {
    for (Slot& s : table_) {
        if (s.Occupied()) Release(s.library);
        s = Slot{};
    }
}

int32_t SlotTable::loadplugin(const char* path) {
    if (path == nullptr || *path == '\0') return -1;
    int32_t free = 0;
    while (free < kSlotCount && table_[free].Occupied()) ++free;
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
    table_[free].library = library;
    table_[free].main = reinterpret_cast<PluginMainProc>(entry);
    table_[free].enabled = false;
    return free;
}

void SlotTable::unloadplugin(int32_t slot) {
    Slot* s = At(slot);
    if (s == nullptr) return;
    Release(s->library);
    *s = Slot{};
}

void SlotTable::reorgplugins(int32_t slot) {
    // A slot that still holds a library is not overwritten: its handle would be lost.
    if (slot < 0 || slot >= kSlotCount || table_[slot].Occupied()) return;
    for (int32_t i = slot; i + 1 < kSlotCount; ++i) table_[i] = table_[i + 1];
    table_[kSlotCount - 1] = Slot{};
}

int32_t SlotTable::callpluginmain(int32_t slot, int32_t cmd, PluginHostCallbackProc callback,
                                  void* a1, void* a2, void* a3, void* a4) {
    Slot* s = At(slot);
    if (s == nullptr) return PLUGIN_NOT_HANDLED;
    if (cmd == PLUGIN_EVT_ENABLED) s->enabled = true;
    if (cmd == PLUGIN_EVT_DISABLED) s->enabled = false;
    // The slot may be unloaded or moved during the call; what is called is fixed here.
    const PluginMainProc main = s->main;
    const CallGuard call(busy_, s->library);
    return main(cmd, callback, a1, a2, a3, a4);
}

bool SlotTable::callUnderWay(int32_t slot) const {
    const Slot* s = At(slot);
    if (s == nullptr) return false;
    const auto it = busy_.find(s->library);
    return it != busy_.end() && it->second.calls > 0;
}

int16_t SlotTable::isEnabled(int32_t slot) const {
    const Slot* s = At(slot);
    return (s != nullptr && s->enabled) ? 1 : 0;
}

}  // namespace kb::kbplugin
