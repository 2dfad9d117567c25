#include "app/ui/splitter/split_stage_sel_dest.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/ui/common/drive_list.h"
#include "app/ui/common/folder_list.h"
#include "app/ui/common/ui_text.h"
#include "app/ui/common/widgets.h"
#include "app/ui/splitter/picture_button.h"

namespace kb {

SplitStageSelDest::SplitStageSelDest(QWidget* parent) : QFrame(parent) {
    setObjectName("fSplitStageSelDest");
    setFrameShape(QFrame::NoFrame);
    auto* heading = Heading(this, "lblSplitDestTitle",
                            "Where would you like to save the pieces of the original file?", 1.1);
    optSplitToFolder_ = Named<QRadioButton>(this, "optSplitToFolder",
                                            "Save all fragments in the selected folder");
    optSplitToDisks_ = Named<QRadioButton>(
        this, "optSplitToDisks", "Save fragments across several different disks in the selected drive");
    optSplitToFolder_->setChecked(true);
    drvFragDest_ = Named<DriveList>(this, "drvFragDest");
    drvFragDest_->setAccessibleName("Destination drive");
    dirFragDest_ = Named<FolderList>(this, "dirFragDest");
    dirFragDest_->setAccessibleName("Destination folder");
    cmdFragDestMkdir_ = PictureButton(this, "cmdFragDestMkdir", icons::Place::NewFolder, "New Folder");
    cmdFragDestMyDocs_ = PictureButton(this, "cmdFragDestMyDocs", icons::Place::Documents, "My Documents");
    cmdFragDestDesktop_ = PictureButton(this, "cmdFragDestDesktop", icons::Place::Desktop, "Desktop");
    chkUseFreespaceInstead_ = Named<QCheckBox>(
        this, "chkUseFreespaceInstead", "Use 1st disk's freespace instead of totalspace for fragsize");
    auto* info = Named<QGroupBox>(this, "fSplitDestDriveInfo", "Drive");
    lblSplitDestDriveInfo_ =
        Named<QLabel>(info, "lblSplitDestDriveInfo", "Unable to display drive information");
    lblSplitDestDriveInfo_->setWordWrap(true);
    (new QVBoxLayout(info))->addWidget(lblSplitDestDriveInfo_, 0, Qt::AlignTop);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdFragDestMkdir_);
    buttons->addWidget(cmdFragDestMyDocs_);
    buttons->addWidget(cmdFragDestDesktop_);
    buttons->addStretch(1);
    auto* places = new QGridLayout;
    places->addWidget(drvFragDest_, 0, 0);
    places->addWidget(dirFragDest_, 1, 0);
    places->addLayout(buttons, 0, 1, 2, 1);
    places->addWidget(info, 0, 2, 2, 1);
    places->setColumnStretch(0, 3);
    places->setColumnStretch(2, 2);
    places->setRowStretch(1, 1);

    auto* all = new QVBoxLayout(this);
    all->setContentsMargins(Twips(120), Twips(60), Twips(60), 0);
    all->addWidget(heading);
    all->addWidget(optSplitToFolder_);
    all->addWidget(optSplitToDisks_);
    all->addLayout(places, 1);
    all->addWidget(chkUseFreespaceInstead_);
}

void SplitStageSelDest::Load(const SplitSelDestSettings& s) {
    drvFragDest_->SetDrive(s.drive);
    if (dirFragDest_->Path() != s.folder || dirFragDest_->count() == 0) dirFragDest_->SetPath(s.folder);
    if (dirFragDest_->Chosen() != s.chosen) dirFragDest_->Select(s.chosen);
    (s.toDisks ? optSplitToDisks_ : optSplitToFolder_)->setChecked(true);
    optSplitToDisks_->setEnabled(s.toDisksEnabled);
    chkUseFreespaceInstead_->setChecked(s.useFreespace);
    chkUseFreespaceInstead_->setEnabled(s.useFreespaceEnabled);
    lblSplitDestDriveInfo_->setText(DisplayText(s.driveInfo));
}

void SplitStageSelDest::Store(SplitSelDestSettings& s) const {
    s.drive = drvFragDest_->Drive();
    s.folder = dirFragDest_->Path();
    s.chosen = dirFragDest_->Chosen();
    s.toDisks = optSplitToDisks_->isChecked();
    s.useFreespace = chkUseFreespaceInstead_->isChecked();
}

}  // namespace kb
