#include "app/core/box_lists.h"

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

}  // namespace

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
