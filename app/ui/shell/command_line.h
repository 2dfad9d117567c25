#pragma once
// Reading the program's command line: what it asks for (a split of the items before "-split",
// the assembler on one piece, the Assembler tab alone, the usage message, or nothing), before
// anything is handed to a wizard. Paths keep their own letter case; the lower-cased line only
// serves to recognise the switches and the endings of piece names.

#include <string>
#include <vector>

namespace kb {

struct CommandLinePlan {
    enum class Kind {
        Nothing,       // no line, or only "-debuglog"
        Split,         // items: the files and folders to split, as absolute paths
        AssemblerTab,  // the Assembler tab; assemblePath is the piece to load, or empty
        Usage,         // the usage message
        Error          // "Unexpected error" with errorDescription
    };
    Kind kind = Kind::Nothing;
    std::vector<std::string> items;
    std::string assemblePath;
    std::string errorDescription;
};

// Decides what a command line asks for and writes its two debug-log lines. Relative paths are
// made absolute against currentFolder.
CommandLinePlan PlanCommandLine(const std::string& commandLine, const std::string& currentFolder);

// The usage message's text for a line as it was received.
std::string CommandLineUsageText(const std::string& commandLine);

}  // namespace kb
