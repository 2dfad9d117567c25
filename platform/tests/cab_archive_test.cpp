#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <filesystem>

#include "app/core/testing/temp_folder.h"
#include "platform/cab_archive.h"

namespace kb::platform {
namespace {

namespace fs = std::filesystem;
using kb::testing::ReadAll;
using kb::testing::TempFolder;

// A selection with a nested tree, an empty file and the kinds of entry an archive must not
// take: a FIFO and a link to a folder outside.
struct Selection {
    TempFolder src;
    TempFolder outside;
    std::string single, tree;
    Selection() {
        single = src.Write("single.bin", kb::testing::RandomBytes(300000, 3));
        tree = src.File("tree");
        fs::create_directories(tree + "/sub/deeper");
        src.Write("tree/top.txt", "top level\n");
        src.Write("tree/sub/deeper/data.bin", kb::testing::RandomBytes(70000, 4));
        src.Write("tree/sub/empty.txt", "");
        mkfifo((tree + "/pipe").c_str(), 0600);
        outside.Write("secret.txt", "must not be gathered");
        fs::create_directory_symlink(outside.Path(), tree + "/linked");
    }
};

std::vector<std::string> Names(const std::vector<CabEntry>& entries) {
    std::vector<std::string> names;
    for (const CabEntry& e : entries) names.push_back(e.nameInside);
    return names;
}

TEST(CabArchive, GathersAndCompressesASelectionThatUnpacksToTheSameTree) {
    Selection sel;
    const std::vector<CabEntry> entries = CollectCabEntries({sel.single}, {sel.tree});
    EXPECT_EQ(Names(entries),
              (std::vector<std::string>{"single.bin", "tree\\sub\\deeper\\data.bin",
                                        "tree\\sub\\empty.txt", "tree\\top.txt"}));
    for (CabKind kind : {CabKind::Stored, CabKind::MsZip}) {
        TempFolder work;
        const std::string cab = work.File("out.cab");
        // Every byte of the selection is read, and counted, once.
        std::atomic<uint64_t> read{0};
        BuildCab(cab, entries, kind, &read);
        EXPECT_EQ(read.load(), 300000u + 10 + 70000);
        EXPECT_EQ(std::system(("cabextract -q -t '" + cab + "' >/dev/null").c_str()), 0);
        EXPECT_EQ(fs::status(cab).permissions() & fs::perms::others_read, fs::perms::none);

        const std::string dest = work.File("dest");
        int calls = 0;
        ExtractCab(cab, dest, [&](const std::string&, int p) {
            EXPECT_GE(p, 0);
            EXPECT_LE(p, 100);
            ++calls;
        });
        EXPECT_EQ(calls, 4);
        EXPECT_EQ(ReadAll(dest + "/single.bin"), ReadAll(sel.single));
        EXPECT_EQ(ReadAll(dest + "/tree/sub/deeper/data.bin"),
                  ReadAll(sel.tree + "/sub/deeper/data.bin"));
        EXPECT_EQ(ReadAll(dest + "/tree/top.txt"), "top level\n");
        EXPECT_TRUE(fs::is_regular_file(dest + "/tree/sub/empty.txt"));
        EXPECT_FALSE(fs::exists(dest + "/tree/linked"));
        EXPECT_FALSE(fs::exists(dest + "/tree/pipe"));
    }
}

// Selected files of one name from different folders are common; each gets a name of its own,
// and cabextract unpacks every one of them.
TEST(CabArchive, SameNamedSelectionsGetNumberedNamesKeepingTheirExtension) {
    TempFolder src;
    std::vector<std::string> files;
    for (const char* path : {"a/readme.txt", "b/readme.txt", "c/readme.txt", "a/.profile",
                             "b/.profile", "a/notes", "b/notes", "a/docs"})
        files.push_back(src.Write(path, std::string("content of ") + path));
    src.Write("x/docs/in.txt", "first folder");
    src.Write("y/docs/in.txt", "second folder");
    const std::vector<CabEntry> entries =
        CollectCabEntries(files, {src.File("x/docs"), src.File("y/docs")});
    const std::vector<std::string> expected = {
        "readme.txt", "readme (2).txt", "readme (3).txt", ".profile", ".profile (2)",
        "notes",      "notes (2)",      "docs",           "docs (2)\\in.txt", "docs (3)\\in.txt"};
    EXPECT_EQ(Names(entries), expected);

    TempFolder work;
    const std::string cab = work.File("same.cab");
    BuildCab(cab, entries, CabKind::Stored);
    const std::string dest = work.File("dest");
    fs::create_directories(dest);
    ASSERT_EQ(std::system(("cabextract -q -d '" + dest + "' '" + cab + "'").c_str()), 0);
    for (const CabEntry& e : entries) {
        std::string rel = e.nameInside;
        std::replace(rel.begin(), rel.end(), '\\', '/');
        EXPECT_EQ(ReadAll(dest + "/" + rel), ReadAll(e.sourcePath)) << rel;
    }
}

time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

void SetModificationTime(const std::string& path, time_t mtime) {
    const timespec times[2] = {{mtime, 0}, {mtime, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// Each file's modification time goes into the archive as the local date and time other
// readers show, and comes back out on that file only: its access time is not touched.
TEST(CabArchive, EachFileKeepsItsModificationTimeThroughTheArchive) {
    TempFolder src, work;
    struct Case {
        const char* name;
        time_t mtime;
        time_t stored;  // what an archive can hold: 1980 to the end of 2107
    } cases[] = {
        {"tree/top.txt", LocalTime(2019, 7, 14, 12, 34, 56), LocalTime(2019, 7, 14, 12, 34, 56)},
        {"tree/sub/inner.bin", LocalTime(2001, 2, 3, 4, 5, 6), LocalTime(2001, 2, 3, 4, 5, 6)},
        {"tree/epoch.txt", 0, LocalTime(1980, 1, 1, 0, 0, 0)},
        {"tree/late.txt", LocalTime(2150, 6, 1, 8, 0, 0), LocalTime(2107, 12, 31, 23, 59, 58)},
    };
    for (const Case& c : cases) SetModificationTime(src.Write(c.name, c.name), c.mtime);
    const std::string cab = work.File("dated.cab");
    BuildCab(cab, CollectCabEntries({}, {src.File("tree")}), CabKind::MsZip);

    const std::string listing = work.File("listing.txt");
    ASSERT_EQ(std::system(("cabextract -l '" + cab + "' > '" + listing + "'").c_str()), 0);
    const std::string listed = ReadAll(listing);
    const time_t now = std::time(nullptr);
    ExtractCab(cab, work.File("dest"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        char shown[32];
        std::tm tm{};
        localtime_r(&c.stored, &tm);
        std::strftime(shown, sizeof shown, "%d.%m.%Y %H:%M:%S", &tm);
        EXPECT_NE(listed.find(std::string(shown) + " | " + c.name), std::string::npos) << listed;

        struct stat st {};
        ASSERT_EQ(stat(work.File(std::string("dest/") + c.name).c_str(), &st), 0);
        EXPECT_EQ(st.st_mtim.tv_sec, c.stored);
        EXPECT_GE(st.st_atim.tv_sec, now - 60) << "the access time is the unpacking's own";
    }
}

TEST(CabArchive, UnpacksAnArchiveMadeByTheGcabTool) {
    TempFolder work;
    work.Write("in/a.txt", "alpha\n");
    work.Write("in/dir/b.bin", kb::testing::RandomBytes(50000, 9));
    const std::string cab = work.File("tool.cab");
    ASSERT_EQ(std::system(("cd '" + work.Path() + "/in' && gcab -c -z '" + cab +
                           "' a.txt dir/b.bin")
                              .c_str()),
              0);
    ExtractCab(cab, work.File("dest"));
    EXPECT_EQ(ReadAll(work.File("dest/a.txt")), "alpha\n");
    EXPECT_EQ(ReadAll(work.File("dest/dir/b.bin")), ReadAll(work.File("in/dir/b.bin")));
}

TEST(CabArchive, EntriesLeadingOutsideTheDestinationAreNotWritten) {
    TempFolder work, outside;
    const std::string data = work.Write("data.txt", "payload");
    const std::string cab = work.File("evil.cab");
    BuildCab(cab,
             {{data, "..\\up.txt", 7}, {data, "\\abs.txt", 7}, {data, "link\\through.txt", 7},
              {data, "a\\..\\..\\up2.txt", 7}, {data, "ok\\fine.txt", 7}},
             CabKind::Stored);
    const std::string dest = work.File("dest");
    fs::create_directories(dest);
    fs::create_directory_symlink(outside.Path(), dest + "/link");
    try {
        ExtractCab(cab, dest);
        ADD_FAILURE() << "unsafe entries passed";
    } catch (const CabError& e) {
        const std::string what = e.what();
        for (const char* name : {"..\\up.txt", "\\abs.txt", "link\\through.txt"})
            EXPECT_NE(what.find(name), std::string::npos) << what;
    }
    EXPECT_EQ(ReadAll(dest + "/ok/fine.txt"), "payload");
    EXPECT_FALSE(fs::exists(work.File("up.txt")));
    EXPECT_FALSE(fs::exists(outside.File("through.txt")));
    EXPECT_FALSE(fs::exists("/abs.txt"));
}

TEST(CabArchive, FilesAlreadyInTheDestinationAreKept) {
    TempFolder work;
    const std::string data = work.Write("data.txt", "from the archive");
    const std::string cab = work.File("set.cab");
    BuildCab(cab, {{data, "mine.txt", 16}, {data, "dir\\new.txt", 16}, {data, "dir\\old.txt", 16}},
             CabKind::Stored);
    const std::string dest = work.File("dest");
    work.Write("dest/mine.txt", "the user's own");
    work.Write("dest/dir/old.txt", "the user's nested own");
    try {
        ExtractCab(cab, dest);
        ADD_FAILURE() << "an existing file was overwritten without a word";
    } catch (const CabError& e) {
        EXPECT_NE(std::string(e.what()).find(
                      "already in the destination folder:\nmine.txt\ndir/old.txt"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_EQ(ReadAll(dest + "/mine.txt"), "the user's own");
    EXPECT_EQ(ReadAll(dest + "/dir/old.txt"), "the user's nested own");
    EXPECT_EQ(ReadAll(dest + "/dir/new.txt"), "from the archive");
}

// An archive whose entry claims more data than the archive holds after it (stored, so the
// entries lie one after another).
std::string CabWithAShortEntry(const TempFolder& work, const std::string& shortName) {
    std::vector<CabEntry> entries;
    for (const char* name : {"a.txt", "b.txt", "dir\\old.txt", "c.txt", "dir\\d.txt"})
        entries.push_back({work.Write(std::string("src/") + name, std::string(1000, name[0])),
                           name, 1000});
    const std::string cab = work.File("short.cab");
    BuildCab(cab, entries, CabKind::Stored);
    std::string bytes = ReadAll(cab);
    // A file record: 32-bit size, 32-bit offset, folder, date, time, attributes, then the name.
    const size_t at = bytes.find(shortName + '\0');
    EXPECT_NE(at, std::string::npos);
    const uint32_t size = 100000;
    std::memcpy(&bytes[at - 16], &size, sizeof size);
    std::ofstream(cab, std::ios::binary | std::ios::trunc) << bytes;
    return cab;
}

// The entry that breaks off leaves no half-written file behind, the entries after it are still
// written (a file the user had is kept all the same), and the error lists what was not written,
// each under the path it would have had.
TEST(CabArchive, AnEntryThatBreaksOffIsRemovedAndTheOthersAreStillWritten) {
    const struct {
        std::string shortName, shown;
    } cases[] = {{"b.txt", "b.txt"}, {"c.txt", "c.txt"}, {"dir\\d.txt", "dir/d.txt"}};
    for (const auto& [shortName, shown] : cases) {
        SCOPED_TRACE(shortName);
        TempFolder work;
        const std::string cab = CabWithAShortEntry(work, shortName);
        const std::string dest = work.File("dest");
        work.Write("dest/dir/old.txt", "the user's own");
        std::string what;
        try {
            ExtractCab(cab, dest);
        } catch (const CabError& e) {
            what = e.what();
        }
        EXPECT_NE(what.find("could not be unpacked and were not written:\n" + shown +
                            " (Unexpected early end-of-stream)"),
                  std::string::npos)
            << what;
        EXPECT_NE(what.find("already in the destination folder:\ndir/old.txt"), std::string::npos)
            << what;
        EXPECT_EQ(what.find("dir/old.txt"), what.rfind("dir/old.txt")) << "named once: " << what;
        EXPECT_FALSE(fs::exists(dest + "/" + shown));
        EXPECT_EQ(ReadAll(dest + "/dir/old.txt"), "the user's own");
        for (const std::string name : {"a.txt", "b.txt", "c.txt"}) {
            if (name == shortName) continue;
            EXPECT_EQ(ReadAll(dest + "/" + name), std::string(1000, name[0])) << name;
        }
    }
}

TEST(CabArchive, SafeEntryPathsAndTheSizeLimit) {
    EXPECT_EQ(SafeEntryPath("a\\b\\c.txt"), "a/b/c.txt");
    for (const char* bad : {"", "/x", "\\x", "a\\..\\b", "..", "a\\\\b", "a\\.\\b", "a\\"})
        EXPECT_EQ(SafeEntryPath(bad), "") << bad;

    TempFolder work;
    const std::string data = work.Write("d", "x");
    const std::string cab = work.File("big.cab");
    EXPECT_THROW(BuildCab(cab, {{data, "a", kCabMaxTotalBytes}, {data, "b", 1}}, CabKind::Stored),
                 CabError);
    EXPECT_FALSE(fs::exists(cab));
    // Exactly the limit passes the size check (and then fails on the shared name, before
    // anything is written).
    try {
        BuildCab(cab, {{data, "same", kCabMaxTotalBytes - 1}, {data, "same", 1}}, CabKind::Stored);
        ADD_FAILURE() << "built";
    } catch (const CabError& e) {
        EXPECT_EQ(std::string(e.what()).find("The selection holds"), std::string::npos) << e.what();
    }
    EXPECT_THROW(BuildCab(cab, {{data, "same", 1}, {data, "same", 1}}, CabKind::Stored),
                 CabError);
    EXPECT_THROW(ExtractCab(data, work.File("out")), CabError);
}

}  // namespace
}  // namespace kb::platform
