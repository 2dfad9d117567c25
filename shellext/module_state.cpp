#include "shellext/module_state.h"

#include <atomic>

namespace kb::shellext {

namespace {
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};
}  // namespace

void ModuleObjectCreated() noexcept { ++g_objects; }
void ModuleObjectDestroyed() noexcept { --g_objects; }

void ModuleLock(bool lock) noexcept {
    if (lock) {
        ++g_locks;
    } else if (g_locks > 0) {
        --g_locks;
    }
}

bool ModuleIdle() noexcept { return g_objects == 0 && g_locks == 0; }

}  // namespace kb::shellext
