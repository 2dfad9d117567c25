#include "app/ui/shell/front_page_flow.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>

#include "app/core/active_splitter.h"
#include "app/core/kb_error.h"
#include "app/core/prompter.h"
#include "app/core/task_folder.h"
#include "app/core/task_lock.h"
#include "app/ui/common/unfinished_tasks.h"
#include "platform/program_folder.h"

namespace kb {

namespace {

// The window is locked for exactly as long as the resumed split runs, whatever way it ends.
class LockedWindow {
public:
    explicit LockedWindow(const std::function<void(bool)>& lock) : lock_(lock) { lock_(true); }
    ~LockedWindow() { lock_(false); }
    LockedWindow(const LockedWindow&) = delete;
    LockedWindow& operator=(const LockedWindow&) = delete;

private:
    const std::function<void(bool)>& lock_;
};

}  // namespace

// While a task is resumed from the page, the first box that says it cannot be resumed also asks
// whether to remove it from the list, whichever part found the fault (the task's reader, its
// checks against the files, or this page). A task that can never be resumed would otherwise
// stay listed for good; one that may be resumed later (a disk not inserted) is kept by default.
class ResumeFailureQuestion final : public Prompter {
public:
    ResumeFailureQuestion() : inner_(Prompt()), installed_(*this) {}

    // A box said the task cannot be resumed.
    bool Asked() const { return asked_; }
    // ... and the answer was Yes.
    bool RemoveTask() const { return remove_; }

