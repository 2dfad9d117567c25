// The assembler wizard's navigation, its first two pages' handlers and the run of page 3.
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/core/active_assembler.h"
#include "app/core/common_dialogs.h"
#include "app/core/kb_error.h"
#include "app/core/paths.h"
#include "app/core/prompter.h"
#include "app/core/special_folder.h"
#include "app/pluginhost/plugin_sys.h"
#include "app/ui/assembler/assembler_flow.h"
#include "app/ui/assembler/uc_assembler.h"
#include "app/ui/common/drive_list.h"
#include "app/ui/common/folder_list.h"
#include "app/ui/common/help.h"
#include "app/ui/common/new_folder.h"
#include "app/ui/common/uc_progress_panel.h"

namespace kb {
namespace {

// The busy pointer on the main window and the busy state, both undone on every way out.
class BusyGuard {
public:
    BusyGuard(QWidget* window, const std::function<void(bool)>& onBusy)
        : window_(window), onBusy_(onBusy) {
        window_->setCursor(Qt::BusyCursor);
        if (onBusy_) onBusy_(true);
    }
    ~BusyGuard() {
        window_->unsetCursor();
        if (onBusy_) onBusy_(false);
    }

private:
    QWidget* window_;
    const std::function<void(bool)>& onBusy_;
};

QString Shown(const std::string& crlfText) {
    QString s = QString::fromStdString(crlfText);
    s.replace("\r\n", "\n");
    return s;
}

}  // namespace

void ucAssembler::cmdReset_Click() {
    wizardUsed_ = false;
    lblWelcome_->setText("Welcome to the AssemblerWizard. This wizard will help you combine the "
                         "pieces of your file(s).\nPlease start by specifying where the first "
                         "piece is located....");
    currentSetInfo_ = "Nothing selected.";
    txtCurrentSetInfo_->setPlainText(Shown(currentSetInfo_));
    currentPage_ = 0;
    HideWizardPage();
    currentPage_ = 1;
    ShowWizardPage();
}

void ucAssembler::HideWizardPage() {
    if (currentPage_ == 0) {
        for (currentPage_ = 1; currentPage_ <= 3; ++currentPage_) HideWizardPage();
        return;  // stands at 4
    }
    if (currentPage_ == 1) fWelcome_->hide();
    if (currentPage_ == 2) fSelectDest_->hide();
    if (currentPage_ == 3) {
        fProgpan_->hide();
        fFinished_->hide();
    }
}

void ucAssembler::ShowWizardPage() {
    if (currentPage_ == 1) {
        fWelcome_->show();
        cmdBack_->setEnabled(false);
    } else if (currentPage_ == 2) {
        fSelectDest_->show();
        cmdNext_->setEnabled(true);
        cmdBack_->setEnabled(true);
    } else if (currentPage_ == 3) {
        RunPage();
    }
}

void ucAssembler::RunPage() {
    cmdNext_->setEnabled(false);
    cmdReset_->setEnabled(false);
    cmdBack_->setEnabled(false);
    std::optional<AssembleOutcome> outcome;
    {
        BusyGuard busy(window(), onBusy);
        outcome = flow_->Run(DestPath());
    }
    Finished(*outcome);
}

void ucAssembler::Finished(const AssembleOutcome& outcome) {
    const LastPage page = LastPageOf(outcome);
    lblFinished_->setText(QString::fromStdString(page.heading));
    lblOutcome_->setText(QString::fromStdString(page.text));
    lblOutcome_->setVisible(!page.text.empty());
    fProgpan_->hide();
    fFinished_->show();
    cmdReset_->setEnabled(true);
    cmdBack_->setEnabled(false);
}

bool ucAssembler::ResumeFrom(const std::string& TaskFile) {
    std::string dest = DestPath();
    std::optional<AssembleOutcome> outcome;
    {
        BusyGuard busy(window(), onBusy);
        outcome = flow_->Resume(TaskFile, dest, [this] {
            currentPage_ = 0;
            HideWizardPage();
            cmdNext_->setEnabled(false);
            cmdReset_->setEnabled(false);
            cmdBack_->setEnabled(false);
        });
    }
    if (!outcome) {
        cmdReset_Click();
        return false;
    }
    SetDestPath(dest);
    Finished(*outcome);
    cmdNext_->setEnabled(false);
    return true;
}

void ucAssembler::cmdNext_Click() {
    HideWizardPage();
    ++currentPage_;
    plugins_.BroadcastPluginEvent(PLUGIN_EVT_WIZARD_PAGE);
    ShowWizardPage();
}

void ucAssembler::cmdBack_Click() {
    HideWizardPage();
    --currentPage_;
    plugins_.BroadcastPluginEvent(PLUGIN_EVT_WIZARD_PAGE);
    ShowWizardPage();
}

void ucAssembler::cmdHelp_Click() { ShowHelpTopic(1); }

void ucAssembler::cmdSelectSrcToAssemble_Click() {
    wizardUsed_ = true;
    OpenFileRequest request;
    request.title = "Please select the first piece of the set you wish to assemble";
    request.filter = "All supported formats|*.frg;*.001;*.1|First fragments only|*- 1.frg;*001.frg;"
                     "*.001;*.1|KX4 fragments only (*.frg)|*.frg|Legacy and raw fragments (*.001)|"
                     "*.001|All files (*.*)|*.*";
    request.filterIndex = 2;
    std::optional<std::string> chosen;
    try {
        chosen = Dialogs().OpenFile(request);
    } catch (...) {
        return;
    }
    if (!chosen) return;
    try {
        SetSrcToAssemble(*chosen);
    } catch (const KbError& e) {
        MsgBox("The following error occurred: " + e.Description(), mb::OKOnly | mb::Critical,
               "Unable to select fragment for assembling");
    }
}

void ucAssembler::SetSrcToAssemble(const std::string& Src) {
    const auto d = flow_->DescribeSource(Src);
    if (!d) return;
    if (d->next == AssemblerFlow::SourceDescription::Next::Enable) cmdNext_->setEnabled(true);
    if (d->next == AssemblerFlow::SourceDescription::Next::Disable) cmdNext_->setEnabled(false);
    currentSetInfo_ = d->text;
    txtCurrentSetInfo_->setPlainText(Shown(currentSetInfo_));
}

void ucAssembler::drvAssDest_Change() {
    dirAssDest_->SetPath(drvAssDest_->Drive());
}

// A special folder the system cannot name leaves the destination where it is.
void ucAssembler::MoveDestTo(const std::string& folder) {
    if (!QFileInfo(QString::fromStdString(folder)).isDir()) return;
    SetDestPath(folder);
}

void ucAssembler::cmdAssDestDesktop_Click() { MoveDestTo(GetDesktopFolder()); }

void ucAssembler::cmdAssDestMyDocs_Click() { MoveDestTo(GetMyDocumentsFolder()); }

void ucAssembler::cmdAssDestMkdir_Click() {
    const std::string path = MakeNewFolder(dirAssDest_->Path());
    if (path.empty()) return;
    // The new folder is listed and chosen, not entered.
    dirAssDest_->Select(path);
    dirAssDest_Change();
}

}  // namespace kb
