#pragma once
// What the plug-in host needs of the main window to forward its messages to one plug-in. The
// main window implements it (an event filter that turns each event into a message); the host
// only decides when the filter goes on and off and what each message becomes.

#include <cstdint>
#include <functional>
#include <string>

namespace kb {

// The host's handler of one message: the main window's id, a message number and two
// parameters. Result 0: the message was swallowed and the window must not handle it.
using PluginMessageProc =
    std::function<int32_t(int32_t window, int32_t message, int32_t wParam, int32_t lParam)>;

class PluginWindowSide {
public:
    virtual ~PluginWindowSide() = default;

    // The 32-bit id that plug-ins know the main window by.
    virtual int32_t MainWindowHandle() = 0;

    // Puts a filter in front of the window: from now on every event of the window is first
    // handed to `proc` as a message. The event reaches the window exactly when `proc` calls
    // PassOnMessage for it (the plug-in did not swallow it); otherwise the filter drops it.
    // Returns a non-zero token that stands for the window's own handling, or 0 when no
    // filter could be installed.
    virtual intptr_t InstallMessageFilter(int32_t window, PluginMessageProc proc) = 0;

    // Takes the filter away again; `own` is the token that InstallMessageFilter returned.
    virtual void RemoveMessageFilter(int32_t window, intptr_t own) = 0;

    // Has the window's own handling process a message, with the values as the plug-in may
    // have changed them, and returns its result.
    virtual int32_t PassOnMessage(intptr_t own, int32_t window, int32_t message, int32_t wParam,
                                  int32_t lParam) = 0;

    // The id of the window's control of that name (compared without regard to case) and, for
    // a control of an array, that index; 0 when there is none.
    virtual int32_t FindControlWindow(const std::string& name, int32_t index) = 0;
};

}  // namespace kb
