#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/core/big_file.h"
#include "app/core/kb_error.h"
#include "app/core/testing/temp_folder.h"

namespace kb {
namespace {

using testing::ReadAll;
using testing::TempFolder;

class BigFileTest : public ::testing::Test {
protected:
    TempFolder dir;
    void TearDown() override {
        for (int16_t s = 1; s <= platform::kMaxSlot; ++s) platform::bigfileClose(s);
    }
};

void ExpectError(const std::function<void()>& f, int number, const std::string& source,
                 const std::string& description) {
    try {
        f();
        ADD_FAILURE() << "no error from " << source;
    } catch (const KbError& e) {
        EXPECT_EQ(e.Number(), number);
        EXPECT_EQ(e.Source(), source);
        EXPECT_EQ(e.Description(), description);
    }
}

TEST_F(BigFileTest, WrappersRaiseTheirErrors) {
    const std::string missing = dir.File("missing.bin");
    ExpectError([&] { OpenBF(missing, 1, "rb"); }, 57, "OpenBF", "Unable to open file: " + missing);
    ExpectError([&] { OpenBF(missing, 1, "ab"); }, 57, "OpenBF", "Unable to open file: " + missing);
    ExpectError([&] { OpenBF(dir.Path(), 1, "rb"); }, 57, "OpenBF", "Unable to open file: " + dir.Path());
    ExpectError([&] { OpenBF(dir.Write("f", "x"), 1, "r"); }, 57, "OpenBF", "Unable to open file: " + dir.File("f"));
    ExpectError([] { CloseBF(1); }, 57, "CloseBF", "Unable to close file.");
    ExpectError([] { GetPosBF(2); }, 57, "GetPosBF", "Unable to get file position.");
    ExpectError([] { SetPosBF(2, 0); }, 57, "SetPosBF", "Unable to set file position.");
    OpenBF(dir.File("f"), 2, "rb");
    ExpectError([] { SetPosBF(2, -1); }, 57, "SetPosBF", "Unable to set file position.");
    EXPECT_EQ(FileSizeBF(missing), -1);
}

TEST_F(BigFileTest, FifoIsRefusedAtOnceInEveryMode) {
    // Opening a FIFO without a writer (or a reader) would wait for ever; a slot cannot seek in
    // one anyway. The alarm turns a hang into a failure.
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    alarm(10);
    for (const char* mode : {"rb", "wb", "ab"})
        ExpectError([&] { OpenBF(fifo, 1, mode); }, 57, "OpenBF", "Unable to open file: " + fifo);
    alarm(0);
    struct stat st {};
    ASSERT_EQ(stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));  // "wb" did not replace it
}

// A link planted under the name of an output or a piece is not written through.
TEST_F(BigFileTest, WritingModesRefuseALinkAndLeaveItsTarget) {
    const std::string target = dir.Write("target", "keep me");
    const std::string link = dir.File("link");
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    for (const char* mode : {"wb", "wbx", "ab"})
        ExpectError([&] { OpenBF(link, 1, mode); }, 57, "OpenBF", "Unable to open file: " + link);
    EXPECT_EQ(ReadAll(target), "keep me");
    OpenBF(link, 1, "rb");  // reading through a link is harmless
    CloseBF(1);
}

// "wbx" makes a new file, and only a new one.
TEST_F(BigFileTest, ExclusiveModeMakesANewFileOnly) {
    const std::string there = dir.Write("there", "keep me");
    ExpectError([&] { OpenBF(there, 1, "wbx"); }, 57, "OpenBF", "Unable to open file: " + there);
    EXPECT_EQ(ReadAll(there), "keep me");
    OpenBF(dir.File("new"), 1, "wbx");
    EXPECT_EQ(bigfileWrite("data", 4, 1), 4);
    CloseBF(1);
    EXPECT_EQ(ReadAll(dir.File("new")), "data");
}

TEST_F(BigFileTest, AppendModeStartsAtTheEndButSetPosMovesTheNextWrite) {
    const std::string p = dir.Write("piece", "xxxxxxxxxxxxDATA");
    OpenBF(p, 2, "ab");
    EXPECT_EQ(GetPosBF(2), 16);
    EXPECT_EQ(bigfileWrite("MORE", 4, 2), 4);
    SetPosBF(2, 0);
    EXPECT_EQ(bigfileWrite("RECORD123456", 12, 2), 12);
    EXPECT_EQ(GetPosBF(2), 12);
    CloseBF(2);
    EXPECT_EQ(ReadAll(p), "RECORD123456DATAMORE");

    OpenBF(p, 2, "wb");
    CloseBF(2);
    EXPECT_EQ(FileSizeBF(p), 0);
}

TEST_F(BigFileTest, ReadFillsTheBufferUpToTheEndOfFile) {
    const auto bytes = testing::RandomBytes(100000, 9);
    const std::string p = dir.Write("src", bytes);
    OpenBF(p, 1, "rb");
    std::vector<uint8_t> buf(70000);
    EXPECT_EQ(bigfileRead(buf.data(), 70000, 1), 70000);
    EXPECT_TRUE(std::equal(buf.begin(), buf.end(), bytes.begin()));
    EXPECT_EQ(bigfileRead(buf.data(), 70000, 1), 30000);
    EXPECT_TRUE(std::equal(buf.begin(), buf.begin() + 30000, bytes.begin() + 70000));
    EXPECT_EQ(GetPosBF(1), 100000);
    EXPECT_EQ(bigfileRead(buf.data(), 10, 1), 0);
    EXPECT_EQ(bigfileWrite(buf.data(), 10, 1), 0);  // a reading slot is not written
    EXPECT_EQ(bigfileRead(buf.data(), 10, 3), 0);   // nothing open there
}

TEST_F(BigFileTest, PositionsAndSizesBeyondFourGiB) {
    const std::string p = dir.File("big");
    const int64_t five = int64_t{5} << 30;
    OpenBF(p, 2, "wb");
    SetPosBF(2, five);
    EXPECT_EQ(bigfileWrite("tail", 4, 2), 4);
    CloseBF(2);
    EXPECT_EQ(FileSizeBF(p), five + 4);
    OpenBF(p, 1, "rb");
    SetPosBF(1, five + 1);
    char buf[8] = {};
    EXPECT_EQ(bigfileRead(buf, 8, 1), 3);
    EXPECT_STREQ(buf, "ail");
}

TEST_F(BigFileTest, FailedWriteReportsZeroAndKeepsThePositionForARetry) {
    // A file-size limit lets the kernel take part of the chunk, then refuse the rest: within
    // the chunk's first write step, and several steps into a chunk larger than a step.
    struct Case { int32_t size; rlim_t limit; } cases[] = {{4000, 1000}, {300000, 200000}};
    for (const Case& c : cases) {
        const std::string p = dir.File("limited" + std::to_string(c.size));
        OpenBF(p, 2, "wb");
        EXPECT_EQ(bigfileWrite("head", 4, 2), 4);

        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = c.limit;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        const auto chunk = testing::RandomBytes(static_cast<size_t>(c.size), 2);
        int32_t written = bigfileWrite(chunk.data(), c.size, 2);
        int64_t pos = GetPosBF(2);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, SIG_DFL);

        EXPECT_EQ(written, 0) << c.size;
        EXPECT_EQ(pos, 4) << c.size;
        EXPECT_EQ(bigfileWrite(chunk.data(), c.size, 2), c.size);  // the retry lands on the same bytes
        CloseBF(2);
        std::string expected = "head" + std::string(chunk.begin(), chunk.end());
        EXPECT_TRUE(ReadAll(p) == expected) << c.size;
    }
}

