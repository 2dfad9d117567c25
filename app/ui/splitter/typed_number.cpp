#include "app/ui/splitter/typed_number.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kb {

namespace {

// Length of a decimal number at the start of s: sign, digits, one point, digits.
size_t NumberLength(const std::string& s, size_t start) {
    size_t i = start;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t digits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    }
    return digits == 0 ? 0 : i - start;
}

}  // namespace

double LeadingNumber(const std::string& text) {
    const size_t start = text.find_first_not_of(' ');
    if (start == std::string::npos) return 0;
    const size_t n = NumberLength(text, start);
    return n == 0 ? 0 : std::strtod(text.substr(start, n).c_str(), nullptr);
}

std::optional<double> WholeNumber(const std::string& text) {
    const size_t start = text.find_first_not_of(' ');
    if (start == std::string::npos) return std::nullopt;
    const size_t n = NumberLength(text, start);
    if (n == 0 || text.find_first_not_of(' ', start + n) != std::string::npos) return std::nullopt;
    const double v = std::strtod(text.substr(start, n).c_str(), nullptr);
    return std::round(v * 10000.0) / 10000.0;
}

std::string NumberText(double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.4f", value);
    std::string s = buf;
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s == "-0" ? "0" : s;
}

}  // namespace kb
