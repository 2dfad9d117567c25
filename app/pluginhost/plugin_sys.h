#pragma once
// The program's plug-in host: at most 16 loaded plug-ins in dense slots from 0, loading and
// unloading one slot, events to every enabled plug-in, the small text and identifier queries,
// and forwarding the main window's messages to one plug-in.
//
// The main window owns the one host of the program and hands it to the pages and flows that
// talk to plug-ins; a test makes its own. Everything runs on the user-interface thread. Row n
// of the plug-in manager's list stands for slot n-1 (see plugin_rows.h); the slot table keeps
// its own enabled flag per slot, which only broadcasts read.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "app/pluginhost/include/kb_plugin.h"
#include "app/pluginhost/kbplugin.h"
#include "app/pluginhost/plugin_rows.h"
#include "app/pluginhost/plugin_text.h"
#include "app/pluginhost/plugin_window_side.h"

namespace kb {

class ActiveSplitter;   // the main window's splitter object
class ProgressView;     // a wizard's progress panel

class PluginHost {
public:
    PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    // The loaded libraries.
    kbplugin::SlotTable Libraries;
    // The manager's list: row n stands for slot n-1.
    PluginRows PluginList;
    // Number of occupied slots; slots 0..PluginCount-1 are occupied.
    int16_t PluginCount = 0;
    // Slot that receives the main window's messages; 0 until a plug-in is made the receiver.
    int16_t SubclassPluginIndex = 0;
    // The window's own handling while its messages go to a plug-in; 0 = not subclassed.
    intptr_t OldWindowProc = 0;
    // The main window's splitter object, for the fragment-name callback.
    ActiveSplitter* PluginSplitter = nullptr;
    // The main window's side of message forwarding; set by the main window, null before.
    PluginWindowSide* PluginMainWindow = nullptr;
    // The panel that the progress callbacks drive; set by the flow that runs a plug-in task,
    // null while none has run (the progress callbacks then do nothing).
    ProgressView* PluginProgressPanel = nullptr;
    // When the progress callbacks last let pending events run.
    std::chrono::steady_clock::time_point ProgressEventsRan{};

    // From now on the progress callbacks drive `view`, when it is a panel on screen (a view
    // that only stands in for one leaves the panel as it was).
    void UseForPluginProgress(ProgressView& view);

    // The callback passed with every command. The main window sets it to its
    // PluginHostCallback; until then every code is answered with PLUGIN_CB_UNKNOWN_CODE.
    void SetPluginHostCallback(PluginHostCallbackProc callback);
    PluginHostCallbackProc PluginHostCallbackAddress() const { return hostCallback_; }

    // Calls the slot's PluginMain with the host's callback and the arguments as they are.
    int32_t CallPluginMain(int16_t slot, int32_t cmd, void* a1, void* a2, void* a3, void* a4);

    // PluginCount = 0 and an empty slot table.
    void InitPluginSystem();

    // Loads one plug-in library into the next slot. Returns the slot; negative = not loaded.
    // A full table shows "Out of plugin sockets" and returns -1.
    int16_t LoadPluginSlot(const std::string& path);

    // Sends 314 to the slot, unloads it and moves the higher slots down; the receiver of window
    // messages follows its plug-in. Nothing for a slot that is not occupied.
    void UnloadPluginSlot(int16_t slot);

    // Releases every slot at the end of the program (no 314, no compaction).
    void ShutdownAllPlugins();

    // Sends an event to every enabled slot in rising order; results are not read. A plug-in
    // unloaded while the event is under way (a handler let events run) does not make another miss
    // it: each plug-in loaded at the start and still loaded gets it once.
    void BroadcastPluginEvent(int32_t code, void* a1, void* a2, void* a3, void* a4);
    // The same with the four records that broadcasts carry (each a 16-bit 0).
    void BroadcastPluginEvent(int32_t code);

    // Sends command 10 or 11 and returns the text, cut at a NUL after its first character.
    std::string GetPluginString(int16_t slot, int32_t command);

    // Sends command 15 and returns the identifier written (0 when none).
    int32_t GetPluginEncryptionID(int16_t slot);

    // Subclassing of the main window: messages go to the plug-in in SubclassPluginIndex.
    void EnableSubclassing(int32_t windowHandle);
    void DisableSubclassing(int32_t windowHandle);
    // The handler installed on the main window: sends 316 to the receiver; its result 0 swallows
    // the message, any other passes the four values, as the plug-in left them, to the window.
    int32_t PluginWindowProc(int32_t windowHandle, int32_t message, int32_t wParam, int32_t lParam);

    // The main window's id from PluginMainWindow, 0 when there is none.
    int32_t MainWindowHandle();

    // Sends a command with A1..A4 pointing at 32-bit zeros; returns the plug-in's result.
    int32_t SendPluginCommand(int16_t slot, int32_t command);
    // The same with A1 pointing at `a1`, which the plug-in may read and write (a number it answers).
    int32_t SendPluginCommand(int16_t slot, int32_t command, int32_t& a1);

private:
    // Where a running broadcast stands. A plug-in's handler may let events run, and one of
    // them may unload a slot: the slots above it move down, so every broadcast under way is
    // moved with them, or it would step past the plug-in that moved into the freed slot.
    struct BroadcastCursor {
        int16_t next;  // the next slot to visit
        int16_t end;   // one past the last slot that was occupied when the broadcast began
    };
    class BroadcastRegistration;
    void FollowUnloadedSlot(int16_t slot);

    PluginHostCallbackProc hostCallback_;
    std::vector<BroadcastCursor*> runningBroadcasts_;
};

}  // namespace kb
