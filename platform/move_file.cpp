#include "platform/move_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace kb::platform {
namespace {

bool CopyThenRemove(const std::string& from, const std::string& to, std::string& error) {
    const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        error = std::strerror(errno);
        return false;
    }
    struct stat st {};
    fstat(in, &st);
    const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 0777);
    if (out < 0) {
        error = std::strerror(errno);
        close(in);
        return false;
    }
    std::vector<char> buffer(1 << 20);
    bool ok = true;
    for (ssize_t got; ok && (got = read(in, buffer.data(), buffer.size())) != 0;) {
        if (got < 0) {
            ok = errno == EINTR;
            continue;
        }
        for (ssize_t done = 0; ok && done < got;) {
            const ssize_t put = write(out, buffer.data() + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            ok = put > 0;
            done += put > 0 ? put : 0;
        }
    }
    if (!ok) error = std::strerror(errno);
    close(in);
    if (close(out) != 0 && ok) {
        ok = false;
        error = std::strerror(errno);
    }
    if (!ok) {
        unlink(to.c_str());
        return false;
    }
    unlink(from.c_str());
    return true;
}

// Read without changing it: umask() sets the mask as it reads it, for every thread at once.
mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    const mode_t mask = umask(022);
    umask(mask);
    return mask;
}

}  // namespace

void GiveNewFileMode(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return;
    struct stat st {};
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) fchmod(fd, 0666 & ~CurrentUmask());
    close(fd);
}

bool MoveFileNoReplace(const std::string& from, const std::string& to, std::string& error) {
    struct stat a {}, b {};
    if (stat(from.c_str(), &a) == 0 && stat(to.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
        a.st_ino == b.st_ino)
        return true;
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno == EXDEV) return CopyThenRemove(from, to, error);
    if (errno == EINVAL || errno == ENOSYS) {
        // A file system without the no-replace rename: a hard link fails on an existing target.
        if (link(from.c_str(), to.c_str()) == 0) {
            unlink(from.c_str());
            return true;
        }
        if (errno == EXDEV || errno == EPERM) return CopyThenRemove(from, to, error);
    }
    error = std::strerror(errno);
    return false;
}

}  // namespace kb::platform
