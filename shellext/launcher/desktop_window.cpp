#include "shellext/launcher/desktop_window.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/process_start.h"

namespace kb::shellhost {

namespace {

bool OnDesktop() {
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

// True when one of the dialog tools showed the box and was closed.
bool ShowWithTool(const std::string& text, const std::string& caption, bool error) {
    const std::vector<std::vector<std::string>> tools = {
        {"zenity", error ? "--error" : "--info", "--no-markup", "--title", caption, "--text", text},
        {"kdialog", "--title", caption, error ? "--error" : "--msgbox", text},
        {"xmessage", "-center", caption + ":\n\n" + text},
    };
    for (const auto& argv : tools) {
        const pid_t pid = kb::platform::StartProcess(argv);
        if (pid < 0) continue;
        const auto status = kb::platform::WaitProcess(pid, -1);
        if (status && *status != 127) return true;
    }
    return false;
}

}  // namespace

int DesktopWindow::MessageBoxA(const char* text, const char* caption, kb::com::UINT type) noexcept {
    try {
        std::string body = text ? text : "";
        for (char& c : body)
            if (c == '\r') c = '\n';
        const std::string title = caption ? caption : "";
        std::fprintf(stderr, "%s: %s\n", title.c_str(), body.c_str());
        if (OnDesktop()) ShowWithTool(body, title, (type & kb::com::MB_ICONERROR) != 0);
    } catch (...) {
    }
    return kb::com::IDOK;
}

}  // namespace kb::shellhost
