#include "app/ui/common/task_name.h"

#include <strings.h>

#include <filesystem>

#include "app/core/prompter.h"

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
    const bool resumed = !request.ownName.empty();
    std::string name = InputBox("Please enter a name to give the current project.", "Save Progress",
                                resumed ? request.ownName : FreeTaskName(request.folder, request.base));
    while (!name.empty()) {
        const bool own = resumed && strcasecmp(name.c_str(), request.ownName.c_str()) == 0;
        if (TaskNameWellFormed(name) && (own || !Taken(request.folder, name))) {
            answer.path = TaskPath(request.folder, name);
            answer.sameAsOwnName = own;
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
