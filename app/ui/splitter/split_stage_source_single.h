#pragma once
// The splitter wizard's second stage for one file: drive, folder and file lists, the picture
// buttons that move them, and what is known of the chosen file.

#include <QFrame>

#include "app/ui/splitter/split_wizard_settings.h"

class QLabel;
class QToolButton;

namespace kb {

class DriveList;
class FileListBox;
class FolderList;

class SplitStageSourceSingle : public QFrame {
    Q_OBJECT

public:
    explicit SplitStageSourceSingle(QWidget* parent);
    void Load(const SplitSourceSingleSettings& s);
    void Store(SplitSourceSingleSettings& s) const;

    DriveList* SingleSplitDrive_ = nullptr;
    FolderList* SingleSplitFolder_ = nullptr;
    FileListBox* SingleSplitFile_ = nullptr;
    QToolButton* cmdSingleSplitComDlg_ = nullptr;
    QToolButton* cmdSingleSplitMyDocs_ = nullptr;
    QToolButton* cmdSingleSplitDesktop_ = nullptr;
    QLabel* lblSingleSplitSelectedFileInfo_ = nullptr;
};

}  // namespace kb
