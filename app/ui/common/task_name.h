#pragma once
// The name of an unfinished task, asked when a split or join is cancelled and saved: a free
// default ("Unnamed Split", "Unnamed Split 2", ...), the input box, and the repeat while a
// name is taken or unusable. Shared by the splitter and the assembler.

#include <string>

namespace kb {

struct TaskNameRequest {
    // The task folder, which need not exist yet.
    std::string folder;
    // The stem of the default names: "Unnamed Split" or "Unnamed Assemble".
    std::string base;
    // A resumed task's own file, or "" for a new task. Its name is offered as the default, and
    // the name that leads to exactly this file may be used again although the file exists.
    std::string ownFile;
};

struct TaskNameAnswer {
    // "<folder>/<name>.uft", whose folder has been made if it was missing, or "" when the user
    // gave no name (the task is not saved). The resumed task's own file when the answer names
    // it: its old contents are to be replaced.
    std::string path;
};

// The first of "<base>", "<base> 2", "<base> 3", ... whose task file does not exist.
std::string FreeTaskName(const std::string& folder, const std::string& base);

// A name that can stand as a task file's name here: not blank, no "/" or NUL, not "." or "..".
bool TaskNameWellFormed(const std::string& name);

// Asks with the input boxes titled "Save Progress" until a usable name comes or none.
TaskNameAnswer AskTaskName(const TaskNameRequest& request);

}  // namespace kb
