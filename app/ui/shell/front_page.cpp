#include "app/ui/shell/front_page.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

#include "app/ui/common/help.h"
#include "app/ui/common/icons.h"
#include "app/ui/common/widgets.h"

namespace kb {

namespace {

icons::Kind IconOf(const std::string& key) {
    if (key == "Split") return icons::Kind::Split;
    if (key == "Assemble") return icons::Kind::Assemble;
    if (key == "Configure") return icons::Kind::Configure;
    if (key == "SplitDoc") return icons::Kind::SplitDoc;
    return icons::Kind::AssembleDoc;
}

}  // namespace

FrontPage::FrontPage(QWidget* parent, ActiveSplitter& splitter, FrontPageHooks hooks)
    : QFrame(parent), flow_(std::make_unique<FrontPageFlow>(splitter, std::move(hooks))) {
    setObjectName("fWelcome");
    setFrameShape(QFrame::NoFrame);
    auto* welcome = Heading(this, "lblWelcomeMessage",
                            "Welcome to Kestrelbinder 2003! Please select the task you would like "
                            "to perform and click OK...",
                            1.1);

    WelcomeTabs_ = Named<QTabBar>(this, "WelcomeTabs");
    WelcomeTabs_->addTab("New Task");
    WelcomeTabs_->setTabData(0, QString("New"));
    WelcomeTabs_->addTab("Unfinished Tasks");
    WelcomeTabs_->setTabData(1, QString("Existing"));
    WelcomeTabs_->setDrawBase(false);
    connect(WelcomeTabs_, &QTabBar::currentChanged, this, [this](int) { WelcomeTabs_Click(); });
    lvStartupTasks_ = Named<QListWidget>(this, "lvStartupTasks");
    lvStartupTasks_->setAccessibleName("Tasks");
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
    middle->addWidget(BuildTipBox(), 5);
    middle->addLayout(tasks, 6);

    auto* all = new QVBoxLayout(this);
    all->setContentsMargins(Twips(120), Twips(60), Twips(120), 0);
    all->addWidget(welcome);
    all->addSpacing(Twips(60));
    all->addLayout(middle, 1);
    all->addSpacing(Twips(60));
    all->addLayout(BuildFoot());
}

FrontPage::~FrontPage() = default;

QWidget* FrontPage::BuildTipBox() {
    auto* picTip = Named<QFrame>(this, "picTip");
    picTip->setStyleSheet("QFrame#picTip { background: #fffbe6; border: 1px solid #e8d9a0; "
                          "border-radius: 6px; }");
    auto* imgTip = Named<QLabel>(picTip, "imgTip");
    imgTip->setPixmap(icons::Pixmap(icons::Kind::Tip, 40));
    auto* tipHeader = Heading(picTip, "lblTipHeader", "Tip of the Day!", 1.1);
    lblTipContent_ = Named<QLabel>(picTip, "lblTipContent");
    lblTipContent_->setWordWrap(true);
    lblTipContent_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    cmdTipPrevious_ = Named<QPushButton>(picTip, "cmdTipPrevious", "Previous tip");
    cmdTipNext_ = Named<QPushButton>(picTip, "cmdTipNext", "Next tip");
    auto* tipTitle = new QHBoxLayout;
    tipTitle->addWidget(imgTip);
    tipTitle->addWidget(tipHeader, 1);
    auto* tipButtons = new QHBoxLayout;
    tipButtons->addStretch(1);
    tipButtons->addWidget(cmdTipPrevious_);
    tipButtons->addWidget(cmdTipNext_);
    auto* tipBox = new QVBoxLayout(picTip);
    tipBox->setContentsMargins(12, 10, 12, 10);
    tipBox->addLayout(tipTitle);
    tipBox->addWidget(lblTipContent_, 1);
    tipBox->addLayout(tipButtons);
    return picTip;
}

// Product, maker and version, and the page's buttons.
QLayout* FrontPage::BuildFoot() {
    auto* product = Heading(this, "lblProductName", "Kestrelbinder", 1.0);
    auto* year = Named<QLabel>(this, "lblYear", "2003");
    year->setStyleSheet("color: #2f7fd8; font-weight: bold;");
    auto* maker = Named<QLabel>(this, "lblCompanyName", "Tarnwolde");
    lblVersion_ = Named<QLabel>(this, "lblVersion");
    lblVersion_->setStyleSheet("color: #5a6b7d;");
    cmdAbout_ = Named<QPushButton>(this, "cmdAbout", "About");
    cmdWelcomeHelp_ = Named<QPushButton>(this, "cmdWelcomeHelp", "Help");
    cmdWelcomeOK_ = Named<QPushButton>(this, "cmdWelcomeOK", "OK");
    cmdWelcomeOK_->setDefault(true);
    cmdWelcomeOK_->setMinimumWidth(Twips(1100));
    connect(cmdWelcomeHelp_, &QPushButton::clicked, this, &FrontPage::cmdWelcomeHelp_Click);
    connect(cmdWelcomeOK_, &QPushButton::clicked, this, &FrontPage::cmdWelcomeOK_Click);
    auto* foot = new QHBoxLayout;
    foot->addWidget(product);
    foot->addWidget(year);
    foot->addSpacing(8);
    foot->addWidget(maker);
    foot->addSpacing(8);
    foot->addWidget(lblVersion_);
    foot->addStretch(1);
    foot->addWidget(cmdAbout_);
    foot->addWidget(cmdWelcomeHelp_);
    foot->addWidget(cmdWelcomeOK_);
    return foot;
}

void FrontPage::WelcomeTabs_Click() {
    lvStartupTasks_->clear();
    const bool fresh = WelcomeTabs_->tabData(WelcomeTabs_->currentIndex()).toString() == "New";
    rows_ = fresh ? FrontPageFlow::NewTaskRows() : FrontPageFlow::UnfinishedTaskRows();
    for (const FrontPageRow& row : rows_) {
        auto* item = new QListWidgetItem(icons::Icon(IconOf(row.icon)),
                                         QString::fromStdString(row.text), lvStartupTasks_);
        item->setToolTip(QString::fromStdString(row.tag == 0 ? row.text : row.key));
        item->setData(Qt::UserRole, QString::fromStdString(row.key));
        item->setData(Qt::UserRole + 1, QString::fromStdString(row.icon));
    }
    // OK acts on the selected row, so there always is one while OK is enabled.
    if (!rows_.empty()) lvStartupTasks_->setCurrentRow(0);
    cmdWelcomeOK_->setEnabled(!rows_.empty());
}

void FrontPage::cmdWelcomeOK_Click() {
    const int row = lvStartupTasks_->currentRow();
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    // The row is copied: a resume refills the list under it.
    const FrontPageRow chosen = rows_[static_cast<size_t>(row)];
    if (flow_->cmdWelcomeOK_Click(chosen)) WelcomeTabs_Click();
}

void FrontPage::cmdWelcomeHelp_Click() { ShowHelpContents(); }

}  // namespace kb
