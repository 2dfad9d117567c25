#pragma once
// The folder list of a path: the folders from the root down to it, then its sub-folders, each
// indented one step below its parent. A click on a folder moves the list there.

#include <QListWidget>

#include <string>

namespace kb {

class FolderList : public QListWidget {
    Q_OBJECT

public:
    explicit FolderList(QWidget* parent);
    const std::string& Path() const { return path_; }
    // Moves the list without telling anyone.
    void SetPath(const std::string& path);
    // Lists the folder's contents again (a folder was made).
    void Refresh() { SetPath(path_); }

signals:
    // The user moved the list.
    void PathChanged();

private:
    std::string path_;
};

}  // namespace kb
