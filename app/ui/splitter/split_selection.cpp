#include "app/ui/splitter/split_selection.h"

#include <sys/stat.h>

#include "app/core/text.h"

namespace kb {

namespace {
constexpr char kCr = '\r';
}  // namespace

std::string SplitSelection::FolderKey(const std::string& path) {
    return IsFolderKey(path) ? path : path + "/";
}

std::optional<int64_t> SplitSelection::LengthOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<int64_t>(st.st_size);
}

std::string SplitSelection::SummaryText(int rows, bool& showCalcFolderSizes) const {
    showCalcFolderSizes = false;
    if (rows == 0) return "Nothing selected.";
    int64_t sum = 0;
    // A file gone since it was added counts as empty rather than stopping the summary.
    for (const std::string& path : SplitFiles) sum += LengthOf(path).value_or(0);
    std::string text = std::to_string(SplitFiles.count()) + " individual file(s) totalling " +
                       FormatByteSize(sum) + kCr;
    const std::string folders = std::to_string(SplitFolders.Count());
    if (SplitFolders.Count() > 0 && !FolderSizesStale) {
        text += std::to_string(FolderFilesTotal) + " file(s) in " + folders + " folder(s), totalling " +
                FormatByteSize(FolderBytesTotal) + kCr + kCr + "Total size of selection: " +
                FormatByteSize(FolderBytesTotal + sum);
    } else if (SplitFolders.Count() > 0) {
        text += "and " + folders + " folder(s) selected.";
        showCalcFolderSizes = true;
    }
    return text;
}

std::string SplitSelection::FileDetails(const std::string& key, const std::string& text) const {
    const std::string path = SplitFiles.Item(key, true);
    const std::string folder = path.substr(0, path.size() - std::min(path.size(), text.size()));
    return text + kCr + FormatByteSize(LengthOf(path).value_or(0)) + kCr + "Located in: " + folder;
}

std::string SplitSelection::FolderDetails(const std::string& key, const std::string& text,
                                          bool& showCalcSize) const {
    std::string details = text + kCr + "File folder";
    showCalcSize = !FolderSizes.Has(key);
    if (!showCalcSize)
        details += kCr + std::string("Contains ") + std::to_string(FolderFileCounts.Item(key)) +
                   " files totalling " + FormatByteSize(FolderSizes.Item(key));
    return details;
}

void SplitSelection::StoreFolderMeasure(const std::string& key, int64_t files, int64_t bytes) {
    if (FolderSizes.Has(key)) FolderSizes.Remove(key);
    if (FolderFileCounts.Has(key)) FolderFileCounts.Remove(key);
    FolderFileCounts.Add(files, key);
    FolderSizes.Add(bytes, key);
}

void SplitSelection::RemoveFolder(const std::string& key) {
    SplitFolders.Remove(key);
    if (FolderSizes.Has(key)) {
        FolderSizes.Remove(key);
        FolderFileCounts.Remove(key);
    }
    FolderSizesStale = true;
}

void SplitSelection::Clear() {
    SplitFiles.Clear();
    SplitFolders.Clear();
    FolderFileCounts.Clear();
    FolderSizes.Clear();
    FolderSizesStale = true;
}

}  // namespace kb
