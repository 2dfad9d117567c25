#include "app/ui/common/widgets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace kb {

namespace {

// The layout's twips are drawn a little larger than the classic 15 twips to the pixel, so
// that texts stay readable on today's screens.
constexpr double kTwipsPerPixel = 12.0;

}  // namespace

int Twips(int twips) { return static_cast<int>(std::lround(twips / kTwipsPerPixel)); }

void FitToScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (screen == nullptr) return;
    // The frame's size is known once the window exists.
    window.winId();
    const QRect room = screen->availableGeometry();
    const QSize frame = window.frameGeometry().size() - window.size();
    window.resize(window.size().boundedTo(room.size() - frame));
    QRect placed = window.frameGeometry();
    placed.moveRight(std::min(placed.right(), room.right()));
    placed.moveBottom(std::min(placed.bottom(), room.bottom()));
    placed.moveLeft(std::max(placed.left(), room.left()));
    placed.moveTop(std::max(placed.top(), room.top()));
    window.move(placed.topLeft());
}

QFrame* Frame(QWidget* parent, const char* name) {
    auto* f = Named<QFrame>(parent, name);
    f->setFrameShape(QFrame::NoFrame);
    return f;
}

void PasswordBox(QLineEdit* box) {
    box->setEchoMode(QLineEdit::Password);
    box->setStyleSheet("QLineEdit { lineedit-password-character: 42; }");
}

QLabel* Heading(QWidget* parent, const char* name, const QString& text, double scale) {
    auto* l = Named<QLabel>(parent, name, text);
    QFont f = l->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * scale);
    l->setFont(f);
    l->setWordWrap(true);
    return l;
}

WizardArt::WizardArt(QWidget* parent, const char* name, icons::Kind kind, QString title)
    : QWidget(parent), kind_(kind), title_(std::move(title)) {
    setObjectName(name);
    setFixedWidth(Twips(2160));
}

void WizardArt::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, QColor(0x2a, 0x74, 0xc6));
    g.setColorAt(1, QColor(0x12, 0x36, 0x63));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(rect(), 8, 8);
    const int size = width() / 2;
    p.drawPixmap((width() - size) / 2, 28, icons::Pixmap(kind_, size));
    QFont f = font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.15);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 36 + size, width(), 40), Qt::AlignHCenter | Qt::AlignTop, title_);
    p.setPen(QColor(255, 255, 255, 40));
    for (int i = 0; i < 6; ++i)
        p.drawRoundedRect(QRectF(14 + 16 * i, height() - 34 - 5 * i, 12, 8), 2, 2);
}

QGridLayout* Stack(QWidget* owner) {
    auto* grid = new QGridLayout(owner);
    grid->setContentsMargins(0, 0, 0, 0);
    return grid;
}

QFrame* WizardPage(QFrame* page, QWidget* art, QLayout* right) {
    auto* all = new QHBoxLayout(page);
    all->setContentsMargins(0, 0, 0, 0);
    all->setSpacing(Twips(120));
    all->addWidget(art);
    all->addLayout(right, 1);
    return page;
}

}  // namespace kb
