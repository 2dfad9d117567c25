// The main window's pages: the tab strip, the front page, the splitter wizard's frames, the
// assembler page and the configuration pages, laid out at the window's proportions.
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/pluginhost/plugin_rows.h"
#include "app/ui/assembler/uc_assembler.h"
#include "app/ui/common/widgets.h"
#include "app/ui/frm_main.h"
#include "app/ui/icons.h"
#include "app/ui/uc_progress_panel.h"

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
    fWelcome_ = static_cast<QFrame*>(BuildFrontPage());
    fSplitPanel_ = static_cast<QFrame*>(BuildSplitterPage());
    fAssPanel_ = BuildAssemblerPage();
    fOptPanel_ = static_cast<QFrame*>(BuildOptionsPage());
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
    QFrame* page = Frame(this, "fWelcome");
    auto* welcome = Heading(page, "lblWelcomeMessage",
                            "Welcome to Kestrelbinder 2003! Please select the task you would like "
                            "to perform and click OK...",
                            1.1);

    // The tip box.
    auto* picTip = Named<QFrame>(page, "picTip");
    picTip->setStyleSheet("QFrame#picTip { background: #fffbe6; border: 1px solid #e8d9a0; "
                          "border-radius: 6px; }");
    auto* imgTip = Named<QLabel>(picTip, "imgTip");
    imgTip->setPixmap(icons::Pixmap(icons::Kind::Tip, 40));
    auto* tipHeader = Heading(picTip, "lblTipHeader", "Tip of the Day!", 1.1);
    lblTipContent_ = Named<QLabel>(picTip, "lblTipContent");
    lblTipContent_->setWordWrap(true);
    lblTipContent_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    auto* previous = Named<QPushButton>(picTip, "cmdTipPrevious", "Previous tip");
    auto* next = Named<QPushButton>(picTip, "cmdTipNext", "Next tip");
    connect(previous, &QPushButton::clicked, this, &frmMain::cmdTipPrevious_Click);
    connect(next, &QPushButton::clicked, this, &frmMain::cmdTipNext_Click);
    auto* tipTitle = new QHBoxLayout;
    tipTitle->addWidget(imgTip);
    tipTitle->addWidget(tipHeader, 1);
    auto* tipButtons = new QHBoxLayout;
    tipButtons->addStretch(1);
    tipButtons->addWidget(previous);
    tipButtons->addWidget(next);
    auto* tipBox = new QVBoxLayout(picTip);
    tipBox->setContentsMargins(12, 10, 12, 10);
    tipBox->addLayout(tipTitle);
    tipBox->addWidget(lblTipContent_, 1);
    tipBox->addLayout(tipButtons);

    // The task lists.
    WelcomeTabs_ = Named<QTabBar>(page, "WelcomeTabs");
    WelcomeTabs_->addTab("New Task");
    WelcomeTabs_->setTabData(0, QString("New"));
    WelcomeTabs_->addTab("Unfinished Tasks");
    WelcomeTabs_->setTabData(1, QString("Existing"));
    WelcomeTabs_->setDrawBase(false);
    connect(WelcomeTabs_, &QTabBar::currentChanged, this, [this](int) { WelcomeTabs_Click(); });
    lvStartupTasks_ = Named<QListWidget>(page, "lvStartupTasks");
    lvStartupTasks_->setViewMode(QListView::IconMode);
    lvStartupTasks_->setIconSize(QSize(48, 48));
    lvStartupTasks_->setGridSize(QSize(Twips(1500), Twips(1250)));
    lvStartupTasks_->setMovement(QListView::Static);
    lvStartupTasks_->setResizeMode(QListView::Adjust);
    lvStartupTasks_->setWordWrap(true);
    auto* tasks = new QVBoxLayout;
    tasks->setSpacing(0);
    tasks->addWidget(WelcomeTabs_);
    tasks->addWidget(lvStartupTasks_, 1);

    auto* middle = new QHBoxLayout;
    middle->setSpacing(Twips(180));
    middle->addWidget(picTip, 5);
    middle->addLayout(tasks, 6);

    // The foot: product, maker and version, and the page's buttons.
    auto* product = Heading(page, "lblProductName", "Kestrelbinder", 1.0);
    auto* year = Named<QLabel>(page, "lblYear", "2003");
    year->setStyleSheet("color: #2f7fd8; font-weight: bold;");
    auto* maker = Named<QLabel>(page, "lblCompanyName", "Tarnwolde");
    lblVersion_ = Named<QLabel>(page, "lblVersion");
    lblVersion_->setStyleSheet("color: #5a6b7d;");
    auto* about = Named<QPushButton>(page, "cmdAbout", "About");
    auto* help = Named<QPushButton>(page, "cmdWelcomeHelp", "Help");
    cmdWelcomeOK_ = Named<QPushButton>(page, "cmdWelcomeOK", "OK");
    cmdWelcomeOK_->setDefault(true);
    cmdWelcomeOK_->setMinimumWidth(Twips(1100));
    connect(about, &QPushButton::clicked, this, &frmMain::cmdAbout_Click);
    auto* foot = new QHBoxLayout;
    foot->addWidget(product);
    foot->addWidget(year);
    foot->addSpacing(8);
    foot->addWidget(maker);
    foot->addSpacing(8);
    foot->addWidget(lblVersion_);
    foot->addStretch(1);
    foot->addWidget(about);
    foot->addWidget(help);
    foot->addWidget(cmdWelcomeOK_);

    auto* all = new QVBoxLayout(page);
    all->setContentsMargins(Twips(120), Twips(60), Twips(120), 0);
    all->addWidget(welcome);
    all->addSpacing(Twips(60));
    all->addLayout(middle, 1);
    all->addSpacing(Twips(60));
    all->addLayout(foot);
    return page;
}

