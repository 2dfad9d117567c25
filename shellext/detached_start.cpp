#include "shellext/detached_start.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kb::shellext {

std::vector<std::string> SplitCommandLine(const std::string& line) {
    std::vector<std::string> items;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') ++i;
        if (i == line.size()) break;
        size_t end;
        if (line[i] == '"') {
            end = line.find('"', i + 1);
            if (end == std::string::npos) end = line.size();
            items.push_back(line.substr(i + 1, end - i - 1));
            i = end + 1;
        } else {
            end = line.find(' ', i);
            if (end == std::string::npos) end = line.size();
            items.push_back(line.substr(i, end - i));
            i = end;
        }
    }
    return items;
}

namespace {

// Everything below runs in a child of a possibly threaded process, so it may only make calls
// that are safe after fork: system calls, no allocation, no locks.

void WriteError(int fd, int error) {
    while (write(fd, &error, sizeof error) < 0 && errno == EINTR) {
    }
}

// Descriptors beyond the standard three are closed by the exec. close_range does it in one
// call; an older kernel gets the flag set one descriptor at a time.
void CloseOnExecBeyondStandard() {
    if (close_range(3, UINT_MAX, CLOSE_RANGE_CLOEXEC) == 0) return;
    long limit = sysconf(_SC_OPEN_MAX);
    if (limit < 0 || limit > 65536) limit = 65536;
    for (int fd = 3; fd < limit; ++fd) fcntl(fd, F_SETFD, FD_CLOEXEC);
}

void ResetSignals() {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    for (int s = 1; s < NSIG; ++s) sigaction(s, &dfl, nullptr);
}

[[noreturn]] void RunGrandchild(char* const* args, int reportFd) {
    ResetSignals();
    CloseOnExecBeyondStandard();
    execve(args[0], args, environ);
    WriteError(reportFd, errno);
    _exit(127);
}

// The middle process leaves at once, so the program is adopted by the system and reaped there.
[[noreturn]] void RunMiddle(char* const* args, int reportFd) {
    setsid();
    const pid_t program = fork();
    if (program == 0) RunGrandchild(args, reportFd);
    if (program < 0) WriteError(reportFd, errno);
    _exit(0);
}

}  // namespace

int StartDetached(const std::vector<std::string>& argv) noexcept {
    if (argv.empty() || argv[0].empty()) return ENOENT;
    std::vector<char*> args;
    try {
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
    } catch (...) {
        return ENOMEM;
    }
    // The exec closes the report pipe's write end; an error number arrives only on failure.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) return errno;
    const pid_t middle = fork();
    if (middle == 0) RunMiddle(args.data(), report[1]);
    const int forkError = middle < 0 ? errno : 0;
    close(report[1]);
    int error = forkError;
    if (middle > 0) {
        while (waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
        }
        int child = 0;
        ssize_t n;
        while ((n = read(report[0], &child, sizeof child)) < 0 && errno == EINTR) {
        }
        if (n == static_cast<ssize_t>(sizeof child)) error = child;
    }
    close(report[0]);
    return error;
}

}  // namespace kb::shellext
