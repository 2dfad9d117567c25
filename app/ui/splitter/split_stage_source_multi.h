#pragma once
// The splitter wizard's second stage for a selection of files and folders: the selection list,
// its buttons, the summary of the whole selection and the details of the highlighted row.

#include <QFrame>

#include <string>

#include "app/core/file_list.h"
#include "app/ui/splitter/split_multi_source.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace kb {

class SplitStageSourceMulti : public QFrame, public SplitMultiSource {
    Q_OBJECT

public:
    explicit SplitStageSourceMulti(QWidget* parent);

    // What the wizard's flow asks of the selection.
    int RowCount() const override;
    std::string SeriesName() const override;
    bool FolderSizesStale() const override { return FolderSizesStale_; }
    void SetSeriesNameTag(const std::string& tag) override;
    void RemoveAll() override { cmdSplitListRemoveAll_Click(); }
    void SetAddFileStart(const std::string& fileName) override { addFileStart_ = fileName; }
    const FileList& SplitFiles() const override { return SplitFiles_; }
    std::vector<std::string> SplitFolders() const override { return SplitFolders_; }

    // The stage's handlers.
    void cmdSplitListAddFile_Click();
    void cmdSplitListAddFolder_Click();
    void cmdSplitListRemove_Click();
    void cmdSplitListRemoveAll_Click();
    void UpdateSelectionSummary();

    bool FolderSizesStale_ = true;
    FileList SplitFiles_;
    std::vector<std::string> SplitFolders_;

    QLineEdit* txtSeriesName_ = nullptr;
    QTreeWidget* SplitList_ = nullptr;
    QPushButton* cmdSplitListAddFile_ = nullptr;
    QPushButton* cmdSplitListAddFolder_ = nullptr;
    QPushButton* cmdSplitListRemove_ = nullptr;
    QPushButton* cmdSplitListRemoveAll_ = nullptr;
    QGroupBox* fSplitPanelFileListSummary_ = nullptr;
    QLabel* lblToSplitSummary_ = nullptr;
    QLabel* imgSplitPanelFileListSummary_ = nullptr;
    QPushButton* cmdfSplitPanelFileListSummaryCalcFolderSizes_ = nullptr;
    QGroupBox* fSplitPanelFileItemDetails_ = nullptr;
    QLabel* lblToSplitItemDetails_ = nullptr;
    QLabel* imgSplitPanelFileItemDetails_ = nullptr;
    QLabel* imgSplitPanelFolderItemDetails_ = nullptr;
    QPushButton* cmdfSplitPanelFileItemDetailsCalcFolderSize_ = nullptr;

signals:
    // The selection gained its first row or lost its last: the wizard's Next follows.
    void SelectionChanged();

private:
    std::string addFileStart_;
};

}  // namespace kb
