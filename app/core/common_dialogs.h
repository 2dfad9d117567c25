#pragma once
// The common dialogs a page opens (choosing a file, browsing for a folder) go through one
// interface beside the prompter, so that the wizards' flow classes stay free of the toolkit
// and tests answer the dialogs from a script instead of opening real windows.

#include <optional>
#include <string>

namespace kb {

// What an open-file dialog is shown with. The filter is written as the program writes it:
// description and pattern list alternating, separated by "|" ("All Files (*.*)|*.*"); the
// dialog maps "*.*" to every file.
struct OpenFileRequest {
    std::string title;
    std::string filter;
    // 1-based, as the program counts filter entries.
    int filterIndex = 1;
    // Preset name: a folder and a file name or a pattern ("/home/me/*.*").
    std::string fileName;
};

class CommonDialogs {
public:
    virtual ~CommonDialogs() = default;
    // The chosen existing file, or nothing when the dialog was cancelled.
    virtual std::optional<std::string> OpenFile(const OpenFileRequest& request) = 0;
    // The chosen folder, or nothing when the browser was cancelled.
    virtual std::optional<std::string> BrowseForFolder(const std::string& title,
                                                       const std::string& startFolder) = 0;
};

// The dialogs in use. Until one is installed every dialog answers as cancelled.
CommonDialogs& Dialogs();
// Installs a dialog implementation (nullptr restores the cancelling one); returns the old one.
CommonDialogs* SetDialogs(CommonDialogs* d);

}  // namespace kb
