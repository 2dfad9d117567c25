#pragma once
// The window's split runner: runs the split the splitter wizard set up (first-disk prompt,
// generator plug-ins, the split itself, clean-up) on the progress panel, and answers the
// splitter's events: progress with its Cancel button, disk requests, a disk without room, and
// saving the split as an unfinished task when it is cancelled.

#include <functional>
#include <string>

#include "app/core/active_splitter.h"
#include "app/core/prompter.h"

namespace kb {

class PluginHost;
class ProgressView;
class WizardWindows;
struct SplitFragRangeSettings;

struct SplitRunnerHooks {
    // Locks the window for a split (tabs and wizard buttons off, busy flag and pointer on) or
    // unlocks it.
    std::function<void(bool)> lock;
    // True once the user has agreed to close the window while the split runs.
    std::function<bool()> closePending;
    // The volume's format dialog.
    std::function<void(const std::string&)> formatDrive;
};

class SplitRunner : public ActiveSplitterEvents {
public:
    // `range` is the sixth stage's state (the extra files and the reduced first-piece size).
    SplitRunner(ActiveSplitter& splitter, ProgressView& panel, const SplitFragRangeSettings& range,
                PluginHost& plugins, SplitRunnerHooks hooks);

    void SetWizardWindows(WizardWindows* windows) { windows_ = windows; }

    void SplitFromWizard();
    void ShowSplitProgressPanel(bool Visible);

    void SplitInterval(int32_t PBCurrent, int32_t FragPercent, bool& Cancel,
                       std::string& SaveStateFile) override;
    void RequireNextDisk(int32_t& DiskNumber, bool& Cancel, std::string& SaveStateFile) override;
    void NotEnoughDiskSpace(bool& Cancel, std::string& SaveStateFile) override;

private:
    void PreparePanel();
    // False when the user abandons the split at the first disk.
    bool AskForFirstDisk();
    void RunGenerators();
    void CleanUp();
    void TaskNotSaved();
    Answer AskCancelQuestion();
    bool StopForClose(bool& Cancel, std::string& SaveStateFile);
    void AskSaveProgressName(bool& Cancel, std::string& SaveStateFile);
    bool KeepTemporarySource();

    ActiveSplitter& splitter_;
    ProgressView& panel_;
    const SplitFragRangeSettings& range_;
    PluginHost& plugins_;
    SplitRunnerHooks hooks_;
    WizardWindows* windows_ = nullptr;
    // The task file asked for in this split, and the key its temporary source was taken out of
    // the register from ("" when none).
    std::string taskFile_;
    std::string unmarkedKey_;
};

}  // namespace kb
