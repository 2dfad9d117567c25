#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "platform/crc32.h"
#include "platform/read_ahead.h"
#include "platform/twlib.h"

namespace kb::platform {
namespace {

namespace fs = std::filesystem;

struct RandomFile {
    fs::path path;
    std::string bytes;
    explicit RandomFile(size_t size) {
        std::string p = (fs::temp_directory_path() / "kbahead-XXXXXX").string();
        int fd = mkstemp(p.data());
        path = p;
        std::mt19937 gen(static_cast<unsigned>(size));
        bytes.resize(size);
        for (auto& c : bytes) c = static_cast<char>(gen());
        EXPECT_EQ(::write(fd, bytes.data(), size), static_cast<ssize_t>(size));
        ::close(fd);
    }
    ~RandomFile() { fs::remove(path); }
};

// Each call is checked against the file itself: sequential runs that the read-ahead serves,
// and every way of leaving them (another length, a jump back or forward, the end of the file,
// a chunk too large to read ahead).
TEST(ReadAhead, EveryChunkHoldsTheFilesBytesWhateverTheOrderOfCalls) {
    RandomFile f(1'000'003);
    const int fd = ::open(f.path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    {
        ReadAhead r;
        std::mt19937 gen(7);
        int64_t pos = 0;
        int32_t length = 4096;
        for (int call = 0; call < 3000; ++call) {
            switch (gen() % 40) {
                case 0: length = 1 + static_cast<int32_t>(gen() % 70000); break;
                case 1: pos = static_cast<int64_t>(gen() % f.bytes.size()); break;
                case 2: pos = static_cast<int64_t>(f.bytes.size()) - 10; break;
                case 3: length = ReadAhead::kMaxAheadBytes; break;
                default: break;
            }
            uint8_t* data = nullptr;
            uint32_t crc = 0;
            const bool withCrc = call % 3 != 0;
            const int32_t got = r.Next(fd, pos, length, data, withCrc ? &crc : nullptr);
            const int64_t expected =
                std::clamp<int64_t>(static_cast<int64_t>(f.bytes.size()) - pos, 0, length);
            ASSERT_EQ(got, expected) << "call " << call << " at " << pos;
            ASSERT_NE(data, nullptr);
            ASSERT_EQ(std::memcmp(data, f.bytes.data() + pos, static_cast<size_t>(got)), 0)
                << "call " << call << " at " << pos;
            if (withCrc) {
                ASSERT_EQ(crc, Crc32(f.bytes.data() + pos, static_cast<size_t>(got), 0))
                    << "call " << call;
            }
            // The caller may use the whole chunk, also past a short read.
            std::memset(data, 0xA5, static_cast<size_t>(length));
            pos += got;
            if (got < length) pos = 0;
            if (length == ReadAhead::kMaxAheadBytes) length = 4096;
        }
    }
    ::close(fd);
}

// Closing a slot while its worker may still be reading ahead, and opening the next file in
// it, must neither crash nor hand out bytes of the earlier file.
TEST(ReadAhead, SlotChunksFollowThePositionAndSurviveReopening) {
    RandomFile a(300'000), b(200'000);
    for (int round = 0; round < 20; ++round) {
        const RandomFile& f = round % 2 ? b : a;
        ASSERT_NE(bigfileOpen(f.path, 5, "rb"), 0);
        std::string seen;
        uint8_t* data = nullptr;
        for (int i = 0; i < 3 + round; ++i) {
            const int32_t got = bigfileReadChunk(5, 8192, data);
            seen.append(reinterpret_cast<char*>(data), static_cast<size_t>(got));
        }
        ASSERT_EQ(seen, f.bytes.substr(0, seen.size()));
        // Moving the position, and a plain read in between, are followed.
        ASSERT_EQ(bigfileSetPos(5, 1000), 0);
        char plain[10];
        ASSERT_EQ(bigfileRead(plain, 10, 5), 10);
        ASSERT_EQ(bigfileReadChunk(5, 8192, data), 8192);
        ASSERT_EQ(std::memcmp(data, f.bytes.data() + 1010, 8192), 0);
        int64_t pos = 0;
        ASSERT_EQ(bigfileGetPos(5, pos), 0);
        EXPECT_EQ(pos, 1010 + 8192);
        if (round % 3 == 0) {
            ASSERT_EQ(bigfileClose(5), 0);  // else the next open closes it
        }
    }
    bigfileClose(5);
    uint8_t* data = nullptr;
    EXPECT_EQ(bigfileReadChunk(5, 100, data), 0);  // a closed slot
}

}  // namespace
}  // namespace kb::platform
