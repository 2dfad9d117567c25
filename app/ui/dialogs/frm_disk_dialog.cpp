#include "app/ui/dialogs/frm_disk_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include "app/pluginhost/plugin_sys.h"
#include "app/ui/common/widgets.h"

namespace kb {
namespace {

// A disk: a dark square body with its metal shutter and paper label.
QPixmap DiskPicture(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal u = size / 16.0;
    QPainterPath body;
    body.moveTo(1 * u, 1 * u);
    body.lineTo(13 * u, 1 * u);
    body.lineTo(15 * u, 3 * u);
    body.lineTo(15 * u, 15 * u);
    body.lineTo(1 * u, 15 * u);
    body.closeSubpath();
    p.fillPath(body, QColor(0x2f, 0x5f, 0x9e));
    p.fillRect(QRectF(4 * u, 1 * u, 8 * u, 5 * u), QColor(0xc8, 0xcd, 0xd4));
    p.fillRect(QRectF(9 * u, 2 * u, 2 * u, 3 * u), QColor(0x2f, 0x5f, 0x9e));
    p.fillRect(QRectF(3 * u, 8.5 * u, 10 * u, 6.5 * u), Qt::white);
    return pm;
}

}  // namespace

frmDiskDialog::frmDiskDialog(QWidget* owner, PluginHost* plugins)
    : QDialog(owner), plugins_(plugins) {
    setObjectName("frmDiskDialog");
    setWindowTitle("Disk Request");
    setModal(true);
    imgDiskDialog_ = Named<QLabel>(this, "imgDiskDialog");
    imgDiskDialog_->setPixmap(DiskPicture(40));
    lblDiskDialog_ = Named<QLabel>(this, "lblDiskDialog", "[Disk request]");
    lblDiskDialog_->setWordWrap(true);
    cmdOK_ = Named<QPushButton>(this, "cmdOK", "OK");
    cmdCancel_ = Named<QPushButton>(this, "cmdCancel", "Cancel");
    cmdOK_->setDefault(true);
    connect(cmdOK_, &QPushButton::clicked, this, &frmDiskDialog::cmdOK_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmDiskDialog::cmdCancel_Click);

    auto* message = new QHBoxLayout;
    message->addWidget(imgDiskDialog_, 0, Qt::AlignVCenter);
    message->addSpacing(Twips(180));
    message->addWidget(lblDiskDialog_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK_);
    buttons->addWidget(cmdCancel_);
    auto* all = new QVBoxLayout(this);
    all->setContentsMargins(Twips(240), Twips(240), Twips(240), Twips(180));
    all->addLayout(message, 1);
    all->addSpacing(Twips(120));
    all->addLayout(buttons);
    setFixedSize(Twips(4800), Twips(1800));
    Form_Load();
}

void frmDiskDialog::Form_Load() { 
    if (plugins_ != nullptr) plugins_->BroadcastPluginEvent(PLUGIN_EVT_DISK_REQUEST);
 }

void frmDiskDialog::cmdOK_Click() {
    OKClicked = true;
    hide();
}

void frmDiskDialog::cmdCancel_Click() {
    OKClicked = false;
    hide();
}

}  // namespace kb
