#include "app/ui/shell/command_line.h"

#include <algorithm>
#include <cctype>

#include "app/core/debug_log.h"
#include "app/core/text.h"

namespace kb {

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string Trim(const std::string& s) {
    const size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Cuts the first "-debuglog" that stands as an item of its own outside quotes; the blanks
// around it stay. A path that merely contains the word is left alone.
std::string CutDebugLogSwitch(const std::string& line) {
    constexpr size_t kLength = 9;
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        if (quoted || (i > 0 && line[i - 1] != ' ')) continue;
        const size_t end = i + kLength;
        if (Lower(line.substr(i, kLength)) == "-debuglog" && (end == line.size() || line[end] == ' '))
            return line.substr(0, i) + line.substr(end);
    }
    return line;
}

std::string Absolute(const std::string& path, const std::string& currentFolder) {
    if (path.empty() || path[0] == '/') return path;
    return (currentFolder == "/" ? "" : currentFolder) + "/" + path;
}

}  // namespace

std::string CommandLineUsageText(const std::string& commandLine) {
    return "Invalid command line arguments passed - they will be ignored. Examples of correct "
           "usage....\rKestrelbinder.exe file1.txt folder file2.txt -split\rKestrelbinder.exe "
           "frag - 1.frg -assemble\rYou passed: " +
           commandLine;
}

CommandLinePlan PlanCommandLine(const std::string& commandLine, const std::string& currentFolder) {
    CommandLinePlan plan;
    std::string line = Trim(commandLine);
    if (line.empty()) return plan;
    DebugLog("Command line parameters passed to EXE...." + commandLine);
    line = Trim(CutDebugLogSwitch(line));
    if (line.empty()) return plan;
    DebugLog("Filename parameters after processing...." + line);

    std::vector<std::string> previous;
    for (bool first = true;; first = false) {
        const std::vector<std::string> items = ParseArguments(line);
        if (items.empty()) {
            plan.kind = CommandLinePlan::Kind::Error;
            plan.errorDescription = "Subscript out of range";
            return plan;
        }
        // An unclosed quote swallows every switch appended after it: the same items again
        // would repeat for ever.
        if (!first && items == previous) break;
        previous = items;
        if (Lower(items.back()) == "-split" && items.size() >= 2) {
            for (size_t i = 0; i + 1 < items.size(); ++i) {
                // A switch among the items is no file or folder to split.
                const std::string item = Lower(items[i]);
                if (item == "-split" || item == "-assemble") {
                    plan.items.clear();
                    plan.kind = CommandLinePlan::Kind::Usage;
                    return plan;
                }
                plan.items.push_back(Absolute(items[i], currentFolder));
            }
            plan.kind = CommandLinePlan::Kind::Split;
            return plan;
        }
        if (items.size() == 2) {
            plan.kind = CommandLinePlan::Kind::AssemblerTab;
            if (Lower(items[1]) == "-assemble")
                plan.assemblePath = Absolute(items[0], currentFolder);
            return plan;
        }
        if (line[0] == '-') break;
        // Only one item can be a piece to assemble; several items ending in a piece name would
        // otherwise come back with "-assemble" as one more item to split. The item, not the
        // line, is looked at: a path with blanks arrives quoted, and the line then ends in the
        // closing quote.
        // A bare set cut by coreutils' split is numbered from 0: its first piece ends in ".000".
        const std::string last = Lower(items.back());
        const bool piece =
            EndsWith(last, "frg") || EndsWith(last, "001") || EndsWith(last, ".000");
        line += piece && items.size() == 1 ? " -assemble" : " -split";
    }
    plan.kind = CommandLinePlan::Kind::Usage;
    return plan;
}

}  // namespace kb