QWidget* frmMain::BuildSplitterPage() {
    QFrame* page = Frame(this, "fSplitPanel");
    auto* art = new WizardArt(page, "imgSplitWiz", icons::Kind::Split, "SplitterWizard");

    auto* stages = new QWidget(page);
    stages->setObjectName("fSplitStages");
    QGridLayout* grid = Stack(stages);

    fSplitStageIntro_ = Frame(stages, "fSplitStageIntro");
    auto* intro = Heading(fSplitStageIntro_, "lblSplitWizWelcome",
                          "Welcome to the SplitterWizard. This wizard will help you cut a file, "
                          "or a selection of files and folders, into pieces.",
                          1.1);
    auto* question = Named<QLabel>(fSplitStageIntro_, "lblSplitWizWhat",
                                   "What would you like to split?");
    auto* single = Named<QRadioButton>(fSplitStageIntro_, "optSplitSingleFile",
                                       "Just split a single file (>1GB compatible)");
    auto* multi = Named<QRadioButton>(fSplitStageIntro_, "optSplitMultiFile",
                                      "Split multiple files or split entire folders (<1GB only)");
    single->setChecked(true);
    auto* introBox = new QVBoxLayout(fSplitStageIntro_);
    introBox->setContentsMargins(Twips(240), Twips(120), Twips(120), 0);
    introBox->addWidget(intro);
    introBox->addSpacing(Twips(240));
    introBox->addWidget(question);
    introBox->addSpacing(Twips(60));
    introBox->addWidget(single);
    introBox->addWidget(multi);
    introBox->addStretch(1);
    grid->addWidget(fSplitStageIntro_, 0, 0);

    // The later stages' frames; each stage's controls come with the stage.
    for (const char* name : {"fSplitStageSelectSourceSingle", "fSplitStageSelectSourceMulti",
                             "fSplitStageCmpEnc", "fSplitStageSelDest", "fSplitStageFragSize",
                             "fSplitStageFragRange"}) {
        QFrame* stage = Frame(stages, name);
        stage->hide();
        grid->addWidget(stage, 0, 0);
    }
    auto* cmpEnc = stages->findChild<QFrame*>("fSplitStageCmpEnc");
    lblCompressionInfo_ = Named<QLabel>(cmpEnc, "lblCompressionInfo");
    lblCompressionInfo_->setWordWrap(true);
    (new QVBoxLayout(cmpEnc))->addWidget(lblCompressionInfo_, 0, Qt::AlignBottom);

    auto* fragSize = stages->findChild<QFrame*>("fSplitStageFragSize");
    cmbPreset_ = Named<QComboBox>(fragSize, "cmbPreset");
    lblFragNamingHelp_ = Named<QLabel>(fragSize, "lblFragNamingHelp");
    lblFragNamingHelp_->setWordWrap(true);
    auto* fragSizeBox = new QVBoxLayout(fragSize);
    fragSizeBox->addWidget(cmbPreset_, 0, Qt::AlignLeft);
    fragSizeBox->addStretch(1);
    fragSizeBox->addWidget(lblFragNamingHelp_);

    auto* fragRange = stages->findChild<QFrame*>("fSplitStageFragRange");
    auto* rangeBox = new QVBoxLayout(fragRange);
    for (const char* name : {"fSplitStageExtraOptsFragSettings", "fSplitStageExtraOptsAutoAss"})
        rangeBox->addWidget(Frame(fragRange, name));

    fSptProgPan_ = new ucProgressPanel(stages);
    fSptProgPan_->setObjectName("fSptProgPan");
    fSptProgPan_->hide();
    grid->addWidget(fSptProgPan_, 0, 0);

    auto* help = Named<QPushButton>(page, "cmdSplitWizHelp", "Help");
    auto* reset = Named<QPushButton>(page, "cmdSplitWizReset", "Reset");
    auto* back = Named<QPushButton>(page, "cmdSplitWizBack", "<< Previous");
    auto* next = Named<QPushButton>(page, "cmdSplitWizNext", "Next >>");
    back->setEnabled(false);
    next->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(help);
    buttons->addWidget(reset);
    buttons->addStretch(1);
    buttons->addWidget(back);
    buttons->addWidget(next);

    auto* right = new QVBoxLayout;
    right->addWidget(stages, 1);
    right->addLayout(buttons);
    return WizardPage(page, art, right);
}

