#pragma once
// The New Folder button that both wizards' destination lists have.

#include <string>

namespace kb {

// Asks for the name of a new folder and makes it in `parent`. Its path; "" when the user gave
// no name, or after the box that says it could not be made (a name that is no single folder
// name would make a folder elsewhere than in `parent`; a name already taken makes none).
std::string MakeNewFolder(const std::string& parent);

}  // namespace kb
