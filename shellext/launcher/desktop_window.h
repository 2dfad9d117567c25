#pragma once
// The launcher's stand-in for the window that owns a context menu: a handler's boxes are
// written to standard error and, on a desktop, shown with whichever dialog tool it has
// (zenity, kdialog or xmessage), one after the other.

#include "shellext/com/shell_interfaces.h"

namespace kb::shellhost {

class DesktopWindow final : public kb::com::IWindow {
public:
    int MessageBoxA(const char* text, const char* caption, kb::com::UINT type) noexcept override;
};

}  // namespace kb::shellhost
