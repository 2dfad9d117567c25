#include <gtest/gtest.h>
#include <zlib.h>

#include <random>

#include "app/core/crc32.h"
#include "app/core/testing/temp_folder.h"
#include "platform/crc32.h"
#include "platform/twlib.h"

namespace kb {
namespace {

uint32_t ZlibCrc(const uint8_t* p, size_t n) {
    return static_cast<uint32_t>(crc32(0L, p, static_cast<uInt>(n)));
}

TEST(Crc32, ChainOverAnySplitEqualsZlibOfTheWhole) {
    std::mt19937 gen(7);
    const auto data = testing::RandomBytes(300000, 3);
    for (int round = 0; round < 200; ++round) {
        // Mostly small lengths (alignment and tail paths), some large ones.
        size_t n = round < 100 ? gen() % 200 : gen() % data.size();
        size_t offset = gen() % (data.size() - n + 1);
        const uint8_t* p = data.data() + offset;
        uint32_t chained = 0, combined = 0;
        size_t at = 0;
        while (at < n) {
            size_t k = std::min<size_t>(n - at, 1 + gen() % (n / 3 + 2));
            chained = platform::Crc32(p + at, k, chained);
            // The same from each chunk's own CRC, as chunks read ahead bring them.
            combined = AddCrc32(platform::Crc32(p + at, k, 0), static_cast<int64_t>(k), at == 0);
            at += k;
        }
        ASSERT_EQ(chained, ZlibCrc(p, n)) << "length " << n << " offset " << offset;
        ASSERT_EQ(combined, chained) << "length " << n << " offset " << offset;
    }
}

TEST(Crc32, RunningValueRestartsOnResetAndContinuesFromState) {
    const auto data = testing::RandomBytes(8, 11);
    const uint32_t whole = ZlibCrc(data.data(), 8);

    UpdateCrc32(data.data(), 8, true);  // leftover state from an earlier piece
    EXPECT_EQ(UpdateCrc32(data.data(), 3, true), ZlibCrc(data.data(), 3));
    EXPECT_EQ(UpdateCrc32(std::span(data).subspan(3), false), whole);
    EXPECT_EQ(UpdateCrc32(data.data(), 8, true), whole);

    // A resumed task: the saved value stands for the first 3 bytes.
    UpdateCrc32(data.data(), 5, true);
    SetCrc32State(ZlibCrc(data.data(), 3));
    EXPECT_EQ(UpdateCrc32(data.data() + 3, 5, false), whole);

    EXPECT_EQ(UpdateCrc32(nullptr, 0, true), 0u);
}

TEST(OlderFormatCipher, CheckValueFitsSixteenBitsAndDecipherIgnoresChunking) {
    for (const std::string& s : {std::string(), std::string("a"), std::string("secret"), std::string(300, 'z')}) {
        int32_t c = platform::getcheck(s, static_cast<int32_t>(s.size()));
        EXPECT_GE(c, 0);
        EXPECT_LE(c, 32767);
        EXPECT_EQ(c, static_cast<int32_t>(ZlibCrc(reinterpret_cast<const uint8_t*>(s.data()), s.size()) >> 17));
    }
    EXPECT_EQ(platform::getcheck("secretXYZ", 6), platform::getcheck("secret", 6));

    const auto plain = testing::RandomBytes(1000, 5);
    auto whole = plain;
    platform::xcrypt(whole.data(), "pass", 1000);
    EXPECT_NE(whole, plain);
    auto chunked = plain;
    platform::xcrypt(chunked.data(), "pass", 337);
    platform::xcrypt(chunked.data() + 337, "pass", 663);
    EXPECT_EQ(chunked, whole);
    platform::xcrypt(whole.data(), "pass", 1000);
    EXPECT_EQ(whole, plain);
}

}  // namespace
}  // namespace kb
