#include "app/core/task_folder.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/program_folder.h"

namespace kb {

namespace {

constexpr char kTasks[] = "Unfinished Tasks";

std::string WithoutTrailingSlash(std::string p) {
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return p;
}

std::string Join(const std::string& folder, const std::string& name) {
    return (folder == "/" ? "" : folder) + "/" + name;
}

bool IsFolder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ProgramTasksFolder() { return Join(platform::ProgramFolder(), kTasks); }

std::string UserTasksFolder() { return Join(UserDataFolder(), kTasks); }

}  // namespace

std::string UserDataFolder() {
    // The XDG base directory rules ignore a relative value.
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/') return Join(WithoutTrailingSlash(data), "Kestrelbinder");
    std::string home;
    if (const char* h = std::getenv("HOME"); h && *h) {
        home = h;
    } else if (passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) {
        home = pw->pw_dir;
    }
    return Join(WithoutTrailingSlash(home), ".local/share/Kestrelbinder");
}

bool FolderWritable(const std::string& folder) {
    return IsFolder(folder) && access(folder.c_str(), W_OK | X_OK) == 0;
}

bool MakeFolders(const std::string& folder) {
    for (size_t pos = 1; pos <= folder.size(); ++pos) {
        if (pos != folder.size() && folder[pos] != '/') continue;
        const std::string part = folder.substr(0, pos);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return IsFolder(folder);
}

std::string UnfinishedTasksFolder() {
    const std::string own = ProgramTasksFolder();
    // A missing task folder is made by the first save, so the program folder must take it.
    const bool usable = IsFolder(own) ? FolderWritable(own) : FolderWritable(platform::ProgramFolder());
    if (usable) return own;
    const std::string user = UserTasksFolder();
    MakeFolders(user);
    return user;
}

std::vector<std::string> TaskFolders() {
    std::vector<std::string> folders{ProgramTasksFolder()};
    const std::string user = UserTasksFolder();
    if (user != folders.front()) folders.push_back(user);
    return folders;
}

}  // namespace kb
