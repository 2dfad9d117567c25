#pragma once
// Runs the built kbengine (or another driver) from a test and picks members out of its closing
// JSON line.

#include <sys/wait.h>

#include <cstdio>
#include <regex>
#include <string>

namespace {

struct EngineRun {
    int status = -1;
    std::string lastLine;
};

inline std::string ShellQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Runs a shell command line and keeps the last line it prints.
inline EngineRun RunShell(const std::string& cmd) {
    EngineRun r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    std::string line;
    while (fgets(buf, sizeof buf, p)) {
        line = buf;
        if (!line.empty() && line.back() == '\n') line.pop_back();
        r.lastLine = line;
    }
    int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

inline EngineRun Engine(const std::string& arguments) {
    return RunShell(ShellQuote(KBENGINE_PATH) + " " + arguments + " 2>/dev/null");
}

inline std::string Member(const std::string& json, const std::string& key) {
    std::smatch m;
    std::regex re("\"" + key + "\": (\"(?:[^\"\\\\]|\\\\.)*\"|[^,}]+)");
    return std::regex_search(json, m, re) ? m[1].str() : "";
}

}  // namespace
