#include "app/core/find_files.h"

#include <optional>

#include "app/core/like_pattern.h"
#include "platform/folder_entries.h"

namespace kb {

namespace {

// "*.*" is what people and the program's own callers write for "every file", as the file
// dialogs' "All Files (*.*)" teaches them; taken through Like it would pass over every name
// without a dot ("README", "Makefile"), and a folder's size or contents would silently come up
// short. Only that one pattern is read so; every other one keeps Like's rules.
bool NameMatches(const std::string& name, const std::string& pattern) {
    return pattern == "*.*" || Like(name, pattern);
}

}  // namespace

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
            if (*folderMatches && NameMatches(e.name, namePattern)) results.push_back(folder + e.name);
        }
    }
}

}  // namespace kb
