#pragma once
// Moving a file without ever losing it: an existing target is never replaced, and a move to
// another file system copies first and deletes the source only once the copy is complete.

#include <string>

namespace kb::platform {

// Moves `from` to `to`. A move onto the same file does nothing and succeeds. False, with the
// reason in `error`, when the target exists or the move fails; the source is then untouched.
bool MoveFileNoReplace(const std::string& from, const std::string& to, std::string& error);

// Gives the file at `path` the permissions a file newly made now gets (0666 less the umask),
// as a file moved in from a private temporary file should have. A link there is left alone.
void GiveNewFileMode(const std::string& path);

}  // namespace kb::platform
