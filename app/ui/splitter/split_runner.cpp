#include "app/ui/splitter/split_runner.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "app/core/debug_log.h"
#include "app/core/fatal_error.h"
#include "app/core/paths.h"
#include "app/core/progress_view.h"
#include "app/core/system_queries.h"
#include "app/core/task_folder.h"
#include "app/core/temp_manager.h"
#include "app/core/text.h"
#include "app/core/wizard_windows.h"
#include "app/pluginhost/include/kb_plugin.h"
#include "app/pluginhost/kbplugin.h"
#include "app/pluginhost/plugin_sys.h"
#include "app/pluginhost/plugin_text.h"
#include "app/ui/common/task_name.h"
#include "app/ui/splitter/split_wizard_settings.h"

namespace kb {

namespace {

// The question when the disk in the drive has too little room; true on OK.
bool AskToFormat() {
    return MsgBox("There is not enough disk space on the destination drive. Would you like to "
                  "format this disk now?",
                  mb::OKCancel | mb::Exclamation, "Not enough disk space") == Answer::OK;
}

}  // namespace

SplitRunner::SplitRunner(ActiveSplitter& splitter, ProgressView& panel,
                         const SplitFragRangeSettings& range, PluginHost& plugins,
                         SplitRunnerHooks hooks)
    : splitter_(splitter), panel_(panel), range_(range), plugins_(plugins),
      hooks_(std::move(hooks)) {}

void SplitRunner::ShowSplitProgressPanel(bool Visible) { panel_.SetVisible(Visible); }

void SplitRunner::SplitFromWizard() {
    DebugLog("SplitFromWizard() called");
    const int64_t reduced = std::atoll(range_.extraFilesTag.c_str());
    // The room for extra files is only kept on the first disk of a spanned set.
    if (reduced != 0 && splitter_.SpanDisks) {
        DebugLog("Reducing fragsize to make room for extra file(s)");
        splitter_.SetFragmentSizeAtStart(reduced);
    }
    if (hooks_.lock) hooks_.lock(true);
    taskFile_.clear();
    unmarkedKey_.clear();
    PreparePanel();
    plugins_.BroadcastPluginEvent(PLUGIN_EVT_SPLIT_START);
    std::exception_ptr failure;
    int sector = 6;
    bool inSplit = false;
    try {
        if (AskForFirstDisk()) {
            sector = 7;
            if (range_.extraFilesOn) RunGenerators();
            sector = 8;
            if (!splitter_.SpanDisks) panel_.StartTimings();
            DebugLog("Calling split method");
            inSplit = true;
            splitter_.Split();
            // A stop asked for on a piece's last chunk may never come: then no task was written.
            if (!taskFile_.empty() && !FileExists(taskFile_)) TaskNotSaved();
        }
    } catch (...) {
        failure = std::current_exception();
        // The split shows its own box for what goes wrong inside it.
        if (!inSplit) {
            try {
                FatalErrorBox("SplitFromWizard()", sector);
            } catch (...) {
            }
        }
        TaskNotSaved();
    }
    CleanUp();
    if (failure) std::rethrow_exception(failure);
}

void SplitRunner::PreparePanel() {
    panel_.SetCaption("Splitting in progress...");
    panel_.SetBottomText("Clicking cancel will allow you to save the current progress and continue later.");
    panel_.SetPB1Caption("Total progress:");
    panel_.SetPB2Caption("Current piece:");
    panel_.SetPB1Visible(true);
    panel_.SetPB2Visible(true);
    panel_.SetCancelVisible(true);
    panel_.SetPB1Percent(0);
    panel_.SetPB2Percent(0);
    ShowSplitProgressPanel(true);
}

bool SplitRunner::AskForFirstDisk() {
    if (!((splitter_.FragFirst == 1 || !splitter_.FragUseRange) && splitter_.SpanDisks &&
          range_.extraFilesOn))
        return true;
    const std::string dest = splitter_.DestinationFolder();
    do {
        MsgBox("Please insert the first disk and click OK");
        if (GetFreeDiskSpace(dest) >= splitter_.FragmentSizeAtStart()) continue;
        if (AskToFormat()) {
            if (hooks_.formatDrive) hooks_.formatDrive(dest);
            splitter_.DontAskForFirstDisk = true;
        } else if (MsgBox("The disk is still not formatted. Click retry to try again or cancel to "
                          "abandon the split",
                          mb::RetryCancel, "Not enough disk space") == Answer::Cancel) {
            return false;
        }
    } while (GetFreeDiskSpace(dest) < splitter_.FragmentSizeAtStart());
    return true;
}

void SplitRunner::RunGenerators() {
    // The generators' progress reports go to this panel.
    plugins_.UseForPluginProgress(panel_);
    for (const ExtraFileRow& row : range_.extraFiles) {
        if (!row.ticked) continue;
        DebugLog("Generating extra file: " + row.text);
        const auto slot = static_cast<int16_t>(std::atoi(row.key.c_str() + 1));
        PluginTextArg stored(splitter_.FilenameToStore);
        PluginTextArg folder(splitter_.DestinationFolder());
        int32_t count = splitter_.FragsNeeded();
        int32_t zero = 0;
        if (plugins_.CallPluginMain(slot, PLUGIN_CMD_GENERATE_FILES, stored.Var(), &count, &zero, folder.Var()) != PLUGIN_OK)
            MsgBox("A generator plug-in reported a problem creating a file",
                   mb::OKOnly | mb::Exclamation, "File generation problem");
    }
}

void SplitRunner::CleanUp() {
    splitter_.DontAskForFirstDisk = false;
    DebugLog("Split method finished");
    panel_.StopTimings();
    panel_.SetBottomText("Removing temporary files....");
    panel_.SetCancelVisible(false);
    TempManager& temp = TempManager::Instance();
    temp.RemoveTempFile("Archive", true);
    temp.RemoveTempFile("EncArchive", true);
    plugins_.BroadcastPluginEvent(PLUGIN_EVT_SPLIT_END);
    ShowSplitProgressPanel(false);
    if (hooks_.lock) hooks_.lock(false);
}

// A task whose file could not be written is no task: its half-written file goes, and its
// source is a temporary file again, removed with the others.
void SplitRunner::TaskNotSaved() {
    if (taskFile_.empty()) return;
    std::remove(taskFile_.c_str());
    if (!unmarkedKey_.empty()) TempManager::Instance().MarkTempFile(unmarkedKey_, splitter_.BigFile());
    taskFile_.clear();
    unmarkedKey_.clear();
}

Answer SplitRunner::AskCancelQuestion() {
    return MsgBox("You cancelled the split operation. Do you wish to save your progress to continue "
                  "the split later? Just click cancel to continue the splitting right now.",
                  mb::YesNoCancel | mb::Question | mb::DefaultButton3, "Split cancelled");
}

// A close the user agreed to while the split ran stops it without saving.
bool SplitRunner::StopForClose(bool& Cancel, std::string& SaveStateFile) {
    if (!hooks_.closePending || !hooks_.closePending()) return false;
    Cancel = true;
    SaveStateFile.clear();
    return true;
}

void SplitRunner::SplitInterval(int32_t PBCurrent, int32_t FragPercent, bool& Cancel,
                                std::string& SaveStateFile) {
    plugins_.BroadcastPluginEvent(PLUGIN_EVT_SPLIT_PROGRESS);
    panel_.SetPB1Percent(static_cast<int16_t>(PBCurrent));
    panel_.SetPB2Percent(static_cast<int16_t>(FragPercent));
    if (StopForClose(Cancel, SaveStateFile) || !panel_.CancelClicked()) return;
    switch (AskCancelQuestion()) {
    case Answer::Yes:
        AskSaveProgressName(Cancel, SaveStateFile);
        if (!Cancel) panel_.SetCancelVisible(true);
        break;
    case Answer::No:
        Cancel = true;
        SaveStateFile.clear();
        break;
    default: panel_.SetCancelVisible(true); break;
    }
}

void SplitRunner::RequireNextDisk(int32_t& DiskNumber, bool& Cancel, std::string& SaveStateFile) {
    while (true) {
        if (StopForClose(Cancel, SaveStateFile)) return;
        Cancel = windows_ == nullptr || !windows_->RequestDisk(DiskNumber);
        if (!Cancel) return;
        switch (AskCancelQuestion()) {
        case Answer::Yes:
            AskSaveProgressName(Cancel, SaveStateFile);
            if (Cancel) return;
            break;
        case Answer::No:
            Cancel = true;
            SaveStateFile.clear();
            return;
        default: Cancel = false; break;
        }
    }
}

void SplitRunner::NotEnoughDiskSpace(bool& Cancel, std::string& SaveStateFile) {
    if (StopForClose(Cancel, SaveStateFile)) return;
    if (AskToFormat()) {
        if (hooks_.formatDrive) hooks_.formatDrive(splitter_.DestinationFolder());
        Cancel = false;
        return;
    }
    Cancel = true;
    switch (AskCancelQuestion()) {
    case Answer::Yes: AskSaveProgressName(Cancel, SaveStateFile); break;
    case Answer::No:
        Cancel = true;
        SaveStateFile.clear();
        break;
    default: Cancel = false; break;
    }
}

void SplitRunner::AskSaveProgressName(bool& Cancel, std::string& SaveStateFile) {
    Cancel = true;
    const std::string folder = UnfinishedTasksFolder();
    // A resumed split may be saved again under its own task's name.
    const TaskNameAnswer name = AskTaskName({folder, "Unnamed Split", splitter_.ResumedTask()});
    SaveStateFile = name.path;
    if (SaveStateFile.empty()) return;
    if (splitter_.FilenameToStore != StripFolder(splitter_.BigFile()) && !KeepTemporarySource()) {
        // The split goes on and nothing is saved.
        Cancel = false;
        SaveStateFile.clear();
        return;
    }
    taskFile_ = SaveStateFile;
}

// The saved task needs the temporary file being split: the warning, and on OK the file is
// taken out of the register so that the clean-up leaves it. False on Cancel.
bool SplitRunner::KeepTemporarySource() {
    const std::string text =
        "In order to later resume this split operation, Kestrelbinder must keep a " +
        FormatByteSize(splitter_.BigFileLength()) +
        " file in your temporary directory. This contains the source data after various "
        "processing such as compression or encryption has been applied. The Disk Cleanup Wizard "
        "that comes with certain versions of Windows, and also some other programs, may remove "
        "this file to reclaim disk space. Please do not rely too much on the resume feature "
        "working if you think you may have such software running. \r\rFor your information the "
        "filename Kestrelbinder needs to keep is: " +
        splitter_.BigFile();
    if (MsgBox(text, mb::OKCancel | mb::Exclamation, "Warning: Temporary files") != Answer::OK)
        return false;
    // The key that holds the file being split: a stale "EncArchive" of an earlier run must not
    // be kept while the real source is deleted.
    TempManager& temp = TempManager::Instance();
    for (const char* key : {"EncArchive", "Archive"}) {
        try {
            if (temp.GetTempFilePath(key) != splitter_.BigFile()) continue;
            temp.UnmarkTempFile(key);
            unmarkedKey_ = key;
            break;
        } catch (...) {
        }
    }
    return true;
}

}  // namespace kb
