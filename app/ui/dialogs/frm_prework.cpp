#include "app/ui/dialogs/frm_prework.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QWindow>

#include "app/ui/common/widgets.h"

namespace kb {

namespace {
constexpr int kWidth = 4800;
constexpr int kShortHeight = 1365;
constexpr int kTallHeight = 1800;
constexpr int kMargin = 240;
}  // namespace

frmPrework::frmPrework(QWidget* owner) : QWidget(nullptr, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName("frmPrework");
    setWindowTitle("Finding sizes");
    setAttribute(Qt::WA_DeleteOnClose, false);
    lblCapt_ = Named<QLabel>(this, "lblCapt");
    QFont bold = lblCapt_->font();
    bold.setBold(true);
    lblCapt_->setFont(bold);
    lblSubCapt_ = Named<QLabel>(this, "lblSubCapt");
    PB_ = Named<QProgressBar>(this, "PB");
    PB_->setAccessibleName("Scan progress");
    PB_->setTextVisible(false);
    cmdCancel_ = Named<QPushButton>(this, "cmdCancel", "Cancel");
    const int inner = kWidth - 2 * kMargin;
    // The caption ends where the line below it starts, also once both are rounded to pixels.
    lblCapt_->setGeometry(Twips(kMargin), Twips(150), Twips(inner), Twips(480) - Twips(150));
    lblSubCapt_->setGeometry(Twips(kMargin), Twips(480), Twips(inner), Twips(300));
    PB_->setGeometry(Twips(kMargin), Twips(840), Twips(inner), Twips(300));
    // Wholly below the shorter height, so that nothing of it shows until a scan may be cancelled.
    cmdCancel_->setGeometry(Twips(kWidth - kMargin - 1300), Twips(kShortHeight + 15), Twips(1300),
                            Twips(kTallHeight - kShortHeight - 75));
    connect(cmdCancel_, &QPushButton::clicked, this, &frmPrework::cmdCancel_Click);
    if (owner != nullptr) {
        // Owned for the window manager only: a Qt parent would be disabled with the owner.
        winId();
        if (QWidget* top = owner->window(); top->windowHandle() != nullptr)
            windowHandle()->setTransientParent(top->windowHandle());
        const QRect o = owner->window()->geometry();
        move(o.center() - QPoint(Twips(kWidth) / 2, Twips(kTallHeight) / 2));
    }
    Form_Load();
}

void frmPrework::Form_Load() {
    CancelPressed_ = false;
    setFixedSize(Twips(kWidth), Twips(kShortHeight));
}

void frmPrework::SetShowCancel(bool show) {
    setFixedSize(Twips(kWidth), Twips(show ? kTallHeight : kShortHeight));
    if (show && !CancelPressed_) cmdCancel_->setEnabled(true);
}

void frmPrework::cmdCancel_Click() {
    CancelPressed_ = true;
    cmdCancel_->setEnabled(false);
}

void frmPrework::closeEvent(QCloseEvent* event) {
    cmdCancel_Click();
    event->ignore();
}

void frmPrework::paintEvent(QPaintEvent*) {
    // A borderless window draws its own edge: a light and a dark line, 15 twips inside.
    QPainter p(this);
    const int in = std::max(1, Twips(15));
    const QRect r = rect().adjusted(in, in, -in - 1, -in - 1);
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(r);
    p.setPen(palette().color(QPalette::Light));
    p.drawRect(r.adjusted(1, 1, 1, 1));
}

}  // namespace kb
