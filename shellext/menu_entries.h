#pragma once
// The "Split" entries of the common file managers, which run the launcher with the selected
// files and folders. They are the user's own files under $XDG_DATA_HOME (else
// ~/.local/share):
//   kio/servicemenus/kestrelbinder-split.desktop     Dolphin and Konqueror
//   nautilus/scripts/Split                           Files (Scripts submenu)
//   nemo/actions/kestrelbinder-split.nemo_action     Nemo
// Each carries a marker line; a file of that name without it is the user's own and is neither
// replaced nor removed.

#include <string>
#include <vector>

namespace kb::shellext {

// The entry files' paths, in the order above.
std::vector<std::string> MenuEntryFiles();

// Writes every entry for the launcher at that path; false when one could not be written (or
// the path holds a line end, which none of them can carry).
bool InstallMenuEntries(const std::string& launcher);

// Removes the entries this program wrote; false when one of them could not be removed.
bool RemoveMenuEntries();

}  // namespace kb::shellext
