#include "app/ui/splitter/split_wizard_flow.h"

#include <cstdlib>

#include "app/core/active_splitter.h"
#include "app/core/kb_error.h"
#include "app/core/paths.h"
#include "app/core/prompter.h"
#include "app/core/system_queries.h"
#include "app/core/text.h"
#include "app/pluginhost/plugin_sys.h"
#include "app/ui/splitter/size_units.h"
#include "app/ui/splitter/split_multi_source.h"

namespace kb {

namespace {

// A cleared default folder is stored as one blank.
bool HoldsMoreThanBlanks(const std::string& text) {
    return text.find_first_not_of(' ') != std::string::npos;
}

}  // namespace

SplitWizardFlow::SplitWizardFlow(ActiveSplitter& splitter, CommonDialogs& dialogs,
                                 SplitMultiSource& multi, PluginHost& plugins,
                                 SplitWizardHooks hooks)
    : splitter_(splitter), dialogs_(dialogs), multi_(multi), plugins_(plugins),
      hooks_(std::move(hooks)) {
    // The lists start in the user's home folder until a default folder moves them.
    const char* home = std::getenv("HOME");
    const std::string start = home != nullptr && *home != '\0' ? home : "/";
    single.drive = dest.drive = VolumeOf(start);
    single.folder = single.filePath = start;
    dest.Open(start);
}

void SplitWizardFlow::cmdSplitWizNext_Click() {
    SplitWizInUse = true;
    plugins_.BroadcastPluginEvent(PLUGIN_EVT_WIZARD_PAGE);
    switch (SplitWizStage) {
    case 1: NextFromStage1(); break;
    case 2:
        Show(SplitFrame::SourceSingle, false);
        Show(SplitFrame::SourceMulti, false);
        Show(SplitFrame::FragSize, false);
        Show(SplitFrame::CmpEnc, true);
        SplitWizStage = 3;
        break;
    case 3: NextFromStage3(); break;
    case 4: NextFromStage4(); break;
    case 5: NextFromStage5(); break;
    case 6: NextFromStage6(); break;
    default: break;
    }
}

void SplitWizardFlow::NextFromStage1() {
    Show(SplitFrame::Intro, false);
    if (intro.multiFile) {
        Show(SplitFrame::SourceMulti, true);
        nav.nextEnabled = multi_.RowCount() > 0;
    } else {
        Show(SplitFrame::SourceSingle, true);
        nav.nextEnabled = !single.fileName.empty();
    }
    SplitWizStage = 2;
    nav.backEnabled = true;
}

void SplitWizardFlow::NextFromStage4() {
    Show(SplitFrame::SelDest, false);
    splitter_.SetDestinationFolder(dest.chosen);
    if (!dest.toDisks) {
        size.fillDiskEnabled = false;
        size.numPiecesEnabled = true;
        if (size.mode == SizeMode::FillDisk) {
            size.mode = SizeMode::Preset;
            optPresetSize_Click();
        }
        size.firstOverrideCaption = "Use a different size for the first fragment:";
        RebuildFirstUnits(true);
    } else {
        size.fillDiskEnabled = true;
        size.numPiecesEnabled = false;
        splitter_.SpanDisks = true;
        splitter_.UseFreespaceInsteadOfTotalspace = dest.useFreespace;
        splitter_.SetFragmentSizeToDiskSize();
        size.fillDiskTag = std::to_string(splitter_.FragmentSize());
        size.mode = SizeMode::FillDisk;
        optFillDisk_Click();
        size.firstOverrideCaption = "Reserve some space on the first disk:";
        RebuildFirstUnits(false);
    }
    if (size.customUnit < 0) {
        size.customUnit = ListIndex(SizeUnit::KB);
        cmbCustSizeUnits_Change();
    }
    Show(SplitFrame::FragSize, true);
    SplitWizStage = 5;
    txtFragNamingTemplate_Change();
    SetFragSizeFromSplitWiz();
}

void SplitWizardFlow::RebuildFirstUnits(bool folder) {
    // Both lists open on the same choice: a first piece 1 KB smaller, or 1 KB reserved.
    size.firstUnits = first_piece::Captions(!folder);
    size.firstUnit =
        first_piece::IndexOf({FirstPieceMeaning::SmallerThanPiece, SizeUnit::KB}, !folder);
}

bool SplitWizardFlow::NextFromStage5() {
    SetFragSizeFromSplitWiz();
    if (dest.toDisks) {
        const int64_t disk = std::atoll(size.fillDiskTag.c_str());
        const char* refusal = nullptr;
        if (splitter_.FragmentSize() > disk)
            refusal = "The piece size you have selected will not fit on the disk. Use a piece "
                      "size smaller than the disk or use the 'fill disk' option.";
        else if (splitter_.FragmentSizeAtStart() > disk)
            refusal = "You have set a too high value for the first piece. It will not fit on the "
                      "disk. Use a piece size smaller than the disk or disable the option.";
        if (refusal != nullptr) {
            MsgBox(refusal, mb::OKOnly | mb::Critical, "Piece size too large");
            return false;
        }
    } else {
        const int64_t required = splitter_.DestinationSpaceRequired();
        if (required > GetDiskCapacity(splitter_.DestinationFolder())) {
            MsgBox("There is not enough space on the selected drive for the finsihed fragment "
                   "set. You need " + FormatByteSize(required) + " total space.");
            return false;
        }
    }
    splitter_.FragNamingTemplate = size.namingTemplate;
    Show(SplitFrame::FragSize, false);
    Show(SplitFrame::FragRange, true);
    lvExtraFilesList_Click();
    SplitWizStage = 6;
    return true;
}

void SplitWizardFlow::NextFromStage6() {
    Show(SplitFrame::FragRange, false);
    // The spinners may hold anything their boxes were last given; the split only ever gets
    // piece numbers that exist.
    const int32_t count = std::max<int32_t>(1, splitter_.FragsNeeded());
    auto clamp = [count](int32_t v) { return std::min(std::max(v, 1), count); };
    switch (range.mode) {
    case RangeMode::All: splitter_.FragUseRange = false; break;
    case RangeMode::Range:
        splitter_.FragUseRange = true;
        splitter_.FragFirst = clamp(range.from.value);
        splitter_.FragLast = std::max(clamp(range.to.value), splitter_.FragFirst);
        break;
    case RangeMode::Single:
        splitter_.FragUseRange = true;
        splitter_.FragFirst = splitter_.FragLast = clamp(range.single.value);
        break;
    }
    // Asked before the split's panel, disk prompt and generators: on No the stage stays.
    if (!splitter_.ConfirmReplacingPieces()) {
        Show(SplitFrame::FragRange, true);
        return;
    }
    splitter_.ReplaceExistingPieces = true;
    try {
        if (hooks_.splitFromWizard) hooks_.splitFromWizard();
    } catch (...) {
        splitter_.ReplaceExistingPieces = false;
        cmdSplitWizReset_Click();
        if (hooks_.selectFrontPage) hooks_.selectFrontPage();
        throw;
    }
    // Left set when the split never started (the first disk abandoned).
    splitter_.ReplaceExistingPieces = false;
    cmdSplitWizReset_Click();
    if (hooks_.selectFrontPage) hooks_.selectFrontPage();
}

void SplitWizardFlow::cmdSplitWizBack_Click() {
    plugins_.BroadcastPluginEvent(PLUGIN_EVT_WIZARD_PAGE);
    switch (SplitWizStage) {
    case 2:
        Show(SplitFrame::SourceSingle, false);
        Show(SplitFrame::SourceMulti, false);
        Show(SplitFrame::Intro, true);
        nav.backEnabled = false;
        nav.nextEnabled = true;
        break;
    case 3:
        Show(SplitFrame::CmpEnc, false);
        Show(intro.multiFile ? SplitFrame::SourceMulti : SplitFrame::SourceSingle, true);
        break;
    case 4:
        Show(SplitFrame::SelDest, false);
        Show(SplitFrame::CmpEnc, true);
        break;
    case 5:
        Show(SplitFrame::FragSize, false);
        Show(SplitFrame::SelDest, true);
        break;
    case 6:
        Show(SplitFrame::FragRange, false);
        Show(SplitFrame::FragSize, true);
        break;
    default: return;
    }
    --SplitWizStage;
}

void SplitWizardFlow::cmdSplitWizReset_Click() {
    ResetSourceAndOptions();
    ResetDestinationAndSizes();
    Show(SplitFrame::FragRange, false);
    range.mode = RangeMode::All;
    optMakeFrags_Click();
    SplitWizStage = 1;
    nav.backEnabled = false;
    nav.nextEnabled = true;
    nav.resetEnabled = true;
}

void SplitWizardFlow::ResetSourceAndOptions() {
    SplitWizInUse = false;
    Show(SplitFrame::Intro, true);
    intro.multiFile = false;
    Show(SplitFrame::SourceSingle, false);
    const std::string source = hooks_.defaultSource ? hooks_.defaultSource() : "";
    if (HoldsMoreThanBlanks(source)) {
        single.drive = VolumeOf(source);
        single.folder = source;
        single.filePath = source;
        SingleSplitFile_PathChange();
    }
    Show(SplitFrame::SourceMulti, false);
    multi_.SetSeriesNameTag("0");
    multi_.RemoveAll();
    if (HoldsMoreThanBlanks(source)) {
        std::string folder = source;
        multi_.SetAddFileStart(RemoveTrailingBackslash(folder, true) + "/*.*");
    }
    Show(SplitFrame::CmpEnc, false);
    range.extraFilesOn = false;
    optExtraFilesNothing_Click();
    cmpEnc.fileFormatting = 0;
    optFileFormatting_Click(0);
    cmpEnc.useEnc = false;
    chkUseEnc_Click();
    cmpEnc.useCompression = false;
    chkUseCompression_Click();
    cmpEnc.password.clear();
}

void SplitWizardFlow::ResetDestinationAndSizes() {
    Show(SplitFrame::SelDest, false);
    const std::string destFolder = hooks_.defaultDest ? hooks_.defaultDest() : "";
    if (HoldsMoreThanBlanks(destFolder)) {
        dest.drive = VolumeOf(destFolder);
        dest.Open(destFolder);
    }
    dest.toDisks = false;
    optSplitToFolder_Click();
    Show(SplitFrame::FragSize, false);
    ResetPieceSize();
    size.firstOverride = false;
    chkFirstOverride_Click();
    const std::string startTemplate =
        hooks_.defaultNamingTemplate ? hooks_.defaultNamingTemplate() : "";
    size.namingTemplate = startTemplate.empty() ? "%f - %n.frg" : startTemplate;
    txtFragNamingTemplate_Change();
}

void SplitWizardFlow::cmdSplitWizHelp_Click() {
    if (hooks_.showHelpTopic) hooks_.showHelpTopic(13);
}

void SplitWizardFlow::optSplitMultiFile_Click() { SplitWizInUse = true; }

}  // namespace kb
