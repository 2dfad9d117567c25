#include "app/core/special_folder.h"

#include "platform/user_dirs.h"

namespace kb {

std::string GetSpecialFolder(int32_t CSIDL) {
    switch (CSIDL) {
    case CSIDL_PERSONAL: return platform::XdgUserDir("DOCUMENTS");
    case CSIDL_DESKTOPDIRECTORY: return platform::XdgUserDir("DESKTOP");
    default: return "";
    }
}

std::string GetDesktopFolder() { return GetSpecialFolder(CSIDL_DESKTOPDIRECTORY); }

std::string GetMyDocumentsFolder() { return GetSpecialFolder(CSIDL_PERSONAL); }

}  // namespace kb
