#include "app/ui/splitter/split_wizard.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <exception>

#include "app/core/common_dialogs.h"
#include "app/core/debug_log.h"
#include "app/core/kb_error.h"
#include "app/ui/common/blocking_call.h"
#include "app/ui/common/help.h"
#include "app/ui/common/icons.h"
#include "app/ui/common/panel_view.h"
#include "app/ui/common/uc_progress_panel.h"
#include "app/ui/common/widgets.h"
#include "app/ui/dialogs/qt_wizard_windows.h"
#include "app/ui/splitter/split_runner.h"
#include "app/ui/splitter/split_stage_cmp_enc.h"
#include "app/ui/splitter/split_stage_frag_range.h"
#include "app/ui/splitter/split_stage_frag_size.h"
#include "app/ui/splitter/split_stage_intro.h"
#include "app/ui/splitter/split_stage_sel_dest.h"
#include "app/ui/splitter/split_stage_source_multi.h"
#include "app/ui/splitter/split_stage_source_single.h"

namespace kb {

namespace {

// Blocking work runs on a worker thread while this one keeps the window alive.
void RunInBackground(const std::function<void()>& work, const std::function<void()>& poll) {
    RunBlockingCall([&](const BlockingCallProgress&) { work(); }, {}, poll);
}

}  // namespace

SplitWizard::SplitWizard(QWidget* parent, ActiveSplitter& splitter, PluginHost& plugins,
                         SplitWizardHooks hooks)
    : QFrame(parent), splitter_(splitter) {
    setObjectName("fSplitPanel");
    setFrameShape(QFrame::NoFrame);
    Build();
    panelView_ = std::make_unique<PanelView>(*fSptProgPan_);
    ownWindows_ = std::make_unique<QtWizardWindows>(this, &plugins);
    setBusy_ = hooks.setBusy;
    SplitRunnerHooks runnerHooks;
    runnerHooks.lock = [this](bool locked) { LockForSplit(locked); };
    runnerHooks.closePending = hooks.closePending;
    runnerHooks.formatDrive = [this](const std::string& path) { flow_->FormatDestinationDrive(path); };
    hooks.showHelpTopic = ShowHelpTopic;
    hooks.applyNav = [this] { ApplyNav(); };
    hooks.panel = panelView_.get();
    hooks.windows = ownWindows_.get();
    hooks.runBlocking = RunInBackground;
    flow_ = std::make_unique<SplitWizardFlow>(splitter, Dialogs(), *fSplitStageSelectSourceMulti_,
                                              plugins, std::move(hooks));
    runner_ = std::make_unique<SplitRunner>(splitter, *panelView_, flow_->range, plugins,
                                            std::move(runnerHooks));
    runner_->SetWizardWindows(ownWindows_.get());
    splitter.SetListener(runner_.get());
    ConnectNavigation();
    ConnectSources();
    ConnectDestination();
    ConnectOptions();
    ConnectSizes();
    ConnectRange();
    LoadStages();
}

SplitWizard::~SplitWizard() {
    splitter_.SetListener(nullptr);
    // Closing takes the focus from a box, which would run its handlers on a flow already gone.
    for (QWidget* w : findChildren<QWidget*>()) w->blockSignals(true);
}

void SplitWizard::Build() {
    auto* art = new WizardArt(this, "imgSplitWiz", icons::Kind::Split, "SplitterWizard");
    auto* stages = new QWidget(this);
    stages->setObjectName("fSplitStages");
    QGridLayout* grid = Stack(stages);
    fSplitStageIntro_ = new SplitStageIntro(stages);
    fSplitStageSelectSourceSingle_ = new SplitStageSourceSingle(stages);
    fSplitStageSelectSourceMulti_ = new SplitStageSourceMulti(stages);
    fSplitStageCmpEnc_ = new SplitStageCmpEnc(stages);
    fSplitStageSelDest_ = new SplitStageSelDest(stages);
    fSplitStageFragSize_ = new SplitStageFragSize(stages);
    fSplitStageFragRange_ = new SplitStageFragRange(stages);
    for (int f = 0; f < kSplitFrameCount; ++f) grid->addWidget(StageFrame(static_cast<SplitFrame>(f)), 0, 0);
    fSptProgPan_ = new ucProgressPanel(stages);
    fSptProgPan_->setObjectName("fSptProgPan");
    fSptProgPan_->hide();
    grid->addWidget(fSptProgPan_, 0, 0);

    cmdSplitWizHelp_ = Named<QPushButton>(this, "cmdSplitWizHelp", "Help");
    cmdSplitWizReset_ = Named<QPushButton>(this, "cmdSplitWizReset", "Reset");
    cmdSplitWizBack_ = Named<QPushButton>(this, "cmdSplitWizBack", "<< Previous");
    cmdSplitWizNext_ = Named<QPushButton>(this, "cmdSplitWizNext", "Next >>");
    cmdSplitWizNext_->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdSplitWizHelp_);
    buttons->addWidget(cmdSplitWizReset_);
    buttons->addStretch(1);
    buttons->addWidget(cmdSplitWizBack_);
    buttons->addWidget(cmdSplitWizNext_);

