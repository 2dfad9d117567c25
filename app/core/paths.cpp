// Files, the current folder, taking paths apart, the temporary folder and opening an address
// (see paths.h).
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/core/kb_error.h"
#include "app/core/paths.h"
#include "app/core/prompter.h"
#include "platform/process_start.h"

namespace kb {

namespace {

std::string gSavedFolder;

std::string CurrentFolder() {
    std::string buf(4096, '\0');
    while (!getcwd(buf.data(), buf.size())) {
        if (errno != ERANGE) return "";
        buf.resize(buf.size() * 2);
    }
    buf.resize(buf.find('\0'));
    return buf;
}

}  // namespace

bool FileExists(const std::string& path) {
    if (path.empty()) return false;
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular;
}

std::string ChangeToFolder(const std::string& folder) {
    gSavedFolder = CurrentFolder();
    if (folder.empty() || ::chdir(folder.c_str()) != 0)
        throw KbError(err::PathNotFound, "ChangeToFolder");
    return folder;
}

std::string RestoreFolder(bool returnSaved) {
    std::string result = returnSaved ? gSavedFolder : CurrentFolder();
    if (!gSavedFolder.empty()) (void)::chdir(gSavedFolder.c_str());
    return result;
}

std::string IdentityPath(const std::string& path) { return path; }

std::string GetFileNameFromPath(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string GetFolderFromPath(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        MsgBox("Cannot determine path of: " + path, mb::OKOnly | mb::Critical, "Critical error");
        EndProgram();
    }
    return path.substr(0, slash + 1);
}

std::string RemoveExtension(const std::string& fileName) {
    size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || dot == 0) return fileName;
    return fileName.substr(0, dot);
}

std::string StripFolder(const std::string& path) { return GetFileNameFromPath(path); }

std::string RemoveTrailingBackslash(std::string& path, bool keepArgument) {
    std::string result = path;
    if (!result.empty() && result.back() == '/') result.pop_back();
    if (!keepArgument) path = result;
    return result;
}

std::string GetTempDir() {
    const char* tmp = std::getenv("TMPDIR");
    // /var/tmp survives a reboot, which a saved task's archive must, and is seldom a small
    // memory file system as /tmp often is.
    std::string dir = (tmp && *tmp) ? tmp : "/var/tmp";
    return RemoveTrailingBackslash(dir, false);
}

void OpenURL(const std::string& url) {
    // xdg-open hands the address to the desktop and normally returns at once; a handler that
    // keeps it running past the wait is taken as having opened the address.
    constexpr int kWaitMs = 5000;
    const pid_t pid = platform::StartProcess({"xdg-open", url});
    bool opened = false;
    if (pid > 0) {
        const auto status = platform::WaitProcess(pid, kWaitMs);
        opened = !status || *status == 0;
    }
    if (!opened)
        MsgBox("Unable to automatically open URL. You may visit the site by typing in the "
               "following address in your web browser if you like....\r" + url,
               mb::OKOnly | mb::Critical, "Unable to open URL");
}

}  // namespace kb
