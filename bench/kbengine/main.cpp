// kbengine: drives the engine from the command line for benchmarks and scripted checks.
//   kbengine COMMAND ARGUMENTS...
// Each command prints one JSON object as its last line on standard output. The exit status is
// 0 when the operation completed (every piece written or joined), 1 when it stopped early
// (a cancel, a saved task, a refusal) or failed, 2 for a usage error. A failure prints
// {"error": N, "source": "...", "description": "..."} instead of the command's own line.

#include <cstdio>
#include <exception>

#include "app/core/kb_error.h"
#include "bench/kbengine/command_registry.h"
#include "bench/kbengine/engine_output.h"
#include "platform/file_size_limit.h"

namespace {

void PrintUsage() {
    std::fprintf(stderr, "usage: kbengine COMMAND ARGUMENTS...\ncommands:\n");
    for (const auto& c : kb::engine::Commands())
        std::fprintf(stderr, "  kbengine %s %s\n", c.name.c_str(), c.usage.c_str());
}

int Fail(int32_t number, const std::string& source, const std::string& description) {
    kb::engine::JsonLine().Add("error", int64_t{number}).Add("source", source)
        .Add("description", description).Print();
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    kb::platform::IgnoreFileSizeLimitSignal();
    if (argc < 2) {
        PrintUsage();
        return 2;
    }
    const kb::engine::Command* command = kb::engine::FindCommand(argv[1]);
    if (!command) {
        std::fprintf(stderr, "kbengine: unknown command \"%s\"\n", argv[1]);
        PrintUsage();
        return 2;
    }
    kb::engine::Args args(std::vector<std::string>(argv + 2, argv + argc));
    try {
        return command->run(args);
    } catch (const kb::engine::UsageError& e) {
        std::fprintf(stderr, "kbengine %s: %s\nusage: kbengine %s %s\n", command->name.c_str(),
                     e.message.c_str(), command->name.c_str(), command->usage.c_str());
        return 2;
    } catch (const kb::KbError& e) {
        return Fail(e.Number(), e.Source(), e.Description());
    } catch (const kb::ProgramEnded&) {
        return Fail(0, "EndProgram", "The program was ended.");
    } catch (const std::exception& e) {
        return Fail(kb::err::InternalError, "kbengine", e.what());
    }
}