    auto* right = new QVBoxLayout;
    right->addWidget(stages, 1);
    right->addLayout(buttons);
    WizardPage(this, art, right);
}

QWidget* SplitWizard::StageFrame(SplitFrame f) const {
    switch (f) {
    case SplitFrame::Intro: return fSplitStageIntro_;
    case SplitFrame::SourceSingle: return fSplitStageSelectSourceSingle_;
    case SplitFrame::SourceMulti: return fSplitStageSelectSourceMulti_;
    case SplitFrame::CmpEnc: return fSplitStageCmpEnc_;
    case SplitFrame::SelDest: return fSplitStageSelDest_;
    case SplitFrame::FragSize: return fSplitStageFragSize_;
    case SplitFrame::FragRange: return fSplitStageFragRange_;
    }
    return nullptr;
}

void SplitWizard::Run(const std::function<void()>& handler) {
    // A handler inside another one leaves its error to the outer one.
    if (depth_ > 0) {
        handler();
        return;
    }
    try {
        RunForCaller(handler);
    } catch (const ProgramEnded&) {
        throw;
    } catch (const std::exception& e) {
        // The fatal-error box has been shown where the error arose; a size a user typed must
        // not end the program.
        DebugLog(std::string("Splitter wizard handler stopped: ") + e.what());
    }
}

void SplitWizard::RunForCaller(const std::function<void()>& handler) {
    if (depth_ > 0) {
        handler();
        return;
    }
    ++depth_;
    StoreStages();
    try {
        handler();
    } catch (...) {
        --depth_;
        LoadStages();
        throw;
    }
    --depth_;
    LoadStages();
}

void SplitWizard::StoreStages() {
    SplitWizardFlow& f = *flow_;
    fSplitStageIntro_->Store(f.intro);
    fSplitStageSelectSourceSingle_->Store(f.single);
    fSplitStageCmpEnc_->Store(f.cmpEnc);
    fSplitStageSelDest_->Store(f.dest);
    fSplitStageFragSize_->Store(f.size);
    fSplitStageFragRange_->Store(f.range);
}

void SplitWizard::LoadStages() {
    const SplitWizardFlow& f = *flow_;
    fSplitStageIntro_->Load(f.intro);
    fSplitStageSelectSourceSingle_->Load(f.single);
    fSplitStageCmpEnc_->Load(f.cmpEnc);
    fSplitStageSelDest_->Load(f.dest);
    fSplitStageFragSize_->Load(f.size);
    fSplitStageFragRange_->Load(f.range, f.extraFilesCaption);
    for (int i = 0; i < kSplitFrameCount; ++i)
        StageFrame(static_cast<SplitFrame>(i))->setVisible(f.nav.shown[i]);
    cmdSplitWizNext_->setEnabled(f.nav.nextEnabled);
    cmdSplitWizBack_->setEnabled(f.nav.backEnabled);
    cmdSplitWizReset_->setEnabled(f.nav.resetEnabled);
}

