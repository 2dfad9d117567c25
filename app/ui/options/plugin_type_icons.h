#pragma once
// The pictures of the plug-in list's rows, one for each type's image key ("Banana", "Speaker",
// "Eye", "Package", "Padlock", "Scriptpad", "Executable", "Unknown"), drawn like the program's
// other pictures. "PCCard", the picture of a row whose type is not yet known, is the plain
// plug-in picture.

#include <QIcon>

#include <string>

namespace kb::icons {

// The picture of an image key; a key of no picture gets the one of "Unknown".
QIcon PluginType(const std::string& key);

}  // namespace kb::icons
