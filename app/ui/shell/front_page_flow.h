#pragma once
// What the front page does, without its widgets: the rows of its two task lists, OK with its
// questions, and the resuming of a saved split or assemble. The page shows the rows and hands
// OK the selected one; the window lends the hooks that reach its wizards and tabs.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kb {

class ActiveSplitter;
class ResumeFailureQuestion;

struct FrontPageRow {
    // "Split", "Assemble", "Configure", or a task file's full path.
    std::string key;
    std::string text;
    // Image key: "Split", "Assemble", "Configure", "SplitDoc", "AssembleDoc".
    std::string icon;
    // The task kind of an unfinished task (1 split, 2 assemble); 0 for a new task.
    int16_t tag = 0;
};

struct FrontPageHooks {
    std::function<bool()> splitWizInUse;
    std::function<void()> resetSplitWizard;
    std::function<bool()> assemblerWizardUsed;
    std::function<void()> resetAssembler;
    std::function<void(const std::string&)> selectTab;
    // True: lock the window and show the split's progress panel for a resumed split; false:
    // hide it, unlock, reset the splitter wizard and return to the front page.
    std::function<void(bool)> lockForResumedSplit;
    // Runs the split the splitter has taken over from a task file.
    std::function<void(const std::string&)> runResumedSplit;
    // The assembler wizard's resume, which keeps or removes the task file itself; false when
    // the task was not resumed (it could not be loaded, or it no longer matches its files).
    std::function<bool(const std::string&)> resumeAssemble;
};

class FrontPageFlow {
public:
    FrontPageFlow(ActiveSplitter& splitter, FrontPageHooks hooks);

    static std::vector<FrontPageRow> NewTaskRows();
    // Every unfinished task below the program folder and in the user's task folder.
    static std::vector<FrontPageRow> UnfinishedTaskRows();

    // OK on a row; true when the list is to be filled again.
    bool cmdWelcomeOK_Click(const FrontPageRow& row);

private:
    bool ResumeSplit(const std::string& path);
    bool ResumeAssemble(const std::string& path);
    bool TakeSplitTask(const std::string& path, const ResumeFailureQuestion& question);
    void RemoveIfAsked(const std::string& path, const ResumeFailureQuestion& question);

    ActiveSplitter& splitter_;
    FrontPageHooks hooks_;
};

}  // namespace kb
