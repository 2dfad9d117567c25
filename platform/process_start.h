#pragma once
// Starting other programs without a shell: the arguments are passed as they are, so nothing
// in them (blanks, quotes, "$", ";") is ever interpreted.

#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace kb::platform {

// Starts argv[0] (looked up in PATH when it holds no "/") with the given arguments and the
// current environment. Returns the new process's id, or -1 when it could not be started
// (empty argv, program not found, not executable).
pid_t StartProcess(const std::vector<std::string>& argv);

// Waits up to timeoutMs milliseconds (negative: without limit) for a process started by
// StartProcess to end. Returns its exit status (128 + the signal number when a signal ended
// it), or nothing when it is still running; it can then be waited for again.
std::optional<int> WaitProcess(pid_t pid, int timeoutMs);

}  // namespace kb::platform
