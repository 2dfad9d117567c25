#pragma once
// The splitter wizard's fourth stage: where the pieces go, one folder or a series of disks.

#include <QFrame>

#include "app/ui/splitter/split_wizard_settings.h"

class QCheckBox;
class QLabel;
class QRadioButton;
class QToolButton;

namespace kb {

class DriveList;
class FolderList;

class SplitStageSelDest : public QFrame {
    Q_OBJECT

public:
    explicit SplitStageSelDest(QWidget* parent);
    void Load(const SplitSelDestSettings& s);
    void Store(SplitSelDestSettings& s) const;

    QRadioButton* optSplitToFolder_ = nullptr;
    QRadioButton* optSplitToDisks_ = nullptr;
    DriveList* drvFragDest_ = nullptr;
    FolderList* dirFragDest_ = nullptr;
    QToolButton* cmdFragDestMkdir_ = nullptr;
    QToolButton* cmdFragDestMyDocs_ = nullptr;
    QToolButton* cmdFragDestDesktop_ = nullptr;
    QCheckBox* chkUseFreespaceInstead_ = nullptr;
    QLabel* lblSplitDestDriveInfo_ = nullptr;
};

}  // namespace kb
