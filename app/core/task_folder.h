#pragma once
// Where the program keeps what it writes for the user: unfinished tasks and the debug log.
// They belong in the program folder, but an installed program folder is often read-only
// (under /usr); then they go to the user's own data folder instead:
//   $XDG_DATA_HOME/Kestrelbinder, else ~/.local/share/Kestrelbinder.

#include <string>
#include <vector>

namespace kb {

// The user's data folder for the program, without a trailing "/". Not created here.
std::string UserDataFolder();

// True when the program can create or replace files in `folder` (which must exist).
bool FolderWritable(const std::string& folder);

// The folder a task is saved into now: the program folder's "Unfinished Tasks" when the
// program can write there, else "Unfinished Tasks" in UserDataFolder(), created (with its
// parents) when missing. No trailing "/".
std::string UnfinishedTasksFolder();

// The folders unfinished tasks are listed from: the program folder's "Unfinished Tasks", then
// the user's when it is another folder. Either may not exist.
std::vector<std::string> TaskFolders();

// Makes `folder` and its missing parents, owner-only; true when it exists afterwards.
bool MakeFolders(const std::string& folder);

}  // namespace kb