ucAssembler* frmMain::BuildAssemblerPage() {
    auto* page = new ucAssembler(this);
    // While a join runs no other page can start work, and closing waits for it.
    page->onBusy = [this](bool busy) {
        AssembleBusy = busy;
        Tabs_->setEnabled(!busy);
        if (!busy && closeWhenIdle_) QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    };
    return page;
}

QWidget* frmMain::BuildOptionsPage() {
    QFrame* page = Frame(this, "fOptPanel");
    OptTabs_ = Named<QTabBar>(page, "OptTabs");
    OptTabs_->addTab("General");
    OptTabs_->setTabData(0, QString("General"));
    OptTabs_->addTab("Plugins");
    OptTabs_->setTabData(1, QString("Plugins"));
    OptTabs_->setExpanding(false);
    OptTabs_->setTabIcon(0, icons::Icon(icons::Kind::Configure));
    OptTabs_->setTabIcon(1, icons::Icon(icons::Kind::Plugin));

    auto* frames = new QFrame(page);
    frames->setObjectName("fOptFrames");
    frames->setFrameShape(QFrame::StyledPanel);
    QGridLayout* grid = Stack(frames);

    // The general options fill their two frames with their own controls.
    QFrame* general = Frame(frames, "fOptGen");
    auto* dirs = Named<QGroupBox>(general, "fOptGenDefaultDirs", "Default directories");
    auto* segments = Named<QGroupBox>(general, "fOptGenSegSize", "Segment Buffer Size");
    dirs->setMinimumHeight(Twips(1300));
    segments->setMinimumHeight(Twips(900));
    auto* pluginInfo = Named<QLabel>(general, "lblOptGenPluginInfo",
                                     "To configure script generation, encryption and other "
                                     "features, please configure the relevant plug-in on the "
                                     "plugins tab.");
    pluginInfo->setWordWrap(true);
    auto* generalBox = new QVBoxLayout(general);
    generalBox->setContentsMargins(Twips(240), Twips(180), Twips(240), Twips(180));
    generalBox->addWidget(dirs);
    generalBox->addWidget(segments);
    generalBox->addStretch(1);
    generalBox->addWidget(pluginInfo);
    grid->addWidget(general, 0, 0);

    QFrame* plugins = Frame(frames, "fPluginMan");
    auto* installed = Named<QLabel>(plugins, "lblPluginManInstalled", "Installed Plug-ins...");
    PluginList_ = Named<QTreeWidget>(plugins, "PluginList");
    PluginList_->setHeaderLabels({"Name", "Type", "Compatibility"});
    PluginList_->setRootIsDecorated(false);
    PluginList_->setIconSize(QSize(16, 16));
    PluginList_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    auto* pluginBox = new QVBoxLayout(plugins);
    pluginBox->setContentsMargins(Twips(240), Twips(180), Twips(240), Twips(180));
    pluginBox->addWidget(installed);
    pluginBox->addWidget(PluginList_, 1);
    plugins->hide();
    grid->addWidget(plugins, 0, 0);
    PluginList.onChanged = [this] { ShowPluginRows(); };
    ShowPluginRows();

    connect(OptTabs_, &QTabBar::currentChanged, this, [general, plugins, this](int i) {
        const QString key = OptTabs_->tabData(i).toString();
        plugins->setVisible(key == "Plugins");
        general->setVisible(key == "General");
    });

    auto* all = new QVBoxLayout(page);
    all->setContentsMargins(0, 0, 0, 0);
    all->setSpacing(0);
    all->addWidget(OptTabs_);
    all->addWidget(frames, 1);
    return page;
}

