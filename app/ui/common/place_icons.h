#pragma once
// Pictures of places in the file system, drawn by the program: a drive, a folder, a file, and
// the picture buttons that move the lists (find with a dialog, documents, desktop, new folder).

#include <QIcon>
#include <QPixmap>

namespace kb::icons {

enum class Place { Drive, Folder, OpenFolder, File, Find, Documents, Desktop, NewFolder };

QPixmap PlacePixmap(Place kind, int size);
QIcon PlaceIcon(Place kind);

}  // namespace kb::icons
