// The main window's pages: the tab strip, the front page, the splitter wizard's frames, the
// assembler page and the configuration pages, laid out at the window's proportions.
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QToolButton>
#include <QCheckBox>
#include <QTabBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/ui/assembler/uc_assembler.h"
#include "app/ui/common/icons.h"
#include "app/ui/common/whats_this.h"
#include "app/ui/common/widgets.h"
#include "app/ui/options/opt_gen_frame.h"
#include "app/ui/options/options_page.h"
#include "app/ui/shell/frm_main.h"
#include "app/ui/shell/front_page.h"
#include "app/ui/shell/startup.h"
#include "app/ui/splitter/split_stage_cmp_enc.h"
#include "app/ui/splitter/split_stage_frag_size.h"
#include "app/ui/splitter/split_stage_intro.h"
#include "app/ui/splitter/split_stage_sel_dest.h"
#include "app/ui/splitter/split_stage_source_multi.h"
#include "app/ui/splitter/split_stage_source_single.h"
#include "app/ui/splitter/split_wizard.h"

namespace kb {

void frmMain::BuildWindow() {
    setWindowTitle("Tarnwolde Kestrelbinder 2003");
    setWindowIcon(icons::Icon(icons::Kind::App));

    Tabs_ = Named<QTabBar>(this, "Tabs");
    Tabs_->setIconSize(QSize(22, 22));
    Tabs_->setExpanding(false);
    Tabs_->setDrawBase(true);
    struct TabSpec {
        const char* caption;
        const char* key;
    };
    for (const TabSpec& t : {TabSpec{"Welcome", "Frontpage"}, TabSpec{"SplitterWizard", "Splitter"},
                             TabSpec{"Assembler", "Assembler"}, TabSpec{"Configuration", "Options"}}) {
        const int i = Tabs_->addTab(t.caption);
        Tabs_->setTabData(i, QString(t.key));
    }

    auto* pages = new QWidget(this);
    pages->setObjectName("pages");
    QGridLayout* grid = Stack(pages);
    fWelcome_ = static_cast<FrontPage*>(BuildFrontPage());
    // The splitter wizard reads the options page's default folders.
    fOptPanel_ = new OptionsPage(this, *plugins_);
    fOptPanel_->Attach([this](int32_t bytes) { ApplySegmentSize(bytes); }, FormLoading);
    fSplitPanel_ = static_cast<SplitWizard*>(BuildSplitterPage());
    fAssPanel_ = BuildAssemblerPage();
    for (QWidget* page : {static_cast<QWidget*>(fWelcome_), static_cast<QWidget*>(fSplitPanel_),
                          static_cast<QWidget*>(fAssPanel_), static_cast<QWidget*>(fOptPanel_)}) {
        page->setParent(pages);
        grid->addWidget(page, 0, 0);
    }
    fSplitPanel_->hide();
    fAssPanel_->hide();
    fOptPanel_->hide();

    auto* all = new QVBoxLayout(this);
    all->setContentsMargins(Twips(120), Twips(120), Twips(120), Twips(120));
    all->setSpacing(Twips(90));
    all->addWidget(Tabs_);
    all->addWidget(pages, 1);

    // The tab images go on once every page has its own.
    const icons::Kind tabImages[] = {icons::Kind::Welcome, icons::Kind::Split,
                                     icons::Kind::Assemble, icons::Kind::Spanner};
    for (int i = 0; i < 4; ++i) Tabs_->setTabIcon(i, icons::Icon(tabImages[i]));

    connect(Tabs_, &QTabBar::currentChanged, this, [this](int) { Tabs_Click(); });
    connect(Tabs_, &QTabBar::tabBarClicked, this, [this](int i) {
        if (i == Tabs_->currentIndex()) Tabs_Click();
    });
}

QWidget* frmMain::BuildFrontPage() {
    FrontPageHooks hooks;
    hooks.splitWizInUse = [this] { return fSplitPanel_->Flow().SplitWizInUse; };
    hooks.resetSplitWizard = [this] { cmdSplitWizReset_Click(); };
    hooks.assemblerWizardUsed = [this] { return fAssPanel_->WizardUsed(); };
    hooks.resetAssembler = [this] { fAssPanel_->cmdReset_Click(); };
    hooks.selectTab = [this](const std::string& key) { SelectTab(key); };
    hooks.lockForResumedSplit = [this](bool locked) { LockForResumedSplit(locked); };
    hooks.runResumedSplit = [this](const std::string& path) { ResumeSplit(path); };
    hooks.resumeAssemble = [this](const std::string& path) { return fAssPanel_->ResumeFrom(path); };
    auto* page = new FrontPage(this, *splitter_, std::move(hooks));
    lblTipContent_ = page->lblTipContent_;
    connect(page->cmdTipPrevious_, &QPushButton::clicked, this, &frmMain::cmdTipPrevious_Click);
    connect(page->cmdTipNext_, &QPushButton::clicked, this, &frmMain::cmdTipNext_Click);
    connect(page->cmdAbout_, &QPushButton::clicked, this, &frmMain::cmdAbout_Click);
    return page;
}

QWidget* frmMain::BuildSplitterPage() {
    SplitWizardHooks hooks;
    hooks.defaultSource = [this] {
        return fOptPanel_->fOptGen_->txtOptGenDirSource_->text().toStdString();
    };
    hooks.defaultDest = [this] {
        return fOptPanel_->fOptGen_->txtOptGenDirDest_->text().toStdString();
    };
    hooks.formLoading = [this] { return FormLoading; };
    hooks.defaultNamingTemplate = [] { return DefaultNamingTemplate; };
    hooks.splitFromWizard = [this] { SplitFromWizard(); };
    hooks.selectFrontPage = [this] { SelectTab("Frontpage"); };
    hooks.setBusy = [this](bool busy) { SetSplitBusy(busy); };
    hooks.closePending = [this] { return closeWhenIdle_; };
    auto* wizard = new SplitWizard(this, *splitter_, *plugins_, std::move(hooks));
    GiveWhatsThisTopics(*wizard);
    return wizard;
}

void frmMain::GiveWhatsThisTopics(SplitWizard& w) {
    const std::pair<QWidget*, int> topics[] = {
        {w.fSplitStageSelDest_->chkUseFreespaceInstead_, 1001},
        {w.fSplitStageSelDest_->cmdFragDestDesktop_, 1002},
        {w.fSplitStageSelectSourceSingle_->cmdSingleSplitDesktop_, 1002},
        {w.fSplitStageSelDest_->cmdFragDestMyDocs_, 1003},
        {w.fSplitStageSelectSourceSingle_->cmdSingleSplitMyDocs_, 1003},
        {w.fSplitStageSelDest_->cmdFragDestMkdir_, 1004},
        {w.fSplitStageSelectSourceSingle_->cmdSingleSplitComDlg_, 1005},
        {w.fSplitStageIntro_->optSplitSingleFile_, 1006},
        {w.fSplitStageIntro_->optSplitMultiFile_, 1007},
        {w.fSplitStageFragSize_->txtFragNamingTemplate_, 1013},
        {w.fSplitStageSelectSourceMulti_->cmdfSplitPanelFileListSummaryCalcFolderSizes_, 1020},
        {w.fSplitStageSelectSourceMulti_->cmdfSplitPanelFileItemDetailsCalcFolderSize_, 1021},
        {w.fSplitStageCmpEnc_->optFileFormatting_[0], 1022},
        {w.fSplitStageCmpEnc_->optFileFormatting_[1], 1023},
        {w.fSplitStageCmpEnc_->chkUseCompression_, 1026},
        {fOptPanel_->fOptGen_->sldOptGenSegSize_, 1027},
    };
    for (const auto& [control, topic] : topics) SetWhatsThisTopic(control, topic);
}

ucAssembler* frmMain::BuildAssemblerPage() {
    auto* page = new ucAssembler(this, nullptr, *plugins_);
    // While a join runs no other page can start work, and closing waits for it.
    page->onBusy = [this](bool busy) {
        AssembleBusy = busy;
        Tabs_->setEnabled(!busy && !SplitBusy);
        if (!busy) ApplySegmentSize(0);
        if (!busy && closeWhenIdle_) QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    };
    return page;
}

void frmMain::WelcomeTabs_Click() { fWelcome_->WelcomeTabs_Click(); }

}  // namespace kb
