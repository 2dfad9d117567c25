#include "platform/process_start.h"

#include <cerrno>
#include <chrono>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace kb::platform {

pid_t StartProcess(const std::vector<std::string>& argv) {
    if (argv.empty() || argv[0].empty()) return -1;
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    // glibc's posix_spawnp reports a failed exec as its own result, so a missing program is
    // seen here rather than as an exit status.
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return -1;
    return pid;
}

std::optional<int> WaitProcess(pid_t pid, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        int status = 0;
        pid_t r = waitpid(pid, &status, timeoutMs < 0 ? 0 : WNOHANG);
        if (r == pid) {
            if (WIFEXITED(status)) return WEXITSTATUS(status);
            if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
            continue;  // stopped or continued: still there
        }
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return -1;  // not our child (already waited for)
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(pause);
        if (pause < std::chrono::milliseconds(50)) pause *= 2;
    }
}

}  // namespace kb::platform
