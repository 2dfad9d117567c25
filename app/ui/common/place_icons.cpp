#include "app/ui/common/place_icons.h"

#include "app/ui/common/icon_paint.h"

#include <QPainter>
#include <QPainterPath>

namespace kb::icons {

namespace {

const QColor kFolder(0xf2, 0xb8, 0x3a);
const QColor kGreen(0x2e, 0xa0, 0x5a);

// The places are shaded more softly than the program's own pictures.
QBrush Shade(const QColor& c, double top, double bottom) {
    return icons::Shade(c, top, bottom, 125, 108);
}

void DrawFolder(QPainter& p, bool open) {
    QPainterPath back;
    back.moveTo(6, 16);
    back.lineTo(24, 16);
    back.lineTo(29, 22);
    back.lineTo(58, 22);
    back.lineTo(58, 52);
    back.lineTo(6, 52);
    back.closeSubpath();
    p.setPen(QPen(kFolder.darker(150), 2));
    p.setBrush(Shade(kFolder.darker(110), 16, 52));
    p.drawPath(back);
    QPainterPath front;
    if (open) {
        front.moveTo(12, 28);
        front.lineTo(62, 28);
        front.lineTo(54, 52);
        front.lineTo(6, 52);
    } else {
        front.moveTo(6, 27);
        front.lineTo(58, 27);
        front.lineTo(58, 52);
        front.lineTo(6, 52);
    }
    front.closeSubpath();
    p.setBrush(Shade(kFolder, 27, 52));
    p.drawPath(front);
}

void DrawFile(QPainter& p) {
    QPainterPath path;
    path.moveTo(14, 6);
    path.lineTo(40, 6);
    path.lineTo(52, 18);
    path.lineTo(52, 58);
    path.lineTo(14, 58);
    path.closeSubpath();
    p.setPen(QPen(kInk, 2));
    p.setBrush(kPaper);
    p.drawPath(path);
    p.setBrush(QColor(0xdd, 0xe4, 0xee));
    p.drawPolygon(QPolygonF({QPointF(40, 6), QPointF(40, 18), QPointF(52, 18)}));
    p.setPen(QPen(QColor(0xa8, 0xb6, 0xc8), 2.5, Qt::SolidLine, Qt::RoundCap));
    for (double y = 26; y < 54; y += 7) p.drawLine(QPointF(20, y), QPointF(46, y));
}

void DrawDrive(QPainter& p) {
    p.setPen(QPen(kInk, 2));
    p.setBrush(Shade(QColor(0x9a, 0xa8, 0xb8), 22, 48));
    p.drawRoundedRect(QRectF(6, 22, 52, 26), 5, 5);
    p.setBrush(kGreen);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(48, 35), 3.5, 3.5);
    p.setPen(QPen(kInk.lighter(160), 2.5, Qt::SolidLine, Qt::RoundCap));
    for (double x = 14; x < 38; x += 6) p.drawLine(QPointF(x, 30), QPointF(x, 40));
}

void DrawFind(QPainter& p) {
    DrawFolder(p, true);
    p.setPen(QPen(kInk, 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(44, 44), QPointF(58, 58));
    p.setPen(QPen(kInk, 3.5));
    p.setBrush(QColor(0xe6, 0xf1, 0xfd, 230));
    p.drawEllipse(QPointF(36, 36), 11, 11);
}

void DrawDocuments(QPainter& p) {
    DrawFolder(p, false);
    p.save();
    p.translate(22, 30);
    p.scale(0.36, 0.36);
    DrawFile(p);
    p.restore();
}

void DrawDesktop(QPainter& p) {
    p.setPen(QPen(kInk, 2.5));
    p.setBrush(Shade(kBlue, 8, 44));
    p.drawRoundedRect(QRectF(6, 8, 52, 36), 4, 4);
    p.setBrush(kInk.lighter(140));
    p.drawRect(QRectF(26, 44, 12, 8));
    p.drawRoundedRect(QRectF(16, 52, 32, 5), 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 200));
    for (int i = 0; i < 3; ++i) p.drawRoundedRect(QRectF(11, 13 + 9 * i, 7, 6), 1.5, 1.5);
}

void DrawNewFolder(QPainter& p) {
    DrawFolder(p, false);
    p.setPen(QPen(Qt::white, 8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(46, 30), QPointF(46, 54));
    p.drawLine(QPointF(34, 42), QPointF(58, 42));
    p.setPen(QPen(kGreen, 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(46, 30), QPointF(46, 54));
    p.drawLine(QPointF(34, 42), QPointF(58, 42));
}

}  // namespace

QPixmap PlacePixmap(Place kind, int size) {
    return DrawnPixmap(size, [kind](QPainter& p) {
        switch (kind) {
        case Place::Drive: DrawDrive(p); break;
        case Place::Folder: DrawFolder(p, false); break;
        case Place::OpenFolder: DrawFolder(p, true); break;
        case Place::File: DrawFile(p); break;
        case Place::Find: DrawFind(p); break;
        case Place::Documents: DrawDocuments(p); break;
        case Place::Desktop: DrawDesktop(p); break;
        case Place::NewFolder: DrawNewFolder(p); break;
        }
    });
}

QIcon PlaceIcon(Place kind) {
    return IconAtSizes({16, 24, 32, 48}, [kind](int s) { return PlacePixmap(kind, s); });
}

}  // namespace kb::icons
