#include "app/ui/common/new_folder.h"

#include <filesystem>

#include "app/core/active_assembler.h"
#include "app/core/prompter.h"
#include "app/core/paths.h"

namespace kb {

std::string MakeNewFolder(const std::string& parent) {
    const std::string name = InputBox("Please give the name of the new folder to be created",
                                      "New Folder", "New Folder");
    if (name.empty()) return "";
    std::string folder = parent;
    const std::string path = RemoveTrailingBackslash(folder, true) + "/" + name;
    std::error_code ec;
    if (IsUsableFileName(name) && std::filesystem::create_directory(path, ec) && !ec) return path;
    MsgBox("An error occurred while creating the folder", mb::OKOnly | mb::Exclamation,
           "New Folder");
    return "";
}

}  // namespace kb
