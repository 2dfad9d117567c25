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

#include "app/ui/common/place_icons.h"
#include "app/ui/common/widgets.h"

namespace kb {

namespace {

QLabel* Picture(QWidget* parent, const char* name, icons::Place kind) {
    auto* l = Named<QLabel>(parent, name);
    l->setPixmap(icons::PlacePixmap(kind, 32));
    l->setFixedSize(36, 36);
    return l;
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
    SplitList_->setDragEnabled(false);
    cmdSplitListAddFile_ = Named<QPushButton>(this, "cmdSplitListAddFile", "Add File");
    cmdSplitListAddFolder_ = Named<QPushButton>(this, "cmdSplitListAddFolder", "Add Folder");
    cmdSplitListRemove_ = Named<QPushButton>(this, "cmdSplitListRemove", "Remove");
    cmdSplitListRemoveAll_ = Named<QPushButton>(this, "cmdSplitListRemoveAll", "Remove All");
    cmdSplitListRemove_->setEnabled(false);
    cmdSplitListRemoveAll_->setEnabled(false);

    fSplitPanelFileListSummary_ =
        Named<QGroupBox>(this, "fSplitPanelFileListSummary", "Entire Selection Summary");
    imgSplitPanelFileListSummary_ =
        Picture(fSplitPanelFileListSummary_, "imgSplitPanelFileListSummary", icons::Place::Drive);
    lblToSplitSummary_ =
        Named<QLabel>(fSplitPanelFileListSummary_, "lblToSplitSummary", "Nothing selected.");
    lblToSplitSummary_->setWordWrap(true);
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

    connect(cmdSplitListAddFile_, &QPushButton::clicked, this, [this] { cmdSplitListAddFile_Click(); });
    connect(cmdSplitListAddFolder_, &QPushButton::clicked, this,
            [this] { cmdSplitListAddFolder_Click(); });
    connect(cmdSplitListRemove_, &QPushButton::clicked, this, [this] { cmdSplitListRemove_Click(); });
    connect(cmdSplitListRemoveAll_, &QPushButton::clicked, this,
            [this] { cmdSplitListRemoveAll_Click(); });
    connect(txtSeriesName_, &QLineEdit::textEdited, this,
            [this] { txtSeriesName_->setProperty("Tag", QString("1")); });
}

int SplitStageSourceMulti::RowCount() const { return SplitList_->topLevelItemCount(); }

std::string SplitStageSourceMulti::SeriesName() const { return txtSeriesName_->text().toStdString(); }

void SplitStageSourceMulti::SetSeriesNameTag(const std::string& tag) {
    txtSeriesName_->setProperty("Tag", QString::fromStdString(tag));
}

// ---- The selection's behaviour comes with its own work; these are its entry points.

void SplitStageSourceMulti::cmdSplitListAddFile_Click() {
    // Adds one file (from the add-file dialog, or a path handed over by the command line).
}

void SplitStageSourceMulti::cmdSplitListAddFolder_Click() {
    // Adds one folder chosen in the folder browser.
}

void SplitStageSourceMulti::cmdSplitListRemove_Click() {
    // Removes the highlighted row.
}

void SplitStageSourceMulti::cmdSplitListRemoveAll_Click() {
    SplitList_->clear();
    SplitFiles_.Clear();
    SplitFolders_.clear();
    FolderSizesStale_ = true;
    cmdSplitListRemove_->setEnabled(false);
    cmdSplitListRemoveAll_->setEnabled(false);
    // The series name, the details and the summary are put back with the selection's work.
    emit SelectionChanged();
}

void SplitStageSourceMulti::UpdateSelectionSummary() {
    // Rewrites the summary of the whole selection.
}

}  // namespace kb
