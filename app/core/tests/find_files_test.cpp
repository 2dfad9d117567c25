#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/core/find_files.h"
#include "app/core/kb_error.h"
#include "app/core/like_pattern.h"
#include "app/core/testing/temp_folder.h"

namespace kb {
namespace {

TEST(Like, MatchesTheRuntimesWildcards) {
    struct Case { const char* text; const char* pattern; bool expected; } cases[] = {
        {"x.uft", "*.uft", true},
        {"X.UFT", "*.uft", false},  // letter case counts
        {".uft", "*.uft", true},
        {"x.uft.bak", "*.uft", false},
        {"abc", "a?c", true},
        {"ac", "a?c", false},
        {"a1c", "a#c", true},
        {"abc", "a#c", false},
        {"aXb", "a*X*b", true},
        {"aaab", "*a*ab", true},
        {"", "*", true},
        {"", "", true},
        {"a", "", false},
        {"b", "[abc]", true},
        {"d", "[abc]", false},
        {"d", "[!abc]", true},
        {"q", "[a-z]", true},
        {"Q", "[a-z]", false},
        {"-", "[a-]", true},
        {"-", "[-a]", true},
        {"*", "[*]", true},
        {"x", "[*]", false},
        {"[", "[[]", true},
        {"a]", "a]", true},
        {"ab", "a[]b", true},  // "[]" is the zero-length text
        {"file7.frg", "file#.[fe]rg", true},
        {"\xC3\xA9.txt", "?.txt", true},  // one character, two bytes
        {"\xC3\xA9", "[\xC3\xA0-\xC3\xBF]", true},
        {"\xFF", "?", true},  // a stray byte is a character of its own
    };
    for (const auto& c : cases) EXPECT_EQ(Like(c.text, c.pattern), c.expected) << c.text << " Like " << c.pattern;
}

TEST(Like, InvalidPatternRaises93) {
    for (const char* p : {"[abc", "x[", "[z-a]"}) {
        try {
            Like("x", p);
            ADD_FAILURE() << p;
        } catch (const KbError& e) {
            EXPECT_EQ(e.Number(), err::InvalidPatternString) << p;
        }
    }
}

class FindFilesTest : public ::testing::Test {
protected:
    testing::TempFolder dir;
    void SetUp() override {
        dir.Write("x.uft", "1");
        dir.Write("X.UFT", "2");
        dir.Write("notes.txt", "3");
        dir.Write("a/y.uft", "4");
        dir.Write("a/b/z.uft", "5");
        dir.Write("c/w.uft", "6");
        ASSERT_EQ(symlink("..", dir.File("a/up").c_str()), 0);         // never followed
        ASSERT_EQ(symlink("x.uft", dir.File("link.uft").c_str()), 0);  // a link to a file counts
        ASSERT_EQ(symlink("gone", dir.File("dangling.uft").c_str()), 0);
        ASSERT_EQ(mkfifo(dir.File("pipe.uft").c_str(), 0600), 0);       // not a regular file
    }
    std::vector<std::string> Find(std::string folder, const char* folderPattern, const char* namePattern) {
        std::vector<std::string> results;
        FindFiles(folder, folderPattern, namePattern, results);
        std::sort(results.begin(), results.end());
        return results;
    }
};

TEST_F(FindFilesTest, ListsMatchingRegularFilesOfTheWholeTree) {
    std::string folder = dir.Path();
    std::vector<std::string> results{"kept"};
    FindFiles(folder, "*", "*.uft", results);
    EXPECT_EQ(folder, dir.Path() + "/");  // the caller's variable gets its "/"
    std::sort(results.begin(), results.end());
    std::string d = dir.Path() + "/";
    EXPECT_EQ(results, (std::vector<std::string>{d + "a/b/z.uft", d + "a/y.uft", d + "c/w.uft", d + "link.uft",
                                                 d + "x.uft", "kept"}));
}

TEST_F(FindFilesTest, FolderPatternSelectsFoldersButTheSearchStillDescends) {
    std::string d = dir.Path() + "/";
    EXPECT_EQ(Find(d, "*/a/*", "*"), (std::vector<std::string>{d + "a/b/z.uft", d + "a/y.uft"}));
    EXPECT_EQ(Find(d, "*/a/", "*"), (std::vector<std::string>{d + "a/y.uft"}));
    EXPECT_TRUE(Find(d + "missing", "*", "*").empty());
    std::vector<std::string> results;
    std::string folder = d;
    EXPECT_THROW(FindFiles(folder, "*", "[x", results), KbError);
}

TEST_F(FindFilesTest, StarDotStarFindsEveryFileAlsoOnesWithoutADot) {
    // A folder search for "*.*" is the user's "all files", though Like itself wants a dot.
    dir.Write("Makefile", "7");
    dir.Write("a/README", "8");
    std::string d = dir.Path() + "/";
    EXPECT_EQ(Find(d, "*", "*.*"), Find(d, "*", "*"));
    EXPECT_EQ(Find(d, "*", "*.*").size(), 9u);
    EXPECT_FALSE(Like("README", "*.*"));
    EXPECT_EQ(Find(d, "*", "*.?"), std::vector<std::string>{});  // other patterns keep Like's rules
    EXPECT_EQ(Find(d, "*", "*."), std::vector<std::string>{});
}

}  // namespace
}  // namespace kb
