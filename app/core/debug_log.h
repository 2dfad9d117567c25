#pragma once
// The one-line trace of the program: "KxDebugLog.txt", written only when
// the command line asked for it with "-debuglog". Every line is appended with CR LF and the
// file closed again, so the log is complete up to the last line even after a crash. The file
// is never truncated: successive runs follow each other.

#include <string>

namespace kb {

// Set once at start-up, before the first line is written.
extern bool DebugLogEnabled;

// True when the command line, lower-cased as a whole, holds "-debuglog" anywhere.
bool CommandLineAsksForDebugLog(const std::string& commandLine);

// Full path of the log file: in the program folder, or in the user's data folder when the
// program cannot write there (an installed, read-only program folder).
std::string DebugLogPath();

// Appends Text and CR LF when logging is on. A log that cannot be written is skipped: tracing
// never makes the traced operation fail.
void DebugLog(const std::string& text);

}  // namespace kb
