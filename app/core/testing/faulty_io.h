#pragma once
// Reads and writes that fail part way through a file, as a failing disk or a full file system
// makes them. The test executable's own pread and pwrite stand in front of the system's; they
// pass every call through unless a FaultyIo is in place, and then fail the calls on files
// whose path begins with the given prefix once they reach the given offset (a call that
// crosses it transfers the bytes before it). Installs itself for its lifetime.

#include <cstdint>
#include <string>

namespace kb::testing {

class FaultyIo {
public:
    enum class Kind { Read, Write };

    // Calls of `kind` on files under `prefix` fail (EIO for reads, ENOSPC for writes) from
    // byte `limit` of the file on.
    FaultyIo(Kind kind, std::string prefix, int64_t limit);
    ~FaultyIo();
    FaultyIo(const FaultyIo&) = delete;
    FaultyIo& operator=(const FaultyIo&) = delete;

    // Calls that failed or were cut short so far.
    static int Failures();
};

}  // namespace kb::testing
