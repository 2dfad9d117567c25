#pragma once
// Something that happens just before a file is made: the test executable's own open stands in
// front of the system's and, while an OpenHook is in place, runs its action once, right before
// the first call that would create (O_CREAT) a file whose path ends with the given text. Another
// program making the same file at that moment is played this way. Installs itself for its
// lifetime.

#include <functional>
#include <string>

namespace kb::testing {

class OpenHook {
public:
    OpenHook(std::string pathEnd, std::function<void()> action);
    ~OpenHook();
    OpenHook(const OpenHook&) = delete;
    OpenHook& operator=(const OpenHook&) = delete;

    // Whether the action has run.
    static bool Ran();
};

}  // namespace kb::testing
