#pragma once
// Lists of names in a box's text. A box that names every file it is about (the files not
// replaced, the entries not unpacked, the pieces already there) would grow past the screen, so
// a box shows the start of each long list, and the whole lists go into its details, which the
// user opens on request.
//
// A list is a line ending in ":" followed by its items, one a line, up to an empty line or the
// end of the text. Lines end in CR, LF or CR LF, as the program's texts do.

#include <cstddef>
#include <string>

namespace kb {

// Items a box shows of a list; the rest are counted in one line, "and 190 more".
inline constexpr size_t kItemsShown = 10;

struct ShortenedText {
    std::string text;     // the text with every long list cut
    std::string details;  // each list that was cut, whole under its line; "" when none was
};

// Each list of more than kItemsShown items keeps its first kItemsShown and "and N more" for
// the others; the rest of the text stays as it is.
ShortenedText ShortenLists(const std::string& text);

}  // namespace kb
