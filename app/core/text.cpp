// Naming templates, text, sizes and the version number (see text.h).
#include "app/core/text.h"

#include "app/core/paths.h"
#include "app/core/version.h"

namespace kb {

std::string ExpandNamingTemplate(const std::string& fileName, int32_t number,
                                 const std::string& tmpl) {
    std::string name = GetFileNameFromPath(fileName);
    if (name.find('.') == std::string::npos) name += '.';
    const size_t dot = name.rfind('.');
    const std::string base = name.substr(0, dot);
    const std::string extension = name.substr(dot + 1);
    const std::string digits = std::to_string(number);
    const std::string padded = digits.size() < 3 ? std::string(3 - digits.size(), '0') + digits : digits;

    std::string result = ReplaceAll(tmpl, "%f", base);
    result = ReplaceAll(result, "%x", extension);
    result = ReplaceAll(result, "%n", digits);
    return ReplaceAll(result, "%N", padded);
}

TemplateFault NamingTemplateFault(const std::string& tmpl) {
    if (tmpl.find('/') != std::string::npos) return TemplateFault::Slash;
    if (tmpl.find("%n") == std::string::npos && tmpl.find("%N") == std::string::npos)
        return TemplateFault::NoNumber;
    return TemplateFault::None;
}

bool TemplateNumbersPieces(const std::string& tmpl) {
    return NamingTemplateFault(tmpl) == TemplateFault::None;
}

std::string ReplaceAll(const std::string& text, const std::string& find,
                       const std::string& replacement) {
    if (find.empty()) return text;
    std::string result;
    size_t from = 0;
    for (size_t at; (at = text.find(find, from)) != std::string::npos; from = at + find.size()) {
        result.append(text, from, at - from);
        result += replacement;
    }
    result.append(text, from, std::string::npos);
    return result;
}

std::vector<std::string> ParseArguments(const std::string& commandLine) {
    std::vector<std::string> args;
    std::string rest = commandLine;
    do {
        const size_t first = rest.find_first_not_of(' ');
        if (first == std::string::npos) rest.clear();
        else rest = rest.substr(first, rest.find_last_not_of(' ') - first + 1);

        std::string arg;
        if (!rest.empty() && rest[0] == '"') {
            const size_t close = rest.find('"', 1);
            if (close == std::string::npos) break;  // an unclosed quote drops the rest
            arg = rest.substr(1, close - 1);
            rest.erase(0, close + 1);
        } else {
            const size_t blank = rest.find(' ', 1);
            arg = rest.substr(0, blank);
            rest = blank == std::string::npos ? std::string() : rest.substr(blank + 1);
        }
        args.push_back(std::move(arg));
    } while (!rest.empty());
    return args;
}

std::string FormatByteSize(int64_t bytes) {
    constexpr int64_t K = 1024, M = K * K, G = M * K, T = G * K;
    if (bytes < 10 * K) return std::to_string(bytes) + " bytes";
    if (bytes < 10 * M) return std::to_string(bytes / K) + " kb";
    if (bytes < 10 * G) return std::to_string(bytes / M) + " Mb";
    if (bytes < 10 * T) return std::to_string(bytes / G) + " Gb";
    return std::to_string(bytes / T) + " Tb";
}

float VersionNumber(int major, int minor, int revision) {
    return static_cast<float>(minor / 100.0 + major + revision / 10000.0);
}

float GetVersionNumber() { return VersionNumber(kVersionMajor, kVersionMinor, kVersionRevision); }

}  // namespace kb
