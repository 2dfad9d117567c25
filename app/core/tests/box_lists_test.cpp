#include <gtest/gtest.h>

#include <string>

#include "app/core/box_lists.h"

namespace kb {
namespace {

// "name <first>", ... "name <last>", the lines broken by `end`.
std::string Names(int first, int last, const std::string& end) {
    std::string lines;
    for (int n = first; n <= last; ++n) lines += "name " + std::to_string(n) + (n < last ? end : "");
    return lines;
}

TEST(BoxLists, ALongListShowsItsFirstTenAndCountsTheRest) {
    struct Case {
        const char* what;
        std::string text, shown, details;
    } cases[] = {
        {"ten items stay", "Kept:\r" + Names(1, 10, "\r"), "Kept:\r" + Names(1, 10, "\r"), ""},
        {"a line without a colon is no list", "Kept\r" + Names(1, 12, "\r"),
         "Kept\r" + Names(1, 12, "\r"), ""},
        {"eleven", "Kept:\n" + Names(1, 11, "\n"), "Kept:\n" + Names(1, 10, "\n") + "\nand 1 more",
         "Kept:\n" + Names(1, 11, "\n")},
        {"two hundred, text after the list",
         "Not written:\r\n" + Names(1, 200, "\r\n") + "\r\n\r\nThe data has been kept.",
         "Not written:\r\n" + Names(1, 10, "\r\n") + "\r\nand 190 more\r\n\r\nThe data has been kept.",
         "Not written:\n" + Names(1, 200, "\n")},
        {"two lists, one cut",
         "A:\n" + Names(1, 3, "\n") + "\n\nB:\n" + Names(1, 12, "\n") + "\n",
         "A:\n" + Names(1, 3, "\n") + "\n\nB:\n" + Names(1, 10, "\n") + "\nand 2 more\n",
         "B:\n" + Names(1, 12, "\n")},
        {"an item ending in a colon is an item",
         "Files:\r" + Names(1, 5, "\r") + "\rodd:\r" + Names(6, 12, "\r"),
         "Files:\r" + Names(1, 5, "\r") + "\rodd:\r" + Names(6, 9, "\r") + "\rand 3 more",
         "Files:\n" + Names(1, 5, "\n") + "\nodd:\n" + Names(6, 12, "\n")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ShortenedText s = ShortenLists(c.text);
        EXPECT_EQ(s.text, c.shown);
        EXPECT_EQ(s.details, c.details);
    }
}

TEST(BoxLists, AnOverlongWordIsCutInItsMiddleAndTheWholeTextGoesIntoTheDetails) {
    const std::string deep = "/home/user/" + std::string(40, 'a') + "/" + std::string(40, 'b');
    struct Case {
        const char* what;
        std::string text;
        size_t longest;
        std::string shown, details;
    } cases[] = {
        {"no word too long", "Unable to open /a/b.frg.", 9, "Unable to open /a/b.frg.", ""},
        {"a path cut to ten", "Unable to open " + deep + " now.", 10,
         "Unable to open /home\u2026bbbb now.", "Unable to open " + deep + " now."},
        {"two words, an odd length", "abcdefghij 0123456789\rok", 5,
         "ab\u2026ij 01\u202689\rok", "abcdefghij 0123456789\rok"},
        {"characters, not bytes", "\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9 x", 4,
         "\u00e9\u00e9\u2026\u00e9 x", "\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9 x"},
        {"a cut list and a cut word: the details are the whole text",
         "Kept:\n" + Names(1, 11, "\n") + "\n\nin " + deep, 12,
         "Kept:\n" + Names(1, 10, "\n") + "\nand 1 more\n\nin /home/\u2026bbbbb",
         "Kept:\n" + Names(1, 11, "\n") + "\n\nin " + deep},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ShortenedText s = ShortenText(c.text, c.longest);
        EXPECT_EQ(s.text, c.shown);
        EXPECT_EQ(s.details, c.details);
    }
    EXPECT_EQ(LongestWord("Unable to open " + deep + " now."), deep.size());
    EXPECT_EQ(LongestWord("\u00e9\u00e9 ab\rabc"), 3u);
    EXPECT_EQ(ShortenText("Kept:\n" + Names(1, 11, "\n")).details, "Kept:\n" + Names(1, 11, "\n"));
}

}  // namespace
}  // namespace kb
