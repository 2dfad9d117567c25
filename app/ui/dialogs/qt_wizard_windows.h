#pragma once
// The wizards' small windows on screen: the one password confirmation window and a fresh disk
// request for each disk, both over the main window.

#include "app/core/wizard_windows.h"

class QWidget;

namespace kb {

class PluginHost;

class QtWizardWindows : public WizardWindows {
public:
    // The disk requests tell the plug-ins of `plugins` (nullptr: none).
    explicit QtWizardWindows(QWidget* owner, PluginHost* plugins = nullptr)
        : owner_(owner), plugins_(plugins) {}
    std::string ConfirmPassword(const std::string& prompt) override;
    bool RequestDisk(int32_t diskNumber) override;

private:
    QWidget* owner_;
    PluginHost* plugins_;
};

}  // namespace kb
