#include "app/ui/assembler/uc_assembler.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStorageInfo>
#include <QVBoxLayout>

#include "app/core/progress_view.h"
#include "app/ui/assembler/assembler_flow.h"
#include "app/ui/common/blocking_call.h"
#include "app/ui/common/drive_list.h"
#include "app/ui/common/folder_list.h"
#include "app/ui/common/icons.h"
#include "app/ui/common/panel_view.h"
#include "app/ui/common/uc_progress_panel.h"
#include "app/ui/common/widgets.h"
#include "app/ui/dialogs/qt_wizard_windows.h"
#include "platform/cab_archive.h"

namespace kb {
namespace {

// GCab blocks for the whole archive: it runs on a worker while the window keeps going.
void UnpackOnWorker(const std::string& archive, const std::string& dest,
                    const std::function<void(const std::string&, int)>& progress) {
    RunBlockingCall(
        [&](const BlockingCallProgress& report) { platform::ExtractCab(archive, dest, report); },
        progress);
}

}  // namespace

ucAssembler::ucAssembler(QWidget* parent, WizardWindows* windows, PluginHost& plugins)
    : QFrame(parent), plugins_(plugins) {
    setObjectName("fAssPanel");
    auto* art = new WizardArt(this, "imgAssWiz", icons::Kind::Assemble, "AssemblerWizard");
    auto* title = Heading(this, "lblWizTitle", "AssemblerWizard", 1.3);

    stages_ = new QFrame(this);
    stages_->setObjectName("fAssPages");
    BuildWelcomePage();
    BuildDestPage();
    BuildRunPage();

    cmdHelp_ = Named<QPushButton>(this, "cmdHelp", "Help");
    cmdReset_ = Named<QPushButton>(this, "cmdReset", "Reset");
    cmdBack_ = Named<QPushButton>(this, "cmdBack", "<< Previous");
    cmdNext_ = Named<QPushButton>(this, "cmdNext", "Next >>");
    cmdBack_->setEnabled(false);
    cmdNext_->setEnabled(false);
    cmdNext_->setDefault(true);
    connect(cmdHelp_, &QPushButton::clicked, this, &ucAssembler::cmdHelp_Click);
    connect(cmdReset_, &QPushButton::clicked, this, &ucAssembler::cmdReset_Click);
    connect(cmdBack_, &QPushButton::clicked, this, &ucAssembler::cmdBack_Click);
    connect(cmdNext_, &QPushButton::clicked, this, &ucAssembler::cmdNext_Click);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdHelp_);
    buttons->addWidget(cmdReset_);
    buttons->addStretch(1);
    buttons->addWidget(cmdBack_);
    buttons->addWidget(cmdNext_);

    auto* right = new QVBoxLayout;
    right->addWidget(title);
    right->addWidget(stages_, 1);
    right->addLayout(buttons);
    WizardPage(this, art, right);

    if (windows == nullptr) {
        ownWindows_ = std::make_unique<QtWizardWindows>(this, &plugins_);
        windows = ownWindows_.get();
    }
    panelView_ = std::make_unique<PanelView>(*fProgpan_);
    flow_ = std::make_unique<AssemblerFlow>(*panelView_, *windows, plugins_, UnpackOnWorker);
    SetDestPath(QDir::homePath().toStdString());
    cmdReset_Click();
}

ucAssembler::~ucAssembler() = default;

void ucAssembler::BuildWelcomePage() {
    QGridLayout* grid = Stack(stages_);
    fWelcome_ = Frame(stages_, "fWelcome");
    lblWelcome_ = Named<QLabel>(fWelcome_, "lblWelcome");
    lblWelcome_->setWordWrap(true);
    txtCurrentSetInfo_ = Named<QPlainTextEdit>(fWelcome_, "txtCurrentSetInfo");
    txtCurrentSetInfo_->setReadOnly(true);
    txtCurrentSetInfo_->setAccessibleName("Chosen set");
    cmdSelectSrcToAssemble_ =
        Named<QPushButton>(fWelcome_, "cmdSelectSrcToAssemble", "Select set to assemble");
    connect(cmdSelectSrcToAssemble_, &QPushButton::clicked, this,
            &ucAssembler::cmdSelectSrcToAssemble_Click);
    auto* wand = Named<QLabel>(fWelcome_, "imgAssWizWand");
    wand->setPixmap(icons::Pixmap(icons::Kind::AssembleDoc, 48));
    auto* chooser = new QHBoxLayout;
    chooser->addWidget(wand);
    chooser->addWidget(cmdSelectSrcToAssemble_);
    chooser->addStretch(1);
    auto* box = new QVBoxLayout(fWelcome_);
    box->setContentsMargins(Twips(120), Twips(120), Twips(120), 0);
    box->addWidget(lblWelcome_);
    box->addSpacing(Twips(180));
    box->addLayout(chooser);
    box->addWidget(txtCurrentSetInfo_, 1);
    grid->addWidget(fWelcome_, 0, 0);
}

