#include "platform/folder_entries.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>

namespace kb::platform {

bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
    entries.clear();
    DIR* dir = opendir(folder.c_str());
    if (!dir) return false;
    int dfd = dirfd(dir);
    while (dirent* e = readdir(dir)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
        FolderEntry entry{e->d_name, FolderEntry::Other};
        struct stat st {};
        if (fstatat(dfd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            if (S_ISDIR(st.st_mode)) {
                entry.kind = FolderEntry::Folder;
            } else if (S_ISREG(st.st_mode)) {
                entry.kind = FolderEntry::File;
            } else if (S_ISLNK(st.st_mode) && fstatat(dfd, e->d_name, &st, 0) == 0 && S_ISREG(st.st_mode)) {
                entry.kind = FolderEntry::File;
            }
        }
        entries.push_back(std::move(entry));
    }
    closedir(dir);
    return true;
}

}  // namespace kb::platform
