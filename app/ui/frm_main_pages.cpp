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
#include <QTabBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/ui/assembler/uc_assembler.h"
#include "app/ui/common/widgets.h"
#include "app/ui/frm_main.h"
#include "app/ui/icons.h"
#include "app/ui/options/opt_gen_frame.h"
#include "app/ui/options/options_page.h"
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
    fWelcome_ = static_cast<QFrame*>(BuildFrontPage());
    // The splitter wizard reads the options page's default folders.
    fOptPanel_ = new OptionsPage(this);
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
    // The task rows carry nothing out to other programs.
    lvStartupTasks_->setDragEnabled(false);
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
    SplitWizardHooks hooks;
    hooks.defaultSource = [this] {
        return fOptPanel_->fOptGen_->txtOptGenDirSource_->text().toStdString();
    };
    hooks.defaultDest = [this] {
        return fOptPanel_->fOptGen_->txtOptGenDirDest_->text().toStdString();
    };
    hooks.formLoading = [this] { return FormLoading; };
    hooks.splitFromWizard = [this] { SplitFromWizard(); };
    hooks.selectFrontPage = [this] { SelectTab("Frontpage"); };
    hooks.setBusy = [this](bool busy) { SetSplitBusy(busy); };
    hooks.closePending = [this] { return closeWhenIdle_; };
    return new SplitWizard(this, *splitter_, std::move(hooks));
}

ucAssembler* frmMain::BuildAssemblerPage() {
    auto* page = new ucAssembler(this);
    // While a join runs no other page can start work, and closing waits for it.
    page->onBusy = [this](bool busy) {
        AssembleBusy = busy;
        Tabs_->setEnabled(!busy && !SplitBusy);
        if (!busy && closeWhenIdle_) QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    };
    return page;
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
