#include "app/core/task_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "app/core/prompter.h"

namespace kb {

namespace {

constexpr const char* kInUse = "This unfinished task is already being resumed.";

void TaskInUseBox(const std::string&) {
    MsgBox(kInUse, mb::OKOnly | mb::Exclamation, "Unfinished task in use");
}

void OutputInUseBox(const std::string& path) {
    MsgBox(path + " is being written by another join. Let that join end, or join into another "
                  "folder.",
           mb::OKOnly | mb::Exclamation, "File in use");
}

// Whether `path` still names the file open in `fd`: a task saved again or removed by the
// resume that held it is another file, or none, by the time its lock comes free.
bool StillNamed(int fd, const std::string& path) {
    struct stat open {}, named {};
    return fstat(fd, &open) == 0 && stat(path.c_str(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

}  // namespace

TaskLock& TaskLock::operator=(TaskLock&& other) noexcept {
    if (this != &other) {
        Release();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

bool TaskLock::Take(const std::string& path) { return Lock(path, 0, false, TaskInUseBox); }

bool TaskLock::TakeOutput(const std::string& path) {
    return Lock(path, O_NOFOLLOW, true, TaskInUseBox);
}

bool TaskLock::TakeNewOutput(const std::string& path) {
    return Lock(path, O_NOFOLLOW, true, OutputInUseBox);
}

bool TaskLock::Lock(const std::string& path, int flags, bool plainOnly,
                    void (*inUse)(const std::string&)) {
    Release();
    for (;;) {
        struct stat named {};
        if (plainOnly && (lstat(path.c_str(), &named) != 0 || !S_ISREG(named.st_mode))) return true;
        // Never waits on a FIFO put in a task's place; read-only is enough for flock.
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | flags);
        if (fd < 0) return true;
        int rc;
        do rc = flock(fd, LOCK_EX | LOCK_NB);
        while (rc != 0 && errno == EINTR);
        if (rc != 0) {
            const bool held = errno == EWOULDBLOCK;
            close(fd);
            if (!held) return true;  // a file system without locks: nothing to hold
            inUse(path);
            return false;
        }
        if (StillNamed(fd, path)) {
            fd_ = fd;
            return true;
        }
        close(fd);
    }
}

void TaskLock::Release() {
    if (fd_ < 0) return;
    close(fd_);
    fd_ = -1;
}

TaskInUse::TaskInUse(const std::string& path)
    : KbError(err::FileAlreadyOpen, "SetResumeInfo", std::string(kInUse) + " (" + path + ")") {}

}  // namespace kb
