#include "app/ui/common/file_list_box.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "app/ui/common/place_icons.h"

namespace kb {

namespace fs = std::filesystem;

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent) {
    setIconSize(QSize(16, 16));
    // A file chosen with the mouse or the keys; not one the program selects.
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        if (!setting_ && !selectedItems().isEmpty()) emit FileClicked();
    });
}

void FileListBox::SetPath(const std::string& folder) {
    if (folder == path_ && count() > 0) return;
    Setting guard(setting_);
    path_ = folder;
    clear();
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        std::error_code kindError;
        if (it->is_regular_file(kindError)) names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    for (const std::string& n : names)
        new QListWidgetItem(icons::PlaceIcon(icons::Place::File), QString::fromStdString(n), this);
}

std::string FileListBox::FileName() const {
    QListWidgetItem* item = currentItem();
    return item != nullptr && item->isSelected() ? item->text().toStdString() : "";
}

void FileListBox::SetFileName(const std::string& name) {
    Setting guard(setting_);
    if (name.empty()) {
        setCurrentRow(-1);
        clearSelection();
        return;
    }
    const QString wanted = QString::fromStdString(name);
    QList<QListWidgetItem*> found = findItems(wanted, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (found.isEmpty()) {
        // A file made since the list was read.
        const std::string folder = path_;
        path_.clear();
        SetPath(folder);
        found = findItems(wanted, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (found.isEmpty()) return;
    }
    setCurrentItem(found.front());
    found.front()->setSelected(true);
}

}  // namespace kb
