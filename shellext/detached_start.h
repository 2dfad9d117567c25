#pragma once
// Starting the main program from inside another program (a file manager's helper, or any
// process that loaded the extension): no shell, no waiting, nothing left to reap, and none of
// the host's open files handed on.

#include <string>
#include <vector>

namespace kb::shellext {

// The items of a command line: blanks separate them; an item that begins with a double quote
// runs to the next double quote and is taken without the quotes. An opening quote without a
// closing one takes the rest of the line.
std::vector<std::string> SplitCommandLine(const std::string& line);

// Starts argv[0] (a path, not looked up in PATH) with the arguments, the current folder and
// the environment. The program becomes a child of the system, not of the caller, and inherits
// only standard input, output and error, with default signal handling. Returns 0 when it was
// started, else the error number of the failure (from the start itself, or from the exec).
int StartDetached(const std::vector<std::string>& argv) noexcept;

}  // namespace kb::shellext
