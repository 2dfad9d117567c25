#pragma once
// A task being resumed is held with an exclusive lock on its file (flock) from the moment it is
// loaded until its resumed run ends, so that a second resume of the same task, from another
// window, another process or the same one, can never write into the same pieces or output at
// the same time. A task file can be copied, though: a join also holds its output so, for as
// long as it writes it, and a resume of a copy finds the output held. The lock goes with the
// last close of the file, so a process that dies never leaves a file locked.

#include <string>

#include "app/core/kb_error.h"

namespace kb {

class TaskLock {
public:
    TaskLock() = default;
    ~TaskLock() { Release(); }
    TaskLock(TaskLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    TaskLock& operator=(TaskLock&& other) noexcept;
    TaskLock(const TaskLock&) = delete;
    TaskLock& operator=(const TaskLock&) = delete;

    // Locks the task file `path`, giving up a lock held before. False, after the box that says
    // so, when another resume holds it. A file that cannot be opened is not locked and gives
    // true: the task's reader then says why it cannot be read.
    bool Take(const std::string& path);
    // Locks a join's output `path` in the same way, with the same box when another join holds
    // it. A link, or anything but a plain file, is neither opened nor locked (true): the checks
    // of the output refuse it.
    bool TakeOutput(const std::string& path);
    // The same for the output a fresh join makes or finds left over; its box says that
    // another join is writing the file, as no task of this join is involved.
    bool TakeNewOutput(const std::string& path);
    void Release();
    bool Held() const { return fd_ >= 0; }

private:
    // Opened with `flags` added; `plainOnly`: anything but a plain file is left alone. `inUse`
    // shows the box of a file another holds.
    bool Lock(const std::string& path, int flags, bool plainOnly, void (*inUse)(const std::string&));

    int fd_ = -1;
};

// Raised by a task's loader when TaskLock::Take found the task held (its box has been shown).
class TaskInUse : public KbError {
public:
    explicit TaskInUse(const std::string& path);
};

}  // namespace kb
