#include "app/core/like_pattern.h"

#include <utility>
#include <vector>

#include "app/core/kb_error.h"

namespace kb {

namespace {

// Bytes that begin no valid UTF-8 sequence become values above every code point.
constexpr char32_t kStrayByte = 0x110000;

std::u32string Characters(const std::string& s) {
    std::u32string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        auto b = static_cast<unsigned char>(s[i]);
        size_t len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        char32_t cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
        bool ok = len != 0 && i + len <= s.size();
        for (size_t k = 1; ok && k < len; ++k) {
            auto c = static_cast<unsigned char>(s[i + k]);
            ok = (c >> 6) == 2;
            cp = (cp << 6) | (c & 0x3F);
        }
        // Overlong forms and values past the last code point are not characters either.
        static const char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
        if (ok && (cp < kMin[len] || cp > 0x10FFFF)) ok = false;
        if (!ok) {
            out += kStrayByte + b;
            ++i;
        } else {
            out += cp;
            i += len;
        }
    }
    return out;
}

struct Token {
    enum Kind { Char, AnyOne, Digit, Star, Set };
    explicit Token(Kind k, char32_t c = 0) : kind(k), ch(c) {}

    Kind kind;
    char32_t ch;
    bool negated = false;
    std::vector<std::pair<char32_t, char32_t>> ranges;

    bool Matches(char32_t c) const {
        switch (kind) {
        case Char: return c == ch;
        case AnyOne: return true;
        case Digit: return c >= U'0' && c <= U'9';
        case Set: {
            bool in = false;
            for (const auto& [lo, hi] : ranges) in = in || (c >= lo && c <= hi);
            return in != negated;
        }
        case Star: break;
        }
        return false;
    }
};

[[noreturn]] void InvalidPattern() { throw KbError(err::InvalidPatternString, "Like"); }

std::vector<Token> Compile(const std::u32string& p) {
    std::vector<Token> tokens;
    for (size_t i = 0; i < p.size(); ++i) {
        char32_t c = p[i];
        if (c == U'*') {
            if (tokens.empty() || tokens.back().kind != Token::Star) tokens.emplace_back(Token::Star);
        } else if (c == U'?') {
            tokens.emplace_back(Token::AnyOne);
        } else if (c == U'#') {
            tokens.emplace_back(Token::Digit);
        } else if (c != U'[') {
            tokens.emplace_back(Token::Char, c);
        } else {
            size_t close = p.find(U']', i + 1);
            if (close == std::u32string::npos) InvalidPattern();
            std::u32string list = p.substr(i + 1, close - i - 1);
            i = close;
            if (list.empty()) continue;  // "[]" stands for the zero-length text
            Token set(Token::Set);
            size_t k = 0;
            if (list[0] == U'!') {
                set.negated = true;
                k = 1;
            }
            for (; k < list.size(); ++k) {
                char32_t lo = list[k], hi = lo;
                // A "-" between two characters makes a range; first or last it is itself.
                if (k + 2 < list.size() && list[k + 1] == U'-') {
                    hi = list[k + 2];
                    k += 2;
                    if (hi < lo) InvalidPattern();
                }
                set.ranges.emplace_back(lo, hi);
            }
            tokens.push_back(std::move(set));
        }
    }
    return tokens;
}

}  // namespace

bool Like(const std::string& text, const std::string& pattern) {
    const std::vector<Token> tokens = Compile(Characters(pattern));
    const std::u32string s = Characters(text);
    // Every token but "*" takes exactly one character, so going back to the last "*" and
    // letting it take one more character is enough.
    size_t si = 0, ti = 0;
    size_t starToken = std::u32string::npos, starText = 0;
    while (si < s.size()) {
        if (ti < tokens.size() && tokens[ti].kind == Token::Star) {
            starToken = ti++;
            starText = si;
        } else if (ti < tokens.size() && tokens[ti].Matches(s[si])) {
            ++ti;
            ++si;
        } else if (starToken != std::u32string::npos) {
            ti = starToken + 1;
            si = ++starText;
        } else {
            return false;
        }
    }
    while (ti < tokens.size() && tokens[ti].kind == Token::Star) ++ti;
    return ti == tokens.size();
}

}  // namespace kb
