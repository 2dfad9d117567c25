#pragma once
// The keyed, ordered list of full file names of a multi-file selection and of folder scans.
// Each item has a unique key: its bare file name (the text after the last "/"), or its full
// path when added with enhancedKeySys. Keys compare exactly, letter case included, since two
// files whose names differ only in case are two files here. Errors are the runtime's
// collection errors: 457 for a key already present, 9 for a position outside the list, 5 for
// an unknown key.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace kb {

class FileList {
public:
    // Files that the last AddFolderContents could not add.
    int32_t FilesUnaddable() const { return filesUnaddable_; }

    void Clear();
    // Opens filename for reading and closes it again, then appends it. A file that cannot be
    // opened (53 missing, 70 not readable, 75 not a regular file) or a key already present
    // raises the error and adds nothing.
    void Add(const std::string& filename, bool enhancedKeySys);
    // Adds, keyed by full path, every file of the folder tree whose name matches pattern ("*.*"
    // takes every file, dotted or not); files that cannot be added are counted in
    // FilesUnaddable. Only errors of the search itself (an invalid pattern) leave it.
    void AddFolderContents(const std::string& foldername, const std::string& pattern);
    int32_t count() const { return static_cast<int32_t>(keys_.size()); }

    // By position from 1, or by key.
    void Remove(int32_t index);
    void Remove(const std::string& key);

    // By position from 1. By text: the text itself is the key with enhancedKeySys, else the
    // text after its last "/" is (a full path finds the item added under its bare name).
    std::string Item(int32_t index) const;
    std::string Item(const std::string& index, bool enhancedKeySys = false) const;

    // The items in order, for a for-each over the list.
    std::vector<std::string> NewEnum() const;
    std::vector<std::string>::const_iterator begin() const { return paths_.begin(); }
    std::vector<std::string>::const_iterator end() const { return paths_.end(); }

    // The file name without its folder: the text after the last "/".
    std::string TruncFileName(const std::string& file) const;
    // The item up to and including its first "."; "" when it holds none.
    std::string ItemStem(int32_t index) const;
    std::string ItemStem(const std::string& index) const;
    // The length of the smallest item, -1 for an empty list; an item gone from disk raises 53.
    int64_t SmallestFile() const;

private:
    size_t Position(int32_t index) const;
    size_t PositionOfKey(const std::string& key) const;
    void RemoveAt(size_t pos);

    std::vector<std::string> paths_;
    std::vector<std::string> keys_;  // beside paths_
    std::unordered_map<std::string, size_t> byKey_;
    int32_t filesUnaddable_ = 0;
};

}  // namespace kb
