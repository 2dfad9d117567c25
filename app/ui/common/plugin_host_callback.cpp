#include "app/ui/common/plugin_host_callback.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "app/core/active_splitter.h"
#include "app/core/progress_view.h"
#include "app/core/prompter.h"
#include "app/core/reg_access.h"
#include "app/core/text.h"
#include "app/core/version.h"
#include "app/pluginhost/plugin_sys.h"
#include "app/pluginhost/plugin_text.h"

namespace kb {

namespace {

// The host whose plug-ins are calling; the callback's only way to it.
PluginHost* servedHost = nullptr;

// Text of a plug-in's string variable, cut at its first NUL.
std::string InText(const PluginBstr* var) {
    std::string text = PluginBstrText(*var);
    TrimAtNullInPlace(text);
    return text;
}

// Replaces the handle in the plug-in's variable by a new one holding the text.
bool OutText(PluginBstr* var, const std::string& text) {
    return PluginBstrReAlloc(var, text.data(), static_cast<uint32_t>(text.size())) != 0;
}

int16_t Percent(int32_t value) { return static_cast<int16_t>(std::clamp(value, 0, 100)); }

int32_t FindControlWindow(PluginHost& host, const PluginBstr* p, int32_t* r, const int32_t* s) {
    *r = 0;
    const std::string name = InText(p);
    if (host.PluginMainWindow != nullptr && !name.empty())
        *r = host.PluginMainWindow->FindControlWindow(name, *s);
    return *r != 0 ? PLUGIN_OK : PLUGIN_CB_REFUSED;
}

// P holds "ValueName:SubKey". False when it holds no ":".
bool RegistryPlace(const PluginBstr* p, std::string& valueName, std::string& subKey) {
    const std::string place = InText(p);
    const size_t colon = place.find(':');
    if (colon == std::string::npos) return false;
    valueName = place.substr(0, colon);
    subKey = place.substr(colon + 1);
    return true;
}

platform::HKEY RootOf(int32_t r) {
    return r == 0 ? platform::HKEY_CURRENT_USER : platform::HKEY_LOCAL_MACHINE;
}

// Plug-ins report progress very often (Tea every 800 bytes); letting events run on every call
// would cost more than the work itself. Every percentage still reaches the panel; the screen
// and the Cancel button are served about every 20 ms.
void LetEventsRunNowAndThen(PluginHost& host) {
    const auto now = std::chrono::steady_clock::now();
    if (now - host.ProgressEventsRan < std::chrono::milliseconds(20)) return;
    host.ProgressEventsRan = now;
    DoEvents();
}

int32_t Dispatch(PluginHost& host, int32_t code, PluginBstr* p, PluginBstr* q, int32_t* r,
                 int32_t* s) {
    ProgressView* panel = host.PluginProgressPanel;
    switch (code) {
    case PLUGIN_CB_GET_MAIN_WINDOW:
        if (!r) return PLUGIN_CB_FAILED;
        *r = host.MainWindowHandle();
        return PLUGIN_OK;
    case PLUGIN_CB_GET_HOST_VERSION:
        if (!r || !s) return PLUGIN_CB_FAILED;
        *r = kVersionMajor;
        *s = kVersionMinor;
        return PLUGIN_OK;
    case PLUGIN_CB_GET_INSTANCE:
        if (!r) return PLUGIN_CB_FAILED;
        // The program's process id stands for its module instance.
        *r = static_cast<int32_t>(getpid());
        return PLUGIN_OK;
    case PLUGIN_CB_SUBCLASS_MAIN_WINDOW:
        if (host.OldWindowProc != 0) return PLUGIN_CB_REFUSED;
        host.EnableSubclassing(host.MainWindowHandle());
        return PLUGIN_OK;
    case PLUGIN_CB_UNSUBCLASS_MAIN_WINDOW:
        host.DisableSubclassing(host.MainWindowHandle());
        return PLUGIN_OK;
    case PLUGIN_CB_FIND_CONTROL_WINDOW:
        if (!p || !r || !s) return PLUGIN_CB_FAILED;
        return FindControlWindow(host, p, r, s);
    case PLUGIN_CB_REGISTRY_WRITE:
    case PLUGIN_CB_REGISTRY_READ: {
        if (!p || !q || !r) return PLUGIN_CB_FAILED;
        std::string valueName, subKey;
        if (!RegistryPlace(p, valueName, subKey)) return PLUGIN_CB_FAILED;
        if (code == PLUGIN_CB_REGISTRY_WRITE) {
            std::string value = InText(q);
            return RegWriteString(RootOf(*r), subKey, valueName, value) ? PLUGIN_OK
                                                                        : PLUGIN_CB_FAILED;
        }
        const std::string value = RegReadString(RootOf(*r), subKey, valueName);
        if (value.empty()) return PLUGIN_CB_FAILED;
        return OutText(q, value) ? PLUGIN_OK : PLUGIN_CB_FAILED;
    }
    case PLUGIN_CB_GET_FRAGMENT_NAME:
        // Before the main window has its splitter there is no split to name pieces of.
        if (!p || !r || host.PluginSplitter == nullptr) return PLUGIN_CB_FAILED;
        return OutText(p, ExpandNamingTemplate(host.PluginSplitter->FilenameToStore, *r,
                                               host.PluginSplitter->FragNamingTemplate))
                   ? PLUGIN_OK
                   : PLUGIN_CB_FAILED;
    case PLUGIN_CB_SHOW_RESULT:
        if (!r) return PLUGIN_CB_FAILED;
        MsgBox("Result: " + std::to_string(*r), mb::OKOnly, kAppTitle);
        return PLUGIN_OK;
    case PLUGIN_CB_SET_PROGRESS:
        if (!r || !s) return PLUGIN_CB_FAILED;
        // Without a panel no task of the program is running that the progress belongs to.
        if (panel == nullptr) return PLUGIN_OK;
        panel->SetPB1Percent(Percent(*r));
        panel->SetPB2Percent(Percent(*s));
        LetEventsRunNowAndThen(host);
        return PLUGIN_OK;
    case PLUGIN_CB_SET_PROGRESS_CAPTIONS:
        if (!p || !q) return PLUGIN_CB_FAILED;
        if (panel == nullptr) return PLUGIN_OK;
        panel->SetPB1Caption(InText(p));
        panel->SetPB2Caption(InText(q));
        return PLUGIN_OK;
    case PLUGIN_CB_RESERVED:
        if (!s) return PLUGIN_CB_FAILED;
        *s = 0;
        return PLUGIN_OK;
    case PLUGIN_CB_POLL_CANCEL:
        if (!r || !s) return PLUGIN_CB_FAILED;
        // Without a panel there is no Cancel button that could have been clicked.
        if (panel != nullptr) {
            // Setting the button visible re-arms it, which would clear the very click this
            // call is asked about: change it only when it differs.
            const bool visible = *r != 0;
            if (panel->CancelVisible() != visible) panel->SetCancelVisible(visible);
            if (panel->CancelClicked()) *s = 1;
        }
        return PLUGIN_OK;
    default:
        return PLUGIN_CB_UNKNOWN_CODE;
    }
}

}  // namespace

void ServePluginCallbacks(PluginHost* host) {
    servedHost = host;
    if (host != nullptr) host->SetPluginHostCallback(&PluginHostCallback);
}

int32_t PluginHostCallback(int32_t code, PluginBstr* p, PluginBstr* q, int32_t* r, int32_t* s) {
    // Without a host no plug-in can be calling: nothing is answered.
    if (servedHost == nullptr) return PLUGIN_CB_UNKNOWN_CODE;
    try {
        return Dispatch(*servedHost, code, p, q, r, s);
    } catch (...) {
        return PLUGIN_CB_FAILED;
    }
}

}  // namespace kb
