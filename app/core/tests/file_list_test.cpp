#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

#include "app/core/file_list.h"
#include "app/core/kb_error.h"
#include "app/core/testing/temp_folder.h"

namespace kb {
namespace {

int ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const KbError& e) {
        return e.Number();
    }
    return 0;
}

class FileListTest : public ::testing::Test {
protected:
    testing::TempFolder dir;
    FileList list;
};

TEST_F(FileListTest, BareNameKeysRefuseASecondFileOfTheSameNameFullPathKeysKeepIt) {
    std::string one = dir.Write("one/report.txt", "12345");
    std::string two = dir.Write("two/report.txt", "123");
    list.Add(one, false);
    EXPECT_EQ(ErrorOf([&] { list.Add(two, false); }), err::KeyAlreadyAssociated);
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(list.Item(two), one);  // a full path finds the item added under its bare name
    EXPECT_EQ(list.Item("report.txt", true), one);

    list.Clear();
    list.Add(one, true);
    list.Add(two, true);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.Item(two, true), two);
    EXPECT_EQ(ErrorOf([&] { list.Item(two); }), err::InvalidArgument);  // bare key unknown
    EXPECT_EQ(list.SmallestFile(), 3);
}

TEST_F(FileListTest, NamesThatDifferOnlyInCaseAreTwoFiles) {
    std::string upper = dir.Write("Report.txt", "a");
    std::string lower = dir.Write("report.txt", "b");
    list.Add(upper, false);
    list.Add(lower, false);
    EXPECT_EQ(list.Item("Report.txt"), upper);
    EXPECT_EQ(list.Item("report.txt"), lower);
    EXPECT_EQ(ErrorOf([&] { list.Item("REPORT.TXT"); }), err::InvalidArgument);
}

TEST_F(FileListTest, PositionsKeysAndErrors) {
    std::vector<std::string> files;
    for (const char* n : {"a.tar.gz", "b", "c.txt"}) {
        files.push_back(dir.Write(n, n));
        list.Add(files.back(), false);
    }
    EXPECT_EQ(list.Item(1), files[0]);
    EXPECT_EQ(list.TruncFileName(files[0]), "a.tar.gz");
    if (dir.Path().find('.') == std::string::npos) {  // the stem is cut at the path's first dot
        EXPECT_EQ(list.ItemStem(1), dir.Path() + "/a.");
        EXPECT_EQ(list.ItemStem("b"), "");
    }
    EXPECT_EQ(ErrorOf([&] { list.Item(0); }), err::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { list.Item(4); }), err::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { list.Remove(4); }), err::SubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { list.Remove("zzz"); }), err::InvalidArgument);

    list.Remove(1);
    list.Remove("c.txt");
    EXPECT_EQ(list.NewEnum(), (std::vector<std::string>{files[1]}));
    EXPECT_EQ(list.Item("b"), files[1]);  // keys follow the items that moved up
    list.Add(files[0], false);
    std::vector<std::string> seen(list.begin(), list.end());
    EXPECT_EQ(seen, (std::vector<std::string>{files[1], files[0]}));
}

TEST_F(FileListTest, AddRefusesWhatCannotBeOpened) {
    ASSERT_EQ(mkfifo(dir.File("pipe").c_str(), 0600), 0);
    struct Case { std::string path; int error; } cases[] = {
        {dir.File("missing.txt"), err::FileNotFound},
        {"", err::FileNotFound},
        {dir.Path(), err::PathFileAccess},          // a folder
        {dir.File("pipe"), err::PathFileAccess},    // never waited on
    };
    for (const auto& c : cases) EXPECT_EQ(ErrorOf([&] { list.Add(c.path, true); }), c.error) << c.path;
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.SmallestFile(), -1);
}

TEST_F(FileListTest, FolderContentsAreKeyedByPathAndASecondRunAddsNothing) {
    dir.Write("t/a.uft", "aaaa");
    dir.Write("t/sub/b.uft", "bb");
    dir.Write("t/sub/c.txt", "c");
    ASSERT_EQ(mkfifo(dir.File("t/pipe.uft").c_str(), 0600), 0);
    list.AddFolderContents(dir.File("t"), "*.uft");
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.FilesUnaddable(), 0);
    EXPECT_EQ(list.Item(dir.File("t/sub/b.uft"), true), dir.File("t/sub/b.uft"));
    EXPECT_EQ(list.SmallestFile(), 2);

    list.AddFolderContents(dir.File("t") + "/", "*.uft");
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.FilesUnaddable(), 2);
    EXPECT_EQ(ErrorOf([&] { list.AddFolderContents(dir.File("t"), "[a"); }), err::InvalidPatternString);
}

}  // namespace
}  // namespace kb
