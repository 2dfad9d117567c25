#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/core/testing/temp_folder.h"
#include "plugins/tea/tea_cipher.h"
#include "plugins/tea/tea_file.h"
#include "plugins/tea/tea_key.h"
#include "plugins/tea/tea_lanes.h"

namespace kb::tea {
namespace {

using kb::testing::ReadAll;
using kb::testing::TempFolder;
namespace fs = std::filesystem;

uint32_t Le32(const std::string& s, size_t at) {
    const auto* p = reinterpret_cast<const uint8_t*>(s.data()) + at;
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

void PutLe32(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}

std::string Bytes(size_t n, uint32_t seed = 1) {
    const auto v = kb::testing::RandomBytes(n, seed);
    return std::string(v.begin(), v.end());
}

// The encrypted file that `source` must give under the key block stored in `encrypted`,
// built from the block cipher alone: window b % 16 for block b, a short tail unchanged.
std::string ExpectedFile(const std::string& source, const std::string& encrypted, const char* pass) {
    std::string out = encrypted.substr(0, 268);
    PutLe32(out, 0, 1);
    PutLe32(out, 4, static_cast<uint32_t>(PassphraseChecksum(pass, std::strlen(pass))));
    PutLe32(out, 8, 256);
    std::string mixed = out.substr(12, 256);
    MixPassphraseIntoKey(reinterpret_cast<uint8_t*>(mixed.data()), pass, 256);
    size_t b = 0;
    for (; 8 * b + 8 <= source.size(); ++b) {
        uint32_t key[4], words[2] = {Le32(source, 8 * b), Le32(source, 8 * b + 4)};
        for (size_t j = 0; j < 4; ++j) key[j] = Le32(mixed, 16 * (b % 16) + 4 * j);
        TeaEncryptBlock(words, words, key);
        std::string block(8, '\0');
        PutLe32(block, 0, words[0]);
        PutLe32(block, 4, words[1]);
        out += block;
    }
    return out + source.substr(8 * b);
}

class TeaFile : public ::testing::Test {
protected:
    TempFolder dir;
    std::string src = dir.File("src"), enc = dir.File("enc"), dec = dir.File("dec");
};

// One lane count per test, so that a path this processor lacks shows as skipped in the report.
class TeaFilePath : public TeaFile, public ::testing::WithParamInterface<size_t> {};

TEST_P(TeaFilePath, EncryptsByteForByteAndRoundTrips) {
    const size_t lanes = GetParam();
    if (!LanesSupported(lanes)) GTEST_SKIP() << "this processor has no " << lanes << "-lane path";
    // Every length up to 200 bytes; lengths around the ends of the 16-window cycle (128 bytes)
    // and of the vector paths' steps (up to 32 blocks); lengths around and across the file
    // layer's read buffer (64 KiB), ending in a whole block and in a part block.
    std::vector<size_t> lengths;
    for (size_t n = 0; n <= 200; ++n) lengths.push_back(n);
    for (size_t end = 256; end <= 1152; end += 128)
        for (size_t n : {end - 9, end - 8, end - 1, end, end + 1, end + 8}) lengths.push_back(n);
    for (size_t n : {(1 << 16) - 8, 1 << 16, (1 << 16) + 8, (1 << 16) + 9, 3 * (1 << 20) + 5})
        lengths.push_back(n);
    for (size_t n : lengths) {
        const std::string source = Bytes(n, static_cast<uint32_t>(n));
        dir.Write("src", source);
        ASSERT_EQ(TeaEncryptFile(src.c_str(), enc.c_str(), "secret", {}, lanes), 0) << n;
        const std::string encrypted = ReadAll(enc);
        ASSERT_EQ(encrypted.size(), n + 268) << n;
        ASSERT_TRUE(encrypted == ExpectedFile(source, encrypted, "secret")) << n << " bytes";
        ASSERT_EQ(TeaDecryptFile(enc.c_str(), dec.c_str(), "secret", {}, lanes), 0) << n;
        ASSERT_TRUE(ReadAll(dec) == source) << n << " bytes";
    }
}

INSTANTIATE_TEST_SUITE_P(Lanes, TeaFilePath, ::testing::ValuesIn(kLaneCounts));

// A file made outside this code, by a separate implementation of the format: a key block
// whose first window holds each byte the passphrase must leave alone (a zero, the passphrase's
// own byte, a blank, a byte that would turn into a blank), a passphrase with a byte above 127
// (its checksum differs when bytes are taken unsigned), 17 blocks and a 3-byte tail.
TEST_F(TeaFile, DecryptsAFileMadeElsewhere) {
    const char* pass = "K\xe9y!";
    std::string file(12, '\0');
    PutLe32(file, 0, 1);
    PutLe32(file, 4, 524);
    PutLe32(file, 8, 256);
    std::string key(256, '\0');
    for (size_t i = 0; i < key.size(); ++i) key[i] = static_cast<char>(i * 37 + 11);
    key.replace(0, 4, "\x00\xe9\x20\x01", 4);
    file += key;
    const char* data =
        "398b20dfb79865bbbf67c3cef01366ad4bb8ae8454f06ad7f83c342125f55c987c5538ed12d458ae"
        "b5f9e271f8cbd1a0cde699d4c96e867dc77facf718874b6ced1c852e6f1af1a284f2adb4d9e30256"
        "8f16ded708a266dc00de201768ddcc887dcd6ac70ac89fda219904f3e5858ee3de4150997de91d89"
        "238b57c25713859575702853ba4fb9c6bbc2c9";
    for (const char* h = data; *h != '\0'; h += 2)
        file += static_cast<char>(std::stoi(std::string(h, 2), nullptr, 16));
    std::string plain(17 * 8 + 3, '\0');
    for (size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<char>(i * 7 + 3);

    dir.Write("enc", file);
    ASSERT_EQ(TeaDecryptFile(enc.c_str(), dec.c_str(), pass), 0);
    EXPECT_TRUE(ReadAll(dec) == plain);
}

TEST_F(TeaFile, TenByteSourceKeepsItsLastTwoBytes) {
    dir.Write("src", std::string("0123456789"));
    ASSERT_EQ(TeaEncryptFile(src.c_str(), enc.c_str(), "abc"), 0);
    const std::string e = ReadAll(enc);
    ASSERT_EQ(e.size(), 278u);
    EXPECT_EQ(Le32(e, 0), 1u);
    EXPECT_EQ(Le32(e, 4), 590u);
    EXPECT_EQ(Le32(e, 8), 256u);
    EXPECT_NE(e.substr(268, 8), "01234567");
    EXPECT_EQ(e.substr(276), "89");
}

TEST_F(TeaFile, BlockSixteenUsesTheWindowOfBlockZero) {
    dir.Write("src", std::string(17 * 8, 'x'));
    ASSERT_EQ(TeaEncryptFile(src.c_str(), enc.c_str(), "pw"), 0);
    const std::string data = ReadAll(enc).substr(268);
    EXPECT_EQ(data.substr(16 * 8, 8), data.substr(0, 8));
    for (size_t b = 1; b < 16; ++b) EXPECT_NE(data.substr(b * 8, 8), data.substr(0, 8)) << b;
}

TEST_F(TeaFile, EveryFileGetsItsOwnKeyBlock) {
    dir.Write("src", Bytes(64));
    ASSERT_EQ(TeaEncryptFile(src.c_str(), enc.c_str(), "pw"), 0);
    ASSERT_EQ(TeaEncryptFile(src.c_str(), dec.c_str(), "pw"), 0);
    EXPECT_NE(ReadAll(enc).substr(12, 256), ReadAll(dec).substr(12, 256));
}

TEST_F(TeaFile, WrongPassphraseIsRefusedBeforeAnythingIsCreated) {
    dir.Write("src", Bytes(100));
    ASSERT_EQ(TeaEncryptFile(src.c_str(), enc.c_str(), "right"), 0);
    for (const char* wrong : {"wrong", "", "righ"}) {
        EXPECT_EQ(TeaDecryptFile(enc.c_str(), dec.c_str(), wrong), 1) << wrong;
        EXPECT_FALSE(fs::exists(dec)) << wrong;
    }
    // An empty passphrase is a passphrase like any other.
    ASSERT_EQ(TeaEncryptFile(src.c_str(), enc.c_str(), ""), 0);
    ASSERT_EQ(TeaDecryptFile(enc.c_str(), dec.c_str(), ""), 0);
    EXPECT_EQ(ReadAll(dec), ReadAll(src));
}

TEST_F(TeaFile, DamagedOrForeignFilesAreRefusedWithoutADestination) {
    dir.Write("src", Bytes(100));
    ASSERT_EQ(TeaEncryptFile(src.c_str(), enc.c_str(), "pw"), 0);
    const std::string good = ReadAll(enc);
    std::string format2 = good, length128 = good;
    PutLe32(format2, 0, 2);
    PutLe32(length128, 8, 128);
    struct Case { std::string file; int32_t expected; } cases[] = {
        {format2, -2},
        {"\x01\x00\x00", -2},
        {length128, -2},
        {good.substr(0, 6), -1},           // checksum cut short
        {good.substr(0, 100), -1},         // key block cut short
        {"", -1},
    };
    for (const auto& c : cases) {
        const std::string bad = dir.Write("bad", c.file);
        EXPECT_EQ(TeaDecryptFile(bad.c_str(), dec.c_str(), "pw"), c.expected) << c.file.size();
        EXPECT_FALSE(fs::exists(dec)) << c.file.size();
    }
}

TEST_F(TeaFile, PathsThatCannotBeUsedFail) {
    dir.Write("src", Bytes(100));
    const std::string missing = dir.File("missing"), noFolder = dir.File("no/such/file");
    EXPECT_EQ(TeaEncryptFile(missing.c_str(), enc.c_str(), "pw"), -1);
    EXPECT_EQ(TeaEncryptFile(dir.Path().c_str(), enc.c_str(), "pw"), -1);
    EXPECT_FALSE(fs::exists(enc));
    EXPECT_EQ(TeaEncryptFile(src.c_str(), noFolder.c_str(), "pw"), -1);
    EXPECT_EQ(TeaDecryptFile(missing.c_str(), dec.c_str(), "pw"), -1);
}

TEST_F(TeaFile, SourceIsNeverItsOwnDestination) {
    const std::string source = Bytes(100);
    dir.Write("src", source);
    EXPECT_EQ(TeaEncryptFile(src.c_str(), src.c_str(), "pw"), -1);
    EXPECT_EQ(ReadAll(src), source);
    ASSERT_EQ(TeaEncryptFile(src.c_str(), enc.c_str(), "pw"), 0);
    const std::string encrypted = ReadAll(enc);
    EXPECT_EQ(TeaDecryptFile(enc.c_str(), enc.c_str(), "pw"), -1);
    EXPECT_EQ(ReadAll(enc), encrypted);
}

// Lets writes fail once a file reaches `bytes`, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, old_handler_);
    }

private:
    rlimit old_{};
    void (*old_handler_)(int) = nullptr;
};

TEST_F(TeaFile, DestinationHalfWrittenByAFailureIsRemoved) {
    dir.Write("src", Bytes(3 << 20));
    ASSERT_EQ(TeaEncryptFile(src.c_str(), enc.c_str(), "pw"), 0);
    const std::string other = dir.File("enc2");
    {
        FileSizeLimit limit(1 << 20);
        EXPECT_EQ(TeaEncryptFile(src.c_str(), other.c_str(), "pw"), -1);
        EXPECT_EQ(TeaDecryptFile(enc.c_str(), dec.c_str(), "pw"), -1);
    }
    EXPECT_FALSE(fs::exists(other));
    EXPECT_FALSE(fs::exists(dec));
}

TEST_F(TeaFile, ProgressEveryHundredEightByteReads) {
    struct Log {
        std::vector<int32_t> percents;
        static void Report(int32_t percent, void* self) {
            static_cast<Log*>(self)->percents.push_back(percent);
        }
    };
    // n bytes take n / 8 + 1 reads (the last one short or empty).
    struct Case { size_t size; std::vector<int32_t> encrypt, decrypt; } cases[] = {
        {791, {}, {}},
        {792, {100}, {74}},         // 99 whole reads and the empty one
        {1600, {50, 100}, {42, 85}},
        {2000, {40, 80}, {35, 70}},  // decryption counts against 2268 bytes
    };
    for (const auto& c : cases) {
        dir.Write("src", Bytes(c.size));
        Log e, d;
        ASSERT_EQ(TeaEncryptFile(src.c_str(), enc.c_str(), "pw", {&Log::Report, &e}), 0);
        ASSERT_EQ(TeaDecryptFile(enc.c_str(), dec.c_str(), "pw", {&Log::Report, &d}), 0);
        EXPECT_EQ(e.percents, c.encrypt) << c.size;
        EXPECT_EQ(d.percents, c.decrypt) << c.size;
    }
}

}  // namespace
}  // namespace kb::tea
