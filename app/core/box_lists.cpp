#include "app/core/box_lists.h"

#include <algorithm>
#include <vector>

namespace kb {

namespace {

struct Line {
    std::string body;
    std::string end;  // the line's own break, "" for the last line
};

std::vector<Line> SplitLines(const std::string& text) {
    std::vector<Line> lines;
    size_t start = 0;
    while (true) {
        const size_t stop = text.find_first_of("\r\n", start);
        if (stop == std::string::npos) {
            lines.push_back({text.substr(start), ""});
            return lines;
        }
        const size_t next = text.compare(stop, 2, "\r\n") == 0 ? stop + 2 : stop + 1;
        lines.push_back({text.substr(start, stop - start), text.substr(stop, next - stop)});
        start = next;
    }
}

bool IsWordBreak(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A byte that starts a character: any but the continuation bytes of a UTF-8 sequence.
bool StartsCharacter(char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }

size_t Characters(const std::string& text, size_t from, size_t to) {
    size_t n = 0;
    for (size_t i = from; i < to; ++i) n += StartsCharacter(text[i]) ? 1 : 0;
    return n;
}

// Where the character `count` characters after `from` starts (or `to`).
size_t After(const std::string& text, size_t from, size_t to, size_t count) {
    size_t i = from;
    while (i < to && count > 0) {
        ++i;
        while (i < to && !StartsCharacter(text[i])) ++i;
        --count;
    }
    return i;
}

// Calls word(start, end) for each word of the text, in order.
template <typename F>
void ForEachWord(const std::string& text, F word) {
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsWordBreak(text[i])) ++i;
        const size_t start = i;
        while (i < text.size() && !IsWordBreak(text[i])) ++i;
        if (i > start) word(start, i);
    }
}

constexpr const char* kEllipsis = "\u2026";

}  // namespace

size_t LongestWord(const std::string& text) {
    size_t longest = 0;
    ForEachWord(text, [&](size_t start, size_t end) {
        longest = std::max(longest, Characters(text, start, end));
    });
    return longest;
}

ShortenedText ShortenText(const std::string& text, size_t longestWord) {
    ShortenedText out = ShortenLists(text);
    const std::string& shown = out.text;
    std::string cut;
    size_t copied = 0;
    bool anyCut = false;
    ForEachWord(shown, [&](size_t start, size_t end) {
        const size_t length = Characters(shown, start, end);
        if (length <= longestWord) return;
        const size_t kept = longestWord > 0 ? longestWord - 1 : 0;  // the "…" is one
        const size_t head = After(shown, start, end, (kept + 1) / 2);
        const size_t tail = After(shown, start, end, length - kept / 2);
        cut.append(shown, copied, head - copied);
        cut += kEllipsis;
        copied = tail;
        anyCut = true;
    });
    if (!anyCut) return out;
    cut.append(shown, copied, std::string::npos);
    return {cut, text};
}

ShortenedText ShortenLists(const std::string& text) {
    const std::vector<Line> lines = SplitLines(text);
    ShortenedText out;
    size_t i = 0;
    while (i < lines.size()) {
        const Line& heading = lines[i++];
        out.text += heading.body + heading.end;
        if (!heading.body.ends_with(':')) continue;
        size_t end = i;
        while (end < lines.size() && !lines[end].body.empty()) ++end;
        const size_t count = end - i;
        const size_t shown = count > kItemsShown ? kItemsShown : count;
        for (size_t k = i; k < i + shown; ++k) out.text += lines[k].body + lines[k].end;
        if (count > shown) {
            out.text += "and " + std::to_string(count - shown) + " more" + lines[end - 1].end;
            if (!out.details.empty()) out.details += "\n\n";
            out.details += heading.body;
            for (size_t k = i; k < end; ++k) out.details += "\n" + lines[k].body;
        }
        i = end;
    }
    return out;
}

}  // namespace kb
