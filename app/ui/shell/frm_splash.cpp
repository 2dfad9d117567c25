#include "app/ui/shell/frm_splash.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QVBoxLayout>

#include "app/core/version.h"
#include "app/ui/common/icons.h"

namespace kb {

namespace {

constexpr int kPieces = 6;
constexpr double kPieceStep = 36.0;
constexpr double kPieceWidth = 26.0;
constexpr double kPieceHeight = 9.0;
constexpr double kPieceRise = 4.0;
constexpr int kPiecesBottom = 11;  // above the orange rule at the lower edge

QRectF Piece(const QSize& size, int i) {
    return QRectF(size.width() - kPieceStep * (kPieces - i) - 8,
                  size.height() - kPiecesBottom - kPieceHeight - kPieceRise * i, kPieceWidth,
                  kPieceHeight);
}

}  // namespace

frmSplash::frmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName("frmSplash");
    setWindowTitle("Kestrelbinder Splash");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(480, 280);

    auto* picture = new QLabel(this);
    picture->setObjectName("imgSplash");
    picture->setPixmap(icons::Pixmap(icons::Kind::App, 96));

    auto* product = new QLabel("Kestrelbinder 2003", this);
    product->setObjectName("lblProductName");
    QFont big = product->font();
    big.setPointSizeF(big.pointSizeF() * 2.2);
    big.setBold(true);
    product->setFont(big);

    auto* company = new QLabel("Tarnwolde", this);
    company->setObjectName("lblCompanyProduct");
    QFont mid = company->font();
    mid.setPointSizeF(mid.pointSizeF() * 1.2);
    company->setFont(mid);

    auto* version = new QLabel("Version " + QString::fromStdString(VersionText()), this);
    version->setObjectName("lblVersion");
    auto* loading = new QLabel("Loading plug-ins and settings...", this);
    loading->setObjectName("lblLoading");

    for (QLabel* l : {product, company, version, loading})
        l->setStyleSheet("color: white; background: transparent;");

    auto* text = new QVBoxLayout;
    text->addStretch(1);
    text->addWidget(company);
    text->addWidget(product);
    text->addWidget(version);
    text->addStretch(2);
    text->addWidget(loading);

    auto* row = new QHBoxLayout(this);
    // The bottom margin keeps the loading text above the sweep of pieces.
    row->setContentsMargins(32, 24, 32, PiecesArea().height() + kPiecesBottom + 12);
    row->setSpacing(24);
    row->addWidget(picture, 0, Qt::AlignVCenter);
    row->addLayout(text, 1);
}

void frmSplash::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, width(), height());
    g.setColorAt(0, QColor(0x1d, 0x5f, 0xa8));
    g.setColorAt(1, QColor(0x0e, 0x2c, 0x52));
    p.fillRect(rect(), g);
    // A sweep of pieces across the lower edge.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < kPieces; ++i) {
        p.setBrush(QColor(255, 255, 255, 24 + 10 * i));
        p.drawRoundedRect(Piece(size(), i), 2, 2);
    }
    p.setPen(QPen(QColor(0xf2, 0xa5, 0x22), 3));
    p.drawLine(0, height() - 2, width(), height() - 2);
}

QRect frmSplash::PiecesArea() const {
    QRectF area;
    for (int i = 0; i < kPieces; ++i) area |= Piece(size(), i);
    return area.toAlignedRect();
}

}  // namespace kb
