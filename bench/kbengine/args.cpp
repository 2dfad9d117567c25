#include "bench/kbengine/args.h"

namespace kb::engine {

std::vector<std::string> Args::Options(const std::string& name) {
    std::vector<std::string> values;
    for (size_t i = 0; i < args_.size();) {
        if (args_[i] != "--" + name) {
            ++i;
            continue;
        }
        if (i + 1 >= args_.size()) throw UsageError{"--" + name + " needs a value"};
        values.push_back(args_[i + 1]);
        args_.erase(args_.begin() + static_cast<long>(i), args_.begin() + static_cast<long>(i) + 2);
    }
    return values;
}

std::optional<std::string> Args::Option(const std::string& name) {
    auto all = Options(name);
    if (all.empty()) return std::nullopt;
    return all.back();
}

bool Args::Flag(const std::string& name) {
    bool found = false;
    for (size_t i = 0; i < args_.size();) {
        if (args_[i] == "--" + name) {
            args_.erase(args_.begin() + static_cast<long>(i));
            found = true;
        } else {
            ++i;
        }
    }
    return found;
}

int64_t Args::Number(const std::string& name, int64_t fallback, int64_t min, int64_t max) {
    auto text = Option(name);
    if (!text) return fallback;
    size_t used = 0;
    int64_t v = 0;
    try {
        v = std::stoll(*text, &used, 10);
    } catch (...) {
        used = 0;
    }
    if (used == 0 || used != text->size() || v < min || v > max)
        throw UsageError{"--" + name + " must be a whole number from " + std::to_string(min) +
                         " to " + std::to_string(max) + ", not \"" + *text + "\""};
    return v;
}

std::vector<std::string> Args::Finish(size_t count) {
    for (const auto& a : args_)
        if (a.size() > 2 && a.rfind("--", 0) == 0) throw UsageError{"unknown option " + a};
    if (args_.size() != count)
        throw UsageError{"expected " + std::to_string(count) + " argument(s), got " +
                         std::to_string(args_.size())};
    return args_;
}

}  // namespace kb::engine
