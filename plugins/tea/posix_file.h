#pragma once
// Plain POSIX file access for the plug-in, which links none of the program's libraries.
// No exceptions: every failure is a false or negative return.

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>

namespace kb::tea {

// Reads until `size` bytes or end of file; the count read, or -1 on an error.
ssize_t ReadFull(int fd, void* buffer, size_t size);
// Writes all of `size` bytes; false on an error.
bool WriteAll(int fd, const void* buffer, size_t size);

class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Opens a file that is not a folder; false when it cannot.
    bool Open(const char* path);
    int Fd() const { return fd_; }
    const struct stat& Status() const { return status_; }

private:
    int fd_ = -1;
    struct stat status_ {};
};

// The destination of a run. Unless Commit() succeeds, a regular file that was opened is
// removed again, so that a half-written file never passes for a whole one.
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates or truncates `path`. Refuses (false, the file untouched) when `path` is the
    // source itself, which truncating would destroy.
    bool Create(const char* path, const InputFile& source);
    int Fd() const { return fd_; }
    // Closes the file and keeps it; false (and the file removed) when closing fails.
    bool Commit();

private:
    void Discard();

    int fd_ = -1;
    const char* path_ = nullptr;
    bool removable_ = false;
};

// Size of a file in bytes; 0 when it cannot be opened.
uint64_t GetFileSize64(const char* path);

}  // namespace kb::tea
