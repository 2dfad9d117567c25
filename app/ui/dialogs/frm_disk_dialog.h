#pragma once
// The disk request both wizards show while a series spans disks: a message naming the disk,
// OK and Cancel. A caller makes one for each request and destroys it afterwards; making it
// tells the plug-ins that a disk is being requested.

#include <QDialog>

class QLabel;
class QPushButton;

namespace kb {

class PluginHost;

class frmDiskDialog : public QDialog {
    Q_OBJECT

public:
    // `plugins` hears of the request (nullptr: no plug-ins to tell).
    explicit frmDiskDialog(QWidget* owner = nullptr, PluginHost* plugins = nullptr);

    // True when the request was answered with OK; closing the window answers as Cancel.
    bool OKClicked = false;

    QLabel* lblDiskDialog() const { return lblDiskDialog_; }
    QPushButton* cmdOK() const { return cmdOK_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

    void cmdOK_Click();
    void cmdCancel_Click();

private:
    void Form_Load();

    PluginHost* plugins_;

    QLabel* lblDiskDialog_;
    QLabel* imgDiskDialog_;
    QPushButton* cmdOK_;
    QPushButton* cmdCancel_;
};

}  // namespace kb
