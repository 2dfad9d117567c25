#include "platform/user_dirs.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace kb::platform {

namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string WithoutTrailingSlash(std::string p) {
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return p;
}

// The value of one line `XDG_NAME_DIR="$HOME/Folder"`; false when the line is another one.
bool ValueOf(const std::string& line, const std::string& key, std::string& value) {
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, key.size(), key) != 0) return false;
    size_t eq = line.find_first_not_of(" \t", start + key.size());
    if (eq == std::string::npos || line[eq] != '=') return false;
    size_t q1 = line.find('"', eq);
    size_t q2 = q1 == std::string::npos ? q1 : line.find('"', q1 + 1);
    if (q2 == std::string::npos) return false;
    value = line.substr(q1 + 1, q2 - q1 - 1);
    return true;
}

}  // namespace

std::string XdgUserDir(const std::string& name) {
    const std::string home = WithoutTrailingSlash(Env("HOME"));
    std::string config = Env("XDG_CONFIG_HOME");
    if (config.empty()) {
        if (home.empty()) return "";
        config = home + "/.config";
    }
    std::ifstream in(config + "/user-dirs.dirs");
    const std::string key = "XDG_" + name + "_DIR";
    std::string value;
    bool found = false;
    for (std::string line; std::getline(in, line);) {
        std::string v;
        if (line.empty() || line[0] == '#' || !ValueOf(line, key, v)) continue;
        value = v;  // a later line overrides an earlier one, as in the shell
        found = true;
    }
    if (!found) return "";
    if (value.rfind("$HOME", 0) == 0) {
        if (home.empty()) return "";
        value = home + value.substr(5);
    } else if (value.empty() || value[0] != '/') {
        return "";
    }
    value = WithoutTrailingSlash(value);
    if (value == home) return "";
    std::error_code ec;
    if (!std::filesystem::is_directory(value, ec)) return "";
    return value;
}

}  // namespace kb::platform
