#pragma once
// The splitter wizard's second stage for a selection of files and folders: the selection list,
// its buttons, the summary of the whole selection and the details of the highlighted row, and
// the folder-size scans.

#include <QFrame>

#include <string>

#include "app/ui/splitter/split_multi_source.h"
#include "app/ui/splitter/split_selection.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace kb {

class SplitStageSourceMulti : public QFrame, public SplitMultiSource {
    Q_OBJECT

public:
    explicit SplitStageSourceMulti(QWidget* parent);

    // What the wizard's flow asks of the selection.
    int RowCount() const override;
    const FileList& SplitFiles() const override { return selection_.SplitFiles; }
    std::vector<std::string> SplitFolders() const override { return selection_.SplitFolders.Items(); }
    std::string SeriesName() const override;
    bool FolderSizesStale() const override { return selection_.FolderSizesStale; }
    void SetSeriesNameTag(const std::string& tag) override;
    void RemoveAll() override { cmdSplitListRemoveAll_Click(); }
    void SetAddFileStart(const std::string& fileName) override { addFileStart_ = fileName; }

    // The command line's hand-over: a file added as Add File adds it, without a dialog, and a
    // folder added as Add Folder adds a chosen one unless it is listed already.
    void AddFileFromCommandLine(const std::string& path);
    void AddFolderFromCommandLine(const std::string& path);

    const SplitSelection& Selection() const { return selection_; }

    // The stage's handlers.
    void cmdSplitListAddFile_Click();
    void cmdSplitListAddFolder_Click();
    void cmdSplitListRemove_Click();
    void cmdSplitListRemoveAll_Click();
    void cmdfSplitPanelFileItemDetailsCalcFolderSize_Click();
    void cmdfSplitPanelFileListSummaryCalcFolderSizes_Click();
    void UpdateSelectionSummary();
    void SplitList_ItemClick(QTreeWidgetItem* Item);

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
    // The selection gained or lost rows: the wizard's Next follows.
    void SelectionChanged();

private:
    void BuildInfoFrames();
    void BuildLayout(QLabel* nameLabel);
    void ConnectControls();
    void AddFile(const std::string& fileName);
    void AddFolder(const std::string& path);
    QTreeWidgetItem* AddRow(const std::string& key, const std::string& text, bool folder);
    static std::string KeyOf(const QTreeWidgetItem* item);
    // The first row names the series unless the user typed a name.
    void ApplySeriesName(const std::string& name);
    bool SeriesNameFollowsSelection() const;
    void ShowNothingHighlighted();
    void EnableForRows();

    SplitSelection selection_;
    std::string addFileStart_;
};

}  // namespace kb