void ucAssembler::BuildDestPage() {
    fSelectDest_ = Frame(stages_, "fSelectDest");
    auto* prompt = Named<QLabel>(fSelectDest_, "lblSelectDest",
                                 "Please select a destination folder for the assembled file(s)....");
    prompt->setWordWrap(true);
    drvAssDest_ = new DriveList(fSelectDest_);
    drvAssDest_->setObjectName("drvAssDest");
    drvAssDest_->setAccessibleName("Destination drive");
    dirAssDest_ = new FolderList(fSelectDest_);
    dirAssDest_->setObjectName("dirAssDest");
    dirAssDest_->setAccessibleName("Destination folder");
    cmdAssDestMkdir_ = Named<QPushButton>(fSelectDest_, "cmdAssDestMkdir", "New Folder");
    cmdAssDestDesktop_ = Named<QPushButton>(fSelectDest_, "cmdAssDestDesktop", "Desktop");
    cmdAssDestMyDocs_ = Named<QPushButton>(fSelectDest_, "cmdAssDestMyDocs", "My Documents");
    connect(drvAssDest_, &DriveList::DriveChanged, this, &ucAssembler::drvAssDest_Change);
    connect(cmdAssDestMkdir_, &QPushButton::clicked, this, &ucAssembler::cmdAssDestMkdir_Click);
    connect(cmdAssDestDesktop_, &QPushButton::clicked, this, &ucAssembler::cmdAssDestDesktop_Click);
    connect(cmdAssDestMyDocs_, &QPushButton::clicked, this, &ucAssembler::cmdAssDestMyDocs_Click);

    auto* side = new QVBoxLayout;
    side->addWidget(cmdAssDestMkdir_);
    side->addWidget(cmdAssDestDesktop_);
    side->addWidget(cmdAssDestMyDocs_);
    side->addStretch(1);
    auto* lists = new QVBoxLayout;
    lists->addWidget(drvAssDest_);
    lists->addWidget(dirAssDest_, 1);
    auto* middle = new QHBoxLayout;
    middle->addLayout(lists, 1);
    middle->addLayout(side);
    auto* box = new QVBoxLayout(fSelectDest_);
    box->setContentsMargins(Twips(120), Twips(120), Twips(120), 0);
    box->addWidget(prompt);
    box->addLayout(middle, 1);
    static_cast<QGridLayout*>(stages_->layout())->addWidget(fSelectDest_, 0, 0);
}

void ucAssembler::BuildRunPage() {
    auto* grid = static_cast<QGridLayout*>(stages_->layout());
    fProgpan_ = new ucProgressPanel(stages_);
    fProgpan_->setObjectName("fProgpan");
    grid->addWidget(fProgpan_, 0, 0);
    fFinished_ = Frame(stages_, "fFinished");
    lblFinished_ = Heading(fFinished_, "lblFinished", "Finished!", 1.6);
    lblFinished_->setAlignment(Qt::AlignCenter);
    // What happened, when the result is not whole; selectable, as it names files.
    lblOutcome_ = Named<QLabel>(fFinished_, "lblOutcome");
    lblOutcome_->setWordWrap(true);
    lblOutcome_->setAlignment(Qt::AlignCenter);
    lblOutcome_->setTextFormat(Qt::PlainText);
    lblOutcome_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long file name wraps at its "/"; a name too long for a line never widens the window.
    lblOutcome_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* box = new QVBoxLayout(fFinished_);
    box->setContentsMargins(Twips(120), Twips(120), Twips(120), 0);
    box->addStretch(1);
    box->addWidget(lblFinished_);
    box->addSpacing(Twips(120));
    box->addWidget(lblOutcome_);
    box->addStretch(1);
    grid->addWidget(fFinished_, 0, 0);
}

void ucAssembler::SetDestPath(const std::string& path) {
    // A join into "" would write into the root folder.
    if (path.empty()) return;
    drvAssDest_->SetDrive(QStorageInfo(QString::fromStdString(path)).rootPath().toStdString());
    dirAssDest_->SetPath(path);
}

const std::string& ucAssembler::DestPath() const { return dirAssDest_->Path(); }

int32_t ucAssembler::SegmentSize() const { return flow_->SegmentSize(); }
void ucAssembler::SetSegmentSize(int32_t bytes) { flow_->SetSegmentSize(bytes); }

}  // namespace kb
