#include "app/ui/common/task_name.h"

#include <filesystem>

#include "app/core/prompter.h"
#include "app/core/task_folder.h"

namespace kb {

namespace {

std::string TaskPath(const std::string& folder, const std::string& name) {
    return (folder == "/" ? "" : folder) + "/" + name + ".uft";
}

// A task file that exists in any form (also one that cannot be read) holds its name.
bool Taken(const std::string& folder, const std::string& name) {
    std::error_code ec;
    return std::filesystem::symlink_status(TaskPath(folder, name), ec).type() !=
           std::filesystem::file_type::not_found;
}

// The name a task file stands for: its file name without ".uft".
std::string NameOf(const std::string& taskFile) {
    const std::string file = std::filesystem::path(taskFile).filename().string();
    return file.size() > 4 ? file.substr(0, file.size() - 4) : std::string();
}

bool SamePath(const std::string& a, const std::string& b) {
    return std::filesystem::path(a).lexically_normal() == std::filesystem::path(b).lexically_normal();
}

}  // namespace

std::string FreeTaskName(const std::string& folder, const std::string& base) {
    if (!Taken(folder, base)) return base;
    for (int n = 2;; ++n) {
        const std::string name = base + " " + std::to_string(n);
        if (!Taken(folder, name)) return name;
    }
}

bool TaskNameWellFormed(const std::string& name) {
    if (name.find_first_not_of(' ') == std::string::npos) return false;
    if (name.find('/') != std::string::npos || name.find('\0') != std::string::npos) return false;
    return name != "." && name != "..";
}

TaskNameAnswer AskTaskName(const TaskNameRequest& request) {
    TaskNameAnswer answer;
    const std::string ownName = NameOf(request.ownFile);
    const bool resumed = !ownName.empty();
    std::string name = InputBox("Please enter a name to give the current project.", "Save Progress",
                                resumed ? ownName : FreeTaskName(request.folder, request.base));
    while (!name.empty()) {
        // The resumed task may live outside the task folder, and another task may hold its name
        // there (or one differing in letter case): only its own file may be written over.
        const bool well = TaskNameWellFormed(name);
        const bool own = well && resumed && SamePath(TaskPath(request.folder, name), request.ownFile);
        if (well && (own || !Taken(request.folder, name))) {
            answer.path = own ? request.ownFile : TaskPath(request.folder, name);
            // A task folder removed since the program was set up would fail the save, and the
            // stop would then lose the work it was to keep.
            if (!own) MakeFolders(request.folder);
            return answer;
        }
        name = InputBox(
            "The name you supplied is already in use. Please enter a name to give the current "
            "project.",
            "Save Progress", name);
    }
    return answer;
}

}  // namespace kb
