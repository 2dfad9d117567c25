#pragma once
// The register of the temporary files a split or join is using, each under a fixed key
// ("Archive", "EncArchive", "AssArchive", "AssEncArchive"), so that the code that made a file,
// the code that saves an unfinished task and the main window's unloading can find, keep or
// delete it. One register for the whole run, created on first use; at most one file per key,
// kept in the order registered. Problems deleting or forgetting files never stop the caller:
// they show a "Warning" box (or nothing when silent) and processing goes on.

#include <string>
#include <utility>
#include <vector>

namespace kb {

class TempManager {
public:
    static TempManager& Instance();

    // Makes a new empty file "<prefix><hex digits>.tmp" in GetTempDir() (owner-only, never an
    // existing file), deletes any file still registered under Key, registers the new one and
    // returns its path. When no file can be made, raises 75, source "CreateTempFile", saying
    // where and why, and the register is left as it was.
    std::string CreateTempFile(const std::string& key, const std::string& prefix);

    // Forgets Key and deletes its file (one already gone is not an error). A key that is not
    // registered, or a file that cannot be deleted, shows a warning unless Silent; the key is
    // forgotten all the same.
    void RemoveTempFile(const std::string& key, bool silent);

    // Forgets Key and keeps its file (an unfinished task still needs it). A key that is not
    // registered shows a warning.
    void UnmarkTempFile(const std::string& key);

    // Registers an existing file under Key, deleting any other file registered there before.
    void MarkTempFile(const std::string& key, const std::string& path);

    // Deletes every registered file in order. The first that cannot be deleted stops the
    // clean-up with one warning; it and the later entries stay registered.
    void RemoveAllTempFiles();

    // The path registered under Key; raises the invalid-argument error 5 when there is none
    // (callers use this to test whether a key is registered).
    std::string GetTempFilePath(const std::string& key) const;

private:
    TempManager() = default;
    using Entry = std::pair<std::string, std::string>;  // key, path
    std::vector<Entry>::iterator Find(const std::string& key);
    std::string PathOrEmpty(const std::string& key) const;

    std::vector<Entry> files_;
};

// Whether `path` is a name CreateTempFile gives with `prefix`: a file in GetTempDir() whose name
// begins with the prefix. A user's own file never is.
bool IsTempFileName(const std::string& path, const std::string& prefix);

}  // namespace kb
