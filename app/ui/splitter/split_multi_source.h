#pragma once
// What the splitter wizard needs of the multi-file source stage, without the toolkit: whether
// the selection holds anything, what it holds, the series name it derives, and the reset of the
// list.

#include <string>
#include <vector>

namespace kb {

class FileList;

class SplitMultiSource {
public:
    virtual ~SplitMultiSource() = default;
    // Rows of the selection list.
    virtual int RowCount() const = 0;
    // The individual files, keyed by full path, in the order added.
    virtual const FileList& SplitFiles() const = 0;
    // The whole folders in the order added, each without a trailing "/" (the root stays "/").
    virtual std::vector<std::string> SplitFolders() const = 0;
    virtual std::string SeriesName() const = 0;
    // True while the folders' sizes are not all known.
    virtual bool FolderSizesStale() const = 0;
    // Puts back the program's own mark on the series name ("0": the name follows the
    // selection until the user types one).
    virtual void SetSeriesNameTag(const std::string& tag) = 0;
    // Empties the selection (Remove All).
    virtual void RemoveAll() = 0;
    // Where the add-file dialog starts ("" keeps its own start).
    virtual void SetAddFileStart(const std::string& fileName) = 0;
};

}  // namespace kb
