// The command line handed to the wizards once the window is shown: files and folders to split,
// or one piece to assemble, as if the user had chosen them.
#include <QRadioButton>

#include <filesystem>

#include "app/core/kb_error.h"
#include "app/core/paths.h"
#include "app/core/prompter.h"
#include "app/ui/assembler/uc_assembler.h"
#include "app/ui/shell/command_line.h"
#include "app/ui/shell/frm_main.h"
#include "app/ui/shell/startup.h"
#include "app/ui/splitter/split_stage_intro.h"
#include "app/ui/splitter/split_stage_source_multi.h"
#include "app/ui/splitter/split_wizard.h"

namespace kb {

namespace {

std::string CurrentFolder() {
    std::error_code ec;
    const std::filesystem::path here = std::filesystem::current_path(ec);
    return ec ? std::string("/") : here.string();
}

void UnexpectedArgumentsError(const std::string& description) {
    MsgBox("An error occurred processing the command line arguments. The error was: " +
               description + "\rThe arguments will not be processed.",
           mb::OKOnly | mb::Critical, "Unexpected error");
}

}  // namespace

void frmMain::HandleArguments() {
    const CommandLinePlan plan = PlanCommandLine(ProgramCommandLine, CurrentFolder());
    try {
        switch (plan.kind) {
        case CommandLinePlan::Kind::Nothing:
            return;
        case CommandLinePlan::Kind::Usage:
            MsgBox(CommandLineUsageText(ProgramCommandLine), mb::OKOnly | mb::Critical,
                   "Invalid command line arguments");
            return;
        case CommandLinePlan::Kind::Error:
            UnexpectedArgumentsError(plan.errorDescription);
            return;
        case CommandLinePlan::Kind::AssemblerTab:
            if (!plan.assemblePath.empty()) fAssPanel_->SetSrcToAssemble(plan.assemblePath);
            SelectTab("Assembler");
            return;
        case CommandLinePlan::Kind::Split:
            SplitArguments(plan.items);
            return;
        }
    } catch (const ProgramEnded&) {
        throw;
    } catch (const KbError& e) {
        UnexpectedArgumentsError(e.Description());
    } catch (const std::exception& e) {
        UnexpectedArgumentsError(e.what());
    }
}

void frmMain::SplitArguments(const std::vector<std::string>& items) {
    SelectTab("Splitter");
    SplitWizard& wizard = *fSplitPanel_;
    SplitWizardFlow& flow = wizard.Flow();
    if (items.size() == 1 && FileExists(items[0])) {
        wizard.fSplitStageIntro_->optSplitSingleFile_->setChecked(true);
        wizard.RunForCaller([&] { flow.cmdSplitWizNext_Click(); });
        const std::string& path = items[0];
        wizard.RunForCaller([&] {
            // As the file dialog of the single-file stage hands over its choice.
            const std::string volume = VolumeOf(path);
            if (volume != flow.single.drive) {
                flow.single.drive = volume;
                flow.SingleSplitDrive_Change();
            }
            flow.single.folder = GetFolderFromPath(path);
            if (flow.single.folder.size() > 1 && flow.single.folder.back() == '/')
                flow.single.folder.pop_back();
            flow.SingleSplitFolder_Change();
            flow.single.fileName = GetFileNameFromPath(path);
            flow.SingleSplitFile_Click();
        });
        return;
    }
    wizard.fSplitStageIntro_->optSplitMultiFile_->setChecked(true);
    wizard.RunForCaller([&] { flow.optSplitMultiFile_Click(); });
    wizard.RunForCaller([&] { flow.cmdSplitWizNext_Click(); });
    SplitStageSourceMulti& multi = *wizard.fSplitStageSelectSourceMulti_;
    for (const std::string& item : items) AddSplitArgument(multi, item);
}

// An existing file joins the list as Add File adds it; anything else is taken as a folder.
void frmMain::AddSplitArgument(SplitStageSourceMulti& multi, const std::string& item) {
    if (FileExists(item))
        multi.AddFileFromCommandLine(item);
    else
        multi.AddFolderFromCommandLine(item);
}

}  // namespace kb
