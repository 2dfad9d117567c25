#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <sys/wait.h>

#include "app/core/testing/temp_folder.h"
#include "bench/kbengine/tests/engine_run.h"

namespace {

using kb::testing::TempFolder;

TEST(KbEngineCrc, GivesZlibsValueForAnySegmentSize) {
    TempFolder dir;
    const auto data = kb::testing::RandomBytes(1000003, 4);
    const std::string file = dir.Write("data.bin", data);
    char expected[16];
    std::snprintf(expected, sizeof expected, "\"%08lx\"",
                  crc32(0, data.data(), static_cast<uInt>(data.size())));
    for (const std::string& seg : std::vector<std::string> {"", "--segment 1000", "--segment 262144", "--segment 4000000"}) {
        EngineRun r = Engine("crc " + ShellQuote(file) + " " + seg);
        EXPECT_EQ(r.status, 0) << seg;
        EXPECT_EQ(Member(r.lastLine, "crc32"), expected) << r.lastLine;
        EXPECT_EQ(Member(r.lastLine, "bytes"), "1000003");
        EXPECT_FALSE(Member(r.lastLine, "seconds").empty());
        EXPECT_FALSE(Member(r.lastLine, "mb_per_s").empty());
    }
    EngineRun empty = Engine("crc " + ShellQuote(dir.Write("empty", "")));
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(Member(empty.lastLine, "crc32"), "\"00000000\"");
    EXPECT_EQ(Member(empty.lastLine, "bytes"), "0");
}

TEST(KbEngineCrc, ReportsErrorsAsJsonAndRefusesBadArguments) {
    TempFolder dir;
    const std::string missing = dir.File("no \"such\" file");
    EngineRun r = Engine("crc " + ShellQuote(missing));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Member(r.lastLine, "error"), "57");
    EXPECT_EQ(Member(r.lastLine, "source"), "\"OpenBF\"");
    EXPECT_EQ(Member(r.lastLine, "description"),
              "\"Unable to open file: " + std::regex_replace(missing, std::regex("\""), "\\\"") + "\"");

    const std::string file = ShellQuote(dir.Write("f", "abc"));
    EXPECT_EQ(Engine("crc " + file + " --segment 0").status, 2);
    EXPECT_EQ(Engine("crc " + file + " --segment 12x").status, 2);
    EXPECT_EQ(Engine("crc " + file + " --bogus").status, 2);
    EXPECT_EQ(Engine("crc").status, 2);
    EXPECT_EQ(Engine("nosuchcommand").status, 2);
}

}  // namespace
