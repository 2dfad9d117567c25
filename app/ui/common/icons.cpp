#include "app/ui/common/icons.h"

#include "app/ui/common/icon_paint.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace kb::icons {

namespace {

const QColor kTeal(0x1f, 0xa6, 0x8f);
const QColor kAmber(0xf2, 0xa5, 0x22);
const QColor kRed(0xd9, 0x4b, 0x3d);

// A sheet of paper with a folded corner.
void Sheet(QPainter& p, QRectF r, const QColor& edge = kInk) {
    const double fold = r.width() * 0.28;
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(edge, 2.0));
    p.setBrush(kPaper);
    p.drawPath(path);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    p.setBrush(QColor(0xdd, 0xe4, 0xee));
    p.drawPath(corner);
    // Lines of text.
    p.setPen(QPen(QColor(0xb8, 0xc4, 0xd3), 2.0, Qt::SolidLine, Qt::RoundCap));
    for (double y = r.top() + fold + 6; y < r.bottom() - 5; y += 7)
        p.drawLine(QPointF(r.left() + 6, y), QPointF(r.right() - 6, y));
}

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& c) {
    p.setPen(QPen(c, 5.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    QLineF line(to, from);
    QLineF a = line;
    a.setLength(9);
    a.setAngle(line.angle() + 35);
    QLineF b = line;
    b.setLength(9);
    b.setAngle(line.angle() - 35);
    p.drawLine(a);
    p.drawLine(b);
}

// A single piece: a small rounded block.
void Piece(QPainter& p, QRectF r, const QColor& c) {
    p.setPen(QPen(c.darker(140), 1.5));
    p.setBrush(Shade(c, r.top(), r.bottom()));
    p.drawRoundedRect(r, 3, 3);
}

void DrawWelcome(QPainter& p) {
    QPainterPath roof;
    roof.moveTo(6, 32);
    roof.lineTo(32, 8);
    roof.lineTo(58, 32);
    roof.closeSubpath();
    p.setPen(QPen(kRed.darker(130), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Shade(kRed, 8, 32));
    p.drawPath(roof);
    p.setPen(QPen(kInk, 2.5));
    p.setBrush(Shade(QColor(0xf4, 0xe6, 0xc8), 30, 58));
    p.drawRect(QRectF(13, 30, 38, 27));
    p.setBrush(Shade(kBlue, 38, 57));
    p.drawRoundedRect(QRectF(27, 38, 11, 19), 2, 2);
    p.setBrush(QColor(0xbf, 0xe0, 0xff));
    p.drawRect(QRectF(17, 36, 7, 7));
    p.drawRect(QRectF(41, 36, 7, 7));
}

void DrawSplit(QPainter& p) {
    Sheet(p, QRectF(6, 6, 30, 40));
    Piece(p, QRectF(40, 10, 18, 12), kBlue);
    Piece(p, QRectF(40, 26, 18, 12), kBlue);
    Piece(p, QRectF(40, 42, 18, 12), kBlue);
    Arrow(p, QPointF(14, 56), QPointF(36, 56), kTeal);
}

void DrawAssemble(QPainter& p) {
    Piece(p, QRectF(6, 8, 18, 12), kTeal);
    Piece(p, QRectF(6, 25, 18, 12), kTeal);
    Piece(p, QRectF(6, 42, 18, 12), kTeal);
    Sheet(p, QRectF(30, 14, 28, 42));
    Arrow(p, QPointF(8, 60), QPointF(30, 60), kBlue);
}

void DrawSpanner(QPainter& p) {
    p.translate(32, 32);
    p.rotate(-45);
    QPainterPath path;
    path.addRoundedRect(QRectF(-5, -4, 32, 10), 4, 4);
    path.addEllipse(QPointF(-14, 1), 13, 13);
    QPainterPath jaw;
    jaw.addRect(QRectF(-32, -4.5, 18, 11));
    QPainterPath tail;
    tail.addEllipse(QPointF(22, 1), 2.5, 2.5);
    path = path.subtracted(jaw).subtracted(tail);
    p.setPen(QPen(kInk, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QLinearGradient g(0, -12, 0, 12);
    g.setColorAt(0, QColor(0xe8, 0xed, 0xf3));
    g.setColorAt(1, QColor(0x8a, 0x99, 0xaa));
    p.setBrush(g);
    p.drawPath(path);
    p.resetTransform();
}

void DrawConfigure(QPainter& p) {
    // A cog behind the spanner.
    p.save();
    p.translate(38, 38);
    QPainterPath cog;
    for (int i = 0; i < 8; ++i) {
        QPainterPath tooth;
        tooth.addRoundedRect(QRectF(-4, -22, 8, 10), 1.5, 1.5);
        cog.addPath(QTransform().rotate(45.0 * i).map(tooth));
    }
    cog.addEllipse(QPointF(0, 0), 15, 15);
    cog = cog.simplified();
    QPainterPath hole;
    hole.addEllipse(QPointF(0, 0), 6, 6);
    p.setPen(QPen(kAmber.darker(150), 2.0));
    p.setBrush(Shade(kAmber, -20, 20));
    p.drawPath(cog.subtracted(hole));
    p.restore();
    p.save();
    p.scale(0.75, 0.75);
    DrawSpanner(p);
    p.restore();
}

void Badge(QPainter& p, const QColor& c) {
    p.setPen(QPen(Qt::white, 2.0));
    p.setBrush(Shade(c, 38, 62));
    p.drawEllipse(QRectF(36, 36, 26, 26));
    // A clock hand: the task is waiting.
    p.setPen(QPen(Qt::white, 3.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(49, 49), QPointF(49, 41));
    p.drawLine(QPointF(49, 49), QPointF(55, 52));
}

void DrawSplitDoc(QPainter& p) {
    Sheet(p, QRectF(8, 4, 36, 50));
    p.setPen(QPen(kRed, 2.0, Qt::DashLine));
    p.drawLine(QPointF(8, 29), QPointF(44, 29));
    Badge(p, kBlue);
}

void DrawAssembleDoc(QPainter& p) {
    Sheet(p, QRectF(8, 4, 36, 50));
    Piece(p, QRectF(14, 30, 10, 8), kTeal);
    Piece(p, QRectF(26, 30, 10, 8), kTeal);
    Badge(p, kTeal);
}

void DrawPlugin(QPainter& p) {
    p.setPen(QPen(kInk, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Shade(kTeal, 18, 52));
    p.drawRoundedRect(QRectF(10, 22, 44, 30), 6, 6);
    p.setBrush(Shade(QColor(0xc9, 0xd3, 0xde), 6, 22));
    p.drawRect(QRectF(20, 8, 6, 14));
    p.drawRect(QRectF(38, 8, 6, 14));
    p.setPen(QPen(Qt::white, 3.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(24, 37), QPointF(40, 37));
    p.drawLine(QPointF(32, 29), QPointF(32, 45));
}

void DrawProgress(QPainter& p) {
    p.setPen(QPen(kInk, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Shade(QColor(0x9a, 0x6b, 0x3f), 4, 10));
    p.drawRoundedRect(QRectF(14, 4, 36, 6), 2, 2);
    p.drawRoundedRect(QRectF(14, 54, 36, 6), 2, 2);
    QPainterPath glass;
    glass.moveTo(18, 10);
    glass.lineTo(46, 10);
    glass.cubicTo(46, 24, 35, 28, 35, 32);
    glass.cubicTo(35, 36, 46, 40, 46, 54);
    glass.lineTo(18, 54);
    glass.cubicTo(18, 40, 29, 36, 29, 32);
    glass.cubicTo(29, 28, 18, 24, 18, 10);
    p.setBrush(QColor(0xe6, 0xf2, 0xff));
    p.drawPath(glass);
    p.setPen(Qt::NoPen);
    p.setBrush(kAmber);
    QPainterPath sandTop;
    sandTop.moveTo(23, 19);
    sandTop.lineTo(41, 19);
    sandTop.cubicTo(40, 25, 33, 28, 32, 31);
    sandTop.cubicTo(31, 28, 24, 25, 23, 19);
    p.drawPath(sandTop);
    QPainterPath sandBottom;
    sandBottom.moveTo(21, 53);
    sandBottom.cubicTo(24, 45, 30, 44, 32, 42);
    sandBottom.cubicTo(34, 44, 40, 45, 43, 53);
    sandBottom.closeSubpath();
    p.drawPath(sandBottom);
}

void DrawTip(QPainter& p) {
    QRadialGradient glow(32, 24, 20);
    glow.setColorAt(0, QColor(0xff, 0xf6, 0xb0));
    glow.setColorAt(1, QColor(0xf7, 0xc9, 0x2a));
    p.setPen(QPen(QColor(0xa8, 0x7a, 0x0a), 2.0));
    p.setBrush(glow);
    QPainterPath bulb;
    bulb.addEllipse(QPointF(32, 24), 18, 18);
    QPainterPath neck;
    neck.addRect(QRectF(24, 34, 16, 10));
    p.drawPath(bulb.united(neck));
    p.setPen(QPen(kInk, 2.0));
    p.setBrush(Shade(QColor(0xa0, 0xaa, 0xb5), 44, 58));
    p.drawRoundedRect(QRectF(23, 44, 18, 12), 3, 3);
    p.drawLine(QPointF(23, 50), QPointF(41, 50));
}

void DrawApp(QPainter& p) {
    QLinearGradient g(0, 0, 64, 64);
    g.setColorAt(0, QColor(0x36, 0x8e, 0xe8));
    g.setColorAt(1, QColor(0x17, 0x4f, 0x8c));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 13, 13);
    // A wing stroke over three pieces: a bird of prey that binds pieces together.
    p.setBrush(QColor(255, 255, 255, 230));
    for (int i = 0; i < 3; ++i) p.drawRoundedRect(QRectF(12 + 14 * i, 40, 11, 12), 2, 2);
    QPainterPath wing;
    wing.moveTo(8, 32);
    wing.cubicTo(22, 12, 42, 10, 57, 14);
    wing.cubicTo(44, 18, 36, 24, 32, 34);
    wing.cubicTo(26, 28, 17, 29, 8, 32);
    p.setBrush(kAmber);
    p.drawPath(wing);
}

}  // namespace

QPixmap Pixmap(Kind kind, int size) {
    return DrawnPixmap(size, [kind](QPainter& p) {
        switch (kind) {
        case Kind::Welcome: DrawWelcome(p); break;
        case Kind::Split: DrawSplit(p); break;
        case Kind::Assemble: DrawAssemble(p); break;
        case Kind::Spanner: DrawSpanner(p); break;
        case Kind::Configure: DrawConfigure(p); break;
        case Kind::SplitDoc: DrawSplitDoc(p); break;
        case Kind::AssembleDoc: DrawAssembleDoc(p); break;
        case Kind::Plugin: DrawPlugin(p); break;
        case Kind::Progress: DrawProgress(p); break;
        case Kind::Tip: DrawTip(p); break;
        case Kind::App: DrawApp(p); break;
        }
    });
}

QIcon Icon(Kind kind) {
    return IconAtSizes({16, 24, 32, 48, 64}, [kind](int s) { return Pixmap(kind, s); });
}

}  // namespace kb::icons
