#pragma once
// The multi-file selection without its widgets: the individual files, the whole folders, the
// sizes measured per folder, and the texts that describe the selection and its rows. Sizes and
// counts are 64-bit throughout, so a selection of large files shows its true size.

#include <cstdint>
#include <optional>
#include <string>

#include "app/core/file_list.h"
#include "app/ui/splitter/keyed_collection.h"

namespace kb {

class SplitSelection {
public:
    // A folder's key is its path with a trailing "/" ("/" itself is its own key); a key that
    // ends in "/" marks a folder row, as a file's key is its full path.
    static std::string FolderKey(const std::string& path);
    static bool IsFolderKey(const std::string& key) { return !key.empty() && key.back() == '/'; }
    // A file's length, or nothing when it can no longer be read.
    static std::optional<int64_t> LengthOf(const std::string& path);

    // The summary of the whole selection; showCalcFolderSizes says whether the folders still
    // wait for their sizes. "Nothing selected." for an empty selection.
    std::string SummaryText(int rows, bool& showCalcFolderSizes) const;
    // The details of a file row (its key is the full path, its text the bare name).
    std::string FileDetails(const std::string& key, const std::string& text) const;
    // The details of a folder row; showCalcSize when its size is not known yet.
    std::string FolderDetails(const std::string& key, const std::string& text,
                              bool& showCalcSize) const;

    // Keeps what a scan found in one folder (a later measurement replaces it).
    void StoreFolderMeasure(const std::string& key, int64_t files, int64_t bytes);
    // Takes one folder out with anything measured for it.
    void RemoveFolder(const std::string& key);
    // Empties the selection; the totals of the last complete scan stay, unshown.
    void Clear();

    FileList SplitFiles;
    KeyedCollection<std::string> SplitFolders;
    KeyedCollection<int64_t> FolderFileCounts;
    KeyedCollection<int64_t> FolderSizes;
    int64_t FolderFilesTotal = 0;
    int64_t FolderBytesTotal = 0;
    bool FolderSizesStale = true;
};

}  // namespace kb
