#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "plugins/tea/tea_cipher.h"
#include "plugins/tea/tea_key.h"
#include "plugins/tea/tea_lanes.h"

namespace kb::tea {
namespace {

// Little-endian words, as the file stores them.
void Words(const char* bytes, uint32_t* words, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const auto* p = reinterpret_cast<const uint8_t*>(bytes) + 4 * i;
        words[i] = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
    }
}

TEST(TeaCipher, PublishedTestVectors) {
    struct Case { const char* key; const char* plain; const char* cipher; size_t length; } cases[] = {
        {"\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", "\0\0\0\0\0\0\0\0", "\x0a\x3a\xea\x41\x40\xa9\xba\x94", 8},
        {"\x09\x65\x43\x11\x66\x44\x39\x25\x51\x3a\x16\x10\x0a\x08\x12\x6e", "longer_test_vect",
         "\xbe\x7a\xbb\x81\x95\x2d\x1f\x1e\xdd\x89\xa1\x25\x04\x21\xdf\x95", 16},
    };
    for (const auto& c : cases) {
        uint32_t key[4];
        Words(c.key, key, 4);
        for (size_t off = 0; off < c.length; off += 8) {
            uint32_t plain[2], cipher[2], out[2];
            Words(c.plain + off, plain, 2);
            Words(c.cipher + off, cipher, 2);
            TeaEncryptBlock(plain, out, key);
            EXPECT_EQ(out[0], cipher[0]) << off;
            EXPECT_EQ(out[1], cipher[1]) << off;
            TeaDecryptBlock(cipher, out, key);
            EXPECT_EQ(out[0], plain[0]) << off;
            EXPECT_EQ(out[1], plain[1]) << off;
        }
    }
}

TEST(TeaCipher, DecryptionInvertsEncryptionInPlace) {
    std::mt19937 mt(7);
    auto gen = [&mt] { return static_cast<uint32_t>(mt()); };
    for (int i = 0; i < 1000; ++i) {
        const uint32_t key[4] = {gen(), gen(), gen(), gen()};
        const uint32_t plain[2] = {gen(), gen()};
        uint32_t block[2] = {plain[0], plain[1]};
        TeaEncryptBlock(block, block, key);
        EXPECT_FALSE(block[0] == plain[0] && block[1] == plain[1]);
        TeaDecryptBlock(block, block, key);
        ASSERT_EQ(block[0], plain[0]);
        ASSERT_EQ(block[1], plain[1]);
    }
}

TEST(TeaLanes, TheOneBlockPathAndTheWidestAreAlwaysThere) {
    EXPECT_TRUE(LanesSupported(1));
    EXPECT_FALSE(LanesSupported(2));
    EXPECT_TRUE(LanesSupported(WidestLanes()));
}

// One lane count per test, so that a path this processor lacks shows as skipped in the report.
class TeaLanePath : public ::testing::TestWithParam<size_t> {};

// Runs of blocks starting at every window and long enough for two steps of the widest path
// and a tail, through one path, against the one-block cipher. A lane count with no path of its
// own (2) runs the one-block cipher.
TEST_P(TeaLanePath, MatchesTheOneBlockCipher) {
    const size_t lanes = GetParam();
    if (lanes > 2 && !LanesSupported(lanes))
        GTEST_SKIP() << "this processor has no " << lanes << "-lane path";
    std::mt19937 mt(11);
    KeyWindows windows;
    for (auto& w : windows)
        for (auto& word : w) word = static_cast<uint32_t>(mt());
    std::vector<uint8_t> plain(8 * 80);
    for (auto& b : plain) b = static_cast<uint8_t>(mt());
    for (uint64_t first = 0; first < 16; ++first) {
        for (size_t count : {size_t{0}, size_t{1}, size_t{7}, size_t{31}, size_t{32}, size_t{33},
                             size_t{64}, size_t{79}}) {
            std::vector<uint8_t> expected = plain, data = plain;
            for (size_t b = 0; b < count; ++b) {
                uint32_t words[2];
                Words(reinterpret_cast<const char*>(&expected[8 * b]), words, 2);
                TeaEncryptBlock(words, words, windows[(first + b) % 16].data());
                for (int i = 0; i < 8; ++i)
                    expected[8 * b + i] = static_cast<uint8_t>(words[i / 4] >> (8 * (i % 4)));
            }
            CryptBlocks(data.data(), count, windows, first, true, lanes);
            ASSERT_EQ(data, expected) << "first " << first << ", " << count;
            CryptBlocks(data.data(), count, windows, first, false, lanes);
            ASSERT_EQ(data, plain) << "first " << first << ", " << count;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Lanes, TeaLanePath, ::testing::Values(1, 2, 4, 8, 16));

TEST(PassphraseChecksum, WeightsSignedBytesByPositionAndWraps) {
    const std::string wrap(70000, '\x7f');  // 127 * 70000 * 70001 / 2 overflows 32 bits
    struct Case { std::string text; int32_t expected; } cases[] = {
        {"abc", 590},
        {"", 0},
        {"\xff", -1},
        {"a\x80", 97 - 2 * 128},
        {wrap, static_cast<int32_t>(static_cast<uint32_t>(127ull * 70000 * 70001 / 2))},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PassphraseChecksum(c.text.data(), c.text.size()), c.expected) << c.text.size();
}

TEST(MixPassphraseIntoKey, XorsExceptWhereAZeroOrBlankWouldBeMadeOrLost) {
    // Passphrase "ab" repeats: 'a' at even positions, 'b' at odd ones.
    struct Case { uint8_t key; size_t position; uint8_t expected; } cases[] = {
        {0x10, 0, 0x10 ^ 'a'},   // mixed
        {0x10, 1, 0x10 ^ 'b'},   // the passphrase repeats
        {0x00, 0, 0x00},         // zero stays
        {'a', 0, 'a'},           // equal to the passphrase byte (would become zero)
        {' ', 1, ' '},           // blank stays
        {'a' ^ ' ', 0, 'a' ^ ' '},  // would become a blank
        {0xff, 3, 0xff ^ 'b'},
    };
    for (const auto& c : cases) {
        uint8_t key[4] = {0x55, 0x55, 0x55, 0x55};
        key[c.position] = c.key;
        MixPassphraseIntoKey(key, "ab", 4);
        EXPECT_EQ(key[c.position], c.expected) << int(c.key) << " at " << c.position;
    }
}

TEST(MixPassphraseIntoKey, StopsAtLengthAndEmptyPassphraseChangesNothing) {
    uint8_t key[4] = {1, 2, 3, 4};
    MixPassphraseIntoKey(key, "", 4);
    EXPECT_EQ(std::memcmp(key, "\x01\x02\x03\x04", 4), 0);
    MixPassphraseIntoKey(key, "\x40", 2);
    EXPECT_EQ(std::memcmp(key, "\x41\x42\x03\x04", 4), 0);
}

TEST(KeyWindows, SixteenBytesEachAsLittleEndianWords) {
    KeyBlock block{};
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i);
    const KeyWindows w = CutKeyWindows(block);
    EXPECT_EQ(w[0][0], 0x03020100u);
    EXPECT_EQ(w[0][3], 0x0f0e0d0cu);
    EXPECT_EQ(w[1][0], 0x13121110u);
    EXPECT_EQ(w[15][3], 0xfffefdfcu);
}

TEST(KeyBlock, DrawnFreshEachTime) {
    KeyBlock a{}, b{};
    ASSERT_TRUE(DrawKeyBlock(a));
    ASSERT_TRUE(DrawKeyBlock(b));
    EXPECT_NE(a, b);
}

}  // namespace
}  // namespace kb::tea
