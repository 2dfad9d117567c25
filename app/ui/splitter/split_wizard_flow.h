#pragma once
// The splitter wizard's behaviour without its widgets: the stage counter and the wizard's flags,
// what Next, Back and Reset do at each stage, the source, destination and piece-size choices,
// and how they reach the window's splitter. The widget stores its stages' controls into the
// settings below before it calls a handler here and loads them back afterwards; a control set
// here runs its own handling through the matching call, as a user's action on it would.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/ui/splitter/split_wizard_settings.h"
#include "platform/cab_archive.h"

namespace kb {

class ActiveSplitter;
class CommonDialogs;
class KbError;
class PluginHost;
class ProgressView;
class SplitMultiSource;
class WizardWindows;

// Runs work that blocks (reading a selection, building its archive) so that the window stays
// alive meanwhile. The work keeps its progress in a counter that poll reads (an atomic, as the
// work may run on another thread); poll runs on the caller's thread every few tenths of a
// second while the work runs, and once after it has finished. Failures are thrown to the caller.
using BlockingRunner =
    std::function<void(const std::function<void()>& work, const std::function<void()>& poll)>;

// What the wizard needs of the window around it.
struct SplitWizardHooks {
    // The options page's default folders ("" or one blank: none).
    std::function<std::string()> defaultSource;
    std::function<std::string()> defaultDest;
    // True while the main window initialises and loads.
    std::function<bool()> formLoading;
    // Runs the split that the stages set up.
    std::function<void()> splitFromWizard;
    // Selects the main tab of the front page.
    std::function<void()> selectFrontPage;
    // The naming template set at start-up ("" or empty: "%f - %n.frg").
    std::function<std::string()> defaultNamingTemplate;
    // Opens the help window on a topic number (empty: no help).
    std::function<void(int)> showHelpTopic;
    // Sets or clears the window's busy state (buttons and pointer follow it).
    std::function<void(bool)> setBusy;
    // True once the user has agreed to close the window while a split runs.
    std::function<bool()> closePending;
    // Shows the flow's frames and wizard buttons at once, inside a long handler.
    std::function<void()> applyNav;
    // The panel that shows the data preparation, and the password window (nullptr: none).
    ProgressView* panel = nullptr;
    WizardWindows* windows = nullptr;
    // Runs the archive's blocking work of stage 3 (empty: on this thread).
    BlockingRunner runBlocking;
};

class SplitWizardFlow {
public:
    SplitWizardFlow(ActiveSplitter& splitter, CommonDialogs& dialogs, SplitMultiSource& multi,
                    PluginHost& plugins, SplitWizardHooks hooks);

    // ---- Navigation ----
    void cmdSplitWizNext_Click();
    void cmdSplitWizBack_Click();
    void cmdSplitWizReset_Click();
    void cmdSplitWizHelp_Click();
    void optSplitMultiFile_Click();

    // ---- Single-file source ----
    void SingleSplitDrive_Change();
    void SingleSplitFolder_Change();
    void SingleSplitFile_PathChange();
    void SingleSplitFile_Click();
    void cmdSingleSplitComDlg_Click();
    void cmdSingleSplitDesktop_Click();
    void cmdSingleSplitMyDocs_Click();
    // The chosen file's full path, "" when none.
    std::string SingleSourcePath() const;

    // ---- Destination ----
    void drvFragDest_Change();
    // The folder chosen in the folder list changed (highlighted, opened or made there).
    void dirFragDest_Change();
    void cmdFragDestDesktop_Click();
    void cmdFragDestMyDocs_Click();
    void cmdFragDestMkdir_Click();
    void optSplitToDisks_Click();
    void optSplitToFolder_Click();
    // The volume's format dialog; on this system every volume answers "not formattable".
    void FormatDestinationDrive(const std::string& Path);

    // ---- Compression and encryption options ----
    void chkUseCompression_Click();
    void chkUseEnc_Click();
    void cmbEncryptionType_Change();
    void optFileFormatting_Click(int Index);

    // ---- Piece sizes ----
    void SetFragSizeFromSplitWiz();
    void UpdatePieceSizeControls();
    void RefreshSplitOptionControls();
    void optPresetSize_Click();
    void optCustomSize_Click();
    void optCustomNumPieces_Click();
    void optFillDisk_Click();
    void chkFirstOverride_Click();
    void cmbPreset_Click();
    void cmbCustSizeUnits_Change();
    void txtFragNamingTemplate_Change();
    // The checks on typed values: false keeps the focus in the box.
    bool txtCustomSize_Validate();
    bool txtFragNamingTemplate_Validate();
    bool txtSeriesName_Validate(const std::string& text);
    bool PieceNumber_Validate(PieceSpinner& box);

    // ---- Piece range ----
    void optMakeFrags_Click();
    void udFragRangeFrom_Change();
    void lvExtraFilesList_Click();

    // ---- Extra files of generator plug-ins ----
    void optExtraFilesOn_Click();
    void optExtraFilesNothing_Click();
    void RefreshExtraFilesOptions();

    // The compressor's progress report.
    void ecCompressor_Progress(int16_t percent);
    // The password window the preparation asks (tests hand in a scripted one).
    void SetWizardWindows(WizardWindows* windows) { hooks_.windows = windows; }

    // The wizard's state.
    int16_t SplitWizStage = 1;
    bool SplitWizInUse = false;
    std::string LastEncryptionType;

    SplitIntroSettings intro;
    SplitSourceSingleSettings single;
    SplitCmpEncSettings cmpEnc;
    SplitSelDestSettings dest;
    SplitFragSizeSettings size;
    SplitFragRangeSettings range;
    SplitNavSettings nav;

    // The sixth stage's caption naming the piece count.
    std::string extraFilesCaption;

private:
    void Show(SplitFrame f, bool visible) { nav.shown[static_cast<int>(f)] = visible; }
    void NextFromStage1();
    void NextFromStage3();
    ProgressView& Panel();
    void RunBlocking(const std::function<void()>& work, const std::function<void()>& poll);
    bool MakeArchive();
    bool CollectSelection(std::vector<platform::CabEntry>& entries);
    void CabFailed(const std::exception& e);
    bool MakeBigFile(const std::string& path);
    bool EncryptSelection();
    bool ConfirmPassword();
    void BeginPreparation();
    void EndPreparation();
    void PreparationFailed(int16_t stage);
    void LockButtons(bool locked);
    bool AskGeneratedSizes(int64_t& total);
    void NextFromStage4();
    bool NextFromStage5();
    void NextFromStage6();
    void ResetSourceAndOptions();
    void ResetDestinationAndSizes();
    void SetSizeFromOption();
    void SetFirstPieceSize();
    void ShowSizeByDisplayRule(int64_t s);
    void ResetPieceSize();
    void RebuildFirstUnits(bool folder);
    void FillEncryptorList();
    void MoveSingleListsTo(const std::string& path);
    void MoveDestListsTo(const std::string& path);
    bool DestinationReadable() const;
    void DescribeDestinationDrive();

    ActiveSplitter& splitter_;
    CommonDialogs& dialogs_;
    SplitMultiSource& multi_;
    PluginHost& plugins_;
    SplitWizardHooks hooks_;
};

// The box "Problem accessing file" for a source file that cannot be taken; `e` says why.
void ShowUnusableSource(const std::string& path, const KbError& e);

// Brings a piece-number spinner's value, and the text of its box, inside its bounds.
void KeepInBounds(PieceSpinner& s);

// The volume (mount point) that holds a path; "/" when none is found.
std::string VolumeOf(const std::string& path);

}  // namespace kb
