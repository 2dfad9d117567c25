#include "app/ui/dialogs/qt_wizard_windows.h"

#include <QLabel>

#include "app/ui/dialogs/frm_disk_dialog.h"
#include "app/ui/dialogs/frm_pw_conf.h"

namespace kb {

std::string QtWizardWindows::ConfirmPassword(const std::string& prompt) {
    return frmPWconf::Instance(owner_ ? owner_->window() : nullptr).Confirm(prompt);
}

bool QtWizardWindows::RequestDisk(int32_t diskNumber) {
    frmDiskDialog dialog(owner_ ? owner_->window() : nullptr, plugins_);
    dialog.lblDiskDialog()->setText(QString::fromStdString(DiskRequestText(diskNumber)));
    dialog.exec();
    return dialog.OKClicked;
}

}  // namespace kb
