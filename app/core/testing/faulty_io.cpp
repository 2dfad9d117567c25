#include "app/core/testing/faulty_io.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

namespace kb::testing {

namespace {

struct Fault {
    bool armed = false;
    FaultyIo::Kind kind = FaultyIo::Kind::Read;
    std::string prefix;
    int64_t from = 0, to = 0;
    int passes = 0;
    int failures = 0;
    int error = 0;  // 0: the kind's own
};

std::mutex mutex;  // the read-ahead reads on its own thread
Fault fault;

bool UnderPrefix(int fd, const std::string& prefix) {
    char buf[4096];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t n = ::readlink(link.c_str(), buf, sizeof buf);
    return n > 0 && std::string(buf, static_cast<size_t>(n)).rfind(prefix, 0) == 0;
}

// How many of `count` bytes at `offset` may go through; -1, with errno set, when the call
// fails outright.
int64_t Allowed(FaultyIo::Kind kind, int fd, size_t count, off_t offset) {
    std::lock_guard<std::mutex> lock(mutex);
    if (!fault.armed || fault.kind != kind || !UnderPrefix(fd, fault.prefix))
        return static_cast<int64_t>(count);
    const int64_t end = offset + static_cast<int64_t>(count);
    if (end <= fault.from || offset >= fault.to || count == 0) return static_cast<int64_t>(count);
    if (fault.passes > 0) {
        --fault.passes;
        return static_cast<int64_t>(count);
    }
    ++fault.failures;
    if (offset < fault.from) return fault.from - offset;
    errno = fault.error != 0 ? fault.error : kind == FaultyIo::Kind::Read ? EIO : ENOSPC;
    return -1;
}

template <typename Fn>
Fn Next(const char* name) {
    return reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

FaultyIo::FaultyIo(Kind kind, std::string prefix, int64_t from, int64_t to, int passes) {
    std::lock_guard<std::mutex> lock(mutex);
    fault = Fault{true, kind, std::move(prefix), from, to, passes, 0, 0};
}

FaultyIo& FaultyIo::FailWith(int error) {
    std::lock_guard<std::mutex> lock(mutex);
    fault.error = error;
    return *this;
}

FaultyIo::~FaultyIo() {
    std::lock_guard<std::mutex> lock(mutex);
    fault.armed = false;
}

int FaultyIo::Failures() {
    std::lock_guard<std::mutex> lock(mutex);
    return fault.failures;
}

}  // namespace kb::testing

using kb::testing::FaultyIo;

extern "C" ssize_t pread(int fd, void* buf, size_t count, off_t offset) {
    using Fn = ssize_t (*)(int, void*, size_t, off_t);
    static const Fn real = kb::testing::Next<Fn>("pread");
    const int64_t allowed = kb::testing::Allowed(FaultyIo::Kind::Read, fd, count, offset);
    if (allowed < 0) return -1;
    return real(fd, buf, static_cast<size_t>(allowed), offset);
}

extern "C" ssize_t pwrite(int fd, const void* buf, size_t count, off_t offset) {
    using Fn = ssize_t (*)(int, const void*, size_t, off_t);
    static const Fn real = kb::testing::Next<Fn>("pwrite");
    const int64_t allowed = kb::testing::Allowed(FaultyIo::Kind::Write, fd, count, offset);
    if (allowed < 0) return -1;
    return real(fd, buf, static_cast<size_t>(allowed), offset);
}
