#include "app/ui/shell/frm_main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QSessionManager>
#include <QTabBar>

#include <cmath>

#include "app/core/active_splitter.h"
#include "app/core/debug_log.h"
#include "app/core/prompter.h"
#include "app/core/temp_manager.h"
#include "app/core/version.h"
#include "app/pluginhost/plugin_rows.h"
#include "app/pluginhost/plugin_sys.h"
#include "app/ui/assembler/uc_assembler.h"
#include "app/ui/common/plugin_host_callback.h"
#include "app/ui/common/ui_text.h"
#include "app/ui/common/widgets.h"
#include "app/ui/options/general_options_flow.h"
#include "app/ui/options/opt_gen_frame.h"
#include "app/ui/options/options_page.h"
#include "app/ui/shell/close_signals.h"
#include "app/ui/shell/frm_about.h"
#include "app/ui/shell/front_page.h"
#include "app/ui/shell/main_window_messages.h"
#include "app/ui/shell/tip_of_the_day.h"
#include "app/ui/shell/unattended_close.h"
#include "app/ui/splitter/size_units.h"
#include "app/ui/splitter/split_runner.h"
#include "app/ui/splitter/split_stage_cmp_enc.h"
#include "app/ui/splitter/split_stage_frag_size.h"
#include "app/ui/splitter/split_wizard.h"
#include "platform/program_folder.h"

namespace kb {

namespace {

constexpr const char* kBusyQuestion =
    "Kestrelbinder is currently performing a task. If you close the program now unexpected "
    "problems may occur. If Kestrelbinder is gathering or compressing, you must use "
    "ctrl+alt+del to terminate the process after exiting the main program as that task is "
    "normally uninterruptable. If a cancel button is visible near the progress bar you should "
    "use that first. Are you sure you want to try and exit now?";

}  // namespace

frmMain::frmMain(PluginHost* plugins) {
    setObjectName("frmMain");
    if (plugins == nullptr) {
        ownPlugins_ = std::make_unique<PluginHost>();
        plugins = ownPlugins_.get();
    }
    plugins_ = plugins;
    messages_ = new MainWindowMessages(this);
    plugins_->PluginMainWindow = messages_;
    ServePluginCallbacks(plugins_);
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
        bool cancel = false;
        Form_QueryUnload(cancel, 2);
        if (cancel) manager.cancel();
    });
    Form_Initialize();
}

frmMain::~frmMain() {
    closeSignals_.reset();
    // The wizard goes before the splitter it writes to.
    delete fSplitPanel_;
    fSplitPanel_ = nullptr;
    // The plug-in manager goes before the host whose list it shows.
    delete fOptPanel_;
    fOptPanel_ = nullptr;
    Form_Terminate();
    if (plugins_->PluginMainWindow == messages_) plugins_->PluginMainWindow = nullptr;
    if (plugins_->PluginSplitter == splitter_.get()) plugins_->PluginSplitter = nullptr;
    if (plugins_->PluginList.onChanged) plugins_->PluginList.onChanged = nullptr;
    if (ownPlugins_) ServePluginCallbacks(nullptr);
    // Boxes of the shut-down above are still answered for the session.
    unattended_.reset();
}

void frmMain::Form_Initialize() {
    DebugLog("Form_Initialize entered");
    FormLoading = true;
    splitter_ = std::make_unique<ActiveSplitter>();
    plugins_->PluginSplitter = splitter_.get();
    // Reverting the general options resets them first, and that first use of a control loads
    // the window.
    cmdOptGenCancel_Click();
    cmdSplitWizReset_Click();
    Tabs_->setProperty("Tag", QString::number(Tabs_->currentIndex()));
    DebugLog("Form_Initialize finsished");
    FormLoading = false;
}

void frmMain::EnsureLoaded() {
    if (loaded_) return;
    loaded_ = true;
    Form_Load();
}

void frmMain::Form_Load() {
    DebugLog("Form_Load entered");
    FormLoading = true;
    BuildWindow();
    resize(Twips(10000), Twips(5790));
    FitToScreen(*this);
    fWelcome_->lblVersion_->setText(QString::fromStdString("Version " + VersionText()));
    if (!tips_) tips_ = std::make_unique<TipOfTheDay>();
    lblTipContent_->setText(QString::fromStdString(tips_->NextTip()));
    helpFile_ = platform::ProgramFolder();
    if (!helpFile_.empty() && helpFile_.back() == '/') helpFile_.pop_back();
    helpFile_ += "/Kestrelbinder4.hlp";
    // The image lists are attached as each page is built; the tab images go on last.
    WelcomeTabs_Click();
    for (const SizePreset& preset : kSizePresets)
        fSplitPanel_->fSplitStageFragSize_->cmbPreset_->addItem(preset.caption);
    cmdSplitWizReset_Click();
    fSplitPanel_->fSplitStageFragSize_->lblFragNamingHelp_->setText(DisplayText(
        "You may use the following special symbols...\r%f = Name of the file being split\r"
        "%x = Original filename extension\r%n = Piece number\r%N = 3-digit piece number\r\r"
        "Note: Either %n or %N *MUST* be used at least once."));
    fSplitPanel_->fSplitStageCmpEnc_->lblCompressionInfo_->setText(DisplayText(
        "This version of Kestrelbinder uses GreenEclipse CAB compression.\rIt does not work "
        "properly for selections greater than 1GB, so for larger files you are recommended to "
        "compress with an external program."));
    DebugLog("Form_Load finished");
}

void frmMain::cmdOptGenCancel_Click() {
    // Reverting resets first, and that first use of a control loads the window.
    EnsureLoaded();
    fOptPanel_->General().cmdOptGenCancel_Click();
}

