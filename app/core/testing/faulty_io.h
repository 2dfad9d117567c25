#pragma once
// Reads and writes that fail part way through a file, as a failing disk or a full file system
// makes them. The test executable's own pread and pwrite stand in front of the system's; they
// pass every call through unless a FaultyIo is in place, and then fail the calls on files
// whose path begins with the given prefix that touch the bytes [from, to) (a call that starts
// before `from` transfers the bytes before it). Installs itself for its lifetime.

#include <cstdint>
#include <string>

namespace kb::testing {

class FaultyIo {
public:
    enum class Kind { Read, Write };

    // Calls of `kind` on files under `prefix` fail (EIO for reads, ENOSPC for writes) from
    // byte `from` of the file up to byte `to`; the first `passes` calls that touch those bytes
    // still go through.
    FaultyIo(Kind kind, std::string prefix, int64_t from, int64_t to = INT64_MAX, int passes = 0);
    ~FaultyIo();
    FaultyIo(const FaultyIo&) = delete;
    FaultyIo& operator=(const FaultyIo&) = delete;

    // The failing calls give `error` in place of their kind's own.
    FaultyIo& FailWith(int error);

    // Calls that failed or were cut short so far.
    static int Failures();
};

}  // namespace kb::testing
