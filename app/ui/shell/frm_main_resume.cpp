// A split resumed from the front page runs inside the window like a split from the wizard,
// but without the wizard: the window is locked and the progress panel stands in the wizard's
// place until the split returns.
#include <QPushButton>
#include <QTabBar>

#include <initializer_list>

#include "app/core/active_splitter.h"
#include "app/ui/common/uc_progress_panel.h"
#include "app/ui/shell/frm_main.h"
#include "app/ui/splitter/split_stage_cmp_enc.h"
#include "app/ui/splitter/split_stage_frag_range.h"
#include "app/ui/splitter/split_stage_frag_size.h"
#include "app/ui/splitter/split_stage_intro.h"
#include "app/ui/splitter/split_stage_sel_dest.h"
#include "app/ui/splitter/split_stage_source_multi.h"
#include "app/ui/splitter/split_stage_source_single.h"
#include "app/ui/splitter/split_wizard.h"

namespace kb {

void frmMain::LockForResumedSplit(bool locked) {
    SplitWizard& wizard = *fSplitPanel_;
    ucProgressPanel& panel = *fSptProgPan();
    Tabs_->setEnabled(!locked);
    for (QPushButton* b : {wizard.cmdSplitWizBack_, wizard.cmdSplitWizNext_, wizard.cmdSplitWizReset_})
        b->setEnabled(!locked);
    if (locked) {
        SetSplitBusy(true);
        panel.SetCaption("Resuming split operation...");
        panel.SetBottomText("Clicking cancel will allow you to save the current progress and "
                            "continue later.");
        panel.SetPB1Caption("Total progress:");
        panel.SetPB2Caption("Current piece:");
        panel.SetPB1Percent(0);
        panel.SetPB2Percent(0);
        panel.SetCancelVisible(true);
        // A resumed split knows nothing of the time the earlier part took.
        panel.StopTimings();
        for (QWidget* stage : std::initializer_list<QWidget*>{
                 wizard.fSplitStageIntro_, wizard.fSplitStageSelectSourceSingle_,
                 wizard.fSplitStageSelectSourceMulti_, wizard.fSplitStageCmpEnc_,
                 wizard.fSplitStageSelDest_, wizard.fSplitStageFragSize_, wizard.fSplitStageFragRange_})
            stage->hide();
        panel.show();
        return;
    }
    panel.hide();
    cmdSplitWizReset_Click();
    SetSplitBusy(false);
    SelectTab("Frontpage");
}

void frmMain::ResumeSplit(const std::string& /*path*/) {
    // The wizard's split runner listens to the splitter for the window's whole life, so this
    // split gets the same progress, disk and cancel handling as one started from the wizard;
    // unlike that one it sends the plug-ins no notices and leaves the temporary files alone.
    Splitter().Split();
}

}  // namespace kb
