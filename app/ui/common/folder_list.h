#pragma once
// The folder list of a path: the folders from the root down to it, then its sub-folders, each
// indented one step below its parent. As in a file chooser, a click selects a folder and a
// double click or Enter opens it (moves the list there); the list reads its folder again each
// time it is shown, so folders made elsewhere appear. Where the list picks a folder (a
// destination), the answer is Chosen(): the highlighted folder, which is the open folder itself
// until the user highlights another row.

#include <QListWidget>

#include <string>

namespace kb {

class FolderList : public QListWidget {
    Q_OBJECT

public:
    explicit FolderList(QWidget* parent);
    // The open folder, whose sub-folders are listed.
    const std::string& Path() const { return path_; }
    // The folder the user has chosen: the selected row's folder, or the open folder when no row
    // is selected.
    std::string Chosen() const;
    // Moves the list without telling anyone; the open folder is selected.
    void SetPath(const std::string& path);
    // Lists the open folder's contents again; the chosen folder stays selected while it is
    // still listed.
    void Refresh();
    // Selects the row of a folder without telling anyone; a folder not listed yet (one just
    // made) is looked for once more after reading the open folder again.
    void Select(const std::string& folder);

signals:
    // The user opened another folder.
    void PathChanged();
    // The user selected another row or opened another folder: Chosen() may have changed.
    void ChosenChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Open(QListWidgetItem* item);
    void List(const std::string& path);
    bool SelectListed(const std::string& folder);

    std::string path_;
    // Set while the program itself fills or selects rows, whose selection changes are no
    // user's choice.
    bool moving_ = false;
};

}  // namespace kb
