#pragma once
// The desktop's well-known user folders, from the XDG user-directories file
// ($XDG_CONFIG_HOME/user-dirs.dirs, else ~/.config/user-dirs.dirs).

#include <string>

namespace kb::platform {

// The folder configured as XDG_<name>_DIR ("DESKTOP", "DOCUMENTS", ...), without a trailing
// "/". "" when the file or the entry is missing, when the entry names the home folder itself
// (the desktop's way of switching a folder off), or when the folder does not exist.
std::string XdgUserDir(const std::string& name);

}  // namespace kb::platform
