#pragma once
// The wizards' small windows on screen: the one password confirmation window and a fresh disk
// request for each disk, both over the main window.

#include "app/core/wizard_windows.h"

class QWidget;

namespace kb {

class QtWizardWindows : public WizardWindows {
public:
    explicit QtWizardWindows(QWidget* owner) : owner_(owner) {}
    std::string ConfirmPassword(const std::string& prompt) override;
    bool RequestDisk(int32_t diskNumber) override;

private:
    QWidget* owner_;
};

}  // namespace kb
