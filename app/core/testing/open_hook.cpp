#include "app/core/testing/open_hook.h"

#include <dlfcn.h>
#include <fcntl.h>

#include <cstdarg>
#include <mutex>

namespace kb::testing {

namespace {

struct Hook {
    bool armed = false;
    bool ran = false;
    std::string pathEnd;
    std::function<void()> action;
};

std::mutex mutex;
Hook hook;

// The action, taken out of the hook when this call is the one it waits for.
std::function<void()> Due(const char* path, int flags) {
    std::lock_guard<std::mutex> lock(mutex);
    const std::string p = path ? path : "";
    if (!hook.armed || hook.ran || (flags & O_CREAT) == 0 || p.size() < hook.pathEnd.size() ||
        p.compare(p.size() - hook.pathEnd.size(), hook.pathEnd.size(), hook.pathEnd) != 0)
        return {};
    hook.ran = true;
    return hook.action;
}

}  // namespace

OpenHook::OpenHook(std::string pathEnd, std::function<void()> action) {
    std::lock_guard<std::mutex> lock(mutex);
    hook = Hook{true, false, std::move(pathEnd), std::move(action)};
}

OpenHook::~OpenHook() {
    std::lock_guard<std::mutex> lock(mutex);
    hook.armed = false;
}

bool OpenHook::Ran() {
    std::lock_guard<std::mutex> lock(mutex);
    return hook.ran;
}

}  // namespace kb::testing

extern "C" int open(const char* path, int flags, ...) {
    using Fn = int (*)(const char*, int, ...);
    static const Fn real = reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, "open"));
    mode_t mode = 0;
    if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
        va_list ap;
        va_start(ap, flags);
        mode = static_cast<mode_t>(va_arg(ap, unsigned int));
        va_end(ap);
    }
    if (const auto action = kb::testing::Due(path, flags)) action();
    return real(path, flags, mode);
}