void SplitWizard::SetWizardWindows(WizardWindows* windows) {
    flow_->SetWizardWindows(windows);
    runner_->SetWizardWindows(windows);
}

void SplitWizard::RefreshExtraFilesOptions() {
    Run([this] { flow_->RefreshExtraFilesOptions(); });
}

void SplitWizard::ApplyNav() {
    const SplitWizardFlow& f = *flow_;
    for (int i = 0; i < kSplitFrameCount; ++i)
        StageFrame(static_cast<SplitFrame>(i))->setVisible(f.nav.shown[i]);
    cmdSplitWizNext_->setEnabled(f.nav.nextEnabled);
    cmdSplitWizBack_->setEnabled(f.nav.backEnabled);
    cmdSplitWizReset_->setEnabled(f.nav.resetEnabled);
    fSplitStageFragRange_->lvExtraFilesList_->setEnabled(f.range.extraFilesListEnabled);
}

// While a split runs nothing on the page can start other work; the flow's own state is put
// back by the reset that follows the split.
void SplitWizard::LockForSplit(bool locked) {
    if (setBusy_) setBusy_(locked);
    for (QPushButton* b : {cmdSplitWizBack_, cmdSplitWizNext_, cmdSplitWizReset_}) b->setEnabled(!locked);
    // The panel takes the stage's place while the pieces are written.
    for (int i = 0; i < kSplitFrameCount; ++i)
        StageFrame(static_cast<SplitFrame>(i))->setVisible(!locked && flow_->nav.shown[i]);
}

void SplitWizard::Checked(QLineEdit* box, std::function<bool()> check, std::function<void()> after) {
    checkedBoxes_.push_back({box, std::move(check), std::move(after)});
    CheckedBox& c = checkedBoxes_.back();
    // Qt reports the focus leaving only when the text changed since the last report, so a
    // refused value is held by its flag, not by this signal.
    connect(box, &QLineEdit::editingFinished, this, [this, &c] {
        const bool leaving = !c.box->hasFocus();
        if (!RunCheck(c) && leaving) refusedOnLeaving_ = c.box;
    });
}

bool SplitWizard::RunCheck(CheckedBox& c) {
    bool ok = true;
    Run([&] { ok = c.check(); });
    c.refused = !ok;
    if (!ok) {
        c.box->setFocus();
        return false;
    }
    c.box->setModified(false);
    Run(c.after);
    return true;
}

bool SplitWizard::StageBoxesPass() {
    // The refusal put the focus back in the box, so the press that took it has been answered.
    const bool answered = refusedOnLeaving_ != nullptr && refusedOnLeaving_->hasFocus();
    refusedOnLeaving_ = nullptr;
    if (answered) return false;
    // A disabled box holds no value the stage uses.
    for (CheckedBox& c : checkedBoxes_)
        if ((c.refused || c.box->isModified()) && c.box->isEnabled() && c.box->isVisibleTo(this) &&
            !RunCheck(c))
            return false;
    return true;
}

void SplitWizard::ConnectNavigation() {
    connect(cmdSplitWizNext_, &QPushButton::clicked, this, [this] {
        if (StageBoxesPass()) Run([this] { flow_->cmdSplitWizNext_Click(); });
    });
    connect(cmdSplitWizBack_, &QPushButton::clicked, this, [this] {
        if (StageBoxesPass()) Run([this] { flow_->cmdSplitWizBack_Click(); });
    });
    connect(cmdSplitWizReset_, &QPushButton::clicked, this, [this] { cmdSplitWizReset_Click(); });
    connect(cmdSplitWizHelp_, &QPushButton::clicked, this, [this] { flow_->cmdSplitWizHelp_Click(); });
}

}  // namespace kb
