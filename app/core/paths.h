#pragma once
// File and path helpers shared by every part of the program. Paths are POSIX paths: "/"
// separates folders, there are no drive letters, and ":" is an ordinary character. Names are
// compared byte for byte (case-sensitive).

#include <string>

namespace kb {

// ---- Files and the current folder

// True only for a regular file that can be opened for reading. A folder, a device, a FIFO
// (never waited on), a missing or unreadable file and the empty path give false. Never raises.
bool FileExists(const std::string& path);

// Saves the current folder, then makes `folder` current; returns `folder`. A folder that
// cannot be entered raises 76 ("Path not found"), source "ChangeToFolder", after the saved
// folder has been replaced.
std::string ChangeToFolder(const std::string& folder);

// Returns the saved folder (returnSaved true) or the current folder as it was found (false),
// then makes the saved folder current again; a failure to change back is ignored.
std::string RestoreFolder(bool returnSaved);

// The path unchanged.
std::string IdentityPath(const std::string& path);

// ---- Taking paths apart

// The text after the last "/"; the whole text when it has none.
std::string GetFileNameFromPath(const std::string& path);

// The text up to and including the last "/": "/data/backup.tar.gz" gives "/data/", "/name"
// gives "/". A bare name without any "/" cannot be placed: the critical box "Critical error",
// "Cannot determine path of: <path>" is shown and the program ends (kb::EndProgram).
std::string GetFolderFromPath(const std::string& path);

// The text before its last "." unless that dot is the first character (".profile" stays);
// a dot in a folder name counts when the file name has none ("/ver1.2/readme" gives "/ver1").
std::string RemoveExtension(const std::string& fileName);

// The text after the last "/" (empty when the path ends in "/").
std::string StripFolder(const std::string& path);

// Path without one trailing "/" ("/" gives ""). With keepArgument false the caller's path is
// changed to the result too.
std::string RemoveTrailingBackslash(std::string& path, bool keepArgument);

// ---- The temporary folder and addresses

// The temporary folder: $TMPDIR when set and not empty, else "/var/tmp"; without a trailing "/".
std::string GetTempDir();

// Opens the address with the desktop's default handler (xdg-open, started without a shell).
// When that cannot be done the critical box "Unable to open URL" is shown with the address.
void OpenURL(const std::string& url);

}  // namespace kb
