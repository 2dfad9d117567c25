#include "app/ui/dialogs/frm_disk_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "app/pluginhost/plugin_sys.h"
#include "app/ui/common/widgets.h"

namespace kb {

frmDiskDialog::frmDiskDialog(QWidget* owner) : QDialog(owner) {
    setObjectName("frmDiskDialog");
    setWindowTitle("Disk Request");
    setModal(true);
    imgDiskDialog_ = Named<QLabel>(this, "imgDiskDialog");
    imgDiskDialog_->setPixmap(style()->standardIcon(QStyle::SP_DriveFDIcon).pixmap(48, 48));
    lblDiskDialog_ = Named<QLabel>(this, "lblDiskDialog", "[Disk request]");
    lblDiskDialog_->setWordWrap(true);
    cmdOK_ = Named<QPushButton>(this, "cmdOK", "OK");
    cmdCancel_ = Named<QPushButton>(this, "cmdCancel", "Cancel");
    cmdOK_->setDefault(true);
    connect(cmdOK_, &QPushButton::clicked, this, &frmDiskDialog::cmdOK_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmDiskDialog::cmdCancel_Click);

    auto* message = new QHBoxLayout;
    message->addWidget(imgDiskDialog_, 0, Qt::AlignTop);
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

void frmDiskDialog::Form_Load() { BroadcastPluginEvent(PLUGIN_EVT_DISK_REQUEST); }

void frmDiskDialog::cmdOK_Click() {
    OKClicked = true;
    hide();
}

void frmDiskDialog::cmdCancel_Click() {
    OKClicked = false;
    hide();
}

}  // namespace kb
