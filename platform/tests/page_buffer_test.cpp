#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "platform/page_buffer.h"
#include "platform/twlib.h"

namespace kb::platform {
namespace {

namespace fs = std::filesystem;

// Every placement leaves room for the whole size (the sanitizer build checks the bounds).
TEST(PageBuffer, PlacedBytesFitForEveryPosition) {
    PageBuffer b;
    for (size_t size : {size_t{1}, size_t{4095}, size_t{65536}, size_t{100001}}) {
        b.resize(size);
        for (int64_t pos : {int64_t{0}, int64_t{12}, int64_t{2047}, int64_t{2048}, int64_t{4095},
                            int64_t{104857588}}) {
            std::memset(b.PlacedFor(pos), 0x5A, size);
            // Half a page from the file position's place in its page.
            const auto at = reinterpret_cast<uintptr_t>(b.PlacedFor(pos));
            EXPECT_EQ((at - static_cast<uintptr_t>(pos)) % PageBuffer::kPage, PageBuffer::kPage / 2);
        }
    }
}

TEST(PageBuffer, SlowDistanceIsOneToSixtyThreeBytesWithinAPage) {
    alignas(4096) static char page[2 * 4096];
    struct Case { int64_t position; size_t sourceOffset; bool slow; };
    const Case cases[] = {
        {0, 0, false},      {1, 0, true},        {12, 0, true},      {63, 0, true},
        {64, 0, false},     {4096 + 12, 0, true}, {4096, 12, false},  {12, 4096, true},
        {2048 + 12, 2048, true}, {0, 2048, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PageBuffer::SlowToWrite(page + c.sourceOffset, c.position), c.slow)
            << c.position << " from +" << c.sourceOffset;
}

// Writes whose source sits at the slow distance from their file offset go through the
// staging copy: the file must still hold exactly the bytes given, at the offsets given.
TEST(PageBuffer, WritesFromEveryDistanceLandWhereTheyWereSent) {
    const fs::path path = fs::temp_directory_path() / ("kbplaced-" + std::to_string(::getpid()));
    std::mt19937 gen(3);
    std::vector<char> source(200000 + 2 * 4096);
    for (auto& c : source) c = static_cast<char>(gen());
    const uintptr_t base = reinterpret_cast<uintptr_t>(source.data());
    ASSERT_NE(bigfileOpen(path.string(), 6, "wb"), 0);
    std::string expected;
    for (uint64_t distance : {0, 1, 12, 63, 64, 2048, 4095}) {
        // Offsets that do not start on a page, as after a piece's record.
        const std::string head(7, 'h');
        ASSERT_EQ(bigfileWrite(head.data(), 7, 6), 7);
        expected += head;
        const uint64_t at = expected.size();
        const auto* from = reinterpret_cast<const char*>(
            base + (at - distance - base) % PageBuffer::kPage);
        ASSERT_EQ(PageBuffer::SlowToWrite(from, static_cast<int64_t>(at)),
                  distance >= 1 && distance <= 63);
        ASSERT_EQ(bigfileWrite(from, 200000, 6), 200000) << distance;
        expected.append(from, 200000);
    }
    ASSERT_EQ(bigfileClose(6), 0);
    std::ifstream in(path, std::ios::binary);
    const std::string got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    fs::remove(path);
    EXPECT_TRUE(got == expected);
}

}  // namespace
}  // namespace kb::platform
