#pragma once
// The program's pictures, drawn by the program itself so that they stay sharp at any size:
// the tab images, the front page's task icons, the plug-in icon and the window icon.

#include <QIcon>
#include <QPixmap>

namespace kb::icons {

enum class Kind {
    Welcome,      // front page tab
    Split,        // splitter wizard tab, "Split files"
    Assemble,     // assembler tab, "Assemble files"
    Spanner,      // configuration tab
    Configure,    // "Configure Kestrelbinder"
    SplitDoc,     // an unfinished split
    AssembleDoc,  // an unfinished assemble
    Plugin,       // a row of the plug-in list
    Progress,     // the progress panel's picture
    Tip,          // the tip of the day
    App,          // the window icon and the splash artwork
};

QPixmap Pixmap(Kind kind, int size);
QIcon Icon(Kind kind);

}  // namespace kb::icons