TEST(ChunkLength, ChunksOfWholeBlocksEndOnABlockOfTheFile) {
    constexpr int32_t K = 64 * 1024;
    struct Case { int32_t segment; int64_t left, writeAt; int32_t expected; };
    const Case cases[] = {
        {4 * K, 10 * K, 12, 4 * K - 12},       // after a piece's record
        {4 * K, 10 * K, 4 * K - 12, 3 * K + 12},
        {4 * K, 10 * K, 8 * K, 4 * K},         // already on a block
        {K, 10 * K, K + 1, K - 1},
        {4 * K, 4 * K, 12, 4 * K},             // the last chunk is all that is left
        {4 * K, 100, 12, 100},
        {100000, 10 * K, 12, 100000},          // segments of odd sizes are kept
        {4096, 10 * K, 12, 4096},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChunkLength(c.segment, c.left, c.writeAt), c.expected)
            << c.segment << " " << c.left << " " << c.writeAt;
}

TEST_F(BigFileTest, CountedStrings) {
    const std::string p = dir.File("strings");
    OpenBF(p, 2, "wb");
    EXPECT_EQ(WriteStringBF("", 2), 0);
    EXPECT_EQ(WriteStringBF("h\xc3\xa9llo", 2), 6);  // byte count, not characters
    ExpectError([] { WriteStringBF(std::string(32768, 'a'), 2); }, 6, "WriteStringBF",
                "Text of 32768 bytes is too long to be stored (at most 32767).");
    CloseBF(2);
    EXPECT_EQ(ReadAll(p), std::string("\0\0\x06\0h\xc3\xa9llo", 10));

    OpenBF(p, 1, "rb");
    EXPECT_EQ(ReadStringBF(1), "");
    EXPECT_EQ(ReadStringBF(1), "h\xc3\xa9llo");
    ExpectError([] { ReadStringBF(1); }, 57, "ReadStringBF",
                "Unable to read text: the file ends before its length.");

    OpenBF(dir.Write("short", std::string("\x05\0abc", 5)), 1, "rb");
    ExpectError([] { ReadStringBF(1); }, 57, "ReadStringBF",
                "Unable to read text of 5 bytes: the file ends first.");
    OpenBF(dir.Write("negative", std::string("\xff\xff" "abc", 5)), 1, "rb");
    ExpectError([] { ReadStringBF(1); }, 57, "ReadStringBF", "Unable to read text: invalid length -1.");
}

}  // namespace
}  // namespace kb
