#pragma once
// Moving a file without ever losing it: an existing target is never replaced, and a move to
// another file system copies first and deletes the source only once the copy is complete.

#include <string>

namespace kb::platform {

// Moves `from` to `to`. A move onto the same file does nothing and succeeds. False, with the
// reason in `error`, when the target exists or the move fails; the source is then untouched.
bool MoveFileNoReplace(const std::string& from, const std::string& to, std::string& error);

}  // namespace kb::platform
