#include "app/ui/common/folder_list.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "app/ui/common/place_icons.h"

namespace kb {

namespace fs = std::filesystem;

FolderList::FolderList(QWidget* parent) : QListWidget(parent) {
    setIconSize(QSize(16, 16));
    auto open = [this](QListWidgetItem* item) {
        const std::string target = item->data(Qt::UserRole).toString().toStdString();
        if (target == path_) return;
        SetPath(target);
        emit PathChanged();
    };
    connect(this, &QListWidget::itemClicked, this, open);
    connect(this, &QListWidget::itemActivated, this, open);
}

void FolderList::SetPath(const std::string& path) {
    path_ = path;
    clear();
    if (path.empty()) return;
    // The chain from the root down to the folder.
    std::vector<std::string> chain{"/"};
    for (size_t i = 1; i < path.size(); ++i)
        if (path[i] == '/') chain.push_back(path.substr(0, i));
    if (path != "/" && chain.back() != path) chain.push_back(path);
    const QString indentStep = "    ";
    QString indent;
    for (const std::string& folder : chain) {
        const std::string shown = folder == "/" ? "/" : fs::path(folder).filename().string();
        auto* item = new QListWidgetItem(icons::PlaceIcon(icons::Place::OpenFolder),
                                         indent + QString::fromStdString(shown), this);
        item->setData(Qt::UserRole, QString::fromStdString(folder));
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
    for (const std::string& name : children) {
        auto* item = new QListWidgetItem(icons::PlaceIcon(icons::Place::Folder),
                                         indent + QString::fromStdString(name), this);
        item->setData(Qt::UserRole, QString::fromStdString(base + "/" + name));
    }
}

}  // namespace kb