    Answer MsgBox(const std::string& text, int style, const std::string& title) override {
        if (asked_ || (style & mb::ButtonMask) != mb::OKOnly || !title.starts_with("Unable to resume"))
            return inner_.MsgBox(text, style, title);
        asked_ = true;
        const bool ended = !text.empty() && std::strchr(".!?", text.back()) != nullptr;
        const Answer a = inner_.MsgBox(
            text + (ended ? "" : ".") + " Remove it from the list of unfinished tasks?",
            mb::YesNo | (style & mb::IconMask) | mb::DefaultButton2, title);
        remove_ = a == Answer::Yes;
        // The box's own caller goes on as after its OK.
        return Answer::OK;
    }
    std::string InputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override {
        return inner_.InputBox(prompt, title, defaultText);
    }
    void DoEvents() override { inner_.DoEvents(); }
    void EndProgram() override { inner_.EndProgram(); }

private:
    Prompter& inner_;
    ScopedPrompter installed_;
    bool asked_ = false;
    bool remove_ = false;
};

FrontPageFlow::FrontPageFlow(ActiveSplitter& splitter, FrontPageHooks hooks)
    : splitter_(splitter), hooks_(std::move(hooks)) {}

std::vector<FrontPageRow> FrontPageFlow::NewTaskRows() {
    return {{"Split", "Split files", "Split", 0},
            {"Assemble", "Assemble files", "Assemble", 0},
            {"Configure", "Configure Kestrelbinder", "Configure", 0}};
}

std::vector<FrontPageRow> FrontPageFlow::UnfinishedTaskRows() {
    std::vector<FrontPageRow> rows;
    // An installed program folder is read-only, so tasks may also live in the user's folder.
    const std::vector<std::string> folders = {platform::ProgramFolder(),
                                              UserDataFolder() + "/Unfinished Tasks"};
    for (const UnfinishedTask& t : ListUnfinishedTasks(folders))
        rows.push_back({t.path, t.name, t.kind == 1 ? "SplitDoc" : "AssembleDoc", t.kind});
    return rows;
}

bool FrontPageFlow::cmdWelcomeOK_Click(const FrontPageRow& row) {
    if (row.tag == 1) return ResumeSplit(row.key);
    if (row.tag == 2) return ResumeAssemble(row.key);
    if (row.key == "Split") {
        if (hooks_.splitWizInUse() &&
            MsgBox("This will start a new splitting task, and abandon the existing one. Are you "
                   "sure this is what you want to do? (To continue the existing one, just switch "
                   "to the splitterwizard using the buttons along the top of Kestrelbinder's "
                   "window).",
                   mb::Exclamation | mb::OKCancel | mb::DefaultButton2,
                   "New split operation") == Answer::Cancel)
            return false;
        hooks_.resetSplitWizard();
        hooks_.selectTab("Splitter");
    } else if (row.key == "Assemble") {
        if (hooks_.assemblerWizardUsed() &&
            MsgBox("This will start a new assembling task, and abandon the existing one. Are you "
                   "sure this is what you want to do? (To continue the existing one, just switch "
                   "to the assemblerwizard using the buttons along the top of Kestrelbinder's "
                   "window).",
                   mb::Exclamation | mb::OKCancel | mb::DefaultButton2,
                   "New assemble operation") == Answer::Cancel)
            return false;
        hooks_.resetAssembler();
        hooks_.selectTab("Assembler");
    } else if (row.key == "Configure") {
        hooks_.selectTab("Options");
    }
    return false;
}

// The splitter takes the task; a task it cannot take is left on disk with nothing pending.
bool FrontPageFlow::TakeSplitTask(const std::string& path, const ResumeFailureQuestion& question) {
    std::string description;
    try {
        splitter_.SetResumeInfo(path);
        return true;
    } catch (const ProgramEnded&) {
        throw;
    } catch (const TaskInUse&) {
        // Its box has said so; the task is another resume's and stays as it is.
        return false;
    } catch (const KbError& e) {
        description = e.Description();
    } catch (const std::exception& e) {
        description = e.what();
    }
    splitter_.ClearResumeInfo();
    // The splitter may have said already why it cannot take the task.
    if (!question.Asked())
        MsgBox(description, mb::OKOnly | mb::Critical, "Unable to resume split operation");
    return false;
}

// After a resume that failed: the task file goes when its failure box was answered Yes. Only
// the task file: pieces and outputs stay as they are.
void FrontPageFlow::RemoveIfAsked(const std::string& path, const ResumeFailureQuestion& question) {
    if (!question.RemoveTask()) return;
    std::error_code ec;
    if (std::filesystem::symlink_status(path, ec).type() == std::filesystem::file_type::not_found)
        return;
    if (std::remove(path.c_str()) != 0)
        MsgBox("The unfinished task " + path + " could not be removed: " + std::strerror(errno),
               mb::OKOnly | mb::Exclamation, "Unfinished task not removed");
}

bool FrontPageFlow::ResumeSplit(const std::string& path) {
    if (hooks_.splitWizInUse() &&
        MsgBox("Resuming this split will cause the details on the splitterwizard page at the "
               "moment to be lost. Is this ok?",
               mb::Exclamation | mb::OKCancel | mb::DefaultButton1,
               "Resume split operation") == Answer::Cancel)
        return false;
    ResumeFailureQuestion question;
    if (!TakeSplitTask(path, question)) {
        RemoveIfAsked(path, question);
        return true;
    }

    hooks_.selectTab("Splitter");
    // The task file stays while the split runs: the split removes it once the series is
    // complete or the task has been saved under another name, and goes back to it when it is
    // stopped without saving.
    {
        LockedWindow locked(hooks_.lockForResumedSplit);
        try {
            hooks_.runResumedSplit(path);
        } catch (const ProgramEnded&) {
            throw;
        } catch (...) {
            // The error has had its box where it arose.
        }
    }
    // A split that stopped before it took the task over must not carry it into the next one.
    splitter_.ClearResumeInfo();
    // A split that said it cannot resume the task asked whether to remove it.
    RemoveIfAsked(path, question);
    return true;
}

bool FrontPageFlow::ResumeAssemble(const std::string& path) {
    if (hooks_.assemblerWizardUsed() &&
        MsgBox("Resuming this assemble will cause the details on the assemblerwizard page at the "
               "moment to be lost. Is this ok?",
               mb::Exclamation | mb::OKCancel | mb::DefaultButton1,
               "Resume assemble operation") == Answer::Cancel)
        return false;
    hooks_.selectTab("Assembler");
    ResumeFailureQuestion question;
    // The join removes its task file once it is done or saved under another name, and keeps
    // it when it is stopped without saving or by an error, as a resumed split does.
    // A task that was not resumed leaves nothing to see on the assembler's pages: the window
    // returns to this page, as after a split task that was not resumed.
    if (!hooks_.resumeAssemble(path)) hooks_.selectTab("Frontpage");
    RemoveIfAsked(path, question);
    return true;
}

}  // namespace kb
