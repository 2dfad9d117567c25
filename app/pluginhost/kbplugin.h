#pragma once
// The table of loaded plug-in libraries and the calls into their PluginMain. The plug-in
// host (plugin_sys.h) owns one table and does every load, unload and call through it; it
// never touches a library itself.
//
// Slots are numbered from 0; a load takes the lowest free slot, so as long as every unload is
// followed by a reorganisation at the same slot the occupied slots stay dense and a load
// returns the number of plug-ins loaded before it.

#include <array>
#include <cstdint>
#include <map>

#include "app/pluginhost/include/kb_plugin.h"

namespace kb::kbplugin {

// How many plug-ins can be loaded at once.
inline constexpr int kSlotCount = 16;

class SlotTable {
public:
    SlotTable() = default;
    // Releases every library still in the table.
    ~SlotTable();
    SlotTable(const SlotTable&) = delete;
    SlotTable& operator=(const SlotTable&) = delete;

    // Empties the table, releasing any library still in it.
    void init();

    // Loads the plug-in library at Path (a NUL-terminated full path) and finds its PluginMain.
    // Returns its slot, or a negative number when it is not a loadable plug-in or the table is full.
    // The new slot is not enabled.
    int32_t loadplugin(const char* path);

    // Releases the slot's library. The slot becomes free; the other slots keep their numbers. A
    // library whose PluginMain is still running (the unload came from inside one of its calls) is
    // closed when that call returns.
    void unloadplugin(int32_t slot);

    // Called right after unloadplugin(slot): every occupied slot above it moves down by one, with
    // its enabled flag.
    void reorgplugins(int32_t slot);

    // Calls the slot's PluginMain with the arguments as they are and returns its result. A
    // PLUGIN_EVT_ENABLED or PLUGIN_EVT_DISABLED sent this way sets or clears the slot's enabled
    // flag. A free slot or a slot outside the table answers PLUGIN_NOT_HANDLED and calls nothing.
    int32_t callpluginmain(int32_t slot, int32_t cmd, PluginHostCallbackProc callback, void* a1,
                           void* a2, void* a3, void* a4);

    // True while one of the slot's commands has not returned (a callback inside it let pending
    // window messages run, and the caller is one of them).
    bool callUnderWay(int32_t slot) const;

    // Non-zero when the last of the commands 313 and 314 sent to the slot since it was loaded was
    // 313; 0 for a slot never enabled, a free slot or a slot outside the table.
    int16_t isEnabled(int32_t slot) const;

private:
    struct Slot {
        void* library = nullptr;
        PluginMainProc main = nullptr;
        bool enabled = false;
        bool Occupied() const { return library != nullptr; }
    };
    // Calls under way into one library, and the releases that wait for them.
    struct Busy {
        int calls = 0;
        int releasesDue = 0;
    };
    class CallGuard;

    Slot* At(int32_t slot);
    const Slot* At(int32_t slot) const;
    void Release(void* library);

    std::array<Slot, kSlotCount> table_{};
    // A callback may let pending window messages run while a plug-in's command is under way,
    // and one of them may remove that very plug-in: its library must stay mapped until the
    // plug-in has returned.
    std::map<void*, Busy> busy_;
};

}  // namespace kb::kbplugin
