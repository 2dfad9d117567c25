#pragma once
// Recursive folder search, shared by the file list and the unfinished-task listing.

#include <string>
#include <vector>

namespace kb {

// Appends to `results` the full name of every file in `folder` and all its sub-folders whose
// folder (with its trailing "/") matches `folderPattern` and whose name matches `namePattern`,
// both with the runtime's wildcard match (Like), case-sensitively; the name pattern "*.*"
// stands for every name, with or without a dot, as in a folder search. `folder` gets a
// trailing "/" when it has none (the caller's variable changes too). Entries come in the order
// the system lists them, a sub-folder's files at the sub-folder's place. Only regular files are
// listed (a symbolic link to one counts); symbolic links to folders are not followed. A folder
// that cannot be opened adds nothing; an invalid pattern raises 93.
void FindFiles(std::string& folder, const std::string& folderPattern, const std::string& namePattern,
               std::vector<std::string>& results);

}  // namespace kb
