#include "app/ui/common/drive_list.h"

#include <QStorageInfo>

#include "app/ui/common/place_icons.h"

namespace kb {

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
    setIconSize(QSize(16, 16));
    Fill();
    connect(this, &QComboBox::activated, this, [this](int) { emit DriveChanged(); });
}

void DriveList::Fill() {
    QSignalBlocker block(this);
    clear();
    addItem(icons::PlaceIcon(icons::Place::Drive), "/", QString("/"));
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        if (!v.isValid() || !v.isReady() || !v.device().startsWith("/dev/")) continue;
        const QString root = v.rootPath();
        if (findData(root) >= 0) continue;
        const QString label = v.displayName() != root ? v.displayName() : QString();
        addItem(icons::PlaceIcon(icons::Place::Drive),
                label.isEmpty() ? root : root + "  [" + label + "]", root);
    }
}

void DriveList::showPopup() {
    const std::string current = Drive();
    Fill();
    SetDrive(current);
    QComboBox::showPopup();
}

std::string DriveList::Drive() const { return currentData().toString().toStdString(); }

void DriveList::SetDrive(const std::string& root) {
    QSignalBlocker block(this);
    const QString r = QString::fromStdString(root);
    int i = findData(r);
    if (i < 0 && !root.empty()) {
        addItem(icons::PlaceIcon(icons::Place::Drive), r, r);
        i = count() - 1;
    }
    setCurrentIndex(i);
}

}  // namespace kb
