#pragma once
// The user's well-known folders, used as default locations by the wizards.

#include <cstdint>
#include <string>

namespace kb {

// Folder numbers callers ask for.
inline constexpr int32_t CSIDL_PERSONAL = 5;           // the user's documents
inline constexpr int32_t CSIDL_DESKTOPDIRECTORY = 16;  // the desktop folder

// The folder of a number: the user-dirs entry, else the usual folder in the home folder when it
// exists, else the home folder; "" when not even that exists, or the number is unknown.
std::string GetSpecialFolder(int32_t CSIDL);
std::string GetDesktopFolder();
std::string GetMyDocumentsFolder();

}  // namespace kb
