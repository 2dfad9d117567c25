#pragma once
// The folder list of a path: the folders from the root down to it, then its sub-folders, each
// indented one step below its parent. As in a file chooser, a click selects a folder and a
// double click or Enter opens it (moves the list there); the list reads its folder again each
// time it is shown, so folders made elsewhere appear.

#include <QListWidget>

#include <string>

namespace kb {

class FolderList : public QListWidget {
    Q_OBJECT

public:
    explicit FolderList(QWidget* parent);
    // The open folder, whose sub-folders are listed.
    const std::string& Path() const { return path_; }
    // Moves the list without telling anyone; the open folder is selected.
    void SetPath(const std::string& path);
    // Lists the open folder's contents again; the selected folder stays selected while it is
    // still listed.
    void Refresh();
    // Selects the row of a listed folder (a folder just made); nothing when it is not listed.
    void Select(const std::string& folder);
    // The selected row's folder, or "" when no row is selected.
    std::string SelectedFolder() const;

signals:
    // The user moved the list.
    void PathChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Open(QListWidgetItem* item);
    void List(const std::string& path);

    std::string path_;
};

}  // namespace kb
