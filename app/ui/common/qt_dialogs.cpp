#include "app/ui/common/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace kb {

QStringList DialogNameFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        // The description may show its own patterns; the dialog reads the last brackets.
        description.remove(QRegularExpression(R"(\s*\([^()]*\)\s*$)"));
        QStringList patterns;
        for (QString p : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
            p = p.trimmed();
            if (p == "*.*") p = "*";
            if (p.endsWith(".dll", Qt::CaseInsensitive)) p = p.left(p.size() - 4) + ".so";
            patterns << p;
        }
        out << description + " (" + patterns.join(' ') + ")";
    }
    return out;
}

QWidget* QtDialogs::Owner() const {
    return owner_ != nullptr ? owner_ : QApplication::activeWindow();
}

std::optional<std::string> QtDialogs::OpenFile(const OpenFileRequest& request) {
    QFileDialog dialog(Owner(), QString::fromStdString(request.title));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    const QStringList filters = DialogNameFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = request.filterIndex >= 1 && request.filterIndex <= filters.size()
                              ? request.filterIndex - 1
                              : 0;
        dialog.selectNameFilter(filters[index]);
    }
    // The preset is a folder with a file name or a pattern in it.
    const QFileInfo preset(QString::fromStdString(request.fileName));
    if (!request.fileName.empty()) {
        if (preset.absoluteDir().exists()) dialog.setDirectory(preset.absolutePath());
        if (!preset.fileName().contains('*') && !preset.fileName().contains('?'))
            dialog.selectFile(preset.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> QtDialogs::BrowseForFolder(const std::string& title,
                                                      const std::string& startFolder) {
    const QString chosen = QFileDialog::getExistingDirectory(
        Owner(), QString::fromStdString(title), QString::fromStdString(startFolder),
        QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty()) return std::nullopt;
    return chosen.toStdString();
}

}  // namespace kb
