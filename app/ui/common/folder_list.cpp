#include "app/ui/common/folder_list.h"

#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "app/ui/common/place_icons.h"

namespace kb {

namespace fs = std::filesystem;

namespace {

constexpr int kFolderRole = Qt::UserRole;

}  // namespace

FolderList::FolderList(QWidget* parent) : QListWidget(parent) {
    setIconSize(QSize(16, 16));
    // Not itemActivated: under styles that activate on a single click, a double click would
    // open the folder on its first click and the row below it on the second.
    connect(this, &QListWidget::itemDoubleClicked, this, &FolderList::Open);
}

void FolderList::Open(QListWidgetItem* item) {
    if (!item) return;
    const std::string target = item->data(kFolderRole).toString().toStdString();
    if (target == path_) return;
    SetPath(target);
    emit PathChanged();
}

void FolderList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Open(currentItem());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void FolderList::showEvent(QShowEvent* event) {
    Refresh();
    QListWidget::showEvent(event);
}

// Coming back to the window from a file manager counts as showing the list again.
void FolderList::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isVisible() && isActiveWindow()) Refresh();
    QListWidget::changeEvent(event);
}

void FolderList::SetPath(const std::string& path) {
    path_ = path;
    List(path);
}

void FolderList::Refresh() {
    const std::string selected = SelectedFolder();
    const int scrolled = verticalScrollBar()->value();
    List(path_);
    Select(selected);
    verticalScrollBar()->setValue(scrolled);
}

void FolderList::Select(const std::string& folder) {
    if (folder.empty()) return;
    const QString wanted = QString::fromStdString(folder);
    for (int i = 0; i < count(); ++i)
        if (item(i)->data(kFolderRole).toString() == wanted) {
            setCurrentRow(i);
            scrollToItem(item(i));
            return;
        }
}

std::string FolderList::SelectedFolder() const {
    const QListWidgetItem* row = currentItem();
    return row && row->isSelected() ? row->data(kFolderRole).toString().toStdString() : "";
}

void FolderList::List(const std::string& path) {
    clear();
    if (path.empty()) return;
    const QString indentStep = "    ";
    QString indent;
    // The indentation is for the eye; a screen reader hears the folder's name alone.
    auto add = [this, &indent](icons::Place icon, const std::string& name, const std::string& folder) {
        const QString shown = QString::fromStdString(name);
        auto* row = new QListWidgetItem(icons::PlaceIcon(icon), indent + shown, this);
        row->setData(kFolderRole, QString::fromStdString(folder));
        row->setData(Qt::AccessibleTextRole, shown);
    };
    // The chain from the root down to the folder.
    std::vector<std::string> chain{"/"};
    for (size_t i = 1; i < path.size(); ++i)
        if (path[i] == '/') chain.push_back(path.substr(0, i));
    if (path != "/" && chain.back() != path) chain.push_back(path);
    for (const std::string& folder : chain) {
        add(icons::Place::OpenFolder, folder == "/" ? "/" : fs::path(folder).filename().string(), folder);
        indent += indentStep;
    }
    setCurrentRow(count() - 1);
    std::vector<std::string> children;
    std::error_code ec;
    for (fs::directory_iterator it(path, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        std::error_code kindError;
        if (it->is_directory(kindError))
            children.push_back(it->path().filename().string());
    }
    std::sort(children.begin(), children.end());
    const std::string base = path == "/" ? "" : path;
    for (const std::string& name : children) add(icons::Place::Folder, name, base + "/" + name);
}

}  // namespace kb
