#pragma once
// What the shell does when the user picks a context-menu handler's entry, for the launcher
// that the file managers run: find the handler registered for the selection's type, load its
// server, create the handler, initialise it with the selection, let it fill a menu, and invoke
// the entry by its offset.

#include <optional>
#include <string>
#include <vector>

#include "shellext/com/shell_interfaces.h"

namespace kb::shellhost {

struct MenuItem {
    kb::com::UINT position;
    kb::com::UINT flags;
    kb::com::UINT_PTR id;
    std::string text;
};

// A menu that keeps what handlers insert.
class RecordedMenu final : public kb::com::IMenu {
public:
    bool InsertMenuA(kb::com::UINT position, kb::com::UINT flags, kb::com::UINT_PTR id,
                     const char* text) noexcept override;
    std::vector<MenuItem> items;
};

struct Handler {
    kb::com::CLSID clsid;
    std::string module;  // the server's file (InprocServer32)
};

// The handler "Kestrelbinder" registered under the type's shellex\ContextMenuHandlers in
// HKEY_CLASSES_ROOT, with the server that its class names; nothing when either is missing.
std::optional<Handler> FindContextMenuHandler(const std::string& type);

enum class SplitResult {
    NoHandler,  // nothing registered for the selection
    NotLoaded,  // the server could not be loaded or did not make a handler
    NoEntry,    // the handler refused the selection or offered no "Split"
    Started,    // the handler ran the command
    Failed,     // the handler ran the command and reported a failure
};

struct SplitOutcome {
    SplitResult result = SplitResult::NoHandler;
    kb::com::HRESULT hr = kb::com::S_OK;
    std::string detail;
};

// Offers the paths (already absolute) to the handler of "Folder" when the first is a folder,
// else of "*", and runs its "Split" entry with `owner` for its boxes.
SplitOutcome RunSplitEntry(const std::vector<std::string>& paths, kb::com::IWindow* owner);

}  // namespace kb::shellhost
