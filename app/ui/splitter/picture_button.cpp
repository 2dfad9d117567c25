#include "app/ui/splitter/picture_button.h"

#include "app/ui/common/widgets.h"

namespace kb {

QToolButton* PictureButton(QWidget* parent, const char* name, icons::Place picture,
                           const QString& tip) {
    auto* b = Named<QToolButton>(parent, name);
    b->setIcon(icons::PlaceIcon(picture));
    b->setIconSize(QSize(28, 28));
    b->setToolTip(tip);
    b->setAccessibleName(tip);
    b->setAutoRaise(false);
    return b;
}

}  // namespace kb
