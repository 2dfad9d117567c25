#pragma once
// The entries of one folder, as a folder search needs them.

#include <string>
#include <vector>

namespace kb::platform {

struct FolderEntry {
    enum Kind {
        File,    // a regular file, or a symbolic link to one
        Folder,  // a real folder; a symbolic link to a folder is Other, so a search never
                 // follows it (a link to ".." would list everything over and over)
        Other,   // devices, FIFOs, sockets, links to folders, dangling links
    };
    std::string name;
    Kind kind = Other;
};

// The folder's entries without "." and "..", in the order the system returns them. False when
// the folder cannot be opened.
bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries);

}  // namespace kb::platform
