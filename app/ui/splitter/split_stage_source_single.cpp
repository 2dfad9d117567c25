#include "app/ui/splitter/split_stage_source_single.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/ui/common/drive_list.h"
#include "app/ui/common/file_list_box.h"
#include "app/ui/common/folder_list.h"
#include "app/ui/common/place_icons.h"
#include "app/ui/common/ui_text.h"
#include "app/ui/common/widgets.h"
#include "app/ui/splitter/picture_button.h"

namespace kb {

SplitStageSourceSingle::SplitStageSourceSingle(QWidget* parent) : QFrame(parent) {
    setObjectName("fSplitStageSelectSourceSingle");
    setFrameShape(QFrame::NoFrame);
    auto* prompt = Heading(this, "lblSingleSplitPrompt",
                           "Please select the file that you would like to split...", 1.1);
    SingleSplitDrive_ = Named<DriveList>(this, "SingleSplitDrive");
    SingleSplitDrive_->setAccessibleName("Source drive");
    SingleSplitFolder_ = Named<FolderList>(this, "SingleSplitFolder");
    SingleSplitFolder_->setAccessibleName("Source folder");
    SingleSplitFile_ = Named<FileListBox>(this, "SingleSplitFile");
    SingleSplitFile_->setAccessibleName("File to split");
    cmdSingleSplitComDlg_ = PictureButton(this, "cmdSingleSplitComDlg", icons::Place::Find,
                                          "Find using common dialog");
    cmdSingleSplitMyDocs_ = PictureButton(this, "cmdSingleSplitMyDocs", icons::Place::Documents,
                                          "My Documents");
    cmdSingleSplitDesktop_ = PictureButton(this, "cmdSingleSplitDesktop", icons::Place::Desktop,
                                           "Desktop");

    auto* info = Named<QGroupBox>(this, "fSingleSplitSelectedFileInfo", "Selected File Information");
    lblSingleSplitSelectedFileInfo_ = Named<QLabel>(info, "lblSingleSplitSelectedFileInfo",
                                                    "Nothing selected.");
    lblSingleSplitSelectedFileInfo_->setWordWrap(true);
    lblSingleSplitSelectedFileInfo_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Room for the path, an empty line and the size.
    lblSingleSplitSelectedFileInfo_->setMinimumHeight(
        lblSingleSplitSelectedFileInfo_->fontMetrics().lineSpacing() * 3);
    (new QVBoxLayout(info))->addWidget(lblSingleSplitSelectedFileInfo_);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdSingleSplitComDlg_);
    buttons->addWidget(cmdSingleSplitMyDocs_);
    buttons->addWidget(cmdSingleSplitDesktop_);
    buttons->addStretch(1);

    auto* lists = new QGridLayout;
    lists->addWidget(SingleSplitDrive_, 0, 0);
    lists->addWidget(SingleSplitFolder_, 1, 0);
    lists->addWidget(SingleSplitFile_, 0, 1, 2, 1);
    lists->addLayout(buttons, 0, 2, 2, 1);
    lists->setColumnStretch(0, 1);
    lists->setColumnStretch(1, 1);
    lists->setRowStretch(1, 1);

    auto* all = new QVBoxLayout(this);
    all->setContentsMargins(Twips(120), Twips(60), Twips(60), 0);
    all->addWidget(prompt);
    all->addLayout(lists, 1);
    all->addWidget(info);
}

void SplitStageSourceSingle::Load(const SplitSourceSingleSettings& s) {
    SingleSplitDrive_->SetDrive(s.drive);
    if (SingleSplitFolder_->Path() != s.folder) SingleSplitFolder_->SetPath(s.folder);
    SingleSplitFile_->SetPath(s.filePath);
    SingleSplitFile_->SetFileName(s.fileName);
    lblSingleSplitSelectedFileInfo_->setText(DisplayText(s.info));
}

void SplitStageSourceSingle::Store(SplitSourceSingleSettings& s) const {
    s.drive = SingleSplitDrive_->Drive();
    s.folder = SingleSplitFolder_->Path();
    s.filePath = SingleSplitFile_->Path();
    s.fileName = SingleSplitFile_->FileName();
}

}  // namespace kb
