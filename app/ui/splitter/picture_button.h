#pragma once
// A square button that shows a picture and names itself in its tooltip and accessible name.

#include <QToolButton>

#include "app/ui/common/place_icons.h"

namespace kb {

QToolButton* PictureButton(QWidget* parent, const char* name, icons::Place picture,
                           const QString& tip);

}  // namespace kb
