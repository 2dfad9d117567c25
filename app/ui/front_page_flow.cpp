#include "app/ui/front_page_flow.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <utility>

#include "app/core/active_splitter.h"
#include "app/core/kb_error.h"
#include "app/core/prompter.h"
#include "app/core/task_folder.h"
#include "app/ui/common/unfinished_tasks.h"
#include "platform/program_folder.h"

namespace kb {

namespace fs = std::filesystem;

namespace {

// What a folder holds, by name: enough to tell whether a split wrote or removed anything.
using FolderState = std::map<std::string, std::pair<uintmax_t, fs::file_time_type>>;

FolderState StateOf(const std::string& folder) {
    FolderState state;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code e1, e2;
        const uintmax_t size = it->is_regular_file(e1) ? it->file_size(e1) : 0;
        state[it->path().filename().string()] = {size, it->last_write_time(e2)};
    }
    return state;
}

std::vector<std::string> TaskPaths() {
    std::vector<std::string> paths;
    for (const FrontPageRow& row : FrontPageFlow::UnfinishedTaskRows()) paths.push_back(row.key);
    return paths;
}

bool ReadBytes(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

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
bool FrontPageFlow::TakeSplitTask(const std::string& path) {
    std::string description;
    try {
        splitter_.SetResumeInfo(path);
        return true;
    } catch (const ProgramEnded&) {
        throw;
    } catch (const KbError& e) {
        description = e.Description();
    } catch (const std::exception& e) {
        description = e.what();
    }
    splitter_.ClearResumeInfo();
    MsgBox(description, mb::OKOnly | mb::Critical, "Unable to resume split operation");
    return false;
}

bool FrontPageFlow::ResumeSplit(const std::string& path) {
    if (hooks_.splitWizInUse() &&
        MsgBox("Resuming this split will cause the details on the splitterwizard page at the "
               "moment to be lost. Is this ok?",
               mb::Exclamation | mb::OKCancel | mb::DefaultButton1,
               "Resume split operation") == Answer::Cancel)
        return false;
    if (!TakeSplitTask(path)) return true;

    hooks_.selectTab("Splitter");
    // The task file goes before the split starts, so that a task saved again under its own
    // name is the one left; its bytes are kept in case the split fails before it changes
    // anything.
    std::string saved;
    const bool haveCopy = ReadBytes(path, saved);
    const FolderState piecesBefore = StateOf(splitter_.DestinationFolder());
    std::vector<std::string> tasksBefore = TaskPaths();
    std::erase(tasksBefore, path);
    bool failed = false;
    {
        LockedWindow locked(hooks_.lockForResumedSplit);
        std::remove(path.c_str());
        try {
            hooks_.runResumedSplit(path);
        } catch (const ProgramEnded&) {
            throw;
        } catch (...) {
            // The error has had its box where it arose; a split that stopped before it took
            // the task over must not carry it into the next one.
            failed = true;
            splitter_.ClearResumeInfo();
        }
    }
    if (failed) {
        const bool untouched = StateOf(splitter_.DestinationFolder()) == piecesBefore &&
                               TaskPaths() == tasksBefore;
        if (!(haveCopy && untouched && WriteBytes(path, saved)))
            MsgBox("The unfinished task " + path +
                       " could not be kept: the split had already changed its pieces or saved "
                       "the task again when the error occurred.",
                   mb::OKOnly | mb::Exclamation, "Unfinished task not kept");
    }
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
    if (hooks_.resumeAssemble(path)) std::remove(path.c_str());
    return true;
}

}  // namespace kb
