#include "app/core/temp_manager.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "app/core/debug_log.h"
#include "app/core/kb_error.h"
#include "app/core/paths.h"
#include "app/core/prompter.h"
#include "platform/temp_names.h"

namespace kb {

namespace {

// Deletes a file; one that is already gone counts as deleted.
bool DeleteFile(const std::string& path) { return ::unlink(path.c_str()) == 0 || errno == ENOENT; }

void Warn(const std::string& text) { MsgBox(text, mb::OKOnly | mb::Exclamation, "Warning"); }

}  // namespace

bool IsTempFileName(const std::string& path, const std::string& prefix) {
    const std::string name = StripFolder(path);
    if (name.rfind(prefix, 0) != 0) return false;
    std::string folder = path.substr(0, path.size() - name.size());
    return RemoveTrailingBackslash(folder, true) == GetTempDir();
}

TempManager& TempManager::Instance() {
    static TempManager instance;
    return instance;
}

std::vector<TempManager::Entry>::iterator TempManager::Find(const std::string& key) {
    for (auto it = files_.begin(); it != files_.end(); ++it)
        if (it->first == key) return it;
    return files_.end();
}

std::string TempManager::PathOrEmpty(const std::string& key) const {
    for (const auto& e : files_)
        if (e.first == key) return e.second;
    return "";
}

std::string TempManager::CreateTempFile(const std::string& key, const std::string& prefix) {
    const std::string dir = GetTempDir();
    const std::string path = platform::CreateTempFileName(dir, prefix);
    if (path.empty()) {
        const std::string why = std::strerror(errno);
        throw KbError(err::PathFileAccess, "CreateTempFile",
                      "Unable to create a temporary file in " + dir + ": " + why);
    }
    RemoveTempFile(key, true);
    files_.emplace_back(key, path);
    DebugLog("Temp file created: " + path);
    return path;
}

void TempManager::RemoveTempFile(const std::string& key, bool silent) {
    if (!silent) DebugLog("Removing temp file " + PathOrEmpty(key) + " if it exists");
    bool ok = false;
    if (auto it = Find(key); it != files_.end()) {
        const std::string path = it->second;
        files_.erase(it);  // forgotten even when the file cannot be deleted
        ok = DeleteFile(path);
    }
    if (!ok && !silent)
        Warn("There was a problem removing a temporary file. This is non-fatal and probably "
             "nothing to worry about.");
}

void TempManager::UnmarkTempFile(const std::string& key) {
    DebugLog("Unmarking " + PathOrEmpty(key) + " as temporary");
    auto it = Find(key);
    if (it == files_.end()) {
        Warn("There was a problem unmarking a file as being temporary. This is non-fatal but if "
             "you have saved an unfinished task it could cause problems restoring this task.");
        return;
    }
    files_.erase(it);
}

void TempManager::MarkTempFile(const std::string& key, const std::string& path) {
    DebugLog("Marking " + path + " as temporary");
    if (auto it = Find(key); it != files_.end() && it->second == path)
        files_.erase(it);  // taking over the file already registered: forget it, never delete it
    RemoveTempFile(key, true);
    files_.emplace_back(key, path);
}

void TempManager::RemoveAllTempFiles() {
    DebugLog("Removing all temporary files");
    while (!files_.empty()) {
        if (!DeleteFile(files_.front().second)) {
            Warn("A problem occurred while cleaning up temporary files. This is non-fatal but if "
                 "it alarms you, you could always run the disk cleanup wizard (Windows 98 and "
                 "later) or remove the contents of the TEMP directory manually.");
            return;
        }
        files_.erase(files_.begin());
    }
}

std::string TempManager::GetTempFilePath(const std::string& key) const {
    for (const auto& e : files_)
        if (e.first == key) return e.second;
    throw KbError(err::InvalidArgument, "TempManager");
}

}  // namespace kb
