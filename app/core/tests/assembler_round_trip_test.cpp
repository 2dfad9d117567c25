// Round trips through the splitter and the joiner, both stopped at random chunks, saved and
// resumed by new objects.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "app/core/active_assembler.h"
#include "app/core/active_splitter.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/core/testing/temp_folder.h"
#include "app/core/tests/assembler_listener_fake.h"
#include "app/core/text.h"

namespace kb {
namespace {

using testing::ReadAll;
using testing::TempFolder;

struct StopSplit : ActiveSplitterEvents {
    int cancelAt = 0, seen = 0;
    std::string save;
    void SplitInterval(int32_t, int32_t, bool& Cancel, std::string& SaveStateFile) override {
        if (++seen == cancelAt) {
            Cancel = true;
            SaveStateFile = save;
        }
    }
};

struct Case {
    int32_t format;
    int64_t first, size;  // piece sizes (first 0: all the same)
    int32_t splitSegment, joinSegment;
    std::string tmpl;
    size_t dataSize = 0;  // 0: about 70 KB
};

TEST(AssemblerRoundTrip, SplitStopJoinStopAndResumeGiveTheSource) {
    testing::ScriptedPrompter p;
    std::mt19937 rng(2024);
    const std::vector<Case> cases = {
        {aftTarnwolde, 0, 20000, 4096, 4096, "%f.%N"},
        {aftTarnwolde, 15000, 12288, 3000, 5000, "%f - %n.frg"},
        {aftTarnwolde, 0, 10240, 10240, 999, "%f.%n"},
        {aftRaw, 0, 20000, 4096, 3333, "%f.%N"},
        {aftRaw, 12000, 16384, 4096, 4096, "%f - %N.frg"},
        // Segments of whole 64 KiB blocks: chunks are cut to end on them in the files.
        {aftTarnwolde, 0, 300000, 131072, 65536, "%f.%N", 1000003},
        {aftRaw, 250000, 300000, 65536, 131072, "%f.%N", 900001},
    };
    for (size_t ci = 0; ci < cases.size(); ++ci) {
        const Case& c = cases[ci];
        TempFolder dir;
        auto bytes = testing::RandomBytes(c.dataSize ? c.dataSize : 70001 + ci * 1000,
                                          static_cast<uint32_t>(ci + 1));
        const std::string data(bytes.begin(), bytes.end());
        const std::string source = dir.Write("src/Film.mkv", data);
        std::filesystem::create_directories(dir.File("pieces"));
        std::filesystem::create_directories(dir.File("out"));
        const std::string splitTask = dir.File("split.uft");
        const std::string joinTask = dir.File("join.uft");

        {
            StopSplit stop;
            stop.cancelAt = std::uniform_int_distribution<int>(1, 12)(rng);
            stop.save = splitTask;
            ActiveSplitter s;
            s.SetListener(&stop);
            s.SetFileFormat(c.format);
            s.SetBigFile(source);
            s.SetDestinationFolder(dir.File("pieces"));
            s.FilenameToStore = "Film.mkv";
            s.FragNamingTemplate = c.tmpl;
            s.SegmentSize = c.splitSegment;
            int64_t size = c.size;
            s.SetFragmentSize(size);
            if (c.first) {
                s.SetDifferentSizeAtStart(true);
                int64_t firstSize = c.first;
                s.SetFragmentSizeAtStart(firstSize);
            }
            if (s.Split() == -1) {
                ActiveSplitter t;
                t.SegmentSize = c.splitSegment;
                t.SetResumeInfo(splitTask);
                ASSERT_EQ(t.Split(), 1);
            }
        }
        const std::string first = dir.File("pieces/" + ExpandNamingTemplate("Film.mkv", 1, c.tmpl));

        std::string out;
        int stops = 0;
        for (int run = 0; run < 10 && out.empty(); ++run) {
            testing::ScriptedAssemblerListener ev;
            ev.cancelAtInterval = run < 2 ? std::uniform_int_distribution<int>(1, 15)(rng) : 0;
            ev.saveAs = joinTask;
            ActiveAssembler a;
            a.SetListener(&ev);
            if (run == 0) {
                a.SetFileToAssemble(first);
                a.SetDestinationFolder(dir.File("out"));
                a.SegmentSize = c.joinSegment;
            } else {
                ASSERT_TRUE(a.SetResumeInfo(joinTask));
            }
            std::string d = dir.File("out");
            if (a.Assemble(d) == 0) {
                out = ReadAll(a.BigFile);
                EXPECT_EQ(a.LastFileFormatUsed, c.format == aftRaw ? 1 : 11);
                // A bare series is named after its pieces ("Film.001"), the own format after
                // its header.
                EXPECT_EQ(a.BigFile, dir.File(c.format == aftRaw ? "out/Film" : "out/Film.mkv"));
            } else {
                ++stops;
            }
        }
        EXPECT_EQ(out, data) << "case " << ci;
        EXPECT_GE(stops, 1) << "case " << ci;
    }
    EXPECT_TRUE(p.boxes.empty()) << p.boxes[0].text;
}

}  // namespace
}  // namespace kb