// The manager's list shows the host's rows: row n is slot n-1, ticked when enabled.
void frmMain::ShowPluginRows() {
    PluginList_->clear();
    for (int n = 1; n <= PluginList.Count(); ++n) {
        const PluginRow& row = PluginList.Row(n);
        auto* item = new QTreeWidgetItem(PluginList_);
        item->setText(0, QString::fromStdString(row.text));
        item->setText(1, QString::fromStdString(row.typeText));
        item->setText(2, QString::fromStdString(row.compatText));
        item->setIcon(0, icons::Icon(icons::Kind::Plugin));
        item->setCheckState(0, row.ticked ? Qt::Checked : Qt::Unchecked);
        item->setData(0, Qt::UserRole, QString::fromStdString(row.tag));
    }
}

void frmMain::WelcomeTabs_Click() {
    lvStartupTasks_->clear();
    if (WelcomeTabs_->tabData(WelcomeTabs_->currentIndex()).toString() == "New") {
        struct Row {
            const char* key;
            const char* text;
            icons::Kind icon;
        };
        for (const Row& r : {Row{"Split", "Split files", icons::Kind::Split},
                             Row{"Assemble", "Assemble files", icons::Kind::Assemble},
                             Row{"Configure", "Configure Kestrelbinder", icons::Kind::Configure}}) {
            auto* item = new QListWidgetItem(icons::Icon(r.icon), r.text, lvStartupTasks_);
            item->setData(Qt::UserRole, QString(r.key));
        }
        lvStartupTasks_->setCurrentRow(0);
    }
    // The unfinished tasks are listed here by the front page's own code.
    cmdWelcomeOK_->setEnabled(lvStartupTasks_->count() > 0);
}

}  // namespace kb
