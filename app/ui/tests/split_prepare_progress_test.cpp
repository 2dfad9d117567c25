// The progress panel while the third stage compresses a large file: the bar, its percentage and
// the elapsed time move with the data read, not only once a file is done.
#include <QLabel>
#include <QProgressBar>

#include <algorithm>
#include <chrono>

#include "app/ui/common/blocking_call.h"
#include "app/ui/common/uc_progress_panel.h"
#include "app/ui/tests/split_run_fixture.h"

namespace kb {
namespace {

class SplitPrepareProgressTest : public testing::SplitRunTest {
protected:
    void SetUp() override {
        SplitRunTest::SetUp();
        // The archive of a few megabytes is built in a fraction of a second: the panel is read
        // more often than the window does, and each reading of the clock is a second later.
        SetBlockingCallPollInterval(std::chrono::milliseconds(5));
        ucProgressPanel::SetTickSource([this] { return ticks += 1000; });
    }
    void TearDown() override {
        ucProgressPanel::SetTickSource(nullptr);
        SetBlockingCallPollInterval({});
        SplitRunTest::TearDown();
    }
    uint32_t ticks = 0;
};

TEST_F(SplitPrepareProgressTest, CompressingOneLargeFileMovesTheBarAndTheElapsedTime) {
    MakeFile(source.File("big.bin"), 12 << 20);
    Open();
    ToOptions("big.bin");
    Click("chkUseCompression");
    auto* bar = window->fSptProgPan()->findChild<QProgressBar*>("pb1");
    auto* percent = window->fSptProgPan()->findChild<QLabel*>("pctPB1");
    auto* timings = window->fSptProgPan()->findChild<QLabel*>("lblTimings");
    ASSERT_TRUE(bar && percent && timings);
    struct Seen {
        int value;
        std::string percent, timings;
    };
    // What the panel shows each time the preparation lets the window's events run.
    std::vector<Seen> seen;
    prompter.OnDoEvents([&] {
        seen.push_back({bar->value(), percent->text().toStdString(), timings->text().toStdString()});
    });
    Click("cmdSplitWizNext");
    ASSERT_EQ(Stage(), 4);
    ASSERT_EQ(Splitter().CompressionID, 2);

    std::vector<Seen> during;
    for (const Seen& s : seen)
        if (s.value > 0 && s.value < 100 && (during.empty() || during.back().value != s.value))
            during.push_back(s);
    ASSERT_GE(during.size(), 3u) << "the bar stood still while the file was compressed";
    EXPECT_TRUE(std::is_sorted(during.begin(), during.end(),
                               [](const Seen& a, const Seen& b) { return a.value < b.value; }));
    for (const Seen& s : during) {
        SCOPED_TRACE(s.value);
        EXPECT_EQ(s.percent, std::to_string(s.value) + "%");
        EXPECT_EQ(s.timings.rfind("Elapsed time: ", 0), 0u) << s.timings;
        EXPECT_GT(s.timings.size(), std::string("Elapsed time: ").size()) << "no time shown";
    }
    EXPECT_NE(during.front().timings, during.back().timings) << "the elapsed time stood still";
    EXPECT_EQ(seen.back().value, 100);
}

}  // namespace
}  // namespace kb
