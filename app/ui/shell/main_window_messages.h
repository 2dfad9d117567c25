#pragma once
// The main window's side of forwarding its messages to a plug-in: an event filter on the
// window that turns each event into a message and lets it through only when the plug-in
// passes it on.
//
// A message is (window id, message number, wParam, lParam):
//   - the message number is the Qt event type (QEvent::Type);
//   - key presses and releases: wParam the key code (Qt::Key), lParam the modifiers;
//   - mouse buttons, double clicks and moves: wParam the buttons held, lParam x in the low
//     and y in the high 16 bits (window coordinates);
//   - wheel: wParam the vertical angle delta, lParam the position as for the mouse;
//   - resize: wParam 0, lParam width in the low and height in the high 16 bits;
//   - move: wParam 0, lParam x and y as for the mouse;
//   - everything else: wParam and lParam 0.
// A plug-in may change the four values before it passes a message on; the window then still
// handles the original event, since a Qt event cannot be rewritten into another one.

#include <QObject>

#include <string>
#include <vector>

#include "app/pluginhost/plugin_window_side.h"

class QWidget;

namespace kb {

class MainWindowMessages final : public QObject, public PluginWindowSide {
    Q_OBJECT

public:
    explicit MainWindowMessages(QWidget* window);
    ~MainWindowMessages() override;

    int32_t MainWindowHandle() override;
    intptr_t InstallMessageFilter(int32_t window, PluginMessageProc proc) override;
    void RemoveMessageFilter(int32_t window, intptr_t own) override;
    int32_t PassOnMessage(intptr_t own, int32_t window, int32_t message, int32_t wParam,
                          int32_t lParam) override;
    int32_t FindControlWindow(const std::string& name, int32_t index) override;

    struct Message {
        int32_t message = 0;
        int32_t wParam = 0;
        int32_t lParam = 0;
    };
    static Message MessageOf(const QEvent* event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    PluginMessageProc proc_ = nullptr;
    // One entry per message being handled (a plug-in may let events run while it handles
    // one): whether it was passed on to the window.
    std::vector<bool> passed_;
};

}  // namespace kb
