// Where the split reads from and writes to: the single-file source lists, the destination
// drive and folder, and the options of the compression and encryption stage.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/core/common_dialogs.h"
#include "app/core/kb_error.h"
#include "app/core/paths.h"
#include "app/core/prompter.h"
#include "app/core/special_folder.h"
#include "app/core/system_queries.h"
#include "app/core/text.h"
#include "app/ui/common/new_folder.h"
#include "app/ui/splitter/split_wizard_flow.h"
#include "platform/disk_queries.h"

namespace kb {

namespace fs = std::filesystem;

namespace {

// A special folder the buttons may move to: it must name an existing folder.
bool UsableFolder(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

bool SameVolume(const std::string& path, const std::string& volume) {
    return !path.empty() && VolumeOf(path) == volume;
}

}  // namespace

std::string VolumeOf(const std::string& path) {
    std::ifstream in("/proc/self/mountinfo");
    std::stringstream text;
    text << in.rdbuf();
    platform::MountEntry m;
    if (path.empty() || !platform::FindMount(text.str(), platform::NearestExisting(path), m))
        return "/";
    return m.mountPoint;
}

// ---- Single-file source

std::string SplitWizardFlow::SingleSourcePath() const {
    if (single.fileName.empty()) return "";
    std::string folder = single.filePath;
    return RemoveTrailingBackslash(folder, true) + "/" + single.fileName;
}

void SplitWizardFlow::SingleSplitDrive_Change() {
    // The folder list stays where it is when it already shows a folder of that volume.
    if (!SameVolume(single.folder, single.drive)) single.folder = single.drive;
    SingleSplitFolder_Change();
}

void SplitWizardFlow::SingleSplitFolder_Change() {
    single.filePath = single.folder;
    SingleSplitFile_PathChange();
}

void SplitWizardFlow::SingleSplitFile_PathChange() {
    single.fileName.clear();
    nav.nextEnabled = false;
    single.info = "Nothing selected.";
}

void SplitWizardFlow::SingleSplitFile_Click() {
    const std::string path = SingleSourcePath();
    try {
        std::error_code ec;
        const auto bytes = fs::file_size(path, ec);
        if (ec || !fs::is_regular_file(path)) throw KbError(err::FileNotFound, "SingleSplitFile");
        if (access(path.c_str(), R_OK) != 0) throw KbError(err::PermissionDenied, "SingleSplitFile");
        single.info = path + "\r\r" + FormatByteSize(static_cast<int64_t>(bytes));
        nav.nextEnabled = !path.empty();
    } catch (const KbError& e) {
        ShowUnusableSource(path, e);
    }
}

void ShowUnusableSource(const std::string& path, const KbError& e) {
    MsgBox("Unable to select file '" + path + "' because of error: " + e.Description(),
           mb::OKOnly | mb::Critical, "Problem accessing file");
}

void SplitWizardFlow::cmdSingleSplitComDlg_Click() {
    OpenFileRequest request;
    std::string folder = single.folder;
    request.fileName = RemoveTrailingBackslash(folder, true) + "/" +
                       (single.fileName.empty() ? "*.*" : single.fileName);
    request.title = "Please select the file you would like to split";
    const std::optional<std::string> chosen = dialogs_.OpenFile(request);
    if (!chosen) return;
    const std::string volume = VolumeOf(*chosen);
    if (volume != single.drive) {
        single.drive = volume;
        SingleSplitDrive_Change();
    }
    single.folder = GetFolderFromPath(*chosen);
    if (single.folder.size() > 1 && single.folder.back() == '/') single.folder.pop_back();
    SingleSplitFolder_Change();
    single.fileName = GetFileNameFromPath(*chosen);
    SingleSplitFile_Click();
}

void SplitWizardFlow::MoveSingleListsTo(const std::string& path) {
    if (!UsableFolder(path)) return;
    const std::string volume = VolumeOf(path);
    if (volume != single.drive) {
        single.drive = volume;
        SingleSplitDrive_Change();
    }
    single.filePath = path;
    SingleSplitFile_PathChange();
    single.folder = path;
    SingleSplitFolder_Change();
}

void SplitWizardFlow::cmdSingleSplitDesktop_Click() { MoveSingleListsTo(GetDesktopFolder()); }

void SplitWizardFlow::cmdSingleSplitMyDocs_Click() { MoveSingleListsTo(GetMyDocumentsFolder()); }

// ---- Destination

bool SplitWizardFlow::DestinationReadable() const {
    uint64_t total = 0;
    std::error_code ec;
    return fs::is_directory(dest.drive, ec) && platform::Disks().TotalBytes(dest.drive, total);
}

void SplitWizardFlow::drvFragDest_Change() {
    const std::string previous = VolumeOf(dest.chosen);
    while (!DestinationReadable()) {
        const Answer a = MsgBox(
            "Either there is no disk in the drive, or it is unformatted. If so, would you like to "
            "format it now? Click 'No' to try again.",
            mb::YesNoCancel | mb::Exclamation, "Disk unavailable");
        if (a == Answer::Yes) FormatDestinationDrive(dest.drive);
        if (a != Answer::Cancel) continue;
        const std::string back = dest.drive != previous ? previous : VolumeOf(GetMyDocumentsFolder());
        if (back == dest.drive) return;  // nowhere else to go
        dest.drive = back;
        drvFragDest_Change();
        return;
    }
    // The list stays where it is when its open folder is on that volume.
    if (!SameVolume(dest.chosen, dest.drive))
        dest.Open(SameVolume(dest.folder, dest.drive) ? dest.folder : dest.drive);
    dest.toDisksEnabled = DiskRemovable(dest.drive);
    dest.toDisks = dest.toDisksEnabled;
    if (dest.toDisks)
        optSplitToDisks_Click();
    else
        optSplitToFolder_Click();
    DescribeDestinationDrive();
    nav.nextEnabled = true;
}

void SplitWizardFlow::dirFragDest_Change() {
    // A folder on a file system of its own is on another drive, as if chosen in the drive list.
    const std::string volume = VolumeOf(dest.chosen);
    if (volume != dest.drive) {
        dest.drive = volume;
        drvFragDest_Change();
        return;
    }
    DescribeDestinationDrive();
}

// The figures are those of the file system that holds the folder the pieces go to, which is
// what the size stage measures too.
void SplitWizardFlow::DescribeDestinationDrive() {
    dest.driveInfo = std::string(dest.toDisksEnabled ? "Removable disk" : "Fixed disk") + "\r\r" +
                     FormatByteSize(GetFreeDiskSpace(dest.chosen)) + " free space\rof " +
                     FormatByteSize(GetDiskCapacity(dest.chosen)) + " total capacity.";
}

void SplitWizardFlow::MoveDestListsTo(const std::string& path) {
    if (!UsableFolder(path)) return;
    dest.Open(path);
    dirFragDest_Change();
}

void SplitWizardFlow::cmdFragDestDesktop_Click() { MoveDestListsTo(GetDesktopFolder()); }

void SplitWizardFlow::cmdFragDestMyDocs_Click() { MoveDestListsTo(GetMyDocumentsFolder()); }

// The new folder is made in the open folder and becomes the chosen one, not opened.
void SplitWizardFlow::cmdFragDestMkdir_Click() {
    const std::string path = MakeNewFolder(dest.folder);
    if (path.empty()) return;
    dest.chosen = path;
    dirFragDest_Change();
}

void SplitWizardFlow::optSplitToDisks_Click() { dest.useFreespaceEnabled = true; }

void SplitWizardFlow::optSplitToFolder_Click() { dest.useFreespaceEnabled = false; }

void SplitWizardFlow::FormatDestinationDrive(const std::string& /*Path*/) {
    MsgBox("Error: Drive is not formattable. You will probably need to format your disks in a "
           "separate program.");
}

// ---- Compression and encryption options

void SplitWizardFlow::chkUseCompression_Click() { RefreshSplitOptionControls(); }

void SplitWizardFlow::chkUseEnc_Click() { RefreshSplitOptionControls(); }

void SplitWizardFlow::cmbEncryptionType_Change() {
    const int i = cmpEnc.encryptionIndex;
    if (!cmpEnc.useEnc || i < 0 || i >= static_cast<int>(cmpEnc.encryptionTypes.size())) return;
    if (!cmpEnc.encryptionTypes[i].empty()) LastEncryptionType = cmpEnc.encryptionTypes[i];
}

void SplitWizardFlow::optFileFormatting_Click(int Index) {
    if (Index == 1) {
        if (cmpEnc.useEnc) {
            cmpEnc.useEnc = false;
            chkUseEnc_Click();
        }
        cmpEnc.useEncEnabled = false;
    } else {
        cmpEnc.useEncEnabled = true;
        // The generator list follows the piece format; it is rebuilt with the extra files.
        if (range.extraFilesOn) optExtraFilesOn_Click();
    }
}

}  // namespace kb
