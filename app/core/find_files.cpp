#include "app/core/find_files.h"

#include <optional>

#include "app/core/like_pattern.h"
#include "platform/folder_entries.h"

namespace kb {

void FindFiles(std::string& folder, const std::string& folderPattern, const std::string& namePattern,
               std::vector<std::string>& results) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    std::vector<platform::FolderEntry> entries;
    if (!platform::ListFolder(folder, entries)) return;
    std::optional<bool> folderMatches;  // asked once, and only when the folder holds a file
    for (const auto& e : entries) {
        if (e.kind == platform::FolderEntry::Folder) {
            std::string sub = folder + e.name;
            FindFiles(sub, folderPattern, namePattern, results);
        } else if (e.kind == platform::FolderEntry::File) {
            if (!folderMatches) folderMatches = Like(folder, folderPattern);
            if (*folderMatches && Like(e.name, namePattern)) results.push_back(folder + e.name);
        }
    }
}

}  // namespace kb
