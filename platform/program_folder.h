#pragma once
// Where the program lives: the folder that holds "Plugins", "Unfinished Tasks" and the debug
// log. It is $KESTRELBINDER_HOME when that is set (tests point it at a temporary folder),
// else the folder of the running executable.

#include <string>

namespace kb::platform {

// The program folder, without a trailing "/" (except for the root folder itself).
std::string ProgramFolder();

}  // namespace kb::platform
