// Next on the third stage: turning the chosen source into the one file the splitter cuts (the
// file itself, or an archive of the selection), encrypting it when asked, and fixing the
// piece format and what the series header stores.
#include <algorithm>
#include <atomic>
#include <exception>

#include "app/core/active_splitter.h"
#include "app/core/fatal_error.h"
#include "app/core/file_list.h"
#include "app/core/kb_error.h"
#include "app/core/progress_view.h"
#include "app/core/prompter.h"
#include "app/core/temp_manager.h"
#include "app/core/text.h"
#include "app/core/wizard_windows.h"
#include "app/pluginhost/plugin_sys.h"
#include "app/ui/splitter/split_encryption.h"
#include "app/ui/splitter/split_multi_source.h"
#include "app/ui/splitter/split_wizard_flow.h"
#include "platform/cab_archive.h"

namespace kb {

namespace {

// Stands in for a panel when the flow runs without one.
class NoProgressView : public ProgressView {
public:
    void SetVisible(bool) override {}
    void SetCaption(const std::string&) override {}
    void SetBottomText(const std::string&) override {}
    void SetPB1Caption(const std::string&) override {}
    void SetPB2Caption(const std::string&) override {}
    void SetPB1Percent(int16_t) override {}
    void SetPB2Percent(int16_t) override {}
    void SetPB1Visible(bool) override {}
    void SetPB2Visible(bool) override {}
    void SetCancelVisible(bool) override {}
    bool CancelClicked() const override { return false; }
    void StartTimings() override {}
    void StopTimings() override {}
    bool CancelVisible() const override { return false; }
};

// Whole percent of `total` that `done` is (100 for nothing to do; never past 100).
int16_t PercentOf(uint64_t done, uint64_t total) {
    if (total == 0) return 100;
    return static_cast<int16_t>(std::min<uint64_t>(done, total) * 100 / total);
}

constexpr const char* kCabFailed =
    "A fatal error occurred during compression / gathering. One likely cause is that one or more "
    "files in the folders you selected are in-use or you don't have read permission. The process "
    "has been abandoned.";

}  // namespace

ProgressView& SplitWizardFlow::Panel() {
    static NoProgressView none;
    return hooks_.panel != nullptr ? *hooks_.panel : none;
}

void SplitWizardFlow::RunBlocking(const std::function<void()>& work,
                                  const std::function<void()>& poll) {
    if (hooks_.runBlocking) {
        hooks_.runBlocking(work, poll);
        return;
    }
    work();
    if (poll) poll();
}

void SplitWizardFlow::LockButtons(bool locked) {
    nav.nextEnabled = nav.backEnabled = nav.resetEnabled = !locked;
    if (hooks_.applyNav) hooks_.applyNav();
}

void SplitWizardFlow::NextFromStage3() {
    int sector = 0;
    try {
        sector = 1;
        if (hooks_.setBusy) hooks_.setBusy(true);
        splitter_.SetFileFormat(cmpEnc.fileFormatting == 1 ? 1 : 0);
        sector = 2;
        BeginPreparation();
        sector = 3;
        if (cmpEnc.useCompression || intro.multiFile) {
            sector = 4;
            if (!MakeArchive()) return;
        } else {
            splitter_.CompressionID = 0;
            splitter_.FilenameToStore = single.fileName;
            if (!MakeBigFile(SingleSourcePath())) return;
        }
        sector = 5;
        splitter_.EncryptionID = 0;
        if (cmpEnc.useEnc && !EncryptSelection()) return;
        sector = 6;
        EndPreparation();
    } catch (...) {
        // The box first, then the wizard is usable again whatever went wrong.
        try {
            FatalErrorBox("cmdSplitWizNext_Click()", sector);
        } catch (...) {
            PreparationFailed(2);
            throw;
        }
    }
    sector = 7;
    Show(SplitFrame::SelDest, true);
    SplitWizStage = 4;
    drvFragDest_Change();
    if (hooks_.setBusy) hooks_.setBusy(false);
}

void SplitWizardFlow::BeginPreparation() {
    Show(SplitFrame::CmpEnc, false);
    LockButtons(true);
    ProgressView& p = Panel();
    p.SetPB2Visible(false);
    p.SetBottomText("Please do not attempt to interrupt this operation.");
    p.SetCancelVisible(false);
    p.SetCaption("Configuring...");
    p.SetPB1Caption("Progress: ");
    p.SetPB1Percent(0);
    p.SetVisible(true);
}

void SplitWizardFlow::EndPreparation() {
    ProgressView& p = Panel();
    p.StopTimings();
    LockButtons(false);
    p.SetVisible(false);
}

// Back to the source stage (from 1) or to the options stage (from 2), as Next from there
// would go, with everything unlocked.
void SplitWizardFlow::PreparationFailed(int16_t stage) {
    Panel().StopTimings();
    Panel().SetVisible(false);
    if (hooks_.setBusy) hooks_.setBusy(false);
    SplitWizStage = stage;
    LockButtons(false);
    cmdSplitWizNext_Click();
}

// Sets the file the splitter cuts; a file that vanished or cannot be read is named in a box
// and the preparation is abandoned.
bool SplitWizardFlow::MakeBigFile(const std::string& path) {
    try {
        splitter_.SetBigFile(path);
        return true;
    } catch (const KbError& e) {
        ShowUnusableSource(path, e);
    }
    PreparationFailed(1);
    return false;
}

// The entries of the archive: the selection's files in list order, then its folders with all
// they hold. False (after a box, back at the source stage) when they cannot be read or are more
// than one archive holds.
bool SplitWizardFlow::CollectSelection(std::vector<platform::CabEntry>& entries) {
    std::vector<std::string> files;
    std::vector<std::string> folders;
    if (intro.multiFile) {
        splitter_.FilenameToStore = multi_.SeriesName() + ".cab";
        for (const std::string& f : multi_.SplitFiles()) files.push_back(f);
        folders = multi_.SplitFolders();
    } else {
        splitter_.FilenameToStore = single.fileName;
        files.push_back(SingleSourcePath());
    }
    try {
        // A large folder tree takes a while to read.
        RunBlocking([&] { entries = platform::CollectCabEntries(files, folders); }, {});
    } catch (const platform::CabError& e) {
        CabFailed(e);
        return false;
    }
    const uint64_t total = platform::TotalSize(entries);
    // An archive larger than that comes out broken without an error: refuse before writing.
    if (total > platform::kCabMaxTotalBytes) {
        MsgBox("The selection holds " + FormatByteSize(static_cast<int64_t>(total)) +
                   ", which is more than one archive can hold (" +
                   FormatByteSize(static_cast<int64_t>(platform::kCabMaxTotalBytes)) +
                   "). Please split a smaller selection, or split the largest files on their own "
                   "without compression.",
               mb::OKOnly | mb::Critical, "Selection too large");
        PreparationFailed(1);
        return false;
    }
    return true;
}

// The box names what went wrong below its usual text, then back to the source stage.
void SplitWizardFlow::CabFailed(const std::exception& e) {
    MsgBox(std::string(kCabFailed) + "\r\r" + e.what(), mb::OKOnly | mb::Critical,
           "Problem creating CAB file");
    PreparationFailed(1);
}

bool SplitWizardFlow::MakeArchive() {
    ProgressView& p = Panel();
    const bool compress = cmpEnc.useCompression;
    p.SetCaption(compress ? "The SplitterWizard is now compressing the file(s) and folder(s) you "
                            "selected."
                          : "The SplitterWizard is now gathering the files that are to be split.");
    p.SetPB1Caption(compress ? "Compressing: " : "Gathering: ");
    splitter_.CompressionID = compress ? 2 : 1;
    p.StartTimings();
    std::vector<platform::CabEntry> entries;
    if (!CollectSelection(entries)) return false;
    TempManager& temp = TempManager::Instance();
    temp.RemoveTempFile("Archive", true);
    const std::string archive = temp.CreateTempFile("Archive", "kbt");
    plugins_.BroadcastPluginEvent(PLUGIN_EVT_COMPRESS_START);
    // The bytes read so far, counted on the worker that builds the archive and read here: the
    // bar follows the data, not the files, so one large file moves it too.
    std::atomic<uint64_t> read{0};
    const uint64_t total = platform::TotalSize(entries);
    try {
        RunBlocking(
            [&] {
                platform::BuildCab(archive, entries,
                                   compress ? platform::CabKind::MsZip : platform::CabKind::Stored,
                                   &read);
            },
            [&] { ecCompressor_Progress(PercentOf(read.load(std::memory_order_relaxed), total)); });
    } catch (const std::exception& e) {
        CabFailed(e);
        return false;
    }
    if (!MakeBigFile(archive)) return false;
    plugins_.BroadcastPluginEvent(PLUGIN_EVT_COMPRESS_END);
    return true;
}

void SplitWizardFlow::ecCompressor_Progress(int16_t percent) {
    Panel().SetPB1Percent(percent);
    plugins_.BroadcastPluginEvent(PLUGIN_EVT_COMPRESS_PROGRESS);
    DoEvents();
}

bool SplitWizardFlow::EncryptSelection() {
    ProgressView& p = Panel();
    p.SetPB1Percent(0);
    p.SetCaption("The SplitterWizard is now encrypting the selection.");
    p.SetPB1Caption("Encrypting: ");
    p.SetPB1Visible(true);
    p.SetPB2Visible(false);
    p.SetBottomText("");
    plugins_.UseForPluginProgress(p);
    if (!ConfirmPassword()) {
        PreparationFailed(2);
        return false;
    }
    p.StartTimings();
    const int i = cmpEnc.encryptionIndex;
    const std::string type =
        i >= 0 && i < static_cast<int>(cmpEnc.encryptionTypes.size()) ? cmpEnc.encryptionTypes[i] : "";
    const int16_t slot = FindEncryptor(plugins_, type);
    if (slot < 0) {
        MsgBox("Problem determining which encryption plug-in to use. The selection will not be "
               "encrypted.",
               mb::OKOnly | mb::Exclamation, "Problem encrypting");
        return true;
    }
    const EncryptionOutcome out = EncryptForSplit(plugins_, slot, splitter_.BigFile(), cmpEnc.password);
    if (!out.ok) {
        PreparationFailed(2);
        return false;
    }
    if (!MakeBigFile(out.path)) return false;
    // The plain archive was only the encryptor's input: a readable copy of the whole selection
    // must not lie in the temporary folder beside the encrypted pieces, nor stay there after a
    // kill. A saved task keeps the encrypted copy, which is what the pieces are cut from.
    TempManager::Instance().RemoveTempFile("Archive", true);
    splitter_.EncryptionID = out.encryptionId;
    return true;
}

// Asks for the password again until it matches; false when the user gives up.
bool SplitWizardFlow::ConfirmPassword() {
    if (hooks_.windows == nullptr) return false;
    while (true) {
        const std::string typed = hooks_.windows->ConfirmPassword(
            "Before encrypting takes place, please retype your password to confirm that you have "
            "entered it correctly...");
        if (typed == cmpEnc.password) return true;
        if (MsgBox("Passwords do not match. Please try again, or click cancel to cancel the "
                   "encryption and go back to the previous stage.",
                   mb::RetryCancel | mb::Critical, "Password validation error") != Answer::Retry)
            return false;
    }
}

}  // namespace kb
