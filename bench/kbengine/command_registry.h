#pragma once
// Commands of the engine driver. Each command lives in its own .cpp file and registers itself
// at start-up:
//
//     namespace {
//     int Run(kb::engine::Args& args) { ...; return 0; }
//     }
//     KB_ENGINE_COMMAND("crc", "FILE [--segment BYTES]", Run);
//
// main() looks the first argument up here and passes the rest to the command.

#include <string>
#include <vector>

#include "bench/kbengine/args.h"

namespace kb::engine {

// Returns the process exit status: 0 success, 1 the operation failed, 2 a usage error.
using CommandFn = int (*)(Args& args);

struct Command {
    std::string name;
    std::string usage;  // the arguments after the name, for the usage text
    CommandFn run;
};

// Every registered command, in name order.
std::vector<Command> Commands();
const Command* FindCommand(const std::string& name);

struct CommandRegistrar {
    CommandRegistrar(const char* name, const char* usage, CommandFn run);
};

}  // namespace kb::engine

#define KB_ENGINE_CONCAT2(a, b) a##b
#define KB_ENGINE_CONCAT(a, b) KB_ENGINE_CONCAT2(a, b)
#define KB_ENGINE_COMMAND(name, usage, fn)                                              \
    static const ::kb::engine::CommandRegistrar KB_ENGINE_CONCAT(kbEngineCommand_, __LINE__)( \
        name, usage, fn)
