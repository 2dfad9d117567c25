#include "app/pluginhost/plugin_sys.h"

#include <vector>

#include "app/core/debug_log.h"
#include "app/core/prompter.h"
#include "app/pluginhost/kbplugin.h"

namespace kb {

int16_t PluginCount = 0;
int16_t SubclassPluginIndex = 0;
intptr_t OldWindowProc = 0;
ActiveSplitter* PluginSplitter = nullptr;
PluginWindowSide* PluginMainWindow = nullptr;

namespace {

int32_t UnansweredCallback(int32_t, PluginBstr*, PluginBstr*, int32_t*, int32_t*) {
    return PLUGIN_CB_UNKNOWN_CODE;
}

PluginHostCallbackProc hostCallback = &UnansweredCallback;

// Where a running broadcast stands. A plug-in's handler may let events run, and one of them
// may unload a slot: the slots above it move down, so every broadcast under way is moved
// with them, or it would step past the plug-in that moved into the freed slot.
struct BroadcastCursor {
    int16_t next;  // the next slot to visit
    int16_t end;   // one past the last slot that was occupied when the broadcast began
};

std::vector<BroadcastCursor*> runningBroadcasts;

class BroadcastRegistration {
public:
    explicit BroadcastRegistration(BroadcastCursor& c) { runningBroadcasts.push_back(&c); }
    ~BroadcastRegistration() { runningBroadcasts.pop_back(); }
    BroadcastRegistration(const BroadcastRegistration&) = delete;
    BroadcastRegistration& operator=(const BroadcastRegistration&) = delete;
};

void FollowUnloadedSlot(int16_t slot) {
    for (BroadcastCursor* c : runningBroadcasts) {
        if (slot < c->next) --c->next;
        if (slot < c->end) --c->end;
    }
}

}  // namespace

void SetPluginHostCallback(PluginHostCallbackProc callback) {
    hostCallback = callback != nullptr ? callback : &UnansweredCallback;
}

PluginHostCallbackProc PluginHostCallbackAddress() { return hostCallback; }

void InitPluginSystem() {
    PluginCount = 0;
    kbplugin::init();
}

int16_t LoadPluginSlot(const std::string& path) {
    if (PluginCount >= kMaxPluginSlots) {
        MsgBox("Out of plugin sockets", mb::Critical | mb::OKOnly, "Plugin Error");
        return -1;
    }
    // A NUL inside the path would load some other file than the one named.
    if (path.find('\0') != std::string::npos) return -1;
    const int32_t slot = kbplugin::loadplugin(path.c_str());
    if (slot < 0) return slot < INT16_MIN ? INT16_MIN : static_cast<int16_t>(slot);
    const int16_t before = PluginCount;
    ++PluginCount;
    // The slot table is no longer dense: nothing the host keeps per slot can be trusted.
    if (slot != before) EndProgram();
    return static_cast<int16_t>(slot);
}

int32_t SendPluginCommand(int16_t slot, int32_t command, int32_t& a1) {
    int32_t zero[3] = {0, 0, 0};
    return kbplugin::callpluginmain(slot, command, hostCallback, &a1, &zero[0], &zero[1],
                                    &zero[2]);
}

int32_t SendPluginCommand(int16_t slot, int32_t command) {
    int32_t zero = 0;
    return SendPluginCommand(slot, command, zero);
}

void UnloadPluginSlot(int16_t slot) {
    if (slot < 0 || slot >= PluginCount) return;
    SendPluginCommand(slot, PLUGIN_EVT_DISABLED);
    if (SubclassPluginIndex == slot) {
        DisableSubclassing(MainWindowHandle());
        SubclassPluginIndex = 0;
    }
    kbplugin::unloadplugin(slot);
    --PluginCount;
    kbplugin::reorgplugins(slot);
    if (SubclassPluginIndex > slot) --SubclassPluginIndex;
    FollowUnloadedSlot(slot);
}

void ShutdownAllPlugins() {
    DebugLog("ShutdownAllPlugins() called");
    for (int16_t i = 0; i < PluginCount; ++i) kbplugin::unloadplugin(i);
}

void BroadcastPluginEvent(int32_t code, void* a1, void* a2, void* a3, void* a4) {
    BroadcastCursor cursor{0, PluginCount};
    BroadcastRegistration registered(cursor);
    while (cursor.next < cursor.end) {
        const int16_t i = cursor.next++;
        if (kbplugin::isEnabled(i) != 0) {
            kbplugin::callpluginmain(i, code, hostCallback, a1, a2, a3, a4);
        }
    }
}

void BroadcastPluginEvent(int32_t code) {
    PluginVariant v[4] = {};
    for (PluginVariant& x : v) {
        x.vt = PLUGIN_VT_I2;
        x.value.iVal = 0;
    }
    BroadcastPluginEvent(code, &v[0], &v[1], &v[2], &v[3]);
}

std::string GetPluginString(int16_t slot, int32_t command) {
    PluginTextArg text;
    int32_t zero[3] = {0, 0, 0};
    kbplugin::callpluginmain(slot, command, hostCallback, text.Var(), &zero[0], &zero[1],
                             &zero[2]);
    std::string result = text.Text();
    TrimAtNullInPlace(result);
    return result;
}

int32_t GetPluginEncryptionID(int16_t slot) {
    int32_t id = 0;
    SendPluginCommand(slot, PLUGIN_CMD_GET_ENCRYPTION_ID, id);
    return id;
}

int32_t MainWindowHandle() {
    return PluginMainWindow != nullptr ? PluginMainWindow->MainWindowHandle() : 0;
}

void EnableSubclassing(int32_t windowHandle) {
    DebugLog("Enabling subclassing");
    if (PluginMainWindow == nullptr) return;  // as a failed install: stays unsubclassed
    OldWindowProc = PluginMainWindow->InstallMessageFilter(windowHandle, &PluginWindowProc);
}

void DisableSubclassing(int32_t windowHandle) {
    if (OldWindowProc == 0) return;
    DebugLog("Disabling subclassing");
    if (PluginMainWindow != nullptr) PluginMainWindow->RemoveMessageFilter(windowHandle, OldWindowProc);
    OldWindowProc = 0;
}

int32_t PluginWindowProc(int32_t windowHandle, int32_t message, int32_t wParam, int32_t lParam) {
    // Runs inside the window's event dispatch: nothing may escape from here.
    try {
        const int32_t r = kbplugin::callpluginmain(SubclassPluginIndex, PLUGIN_EVT_WINDOW_MESSAGE,
                                                   hostCallback, &windowHandle, &message,
                                                   &wParam, &lParam);
        if (r == 0) return 0;
        if (PluginMainWindow == nullptr || OldWindowProc == 0) return r;
        return PluginMainWindow->PassOnMessage(OldWindowProc, windowHandle, message, wParam,
                                               lParam);
    } catch (...) {
        return 0;
    }
}

}  // namespace kb
