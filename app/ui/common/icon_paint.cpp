#include "app/ui/common/icon_paint.h"

#include <QLinearGradient>

namespace kb::icons {

QBrush Shade(const QColor& c, double top, double bottom, int lighter, int darker) {
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, c.lighter(lighter));
    g.setColorAt(1, c.darker(darker));
    return g;
}

QPixmap DrawnPixmap(int size, const std::function<void(QPainter&)>& draw) {
    constexpr double kGrid = 64.0;
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / kGrid, size / kGrid);
    draw(p);
    return pm;
}

QIcon IconAtSizes(std::initializer_list<int> sizes, const std::function<QPixmap(int)>& pixmap) {
    QIcon icon;
    for (int size : sizes) icon.addPixmap(pixmap(size));
    return icon;
}

}  // namespace kb::icons
