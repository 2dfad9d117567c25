#pragma once
// The common dialogs on screen: open-file and folder-browse dialogs of the toolkit, owned by
// the main window, with the program's filters mapped to Linux patterns.

#include <QString>
#include <QStringList>

#include "app/core/common_dialogs.h"

class QWidget;

namespace kb {

class QtDialogs : public CommonDialogs {
public:
    // Without an owner the dialogs belong to the active window.
    explicit QtDialogs(QWidget* owner = nullptr) : owner_(owner) {}
    std::optional<std::string> OpenFile(const OpenFileRequest& request) override;
    std::optional<std::string> BrowseForFolder(const std::string& title,
                                               const std::string& startFolder) override;

private:
    QWidget* Owner() const;
    QWidget* owner_;
};

// "Desc|*.a;*.b|All Files (*.*)|*.*" as the toolkit's name filters: "Desc (*.a *.b)",
// "All Files (*)"; "*.*" takes every file, "*.dll" becomes "*.so".
QStringList DialogNameFilters(const std::string& filter);

}  // namespace kb
