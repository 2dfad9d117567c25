#pragma once
// The program's start: the debug-log switch, the installed version, the splash, the main
// window, the plug-ins, and the command line handed to the window.

#include <memory>
#include <string>
#include <vector>

namespace kb {

class frmMain;

// The wizard's default naming template, set at start-up.
extern std::string DefaultNamingTemplate;
// The command line the program was started with (see CommandLineOf).
extern std::string ProgramCommandLine;

// The program's arguments (without the program's own name) as one command line: joined with
// blanks, an argument that holds a blank put in double quotes.
std::string CommandLineOf(const std::vector<std::string>& arguments);

// Runs the start-up and returns the shown main window; the caller runs the event loop and
// then releases the window. pauseMs is the splash pause (2000 ms; tests pass 0).
std::unique_ptr<frmMain> Main(const std::string& commandLine, int pauseMs = 2000);

}  // namespace kb