void frmMain::cmdOptGenReset_Click() {
    EnsureLoaded();
    fOptPanel_->General().cmdOptGenReset_Click();
}

void frmMain::ApplySegmentSize(int32_t bytes) {
    if (bytes > 0) pendingSegment_ = bytes;
    if (SplitBusy || AssembleBusy || pendingSegment_ == 0 || fAssPanel_ == nullptr) return;
    splitter_->SegmentSize = pendingSegment_;
    fAssPanel_->SetSegmentSize(splitter_->SegmentSize);
    pendingSegment_ = 0;
}

void frmMain::cmdSplitWizReset_Click() {
    EnsureLoaded();
    fSplitPanel_->cmdSplitWizReset_Click();
}

void frmMain::SplitFromWizard() { fSplitPanel_->Runner().SplitFromWizard(); }

// While the data is prepared or split, no other page can start work (nor unload a plug-in the
// work is using), and closing waits for the work to stop.
void frmMain::SetSplitBusy(bool busy) {
    SplitBusy = busy;
    Tabs_->setEnabled(!busy && !AssembleBusy);
    if (busy) {
        setCursor(Qt::WaitCursor);
        return;
    }
    unsetCursor();
    ApplySegmentSize(0);
    if (closeWhenIdle_) QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

ucProgressPanel* frmMain::fSptProgPan() { return fSplitPanel_->fSptProgPan_; }

std::string frmMain::SelectedTabKey() const {
    return Tabs_->tabData(Tabs_->currentIndex()).toString().toStdString();
}

void frmMain::SelectTab(const std::string& key) {
    for (int i = 0; i < Tabs_->count(); ++i) {
        if (Tabs_->tabData(i).toString().toStdString() != key) continue;
        if (i == Tabs_->currentIndex())
            Tabs_Click();
        else
            Tabs_->setCurrentIndex(i);  // runs Tabs_Click
        return;
    }
}

void frmMain::Tabs_Click() {
    const std::string key = SelectedTabKey();
    fSplitPanel_->setVisible(key == "Splitter");
    fAssPanel_->setVisible(key == "Assembler");
    fOptPanel_->setVisible(key == "Options");
    fWelcome_->setVisible(key == "Frontpage");
    fSplitPanel_->setEnabled(key == "Splitter");
    fOptPanel_->setEnabled(key == "Options");
    fWelcome_->setEnabled(key == "Frontpage");
    if (key == "Splitter") fSplitPanel_->RefreshExtraFilesOptions();
    const QString index = QString::number(Tabs_->currentIndex());
    if (index != Tabs_->property("Tag").toString())
        plugins_->BroadcastPluginEvent(PLUGIN_EVT_TAB_CHANGED);
    Tabs_->setProperty("Tag", index);
}

void frmMain::cmdTipNext_Click() {
    if (!tips_) tips_ = std::make_unique<TipOfTheDay>();
    lblTipContent_->setText(QString::fromStdString(tips_->NextTip()));
}

void frmMain::cmdTipPrevious_Click() {
    if (!tips_) tips_ = std::make_unique<TipOfTheDay>();
    lblTipContent_->setText(QString::fromStdString(tips_->PreviousTip()));
}

void frmMain::cmdAbout_Click() {
    frmAbout about(this);
    about.exec();
}

void frmMain::CloseOnSignals() {
    if (!closeSignals_) closeSignals_ = std::make_unique<CloseSignals>([this] { CloseUnattended(); });
}

void frmMain::CloseUnattended() {
    DebugLog("Close requested by the session");
    if (!unattended_) unattended_ = std::make_unique<UnattendedClose>();
    closeWhenIdle_ = true;
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void frmMain::closeEvent(QCloseEvent* event) {
    bool cancel = false;
    // The session's close is agreed already.
    if (!unattended_) Form_QueryUnload(cancel, event->spontaneous() ? 0 : 1);
    if (cancel) {
        event->ignore();
        return;
    }
    // The work's temporary files and open pieces must not go from under it.
    if (AssembleBusy || SplitBusy) {
        closeWhenIdle_ = true;
        event->ignore();
        return;
    }
    if (!unloaded_) {
        unloaded_ = true;
        bool unused = false;
        Form_Unload(unused);
    }
    event->accept();
    CloseOtherWindows();
}

// The help window and any other window of the program go with the main window, so that the
// program ends with it.
void frmMain::CloseOtherWindows() {
    QList<QPointer<QWidget>> others;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this) others.append(w);
    for (const QPointer<QWidget>& w : others)
        if (w && w->isVisible()) w->close();
}

void frmMain::Form_QueryUnload(bool& Cancel, int UnloadMode) {
    if ((UnloadMode == 0 || UnloadMode == 2) && (SplitBusy || AssembleBusy)) {
        if (MsgBox(kBusyQuestion, mb::OKCancel | mb::Exclamation | mb::DefaultButton2,
                   "Unable to exit cleanly") == Answer::Cancel)
            Cancel = true;
    }
}

void frmMain::Form_Unload(bool& /*Cancel*/) {
    DebugLog("Form_Unload started");
    for (int n = 1; n <= plugins_->PluginList.Count(); ++n)
        if (plugins_->PluginList.Ticked(n))
            plugins_->SendPluginCommand(static_cast<int16_t>(n - 1), PLUGIN_EVT_HOST_CLOSING);
    plugins_->DisableSubclassing(plugins_->MainWindowHandle());
    TempManager::Instance().RemoveAllTempFiles();
    DebugLog("Form_Unload finished");
}

void frmMain::Form_Terminate() {
    DebugLog("Form_Terminate started");
    plugins_->ShutdownAllPlugins();
    DebugLog("Form_Terminate finished");
}

}  // namespace kb
