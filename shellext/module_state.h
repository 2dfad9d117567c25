#pragma once
// The module's count of live objects and server locks, which decides whether the host may
// unload it.

namespace kb::shellext {

void ModuleObjectCreated() noexcept;
void ModuleObjectDestroyed() noexcept;
void ModuleLock(bool lock) noexcept;
// True when no object and no lock is alive.
bool ModuleIdle() noexcept;

}  // namespace kb::shellext
