#include "app/ui/assembler/assembler_flow.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "app/core/kb_error.h"
#include "app/core/paths.h"
#include "app/core/progress_view.h"
#include "app/core/prompter.h"
#include "app/core/task_folder.h"
#include "app/core/temp_manager.h"
#include "app/core/text.h"
#include "app/core/wizard_windows.h"
#include "app/pluginhost/plugin_sys.h"
#include "app/ui/common/task_name.h"

namespace kb {
namespace {

constexpr const char* kCrLf = "\r\n";

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

}  // namespace

AssemblerFlow::AssemblerFlow(ProgressView& panel, WizardWindows& windows, PluginHost& plugins,
                             Unpacker unpack)
    : panel_(panel), windows_(windows), plugins_(plugins), unpack_(std::move(unpack)),
      segmentSize_(assembler.SegmentSize) {
    assembler.SetListener(this);
}

AssemblerFlow::~AssemblerFlow() { assembler.SetListener(nullptr); }

void AssemblerFlow::SetSegmentSize(int32_t bytes) {
    segmentSize_ = bytes;
    if (!busy_) assembler.SegmentSize = bytes;
}

std::optional<AssemblerFlow::SourceDescription> AssemblerFlow::DescribeSource(
    const std::string& src) {
    if (!FileExists(src)) return std::nullopt;
    assembler.SetFileToAssemble(src);
    SourceDescription d;
    d.text = GetFileNameFromPath(assembler.FileToAssemble()) + kCrLf;
    const int32_t format = assembler.FileFormat();
    std::string tmpl;
    if (format == 0) {
        d.text += std::string("Kestrelbinder format") + kCrLf;
    } else {
        d.text += std::string("Unrecognized format or raw data") + kCrLf;
        try {
            tmpl = assembler.GuessFragnameTemplate();
        } catch (const KbError&) {
            tmpl = "UNK";
        }
        if (tmpl == "UNK") {
            d.text += "Unable to determine naming convention - cannot assemble";
        } else {
            d.text += "Detected naming convention: " + tmpl + kCrLf;
            d.text += "First of " + std::to_string(assembler.FragmentCount()) + " total pieces" + kCrLf;
            const std::string first = assembler.SeriesStart(tmpl);
            if (Lower(GetFileNameFromPath(src)) != Lower(GetFileNameFromPath(first)) &&
                FileExists(first))
                return DescribeSource(first);
        }
    }
    const int32_t n = assembler.FragmentCount();
    if (n == 1 && format == 1) {
        d.text += std::string("Unable to find all fragments. Please copy to same folder first.") + kCrLf;
        d.next = SourceDescription::Next::Disable;
        MsgBox("Since these pieces are unformatted, Kestrelbinder doesn't know how many there are, "
               "but can only find the first. Please copy each disk to the same folder and then "
               "assemble from there.",
               mb::OKOnly | mb::Critical, "Unable to count pieces: only first piece can be found");
    } else {
        if (format == 0) d.text += "First of " + std::to_string(n) + " total pieces" + kCrLf;
        d.next = tmpl != "UNK" ? SourceDescription::Next::Enable : SourceDescription::Next::Disable;
    }
    return d;
}

// Joins with the panel showing the join's two bars; the busy state covers the post-processing.
AssembleOutcome AssemblerFlow::Join(std::string& dest, const char* caption, bool resetBars) {
    panel_.SetVisible(true);
    panel_.SetCaption(caption);
    panel_.SetCancelVisible(true);
    panel_.SetPB1Visible(true);
    panel_.SetPB2Visible(true);
    panel_.SetBottomText(
        "Clicking cancel will allow you to save the current progress and continue later.");
    panel_.SetPB1Caption("Total progress:");
    panel_.SetPB2Caption("Current piece:");
    if (resetBars) {
        panel_.SetPB1Percent(0);
        panel_.SetPB2Percent(0);
    }
    assembler.SetDestinationFolder(dest);
    if (!assembler.ResumePending()) assembler.SegmentSize = segmentSize_;
    panel_.StartTimings();
    stopSavingTo_.reset();
    AssembleOutcome outcome;
    try {
        outcome.join = HowJoinEnded(assembler.Assemble(dest));
    } catch (const ProgramEnded&) {
        throw;
    } catch (const std::exception& e) {
        // The engine has shown its fatal box; the wizard stays usable.
        outcome.join = AssembleOutcome::Join::Error;
        outcome.reason = e.what();
    }
    if (outcome.join == AssembleOutcome::Join::Joined) outcome.flaws = assembler.Flaws();
    if (outcome.join == AssembleOutcome::Join::SavedAsTask)
        outcome.task = RemoveExtension(StripFolder(*stopSavingTo_));
    if (outcome.join == AssembleOutcome::Join::BackToTask)
        outcome.task = RemoveExtension(StripFolder(resumeTaskFile_));
    panel_.StopTimings();
    return outcome;
}

// A join the user stopped is saved when the assembler has written the task file named; a
// resumed one stopped without saving goes back to its task.
AssembleOutcome::Join AssemblerFlow::HowJoinEnded(int16_t result) const {
    using J = AssembleOutcome::Join;
    if (result == 0) return J::Joined;
    if (!stopSavingTo_) return J::NotJoined;
    if (!stopSavingTo_->empty() && FileExists(*stopSavingTo_)) return J::SavedAsTask;
    return resumeTaskFile_.empty() ? J::Stopped : J::BackToTask;
}

AssembleOutcome AssemblerFlow::Run(const std::string& dest) {
    busy_ = true;
    std::string d = dest;
    AssembleOutcome outcome = Join(d, "Assembling....", true);
    if (outcome.join == AssembleOutcome::Join::Joined) outcome.placement = SafePostProcess(d);
    busy_ = false;
    assembler.SegmentSize = segmentSize_;
    return outcome;
}

std::optional<AssembleOutcome> AssemblerFlow::Resume(const std::string& taskFile, std::string& dest,
                                                     const std::function<void()>& beforeRun) {
    resumeTaskFile_ = taskFile;
    std::optional<AssembleOutcome> outcome;
    if (!RefuseTask(taskFile)) {
        busy_ = true;
        if (beforeRun) beforeRun();
        plugins_.BroadcastPluginEvent(PLUGIN_EVT_ASSEMBLE_START);
        outcome = Join(dest, "Resuming assemble....", false);
        plugins_.BroadcastPluginEvent(PLUGIN_EVT_ASSEMBLE_END);
        if (outcome->join == AssembleOutcome::Join::Joined) outcome->placement = SafePostProcess(dest);
        busy_ = false;
        assembler.SegmentSize = segmentSize_;
    }
    // A refused or stopped resume never leaves the next fresh join on the resume branch.
    assembler.CancelResume();
    resumeTaskFile_.clear();
    return outcome;
}

// Loads the task and asks the engine whether it may start, before the join's panel shows;
// false when it may. A task that may not is left on disk, after the box that says why.
bool AssemblerFlow::RefuseTask(const std::string& taskFile) {
    try {
        return !assembler.SetResumeInfo(taskFile) || !assembler.MayResume(kWizardSegments);
    } catch (const ProgramEnded&) {
        throw;
    } catch (const std::exception& e) {
        assembler.CancelResume();
        ShowTaskKept(taskFile, std::string("it could not be loaded: ") + e.what());
        return true;
    }
}

int AssemblerFlow::AskCancelQuestion() {
    return static_cast<int>(
        MsgBox("You cancelled the assemble operation. Do you wish to save your progress to continue "
               "the assemble later? Just click cancel to continue the assembling right now.",
               mb::YesNoCancel | mb::Question | mb::DefaultButton3, "Assemble cancelled"));
}

void AssemblerFlow::AnswerCancelQuestion(bool& Cancel, std::string& SaveStateFile) {
    const auto a = static_cast<Answer>(AskCancelQuestion());
    if (a == Answer::Yes) {
        SaveAssembleProgress(Cancel, SaveStateFile);
    } else if (a == Answer::No) {
        Cancel = true;
        SaveStateFile.clear();
    } else {
        Cancel = false;
    }
    if (Cancel) stopSavingTo_ = SaveStateFile;
}

void AssemblerFlow::AssembleInterval(int32_t PBCurrent, int32_t FragPercent, bool& Cancel,
                                     std::string& SaveStateFile) {
    plugins_.BroadcastPluginEvent(PLUGIN_EVT_ASSEMBLE_PROGRESS);
    panel_.SetPB1Percent(static_cast<int16_t>(PBCurrent));
    panel_.SetPB2Percent(static_cast<int16_t>(FragPercent));
    if (!panel_.CancelClicked()) return;
    AnswerCancelQuestion(Cancel, SaveStateFile);
    if (!Cancel) panel_.SetCancelVisible(true);
}

void AssemblerFlow::RequireNextDisk(int32_t& DiskNumber, bool& Cancel, std::string& SaveStateFile) {
    while (true) {
        Cancel = !windows_.RequestDisk(DiskNumber);
        if (!Cancel) return;
        AnswerCancelQuestion(Cancel, SaveStateFile);
        if (Cancel) return;
    }
}

// A stop where a piece cannot be found or the output cannot be written: Cancel in the question
// goes on (the piece is looked for, or the chunk written, again).
void AssemblerFlow::ConfirmStop(bool& Cancel, std::string& SaveStateFile) {
    AnswerCancelQuestion(Cancel, SaveStateFile);
}

void AssemblerFlow::RequirePassphrase(std::string& Passphrase, bool& Cancel, bool FirstRequest) {
    if (!FirstRequest)
        MsgBox("Incorrect passphrase - passphrase checksums do not match", mb::OKOnly | mb::Critical,
               "Decryption failed");
    Passphrase = InputBox(
        "This fragment series is locked. Please enter the decryption passphrase....",
        "Decryption key required", "");
    Cancel = Passphrase.empty();
}

void AssemblerFlow::SaveAssembleProgress(bool& Cancel, std::string& SaveStateFile) {
    Cancel = true;
    const TaskNameAnswer name =
        AskTaskName({UnfinishedTasksFolder(), "Unnamed Assemble", resumeTaskFile_});
    SaveStateFile = name.path;
    if (name.path.empty()) return;
    if ((assembler.CompressionID > 0 || assembler.EncryptionID > 0) && !TemporaryFileWarning()) {
        Cancel = false;
        panel_.SetCancelVisible(true);
    }
}

// The warning that a saved task keeps its temporary file; true on OK.
bool AssemblerFlow::TemporaryFileWarning() {
    std::error_code ec;
    const auto length = std::filesystem::file_size(assembler.BigFile, ec);
    const std::string text =
        "In order to later resume this assemble operation, Kestrelbinder must keep a " +
        FormatByteSize(ec ? 0 : static_cast<int64_t>(length)) +
        " file in your temporary directory. This contains the data before decompression or "
        "decryption has been applied. The Disk Cleanup Wizard that comes with certain versions of "
        "Windows, and also some other programs, may remove this file to reclaim disk space. Please "
        "do not rely too much on the resume feature working if you think you may have such "
        "software running. \r\rFor your information the filename Kestrelbinder needs to keep is: " +
        assembler.BigFile;
    if (MsgBox(text, mb::OKCancel | mb::Exclamation, "Warning: Temporary files") != Answer::OK)
        return false;
    // A resumed join's archive is its task's already.
    if (KeyHolding(assembler.BigFile) != "AssEncArchive") return true;
    try {
        TempManager::Instance().UnmarkTempFile("AssEncArchive");
    } catch (...) {
    }
    return true;
}

void AssemblerFlow::ecExtractor_Progress(const std::string& FileName, int Percent) {
    std::string name = FileName;
    std::replace(name.begin(), name.end(), '\\', '/');
    panel_.SetPB1Percent(static_cast<int16_t>(Percent));
    panel_.SetBottomText("Working: " + StripFolder(name));
}

}  // namespace kb
