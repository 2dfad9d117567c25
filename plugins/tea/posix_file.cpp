#include "plugins/tea/posix_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace kb::tea {

ssize_t ReadFull(int fd, void* buffer, size_t size) {
    auto* p = static_cast<char*>(buffer);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = read(fd, p + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

bool WriteAll(int fd, const void* buffer, size_t size) {
    const auto* p = static_cast<const char*>(buffer);
    while (size > 0) {
        const ssize_t n = write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

InputFile::~InputFile() {
    if (fd_ >= 0) close(fd_);
}

bool InputFile::Open(const char* path) {
    fd_ = open(path, O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return false;
    if (fstat(fd_, &status_) != 0 || S_ISDIR(status_.st_mode)) {
        close(fd_);
        fd_ = -1;
        return false;
    }
    return true;
}

OutputFile::~OutputFile() { Discard(); }

bool OutputFile::Create(const char* path, const InputFile& source) {
    // Opened without O_TRUNC first: the source must be recognised before anything is lost.
    fd_ = open(path, O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) return false;
    struct stat st {};
    if (fstat(fd_, &st) != 0 ||
        (st.st_dev == source.Status().st_dev && st.st_ino == source.Status().st_ino)) {
        close(fd_);
        fd_ = -1;
        return false;
    }
    path_ = path;
    // Devices and pipes are written as they are and never removed.
    removable_ = S_ISREG(st.st_mode);
    if (removable_ && ftruncate(fd_, 0) != 0) {
        Discard();
        return false;
    }
    return true;
}

bool OutputFile::Commit() {
    if (fd_ < 0) return false;
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) {
        if (removable_) unlink(path_);
        return false;
    }
    return true;
}

void OutputFile::Discard() {
    if (fd_ < 0) return;
    close(fd_);
    fd_ = -1;
    if (removable_) unlink(path_);
}

uint64_t GetFileSize64(const char* path) {
    InputFile file;
    if (!file.Open(path)) return 0;
    return static_cast<uint64_t>(file.Status().st_size);
}

}  // namespace kb::tea
