#include "app/core/special_folder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/user_dirs.h"

namespace kb {

namespace {

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_directory(path, ec);
}

// The desktop's rule for a user folder: the user-dirs file's entry; without one, the folder of
// the usual name in the home folder when it exists; else the home folder itself.
std::string UserFolder(const char* entry, const char* usualName) {
    std::string folder = platform::XdgUserDir(entry);
    if (!folder.empty()) return folder;
    const char* env = std::getenv("HOME");
    std::string home = env ? env : "";
    while (home.size() > 1 && home.back() == '/') home.pop_back();
    if (!IsFolder(home)) return "";
    folder = (home == "/" ? "" : home) + "/" + usualName;
    return IsFolder(folder) ? folder : home;
}

}  // namespace

std::string GetSpecialFolder(int32_t CSIDL) {
    switch (CSIDL) {
    case CSIDL_PERSONAL: return UserFolder("DOCUMENTS", "Documents");
    case CSIDL_DESKTOPDIRECTORY: return UserFolder("DESKTOP", "Desktop");
    default: return "";
    }
}

std::string GetDesktopFolder() { return GetSpecialFolder(CSIDL_DESKTOPDIRECTORY); }

std::string GetMyDocumentsFolder() { return GetSpecialFolder(CSIDL_PERSONAL); }

}  // namespace kb
