#pragma once
// Turning plug-ins into slots and rows of the manager's list (plugin_rows.h), and the autoload
// of the list file at start-up.

#include <string>

namespace kb {

class PluginHost;

// Loads one plug-in, registers it and gives it its row at position slot+1 with name, type and
// compatibility; ticks the row and enables the plug-in (313) as below. Result false when no
// slot was loaded.
//
// fromManager true: the user added the plug-in. The manager page has already changed into
// the "Plugins" folder (ChangeToFolder) and shown its file dialog; it passes the chosen file,
// or "" when the dialog was cancelled. The folder is restored here once the plug-in is loaded,
// the file gets its entry, a failure shows "Already installed" or "Unable to load plug-in",
// and the row is ticked (313 with flag -1) exactly when the plug-in is usable.
// fromManager false (autoload): the list file is left alone, nothing is shown, and the row is
// ticked (313 with flag 0) when `enable` says so, whatever the plug-in's rating.
// A ticked plug-in whose resource mask has PLUGIN_RES_WINDOW_MESSAGES becomes the receiver
// of the main window's messages. The page refreshes its details afterwards.
void AddPluginToListView(PluginHost& host, bool fromManager, std::string& filename, bool enable, bool& result);

// Loads every entry of the list file in order; an entry whose plug-in cannot be loaded is
// removed from the file, and when any failed the warning "Plugin Autoload Failure" says how
// many. An entry loaded from this program's own plug-in folder in place of a path that is gone
// (PluginEntryLibrary) is rewritten with the path that worked. Nothing when there is no list
// file.
void AutoloadPlugins(PluginHost& host);

}  // namespace kb
