#pragma once
// What a box shows of its text. A box that names every file it is about (the files not
// replaced, the entries not unpacked, the pieces already there) would grow past the screen, so
// a box shows the start of each long list, and the whole lists go into its details, which the
// user opens on request. A path thousands of characters long would do the same: it is shown
// cut in its middle, and the whole text goes into the details.
//
// A list is a line ending in ":" followed by its items, one a line, up to an empty line or the
// end of the text. Lines end in CR, LF or CR LF, as the program's texts do. A word is what
// lies between blanks and line breaks; its length is counted in characters (UTF-8 sequences).

#include <cstddef>
#include <limits>
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

// ShortenLists, and then each word longer than `longestWord` characters keeps its first and
// last characters, "…" standing for the middle, so that it is `longestWord` long. Once a word
// is cut, the details are the whole text as it was given.
ShortenedText ShortenText(const std::string& text,
                          size_t longestWord = std::numeric_limits<size_t>::max());

// The length of the text's longest word, in characters.
size_t LongestWord(const std::string& text);

}  // namespace kb
