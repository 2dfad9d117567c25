#pragma once
// "Plugins.lst" in the program's "Plugins" folder: the plug-ins the user has added, each with a
// flag that says whether it is enabled, and the conflict check between enabled plug-ins.
//
// The file is 8-bit text, lines ended by CR LF:
//   "#..."            a comment; a file the program creates starts with three:
//                     "#Created by: Tarnwolde Kestrelbinder <major>.<minor>",
//                     "#It is not recommended that you try to modify this file.",
//                     "#If you want to reset the plugin list delete this file instead."
//   "1<path>"         an entry: flag "1" = enabled (any other character = disabled), then
//                     at once the full path of the plug-in library
//   "~end~"           the last line written; reading stops there
// Reading goes item by item: an item ends at a line end or a comma, leading blanks are skipped
// and empty items are passed over. Every rewrite puts the whole new text over the file from
// its first byte without shortening it, so when the text shrinks, older bytes remain after
// "~end~", where no reader looks.
//
// Entry k (counted from 0) stands for slot k and row k+1 of the manager's list. Two entries
// name the same plug-in when their paths end in the same file name, letters compared without
// regard to case.

#include <cstdint>
#include <string>
#include <vector>

namespace kb {

class PluginHost;

// The program folder & "/Plugins": this program's own plug-in folder.
std::string PluginFolder();

// The program folder & "/Plugins/Plugins.lst".
std::string PluginListPath();

// The library an entry's path stands for. The list holds full paths, so a program folder that
// was copied or moved names the plug-ins of the folder it came from: a path that no longer
// exists stands for the file of that name in this program's own plug-in folder, when there is
// one. Any other path stands for itself.
std::string PluginEntryLibrary(const std::string& listedPath);

// The items of a list file's text, in order, up to and including "~end~".
std::vector<std::string> ReadPluginListItems(const std::string& bytes);

// The items of the list file; none when it does not exist or cannot be read.
std::vector<std::string> ReadPluginListFile();

// The answer of PLUGIN_CMD_GET_RESOURCE_MASK from a slot (0 when it writes none).
int32_t PluginResourceMask(PluginHost& host, int16_t slot);

// Loads one plug-in and rates it; with addToList also records it in the file ("1" when the
// result is true, "0" when it was loaded but is not usable, nothing when it was not loaded).
// The caller passes slot 0 and state 0. Afterwards slot is the loaded slot, -2 when the file
// already lists a plug-in of that file name (nothing is loaded), or another negative number
// when it could not be loaded (with addToList, also when the path holds a comma or a line
// end, which the file cannot hold as one entry); state is the plug-in's compatibility, 3 when
// not loaded, 10 when it conflicts with the ticked plug-in in conflictSlot over the bits in
// conflictMask. A plug-in that was loaded stays loaded whatever the result.
bool LoadAndRegisterPlugin(PluginHost& host, const std::string& path, int16_t& slot, int32_t& state,
                           int16_t& conflictSlot, int32_t& conflictMask, bool addToList);

// Rewrites the entry of the plug-in with that file name with the new flag (creating the file
// with its comment lines when there is none).
void SetPluginListFlag(const std::string& path, bool enabled);

// Rewrites the entry of the plug-in with that file name to name `path`, keeping its flag; a
// path the file cannot hold as one entry is not written.
void SetPluginListEntryPath(const std::string& path);

// Drops entry `index` from the file and, with unload, unloads slot `index`.
void RemovePluginFromList(PluginHost& host, int16_t index, bool unload);

// True when a plug-in in a ticked row other than `slot` holds one of the resources of `slot`'s
// mask; then conflictSlot is that plug-in's slot and commonBits the resources both hold.
bool FindPluginConflict(PluginHost& host, int16_t slot, int16_t& conflictSlot, int32_t& commonBits);

}  // namespace kb
