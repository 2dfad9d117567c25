#include "app/core/file_list.h"

#include <sys/stat.h>

#include <cerrno>

#include "app/core/find_files.h"
#include "app/core/kb_error.h"
#include "app/core/paths.h"

namespace kb {

namespace {

constexpr char kSource[] = "FileList";

// The runtime's error for a file that cannot be opened for reading.
[[noreturn]] void RaiseOpenError(const std::string& filename) {
    struct stat st {};
    if (filename.empty() || ::stat(filename.c_str(), &st) != 0) {
        bool missing = filename.empty() || errno == ENOENT || errno == ENOTDIR;
        throw KbError(missing ? err::FileNotFound : err::PathFileAccess, kSource);
    }
    if (S_ISREG(st.st_mode)) throw KbError(err::PermissionDenied, kSource);
    throw KbError(err::PathFileAccess, kSource);
}

}  // namespace

void FileList::Clear() {
    paths_.clear();
    keys_.clear();
    byKey_.clear();
}

void FileList::Add(const std::string& filename, bool enhancedKeySys) {
    if (!FileExists(filename)) RaiseOpenError(filename);
    std::string key = enhancedKeySys ? filename : StripFolder(filename);
    if (byKey_.count(key)) throw KbError(err::KeyAlreadyAssociated, kSource);
    byKey_.emplace(key, paths_.size());
    paths_.push_back(filename);
    keys_.push_back(std::move(key));
}

void FileList::AddFolderContents(const std::string& foldername, const std::string& pattern) {
    filesUnaddable_ = 0;
    std::vector<std::string> found;
    std::string folder = foldername;
    FindFiles(folder, "*", pattern, found);
    for (const auto& path : found) {
        try {
            Add(path, true);
        } catch (const KbError&) {
            ++filesUnaddable_;
        }
    }
}

size_t FileList::Position(int32_t index) const {
    if (index < 1 || static_cast<size_t>(index) > paths_.size())
        throw KbError(err::SubscriptOutOfRange, kSource);
    return static_cast<size_t>(index - 1);
}

size_t FileList::PositionOfKey(const std::string& key) const {
    auto it = byKey_.find(key);
    if (it == byKey_.end()) throw KbError(err::InvalidArgument, kSource);
    return it->second;
}

void FileList::RemoveAt(size_t pos) {
    byKey_.erase(keys_[pos]);
    paths_.erase(paths_.begin() + static_cast<std::ptrdiff_t>(pos));
    keys_.erase(keys_.begin() + static_cast<std::ptrdiff_t>(pos));
    for (size_t i = pos; i < keys_.size(); ++i) byKey_[keys_[i]] = i;
}

void FileList::Remove(int32_t index) { RemoveAt(Position(index)); }

void FileList::Remove(const std::string& key) { RemoveAt(PositionOfKey(key)); }

std::string FileList::Item(int32_t index) const { return paths_[Position(index)]; }

std::string FileList::Item(const std::string& index, bool enhancedKeySys) const {
    return paths_[PositionOfKey(enhancedKeySys ? index : StripFolder(index))];
}

std::vector<std::string> FileList::NewEnum() const { return paths_; }

std::string FileList::TruncFileName(const std::string& file) const { return StripFolder(file); }

namespace {
std::string StemOf(const std::string& path) {
    size_t dot = path.find('.');
    return dot == std::string::npos ? std::string() : path.substr(0, dot + 1);
}
}  // namespace

std::string FileList::ItemStem(int32_t index) const { return StemOf(Item(index)); }

std::string FileList::ItemStem(const std::string& index) const { return StemOf(Item(index)); }

int64_t FileList::SmallestFile() const {
    int64_t smallest = -1;
    for (const auto& path : paths_) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) throw KbError(err::FileNotFound, kSource);
        if (smallest < 0 || st.st_size < smallest) smallest = st.st_size;
    }
    return smallest;
}

}  // namespace kb
