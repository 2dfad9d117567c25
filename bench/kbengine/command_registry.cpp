#include "bench/kbengine/command_registry.h"

#include <algorithm>

namespace kb::engine {

namespace {
// A function-local table: registrars in other files may run before anything here.
std::vector<Command>& Table() {
    static std::vector<Command> table;
    return table;
}
}  // namespace

CommandRegistrar::CommandRegistrar(const char* name, const char* usage, CommandFn run) {
    Table().push_back({name, usage, run});
}

std::vector<Command> Commands() {
    std::vector<Command> sorted = Table();
    std::sort(sorted.begin(), sorted.end(),
              [](const Command& a, const Command& b) { return a.name < b.name; });
    return sorted;
}

const Command* FindCommand(const std::string& name) {
    for (const Command& c : Table())
        if (c.name == name) return &c;
    return nullptr;
}

}  // namespace kb::engine
