#include "app/ui/options/plugin_type_icons.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

#include <functional>
#include <map>

#include "app/ui/common/icon_paint.h"
#include "app/ui/common/icons.h"

namespace kb::icons {

namespace {

const QColor kYellow(0xf5, 0xd0, 0x3b);
const QColor kGold(0xe0, 0xa8, 0x2e);
const QColor kBrown(0xb9, 0x83, 0x4f);
const QColor kTeal(0x1f, 0xa6, 0x8f);
const QColor kRed(0xd9, 0x4b, 0x3d);
const QColor kGrey(0x8a, 0x97, 0xa6);

// The rows are small: outlines are drawn thick enough to stay at 16 pixels.
QPen Outline(const QColor& c = kInk, double width = 3.0) {
    return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void DrawBanana(QPainter& p) {
    QPainterPath fruit;
    fruit.moveTo(12, 14);
    fruit.cubicTo(8, 44, 30, 60, 58, 44);
    fruit.cubicTo(38, 48, 24, 36, 22, 14);
    fruit.closeSubpath();
    p.setPen(Outline(kGold.darker(150)));
    p.setBrush(Shade(kYellow, 14, 56));
    p.drawPath(fruit);
    p.setPen(Outline(QColor(0x6b, 0x4a, 0x22), 4.0));
    p.drawLine(QPointF(16, 14), QPointF(15, 6));
}

void DrawSpeaker(QPainter& p) {
    QPainterPath cone;
    cone.moveTo(6, 24);
    cone.lineTo(18, 24);
    cone.lineTo(32, 10);
    cone.lineTo(32, 54);
    cone.lineTo(18, 40);
    cone.lineTo(6, 40);
    cone.closeSubpath();
    p.setPen(Outline());
    p.setBrush(Shade(kGrey, 10, 54));
    p.drawPath(cone);
    p.setPen(Outline(kBlue, 4.0));
    p.setBrush(Qt::NoBrush);
    for (double r : {10.0, 20.0}) p.drawArc(QRectF(32 - r, 32 - r, 2 * r, 2 * r), -50 * 16, 100 * 16);
}

void DrawEye(QPainter& p) {
    QPainterPath lids;
    lids.moveTo(4, 32);
    lids.quadTo(32, 4, 60, 32);
    lids.quadTo(32, 60, 4, 32);
    p.setPen(Outline());
    p.setBrush(kPaper);
    p.drawPath(lids);
    p.setPen(Qt::NoPen);
    p.setBrush(Shade(kBlue, 20, 44));
    p.drawEllipse(QPointF(32, 32), 12, 12);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(32, 32), 5, 5);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(36, 28), 2.5, 2.5);
}

void DrawPackage(QPainter& p) {
    p.setPen(Outline(kBrown.darker(160)));
    p.setBrush(Shade(kBrown, 22, 58));
    p.drawRect(QRectF(9, 22, 46, 36));
    p.setBrush(Shade(kBrown.lighter(115), 10, 22));
    p.drawRect(QRectF(5, 10, 54, 12));
    // The tape over lid and box.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf1, 0xe3, 0xc2));
    p.drawRect(QRectF(27, 11.5, 10, 45));
}

void DrawPadlock(QPainter& p) {
    QPainterPath shackle;
    shackle.moveTo(20, 30);
    shackle.lineTo(20, 22);
    shackle.arcTo(QRectF(20, 8, 24, 26), 180, -180);
    shackle.lineTo(44, 30);
    p.setPen(Outline(kGrey.darker(130), 7.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shackle);
    p.setPen(Outline(kGold.darker(160)));
    p.setBrush(Shade(kGold, 28, 58));
    p.drawRoundedRect(QRectF(10, 28, 44, 30), 5, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(32, 39), 4.5, 4.5);
    p.drawRect(QRectF(30, 40, 4, 10));
}

void DrawScriptpad(QPainter& p) {
    p.setPen(Outline());
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(10, 10, 36, 48), 3, 3);
    p.setBrush(Shade(kTeal, 6, 16));
    p.drawRect(QRectF(10, 6, 36, 10));
    p.setPen(Outline(QColor(0x9a, 0xa8, 0xb8), 3.5));
    for (double y : {26.0, 35.0, 44.0}) p.drawLine(QPointF(16, y), QPointF(y < 40 ? 38 : 30, y));
    // A pencil across the pad's corner.
    p.setPen(Outline(kRed.darker(140), 7.0));
    p.drawLine(QPointF(38, 54), QPointF(58, 30));
    p.setPen(Outline(kInk, 3.0));
    p.drawLine(QPointF(38, 54), QPointF(35, 58));
}

void DrawExecutable(QPainter& p) {
    p.setPen(Outline());
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(5, 9, 54, 46), 4, 4);
    p.setBrush(Shade(kBlue, 9, 21));
    p.drawRect(QRectF(5, 9, 54, 12));
    QPainterPath play;
    play.moveTo(25, 28);
    play.lineTo(25, 49);
    play.lineTo(43, 38.5);
    play.closeSubpath();
    p.setPen(Outline(kTeal.darker(140), 2.0));
    p.setBrush(Shade(kTeal, 28, 49));
    p.drawPath(play);
}

void DrawUnknown(QPainter& p) {
    p.setPen(Outline(kGrey.darker(150)));
    p.setBrush(Shade(kGrey, 6, 58));
    p.drawEllipse(QPointF(32, 32), 26, 26);
    QFont f;
    f.setBold(true);
    f.setPixelSize(40);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, 64, 64), Qt::AlignCenter, "?");
}

using Drawing = void (*)(QPainter&);

const std::map<std::string, Drawing>& Drawings() {
    static const std::map<std::string, Drawing> drawings = {
        {"Banana", DrawBanana},   {"Speaker", DrawSpeaker},     {"Eye", DrawEye},
        {"Package", DrawPackage}, {"Padlock", DrawPadlock},     {"Scriptpad", DrawScriptpad},
        {"Executable", DrawExecutable}, {"Unknown", DrawUnknown},
    };
    return drawings;
}

}  // namespace

QIcon PluginType(const std::string& key) {
    if (key == "PCCard") return Icon(Kind::Plugin);
    const auto found = Drawings().find(key);
    const Drawing draw = found == Drawings().end() ? DrawUnknown : found->second;
    return IconAtSizes({16, 24, 32, 48, 64}, [draw](int size) { return DrawnPixmap(size, draw); });
}

}  // namespace kb::icons
