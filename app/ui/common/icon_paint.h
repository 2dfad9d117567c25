#pragma once
// What the program's drawn pictures share: the palette, the shading, and a square pixmap whose
// painter draws on a 64 by 64 grid scaled to the pixmap's size.

#include <QBrush>
#include <QColor>
#include <QIcon>
#include <QPainter>
#include <QPixmap>

#include <functional>
#include <initializer_list>

namespace kb::icons {

inline const QColor kInk(0x2b, 0x3a, 0x4a);
inline const QColor kBlue(0x2f, 0x7f, 0xd8);
inline const QColor kPaper(0xfb, 0xfc, 0xfe);

// A top-to-bottom gradient of `c`, lighter at the top and darker at the bottom.
QBrush Shade(const QColor& c, double top, double bottom, int lighter = 135, int darker = 110);

// A transparent square pixmap of `size` pixels that `draw` paints on the 64 by 64 grid.
QPixmap DrawnPixmap(int size, const std::function<void(QPainter&)>& draw);

// An icon holding the picture at each of the sizes.
QIcon IconAtSizes(std::initializer_list<int> sizes, const std::function<QPixmap(int)>& pixmap);

}  // namespace kb::icons
