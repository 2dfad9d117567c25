#include "app/pluginhost/plugin_sys.h"

#include "app/core/debug_log.h"
#include "app/core/progress_view.h"
#include "app/core/prompter.h"

namespace kb {
namespace {

int32_t UnansweredCallback(int32_t, PluginBstr*, PluginBstr*, int32_t*, int32_t*) {
    return PLUGIN_CB_UNKNOWN_CODE;
}

}  // namespace

class PluginHost::BroadcastRegistration {
public:
    BroadcastRegistration(std::vector<BroadcastCursor*>& running, BroadcastCursor& c)
        : running_(running) {
        running_.push_back(&c);
    }
    ~BroadcastRegistration() { running_.pop_back(); }
    BroadcastRegistration(const BroadcastRegistration&) = delete;
    BroadcastRegistration& operator=(const BroadcastRegistration&) = delete;

private:
    std::vector<BroadcastCursor*>& running_;
};

PluginHost::PluginHost() : hostCallback_(&UnansweredCallback) {}

void PluginHost::FollowUnloadedSlot(int16_t slot) {
    for (BroadcastCursor* c : runningBroadcasts_) {
        if (slot < c->next) --c->next;
        if (slot < c->end) --c->end;
    }
}

void PluginHost::UseForPluginProgress(ProgressView& view) {
    if (view.ShowsPluginProgress()) PluginProgressPanel = &view;
}

void PluginHost::SetPluginHostCallback(PluginHostCallbackProc callback) {
    hostCallback_ = callback != nullptr ? callback : &UnansweredCallback;
}

int32_t PluginHost::CallPluginMain(int16_t slot, int32_t cmd, void* a1, void* a2, void* a3,
                                   void* a4) {
    return Libraries.callpluginmain(slot, cmd, hostCallback_, a1, a2, a3, a4);
}

void PluginHost::InitPluginSystem() {
    PluginCount = 0;
    Libraries.init();
}

int16_t PluginHost::LoadPluginSlot(const std::string& path) {
    if (PluginCount >= kbplugin::kSlotCount) {
        MsgBox("Out of plugin sockets", mb::Critical | mb::OKOnly, "Plugin Error");
        return -1;
    }
    // A NUL inside the path would load some other file than the one named.
    if (path.find('\0') != std::string::npos) return -1;
    const int32_t slot = Libraries.loadplugin(path.c_str());
    if (slot < 0) return slot < INT16_MIN ? INT16_MIN : static_cast<int16_t>(slot);
    const int16_t before = PluginCount;
    ++PluginCount;
    // The slot table is no longer dense: nothing the host keeps per slot can be trusted.
    if (slot != before) EndProgram();
    return static_cast<int16_t>(slot);
}

int32_t PluginHost::SendPluginCommand(int16_t slot, int32_t command, int32_t& a1) {
    int32_t zero[3] = {0, 0, 0};
    return CallPluginMain(slot, command, &a1, &zero[0], &zero[1], &zero[2]);
}

int32_t PluginHost::SendPluginCommand(int16_t slot, int32_t command) {
    int32_t zero = 0;
    return SendPluginCommand(slot, command, zero);
}

void PluginHost::UnloadPluginSlot(int16_t slot) {
    if (slot < 0 || slot >= PluginCount) return;
    SendPluginCommand(slot, PLUGIN_EVT_DISABLED);
    if (SubclassPluginIndex == slot) {
        DisableSubclassing(MainWindowHandle());
        SubclassPluginIndex = 0;
    }
    Libraries.unloadplugin(slot);
    --PluginCount;
    Libraries.reorgplugins(slot);
    if (SubclassPluginIndex > slot) --SubclassPluginIndex;
    FollowUnloadedSlot(slot);
}

void PluginHost::ShutdownAllPlugins() {
    DebugLog("ShutdownAllPlugins() called");
    for (int16_t i = 0; i < PluginCount; ++i) Libraries.unloadplugin(i);
}

void PluginHost::BroadcastPluginEvent(int32_t code, void* a1, void* a2, void* a3, void* a4) {
    BroadcastCursor cursor{0, PluginCount};
    BroadcastRegistration registered(runningBroadcasts_, cursor);
    while (cursor.next < cursor.end) {
        const int16_t i = cursor.next++;
        if (Libraries.isEnabled(i) != 0) CallPluginMain(i, code, a1, a2, a3, a4);
    }
}

void PluginHost::BroadcastPluginEvent(int32_t code) {
    PluginVariant v[4] = {};
    for (PluginVariant& x : v) {
        x.vt = PLUGIN_VT_I2;
        x.value.iVal = 0;
    }
    BroadcastPluginEvent(code, &v[0], &v[1], &v[2], &v[3]);
}

std::string PluginHost::GetPluginString(int16_t slot, int32_t command) {
    PluginTextArg text;
    int32_t zero[3] = {0, 0, 0};
    CallPluginMain(slot, command, text.Var(), &zero[0], &zero[1], &zero[2]);
    std::string result = text.Text();
    TrimAtNullInPlace(result);
    return result;
}

int32_t PluginHost::GetPluginEncryptionID(int16_t slot) {
    int32_t id = 0;
    SendPluginCommand(slot, PLUGIN_CMD_GET_ENCRYPTION_ID, id);
    return id;
}

int32_t PluginHost::MainWindowHandle() {
    return PluginMainWindow != nullptr ? PluginMainWindow->MainWindowHandle() : 0;
}

void PluginHost::EnableSubclassing(int32_t windowHandle) {
    DebugLog("Enabling subclassing");
    if (PluginMainWindow == nullptr) return;  // as a failed install: stays unsubclassed
    OldWindowProc = PluginMainWindow->InstallMessageFilter(
        windowHandle, [this](int32_t window, int32_t message, int32_t wParam, int32_t lParam) {
            return PluginWindowProc(window, message, wParam, lParam);
        });
}

void PluginHost::DisableSubclassing(int32_t windowHandle) {
    if (OldWindowProc == 0) return;
    DebugLog("Disabling subclassing");
    if (PluginMainWindow != nullptr) PluginMainWindow->RemoveMessageFilter(windowHandle, OldWindowProc);
    OldWindowProc = 0;
}

int32_t PluginHost::PluginWindowProc(int32_t windowHandle, int32_t message, int32_t wParam,
                                     int32_t lParam) {
    // Runs inside the window's event dispatch: nothing may escape from here.
    try {
        const int32_t r = CallPluginMain(SubclassPluginIndex, PLUGIN_EVT_WINDOW_MESSAGE,
                                         &windowHandle, &message, &wParam, &lParam);
        if (r == 0) return 0;
        if (PluginMainWindow == nullptr || OldWindowProc == 0) return r;
        return PluginMainWindow->PassOnMessage(OldWindowProc, windowHandle, message, wParam,
                                               lParam);
    } catch (...) {
        return 0;
    }
}

}  // namespace kb
