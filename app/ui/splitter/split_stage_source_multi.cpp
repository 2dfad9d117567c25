#include "app/ui/splitter/split_stage_source_multi.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <exception>

#include "app/core/common_dialogs.h"
#include "app/core/paths.h"
#include "app/core/prompter.h"
#include "app/ui/common/place_icons.h"
#include "app/ui/common/ui_text.h"
#include "app/ui/common/widgets.h"

namespace kb {

namespace {

// Put before a path by the command line: the path is added without a dialog.
constexpr char kRemoteControl[] = "RemoteControl-";

QLabel* Picture(QWidget* parent, const char* name, icons::Place kind) {
    auto* l = Named<QLabel>(parent, name);
    l->setPixmap(icons::PlacePixmap(kind, 32));
    l->setFixedSize(36, 36);
    return l;
}

// One trailing "/" goes; the root of the file system keeps its "/".
std::string WithoutTrailingSlash(std::string path) {
    if (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

SplitStageSourceMulti::SplitStageSourceMulti(QWidget* parent) : QFrame(parent) {
    setObjectName("fSplitStageSelectSourceMulti");
    setFrameShape(QFrame::NoFrame);
    auto* nameLabel = Named<QLabel>(this, "lblSeriesName", "Series name:");
    txtSeriesName_ = Named<QLineEdit>(this, "txtSeriesName", "SeriesName");
    txtSeriesName_->setAccessibleName("Series name");
    txtSeriesName_->setProperty("Tag", QString("0"));
    nameLabel->setBuddy(txtSeriesName_);

    SplitList_ = Named<QTreeWidget>(this, "SplitList");
    SplitList_->setAccessibleName("Files and folders to split");
    SplitList_->setHeaderHidden(true);
    SplitList_->setRootIsDecorated(false);
    SplitList_->setIconSize(QSize(16, 16));
    // Rows carry nothing out: a drag would hand other programs paths they could move away.
    SplitList_->setDragEnabled(false);
    SplitList_->setDragDropMode(QAbstractItemView::NoDragDrop);
    cmdSplitListAddFile_ = Named<QPushButton>(this, "cmdSplitListAddFile", "Add File");
    cmdSplitListAddFolder_ = Named<QPushButton>(this, "cmdSplitListAddFolder", "Add Folder");
    cmdSplitListRemove_ = Named<QPushButton>(this, "cmdSplitListRemove", "Remove");
    cmdSplitListRemoveAll_ = Named<QPushButton>(this, "cmdSplitListRemoveAll", "Remove All");
    cmdSplitListRemove_->setEnabled(false);
    cmdSplitListRemoveAll_->setEnabled(false);
    BuildInfoFrames();
    BuildLayout(nameLabel);
    ConnectControls();
}

void SplitStageSourceMulti::BuildInfoFrames() {
    fSplitPanelFileListSummary_ =
        Named<QGroupBox>(this, "fSplitPanelFileListSummary", "Entire Selection Summary");
    imgSplitPanelFileListSummary_ =
        Picture(fSplitPanelFileListSummary_, "imgSplitPanelFileListSummary", icons::Place::Drive);
    lblToSplitSummary_ =
        Named<QLabel>(fSplitPanelFileListSummary_, "lblToSplitSummary", "Nothing selected.");
    lblToSplitSummary_->setWordWrap(true);
    // Long paths wrap inside the frame instead of widening it at the other frame's cost.
    lblToSplitSummary_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    cmdfSplitPanelFileListSummaryCalcFolderSizes_ = Named<QPushButton>(
        fSplitPanelFileListSummary_, "cmdfSplitPanelFileListSummaryCalcFolderSizes",
        "Calculate folder sizes");
    auto* summary = new QGridLayout(fSplitPanelFileListSummary_);
    summary->addWidget(imgSplitPanelFileListSummary_, 0, 0, Qt::AlignTop);
    summary->addWidget(lblToSplitSummary_, 0, 1);
    summary->addWidget(cmdfSplitPanelFileListSummaryCalcFolderSizes_, 1, 1, Qt::AlignRight);
    summary->setColumnStretch(1, 1);

    fSplitPanelFileItemDetails_ =
        Named<QGroupBox>(this, "fSplitPanelFileItemDetails", "Highlighted Item Details");
    imgSplitPanelFileItemDetails_ =
        Picture(fSplitPanelFileItemDetails_, "imgSplitPanelFileItemDetails", icons::Place::File);
    imgSplitPanelFolderItemDetails_ = Picture(fSplitPanelFileItemDetails_,
                                              "imgSplitPanelFolderItemDetails", icons::Place::Folder);
    lblToSplitItemDetails_ =
        Named<QLabel>(fSplitPanelFileItemDetails_, "lblToSplitItemDetails", "Nothing selected.");
    lblToSplitItemDetails_->setWordWrap(true);
    lblToSplitItemDetails_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    cmdfSplitPanelFileItemDetailsCalcFolderSize_ = Named<QPushButton>(
        fSplitPanelFileItemDetails_, "cmdfSplitPanelFileItemDetailsCalcFolderSize",
        "Calculate size");
    auto* details = new QGridLayout(fSplitPanelFileItemDetails_);
    details->addWidget(imgSplitPanelFileItemDetails_, 0, 0, Qt::AlignTop);
    details->addWidget(imgSplitPanelFolderItemDetails_, 0, 0, Qt::AlignTop);
    details->addWidget(lblToSplitItemDetails_, 0, 1);
    details->addWidget(cmdfSplitPanelFileItemDetailsCalcFolderSize_, 1, 1, Qt::AlignRight);
    details->setColumnStretch(1, 1);
    for (QWidget* w : {static_cast<QWidget*>(imgSplitPanelFileListSummary_),
                       static_cast<QWidget*>(imgSplitPanelFileItemDetails_),
                       static_cast<QWidget*>(imgSplitPanelFolderItemDetails_),
                       static_cast<QWidget*>(cmdfSplitPanelFileListSummaryCalcFolderSizes_),
                       static_cast<QWidget*>(cmdfSplitPanelFileItemDetailsCalcFolderSize_)})
        w->hide();
}

void SplitStageSourceMulti::BuildLayout(QLabel* nameLabel) {
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(nameLabel);
    nameRow->addWidget(txtSeriesName_, 1);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {cmdSplitListAddFile_, cmdSplitListAddFolder_, cmdSplitListRemove_,
                           cmdSplitListRemoveAll_})
        buttons->addWidget(b);
    buttons->addStretch(1);
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(SplitList_, 1);
    listRow->addLayout(buttons);
    auto* infoRow = new QHBoxLayout;
    infoRow->addWidget(fSplitPanelFileListSummary_, 1);
    infoRow->addWidget(fSplitPanelFileItemDetails_, 1);

    auto* all = new QVBoxLayout(this);
    all->setContentsMargins(Twips(120), Twips(60), Twips(60), 0);
    all->addLayout(nameRow);
    all->addLayout(listRow, 1);
    all->addLayout(infoRow);
}

void SplitStageSourceMulti::ConnectControls() {
    connect(cmdSplitListAddFile_, &QPushButton::clicked, this, [this] { cmdSplitListAddFile_Click(); });
    connect(cmdSplitListAddFolder_, &QPushButton::clicked, this,
            [this] { cmdSplitListAddFolder_Click(); });
    connect(cmdSplitListRemove_, &QPushButton::clicked, this, [this] { cmdSplitListRemove_Click(); });
    connect(cmdSplitListRemoveAll_, &QPushButton::clicked, this,
            [this] { cmdSplitListRemoveAll_Click(); });
    connect(txtSeriesName_, &QLineEdit::textEdited, this,
            [this] { txtSeriesName_->setProperty("Tag", QString("1")); });
    connect(SplitList_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { SplitList_ItemClick(item); });
    connect(cmdfSplitPanelFileItemDetailsCalcFolderSize_, &QPushButton::clicked, this,
            [this] { cmdfSplitPanelFileItemDetailsCalcFolderSize_Click(); });
    connect(cmdfSplitPanelFileListSummaryCalcFolderSizes_, &QPushButton::clicked, this,
            [this] { cmdfSplitPanelFileListSummaryCalcFolderSizes_Click(); });
}

int SplitStageSourceMulti::RowCount() const { return SplitList_->topLevelItemCount(); }

std::string SplitStageSourceMulti::SeriesName() const { return txtSeriesName_->text().toStdString(); }

void SplitStageSourceMulti::SetSeriesNameTag(const std::string& tag) {
    txtSeriesName_->setProperty("Tag", QString::fromStdString(tag));
}

// ---- Adding

void SplitStageSourceMulti::cmdSplitListAddFile_Click() {
    std::string fileName = addFileStart_;
    if (fileName.size() > 13 && fileName.rfind(kRemoteControl, 0) == 0) {
        fileName = fileName.substr(14);
    } else {
        const auto chosen = Dialogs().OpenFile(
            {"Please select a file to split...", "All Files (*.*)|*.*", 1, fileName});
        if (!chosen) return;
        fileName = *chosen;
    }
    addFileStart_ = fileName;
    if (!FileExists(fileName)) {
        MsgBox("Unable to add file, it may be in use by another process or does not exist.");
        return;
    }
    try {
        AddFile(fileName);
    } catch (const std::exception&) {
        MsgBox("An unknown problem occurred adding the file. It may be in use by another process.");
    }
}

void SplitStageSourceMulti::AddFile(const std::string& fileName) {
    // Names that differ only in letter case are different files here.
    for (const std::string& item : selection_.SplitFiles)
        if (item == fileName) return;
    selection_.SplitFiles.Add(fileName, true);
    AddRow(fileName, selection_.SplitFiles.TruncFileName(fileName), false);
    EnableForRows();
    UpdateSelectionSummary();
    ApplySeriesName(RemoveExtension(GetFileNameFromPath(fileName)));
    emit SelectionChanged();
}

void SplitStageSourceMulti::cmdSplitListAddFolder_Click() {
    const auto chosen =
        Dialogs().BrowseForFolder("Select a folder which you would like to split...", "");
    if (!chosen || chosen->empty()) return;
    AddFolder(WithoutTrailingSlash(*chosen));
}

void SplitStageSourceMulti::AddFolder(const std::string& path) {
    const std::string key = SplitSelection::FolderKey(path);
    bool listed = false;
    CollectionHasKey(selection_.SplitFolders, key, listed);
    if (!listed) {
        selection_.SplitFolders.Add(path, key);
        AddRow(key, path, true);
    }
    // A folder chosen again still refreshes everything that follows the selection.
    EnableForRows();
    selection_.FolderSizesStale = true;
    ApplySeriesName(RemoveExtension(GetFileNameFromPath(path)));
    UpdateSelectionSummary();
    emit SelectionChanged();
}

void SplitStageSourceMulti::AddFileFromCommandLine(const std::string& path) {
    addFileStart_ = kRemoteControl + path;
    cmdSplitListAddFile_Click();
}

void SplitStageSourceMulti::AddFolderFromCommandLine(const std::string& path) {
    const std::string folder = WithoutTrailingSlash(path);
    // An empty item names no folder (its key would be the root's).
    if (folder.empty() || selection_.SplitFolders.Has(SplitSelection::FolderKey(folder))) return;
    AddFolder(folder);
}

QTreeWidgetItem* SplitStageSourceMulti::AddRow(const std::string& key, const std::string& text,
                                               bool folder) {
    auto* item = new QTreeWidgetItem(SplitList_, {QString::fromStdString(text)});
    item->setIcon(0, icons::PlaceIcon(folder ? icons::Place::Folder : icons::Place::File));
    item->setData(0, Qt::UserRole, QString::fromStdString(key));
    item->setToolTip(0, QString::fromStdString(text));
    SplitList_->setCurrentItem(item);
    SplitList_ItemClick(item);
    return item;
}

std::string SplitStageSourceMulti::KeyOf(const QTreeWidgetItem* item) {
    return item->data(0, Qt::UserRole).toString().toStdString();
}

bool SplitStageSourceMulti::SeriesNameFollowsSelection() const {
    // The tag is read as a number: anything but a number counts as 0.
    return txtSeriesName_->property("Tag").toString().toDouble() == 0;
}

void SplitStageSourceMulti::ApplySeriesName(const std::string& name) {
    if (RowCount() != 1 || !SeriesNameFollowsSelection()) return;
    txtSeriesName_->setText(QString::fromStdString(name));
    SetSeriesNameTag("0");
}

void SplitStageSourceMulti::EnableForRows() {
    cmdSplitListRemove_->setEnabled(RowCount() > 0);
    cmdSplitListRemoveAll_->setEnabled(RowCount() > 0);
}

// ---- Removing

void SplitStageSourceMulti::cmdSplitListRemove_Click() {
    QTreeWidgetItem* item = SplitList_->currentItem();
    if (item == nullptr) return;
    const std::string key = KeyOf(item);
    delete item;
    if (SplitSelection::IsFolderKey(key))
        selection_.RemoveFolder(key);
    else
        selection_.SplitFiles.Remove(key);
    EnableForRows();
    if (RowCount() > 0) {
        if (SplitList_->currentItem() == nullptr) SplitList_->setCurrentItem(SplitList_->topLevelItem(0));
        SplitList_ItemClick(SplitList_->currentItem());
    } else {
        ShowNothingHighlighted();
    }
    UpdateSelectionSummary();
    emit SelectionChanged();
}

void SplitStageSourceMulti::cmdSplitListRemoveAll_Click() {
    SplitList_->clear();
    selection_.Clear();
    EnableForRows();
    ShowNothingHighlighted();
    UpdateSelectionSummary();
    emit SelectionChanged();
}

void SplitStageSourceMulti::ShowNothingHighlighted() {
    imgSplitPanelFileItemDetails_->hide();
    imgSplitPanelFolderItemDetails_->hide();
    lblToSplitItemDetails_->setText("Nothing selected.");
    lblToSplitItemDetails_->setToolTip({});
    if (SeriesNameFollowsSelection()) {
        txtSeriesName_->setText("Unnamed Series");
        SetSeriesNameTag("0");
    }
}

// ---- Describing the selection

void SplitStageSourceMulti::UpdateSelectionSummary() {
    bool calcFolderSizes = false;
    const std::string text = selection_.SummaryText(RowCount(), calcFolderSizes);
    if (RowCount() == 0) {
        cmdfSplitPanelFileItemDetailsCalcFolderSize_->hide();
        imgSplitPanelFileItemDetails_->hide();
        imgSplitPanelFolderItemDetails_->hide();
        lblToSplitItemDetails_->setText("Nothing selected.");
        lblToSplitItemDetails_->setToolTip({});
    }
    imgSplitPanelFileListSummary_->setVisible(RowCount() > 0);
    cmdfSplitPanelFileListSummaryCalcFolderSizes_->setVisible(calcFolderSizes);
    lblToSplitSummary_->setText(DisplayText(text));
}

void SplitStageSourceMulti::SplitList_ItemClick(QTreeWidgetItem* Item) {
    if (Item == nullptr) return;
    const std::string key = KeyOf(Item);
    const std::string text = Item->text(0).toStdString();
    const bool folder = SplitSelection::IsFolderKey(key);
    imgSplitPanelFolderItemDetails_->setVisible(folder);
    imgSplitPanelFileItemDetails_->setVisible(!folder);
    bool calcSize = false;
    const std::string details =
        folder ? selection_.FolderDetails(key, text, calcSize) : selection_.FileDetails(key, text);
    cmdfSplitPanelFileItemDetailsCalcFolderSize_->setVisible(calcSize);
    lblToSplitItemDetails_->setText(DisplayText(details));
    // A name too long to wrap is cut at the frame's edge; the tip shows it whole.
    lblToSplitItemDetails_->setToolTip(DisplayText(details));
}

}  // namespace kb
