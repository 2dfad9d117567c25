// The splitter wizard's controls wired to the flow's handlers. Only a user's own action is
// connected: the flow runs the handlers of the controls it sets itself.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidget>

#include "app/ui/common/drive_list.h"
#include "app/ui/common/file_list_box.h"
#include "app/ui/common/folder_list.h"
#include "app/ui/splitter/split_stage_cmp_enc.h"
#include "app/ui/splitter/split_stage_frag_range.h"
#include "app/ui/splitter/split_stage_frag_size.h"
#include "app/ui/splitter/split_stage_intro.h"
#include "app/ui/splitter/split_stage_sel_dest.h"
#include "app/ui/splitter/split_stage_source_multi.h"
#include "app/ui/splitter/split_stage_source_single.h"
#include "app/ui/splitter/split_wizard.h"

namespace kb {

void SplitWizard::ConnectSources() {
    SplitWizardFlow* f = flow_.get();
    connect(fSplitStageIntro_->optSplitMultiFile_, &QRadioButton::clicked, this,
            [this, f] { Run([f] { f->optSplitMultiFile_Click(); }); });
    SplitStageSourceSingle* s = fSplitStageSelectSourceSingle_;
    connect(s->SingleSplitDrive_, &DriveList::DriveChanged, this,
            [this, f] { Run([f] { f->SingleSplitDrive_Change(); }); });
    connect(s->SingleSplitFolder_, &FolderList::PathChanged, this,
            [this, f] { Run([f] { f->SingleSplitFolder_Change(); }); });
    connect(s->SingleSplitFile_, &FileListBox::FileClicked, this,
            [this, f] { Run([f] { f->SingleSplitFile_Click(); }); });
    connect(s->cmdSingleSplitComDlg_, &QToolButton::clicked, this,
            [this, f] { Run([f] { f->cmdSingleSplitComDlg_Click(); }); });
    connect(s->cmdSingleSplitDesktop_, &QToolButton::clicked, this,
            [this, f] { Run([f] { f->cmdSingleSplitDesktop_Click(); }); });
    connect(s->cmdSingleSplitMyDocs_, &QToolButton::clicked, this,
            [this, f] { Run([f] { f->cmdSingleSplitMyDocs_Click(); }); });
    connect(fSplitStageSelectSourceMulti_, &SplitStageSourceMulti::SelectionChanged, this, [this, f] {
        Run([this, f] {
            if (f->SplitWizStage == 2 && f->intro.multiFile)
                f->nav.nextEnabled = fSplitStageSelectSourceMulti_->RowCount() > 0;
        });
    });
    QLineEdit* series = fSplitStageSelectSourceMulti_->txtSeriesName_;
    Checked(series, [f, series] { return f->txtSeriesName_Validate(series->text().toStdString()); }, [] {});
}

void SplitWizard::ConnectDestination() {
    SplitWizardFlow* f = flow_.get();
    SplitStageSelDest* d = fSplitStageSelDest_;
    connect(d->drvFragDest_, &DriveList::DriveChanged, this,
            [this, f] { Run([f] { f->drvFragDest_Change(); }); });
    connect(d->dirFragDest_, &FolderList::PathChanged, this,
            [this, f] { Run([f] { f->dirFragDest_Change(); }); });
    connect(d->cmdFragDestDesktop_, &QToolButton::clicked, this,
            [this, f] { Run([f] { f->cmdFragDestDesktop_Click(); }); });
    connect(d->cmdFragDestMyDocs_, &QToolButton::clicked, this,
            [this, f] { Run([f] { f->cmdFragDestMyDocs_Click(); }); });
    connect(d->cmdFragDestMkdir_, &QToolButton::clicked, this, [this, f, d] {
        std::string made;
        Run([f, &made] { made = f->cmdFragDestMkdir_Click(); });
        d->dirFragDest_->Refresh();
        d->dirFragDest_->Select(made);
    });
    connect(d->optSplitToDisks_, &QRadioButton::clicked, this,
            [this, f] { Run([f] { f->optSplitToDisks_Click(); }); });
    connect(d->optSplitToFolder_, &QRadioButton::clicked, this,
            [this, f] { Run([f] { f->optSplitToFolder_Click(); }); });
}

void SplitWizard::ConnectOptions() {
    SplitWizardFlow* f = flow_.get();
    SplitStageCmpEnc* c = fSplitStageCmpEnc_;
    connect(c->chkUseCompression_, &QCheckBox::clicked, this,
            [this, f] { Run([f] { f->chkUseCompression_Click(); }); });
    connect(c->chkUseEnc_, &QCheckBox::clicked, this, [this, f] { Run([f] { f->chkUseEnc_Click(); }); });
    connect(c->cmbEncryptionType_, &QComboBox::activated, this,
            [this, f] { Run([f] { f->cmbEncryptionType_Change(); }); });
    for (int i = 0; i < 2; ++i)
        connect(c->optFileFormatting_[i], &QRadioButton::clicked, this,
                [this, f, i] { Run([f, i] { f->optFileFormatting_Click(i); }); });
}

void SplitWizard::ConnectSizes() {
    SplitWizardFlow* f = flow_.get();
    SplitStageFragSize* s = fSplitStageFragSize_;
    connect(s->optPresetSize_, &QRadioButton::clicked, this, [this, f] { Run([f] { f->optPresetSize_Click(); }); });
    connect(s->optCustomSize_, &QRadioButton::clicked, this, [this, f] { Run([f] { f->optCustomSize_Click(); }); });
    connect(s->optFillDisk_, &QRadioButton::clicked, this, [this, f] { Run([f] { f->optFillDisk_Click(); }); });
    connect(s->optCustomNumPieces_, &QRadioButton::clicked, this,
            [this, f] { Run([f] { f->optCustomNumPieces_Click(); }); });
    connect(s->chkFirstOverride_, &QCheckBox::clicked, this,
            [this, f] { Run([f] { f->chkFirstOverride_Click(); }); });
    connect(s->cmbPreset_, &QComboBox::activated, this, [this, f] { Run([f] { f->cmbPreset_Click(); }); });
    connect(s->cmbCustSizeUnits_, &QComboBox::activated, this,
            [this, f] { Run([f] { f->cmbCustSizeUnits_Change(); }); });
    connect(s->txtFragNamingTemplate_, &QLineEdit::textEdited, this,
            [this, f] { Run([f] { f->txtFragNamingTemplate_Change(); }); });
    auto setSize = [f] { f->SetFragSizeFromSplitWiz(); };
    Checked(s->txtCustomSize_, [f] { return f->txtCustomSize_Validate(); }, setSize);
    Checked(s->txtFragNamingTemplate_, [f] { return f->txtFragNamingTemplate_Validate(); }, setSize);
    connect(s->txtCustomNumPieces_, &QLineEdit::editingFinished, this, [this, setSize] { Run(setSize); });
}

void SplitWizard::ConnectRange() {
    SplitWizardFlow* f = flow_.get();
    SplitStageFragRange* r = fSplitStageFragRange_;
    connect(r->optExtraFilesOn_, &QRadioButton::clicked, this,
            [this, f] { Run([f] { f->optExtraFilesOn_Click(); }); });
    connect(r->optExtraFilesNothing_, &QRadioButton::clicked, this,
            [this, f] { Run([f] { f->optExtraFilesNothing_Click(); }); });
    // A tick or untick is the click that changes what the generators need.
    connect(r->lvExtraFilesList_, &QTreeWidget::itemChanged, this,
            [this, f] { Run([f] { f->lvExtraFilesList_Click(); }); });
    for (QRadioButton* b : {r->optMakeAllFrags_, r->optMakeSingleFragment_, r->optMakeRangeFragments_})
        connect(b, &QRadioButton::clicked, this, [this, f] { Run([f] { f->optMakeFrags_Click(); }); });
    struct Pair {
        QLineEdit* text;
        QSpinBox* ud;
        PieceSpinner SplitFragRangeSettings::*spinner;
    };
    for (const Pair& p : {Pair{r->txtSingleFragToCreate_, r->udSingleFragToCreate_, &SplitFragRangeSettings::single},
                          Pair{r->txtFragRangeFrom_, r->udFragRangeFrom_, &SplitFragRangeSettings::from},
                          Pair{r->txtFragRangeTo_, r->udFragRangeTo_, &SplitFragRangeSettings::to}}) {
        Checked(p.text, [f, p] { return f->PieceNumber_Validate(f->range.*p.spinner); }, [f, p] {
            if (p.spinner == &SplitFragRangeSettings::from) f->udFragRangeFrom_Change();
        });
        connect(p.ud, &QSpinBox::valueChanged, this, [this, f, p](int v) {
            Run([f, p, v] {
                (f->range.*p.spinner).value = v;
                (f->range.*p.spinner).text = std::to_string(v);
                if (p.spinner == &SplitFragRangeSettings::from) f->udFragRangeFrom_Change();
            });
        });
    }
}

}  // namespace kb
