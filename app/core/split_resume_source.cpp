#include "app/core/split_resume_source.h"

#include "app/core/general.h"

namespace kb {

bool IsTemporaryArchiveOfSplit(const std::string& source, const std::string& filenameToStore) {
    const std::string name = StripFolder(source);
    if (filenameToStore == name || name.rfind("kbt", 0) != 0) return false;
    std::string folder = source.substr(0, source.size() - name.size());
    return RemoveTrailingBackslash(folder, true) == GetTempDir();
}

void TakeOverTemporarySource(const std::string& source, const std::string& filenameToStore) {
    if (!IsTemporaryArchiveOfSplit(source, filenameToStore)) return;
}

}  // namespace kb
