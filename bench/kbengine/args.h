#pragma once
// The arguments of one command: options ("--name value" or "--flag") taken out by name, then
// the positional arguments that remain. A command takes what it knows and calls Finish(),
// which refuses anything left over.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kb::engine {

// A usage error: main() prints it with the command's usage and exits with status 2.
struct UsageError {
    std::string message;
};

class Args {
public:
    explicit Args(std::vector<std::string> args) : args_(std::move(args)) {}

    // "--name VALUE", the last one when given more than once.
    std::optional<std::string> Option(const std::string& name);
    // Every "--name VALUE", in order.
    std::vector<std::string> Options(const std::string& name);
    // "--name" without a value.
    bool Flag(const std::string& name);
    // A whole number option within [min, max]; `fallback` when absent.
    int64_t Number(const std::string& name, int64_t fallback, int64_t min, int64_t max);
    // Refuses unknown options, then returns exactly `count` positional arguments.
    std::vector<std::string> Finish(size_t count);

private:
    std::vector<std::string> args_;
};

}  // namespace kb::engine
