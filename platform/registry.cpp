#include "platform/registry.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>

namespace kb::platform {

namespace {

void (*g_beforeRename)() = nullptr;

std::string EnvOrEmpty(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string WithoutTrailingSlash(std::string p) {
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return p;
}

bool MakeFolders(const std::string& path) {
    for (size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != '/') continue;
        std::string part = path.substr(0, pos);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The whole file; an empty text when it does not exist; nothing when it cannot be read or is
// no regular file (O_NONBLOCK: a FIFO put in its place must not hang the program at start).
std::optional<std::string> ReadFile(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? std::optional<std::string>(std::string()) : std::nullopt;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return std::nullopt;
    }
    std::string text;
    char buf[65536];
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        text.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    return text;
}

std::optional<RegistryTree> LoadTree(HKEY root) {
    auto text = ReadFile(RegistryRootFile(root));
    if (!text) return std::nullopt;
    return RegistryTree::Parse(*text);
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Temporary files of changes that never reached their rename. Only called under the lock,
// when no other change can be writing one.
void RemoveStrayTemporaries(const std::string& folder, const std::string& prefix) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    while (dirent* e = readdir(dir)) {
        if (std::strncmp(e->d_name, prefix.c_str(), prefix.size()) == 0)
            unlink((folder + "/" + e->d_name).c_str());
    }
    closedir(dir);
}

bool ReplaceFile(const std::string& folder, const std::string& file, const std::string& text) {
    std::string tmpPrefix = file.substr(folder.size() + 1) + ".tmp";
    RemoveStrayTemporaries(folder, tmpPrefix);
    std::string tmp = file + ".tmpXXXXXX";
    int fd = mkostemp(tmp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, text) && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    if (ok && g_beforeRename) g_beforeRename();
    if (!ok || rename(tmp.c_str(), file.c_str()) != 0) {
        unlink(tmp.c_str());
        return false;
    }
    // The rename itself must reach the disk too, or a crash could bring the old file back.
    int dfd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        fsync(dfd);
        close(dfd);
    }
    return true;
}

// Runs one change of a root under its lock. The change returns its result and whether it
// altered the tree; the file is rewritten only then.
int32_t Change(HKEY root, const std::function<int32_t(RegistryTree&, bool&)>& change) {
    std::string name = RegistryRootName(root);
    if (name.empty()) return ERROR_INVALID_HANDLE;
    std::string folder = RegistryFolder();
    if (!MakeFolders(folder)) return ERROR_REGISTRY_IO_FAILED;
    std::string lockPath = folder + "/" + name + ".lock";
    int lockFd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd < 0) return ERROR_REGISTRY_IO_FAILED;
    while (flock(lockFd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            close(lockFd);
            return ERROR_REGISTRY_IO_FAILED;
        }
    }
    int32_t result = ERROR_REGISTRY_IO_FAILED;
    // A file that exists but cannot be read must not be replaced by what little we know.
    if (auto tree = LoadTree(root)) {
        bool changed = false;
        result = change(*tree, changed);
        if (changed && !ReplaceFile(folder, RegistryRootFile(root), tree->Serialize(name)))
            result = ERROR_REGISTRY_IO_FAILED;
    }
    flock(lockFd, LOCK_UN);
    close(lockFd);
    return result;
}

bool IsTextType(uint32_t type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

}  // namespace

std::string RegistryFolder() {
    std::string dir = EnvOrEmpty("KESTRELBINDER_REGISTRY");
    if (!dir.empty()) return WithoutTrailingSlash(dir);
    std::string config = EnvOrEmpty("XDG_CONFIG_HOME");
    if (config.empty() || config[0] != '/') {
        std::string home = EnvOrEmpty("HOME");
        if (home.empty()) {
            if (passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) home = pw->pw_dir;
        }
        config = WithoutTrailingSlash(home) + "/.config";
    }
    return WithoutTrailingSlash(config) + "/Tarnwolde/registry";
}

std::string RegistryRootName(HKEY root) {
    switch (root) {
    case HKEY_CLASSES_ROOT: return "HKEY_CLASSES_ROOT";
    case HKEY_CURRENT_USER: return "HKEY_CURRENT_USER";
    case HKEY_LOCAL_MACHINE: return "HKEY_LOCAL_MACHINE";
    default: return "";
    }
}

std::string RegistryRootFile(HKEY root) {
    std::string name = RegistryRootName(root);
    return name.empty() ? "" : RegistryFolder() + "/" + name + ".txt";
}

void SetRegistryBeforeRenameHook(void (*hook)()) { g_beforeRename = hook; }

int32_t RegCreateKeyEx(HKEY root, const std::string& subKey, uint32_t access, RegKey& key,
                       bool* created) {
    key = RegKey{};
    if (RegistryRootName(root).empty()) return ERROR_INVALID_HANDLE;
    bool isNew = false;
    // Most opens find the key already there; they need no lock and no rewrite.
    auto tree = LoadTree(root);
    if (!tree || !tree->HasKey(subKey)) {
        int32_t rc = Change(root, [&](RegistryTree& t, bool& changed) {
            changed = isNew = t.CreateKey(subKey);
            return ERROR_SUCCESS;
        });
        if (rc != ERROR_SUCCESS) return rc;
    }
    key = RegKey{root, subKey, access};
    if (created) *created = isNew;
    return ERROR_SUCCESS;
}

int32_t RegOpenKeyEx(HKEY root, const std::string& subKey, uint32_t access, RegKey& key) {
    key = RegKey{};
    if (RegistryRootName(root).empty()) return ERROR_INVALID_HANDLE;
    auto tree = LoadTree(root);
    if (!tree) return ERROR_REGISTRY_IO_FAILED;
    if (!tree->HasKey(subKey)) return ERROR_FILE_NOT_FOUND;
    key = RegKey{root, subKey, access};
    return ERROR_SUCCESS;
}

int32_t RegCloseKey(RegKey& key) {
    if (!key.IsOpen()) return ERROR_INVALID_HANDLE;
    key = RegKey{};
    return ERROR_SUCCESS;
}

int32_t RegSetValueEx(const RegKey& key, const std::string& valueName, uint32_t type,
                      const void* data, uint32_t size) {
    if (!key.IsOpen()) return ERROR_INVALID_HANDLE;
    if (!(key.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    if (!IsTextType(type) && type != REG_BINARY && type != REG_DWORD) return ERROR_INVALID_PARAMETER;
    if ((type == REG_DWORD && size != 4) || (!data && size != 0)) return ERROR_INVALID_PARAMETER;
    RegValue value{type, size ? std::string(static_cast<const char*>(data), size) : std::string()};
    return Change(key.root, [&](RegistryTree& t, bool& changed) {
        if (!t.HasKey(key.path)) return ERROR_KEY_DELETED;
        changed = t.SetValue(key.path, valueName, value);
        return ERROR_SUCCESS;
    });
}

int32_t RegQueryValueEx(const RegKey& key, const std::string& valueName, uint32_t* type,
                        void* data, uint32_t* size) {
    if (!key.IsOpen()) return ERROR_INVALID_HANDLE;
    if (!(key.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    if (data && !size) return ERROR_INVALID_PARAMETER;
    auto tree = LoadTree(key.root);
    if (!tree) return ERROR_REGISTRY_IO_FAILED;
    if (!tree->HasKey(key.path)) return ERROR_KEY_DELETED;
    const RegValue* v = tree->FindValue(key.path, valueName);
    if (!v) return ERROR_FILE_NOT_FOUND;
    bool addNul = IsTextType(v->type) && (v->data.empty() || v->data.back() != '\0');
    size_t needed = v->data.size() + (addNul ? 1 : 0);
    if (type) *type = v->type;
    if (!data) {
        if (size) *size = static_cast<uint32_t>(needed);
        return ERROR_SUCCESS;
    }
    if (*size < needed) {
        *size = static_cast<uint32_t>(needed);
        return ERROR_MORE_DATA;
    }
    std::memcpy(data, v->data.data(), v->data.size());
    if (addNul) static_cast<char*>(data)[v->data.size()] = '\0';
    *size = static_cast<uint32_t>(needed);
    return ERROR_SUCCESS;
}

int32_t RegDeleteValue(const RegKey& key, const std::string& valueName) {
    if (!key.IsOpen()) return ERROR_INVALID_HANDLE;
    if (!(key.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    return Change(key.root, [&](RegistryTree& t, bool& changed) {
        if (!t.HasKey(key.path)) return ERROR_KEY_DELETED;
        changed = t.DeleteValue(key.path, valueName);
        return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

int32_t RegDeleteKey(HKEY root, const std::string& subKey) {
    if (RegistryRootName(root).empty()) return ERROR_INVALID_HANDLE;
    RegistryTree probe;
    if (!probe.CreateKey(subKey)) return ERROR_ACCESS_DENIED;  // names the root itself
    return Change(root, [&](RegistryTree& t, bool& changed) {
        changed = t.DeleteKey(subKey);
        return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

int32_t RegEnumKeys(const RegKey& key, std::vector<std::string>& names) {
    names.clear();
    if (!key.IsOpen()) return ERROR_INVALID_HANDLE;
    if (!(key.access & KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
    auto tree = LoadTree(key.root);
    if (!tree) return ERROR_REGISTRY_IO_FAILED;
    if (!tree->HasKey(key.path)) return ERROR_KEY_DELETED;
    names = tree->SubKeys(key.path);
    return ERROR_SUCCESS;
}

}  // namespace kb::platform
