#include "app/core/debug_log.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include <unistd.h>

#include "app/core/task_folder.h"
#include "platform/program_folder.h"

namespace kb {

bool DebugLogEnabled = false;

bool CommandLineAsksForDebugLog(const std::string& commandLine) {
    std::string lower = commandLine;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find("-debuglog") != std::string::npos;
}

std::string DebugLogPath() {
    std::string folder = platform::ProgramFolder();
    if (!folder.empty() && folder.back() == '/') folder.pop_back();
    const std::string own = folder + "/KxDebugLog.txt";
    const bool usable = access(own.c_str(), F_OK) == 0 ? access(own.c_str(), W_OK) == 0
                                                       : FolderWritable(folder.empty() ? "/" : folder);
    return usable ? own : UserDataFolder() + "/KxDebugLog.txt";
}

void DebugLog(const std::string& text) {
    if (!DebugLogEnabled) return;
    const std::string path = DebugLogPath();
    MakeFolders(path.substr(0, path.rfind('/')));
    std::FILE* f = std::fopen(path.c_str(), "ab");
    if (!f) return;
    std::fwrite(text.data(), 1, text.size(), f);
    std::fwrite("\r\n", 1, 2, f);
    std::fclose(f);
}

}  // namespace kb
