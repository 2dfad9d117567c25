#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include "app/ui/common/uc_progress_panel.h"

namespace kb {
namespace {

struct DurationCase {
    int64_t ms;
    const char* text;
};

TEST(ProgressPanelFormatDuration, Examples) {
    const DurationCase cases[] = {
        {61000, "1 minute, 1 second."},
        {3600000, "1 hour."},
        {7384000, "2 hours, 3 minutes, 4 seconds."},
        {90061000, "1 day, 1 hour, 1 minute, 1 second."},
        {999, ""},
        {0, ""},
        {86400000, "1 day."},
        {2 * 86400000 + 1000, "2 days, 1 second."},
        {1999, "1 second."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ucProgressPanel::FormatDuration(c.ms), c.text) << c.ms;
}

class ProgressPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ucProgressPanel::SetTickSource([this] { return now; });
        panel = std::make_unique<ucProgressPanel>();
    }
    void TearDown() override { ucProgressPanel::SetTickSource(nullptr); }

    template <class W>
    W* Child(const char* name) {
        W* w = panel->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    std::string Timings() { return Child<QLabel>("lblTimings")->text().toStdString(); }
    // Elapsed milliseconds since StartTimings, then the driving bar's percentage.
    std::string At(uint32_t elapsed, int16_t percent) {
        now = start + elapsed;
        panel->SetPB1Percent(percent);
        return Timings();
    }

    uint32_t start = 1000;
    uint32_t now = 1000;
    std::unique_ptr<ucProgressPanel> panel;
};

TEST_F(ProgressPanelTest, NewPanelDefaults) {
    EXPECT_EQ(panel->Caption(), "Please wait...");
    EXPECT_EQ(panel->BottomText(), "");
    EXPECT_TRUE(panel->PB1Visible());
    EXPECT_FALSE(panel->PB2Visible());
    EXPECT_EQ(panel->PB1Percent(), 0);
    EXPECT_EQ(panel->ProgbarTimings(), 0);
    EXPECT_TRUE(panel->CancelVisible());
    EXPECT_FALSE(panel->CancelClicked());
    EXPECT_FALSE(panel->ShowTimings());
    EXPECT_EQ(Child<QProgressBar>("pb1")->maximum(), 100);
    EXPECT_EQ(Child<QProgressBar>("pb2")->maximum(), 100);
    for (const char* name : {"lblTopText", "lblPB1", "pctPB1", "lblPB2", "pctPB2", "lblSideText",
                             "fTimings", "imgProgPanel"})
        EXPECT_NE(panel->findChild<QWidget*>(name), nullptr) << name;
}

TEST_F(ProgressPanelTest, SettersShowBarsAndPercentages) {
    panel->SetPB1Percent(42);
    EXPECT_EQ(Child<QLabel>("pctPB1")->text(), "42%");
    EXPECT_EQ(panel->PB1Percent(), 42);
    // Each bar's label follows its own figures, repeated ones and a return to the first one too.
    for (int16_t p : {42, 0, 0, 7, 7, 100, 0}) {
        panel->SetPB2Percent(p);
        EXPECT_EQ(Child<QLabel>("pctPB2")->text().toStdString(), std::to_string(p) + "%");
        EXPECT_EQ(panel->PB2Percent(), p);
        EXPECT_EQ(Child<QLabel>("pctPB1")->text(), "42%");
    }

    // A caption shows its bar even when the bar was hidden.
    panel->SetPB2Caption("Current piece:");
    EXPECT_TRUE(panel->PB2Visible());
    EXPECT_FALSE(Child<QLabel>("lblPB2")->isHidden());
    EXPECT_FALSE(Child<QLabel>("pctPB2")->isHidden());
    // Line breaks in CR or CR LF; a plug-in's caption is text, not markup.
    panel->SetPB1Caption("Pass 1\r\n<b>a.bin</b>");
    EXPECT_EQ(Child<QLabel>("lblPB1")->text(), "Pass 1\n<b>a.bin</b>");
    EXPECT_EQ(Child<QLabel>("lblPB1")->textFormat(), Qt::PlainText);
    panel->SetPB1Visible(false);
    EXPECT_TRUE(Child<QLabel>("lblPB1")->isHidden());
    EXPECT_TRUE(Child<QProgressBar>("pb1")->isHidden());
    EXPECT_TRUE(Child<QLabel>("pctPB1")->isHidden());
}

TEST_F(ProgressPanelTest, CancelIsRecordedUntilRearmed) {
    QSignalSpy spy(panel.get(), &ucProgressPanel::Cancelled);
    auto* button = Child<QPushButton>("cmdCancel");
    button->click();
    EXPECT_EQ(spy.count(), 1);
    EXPECT_TRUE(panel->CancelClicked());

    // Hidden, the button reads not clicked; shown again, it is re-armed.
    panel->SetCancelVisible(false);
    EXPECT_FALSE(panel->CancelClicked());
    panel->SetCancelVisible(true);
    EXPECT_FALSE(panel->CancelClicked());
    EXPECT_TRUE(button->isEnabled());
}

TEST_F(ProgressPanelTest, HiddenOrDisabledPagesNeitherLoseNorInventAClick) {
    QWidget page;
    panel->setParent(&page);
    page.show();
    page.setEnabled(false);
    EXPECT_FALSE(panel->CancelClicked());
    page.setEnabled(true);
    Child<QPushButton>("cmdCancel")->click();
    page.hide();
    page.setEnabled(false);
    EXPECT_TRUE(panel->CancelVisible());
    EXPECT_TRUE(panel->CancelClicked());
    panel->setParent(nullptr);
}

TEST_F(ProgressPanelTest, EstimateOnlyPastFivePercentAndThreeSeconds) {
    panel->StartTimings();
    EXPECT_TRUE(panel->ShowTimings());
    EXPECT_EQ(Timings(), "");
    EXPECT_EQ(At(10000, 5), "Elapsed time: 10 seconds.");
    EXPECT_EQ(At(3000, 50), "Elapsed time: 3 seconds.");
    EXPECT_EQ(At(500, 50), "Elapsed time: ");
}

TEST_F(ProgressPanelTest, SmoothedEstimateCountsDownInSteps) {
    panel->StartTimings();
    // First raw estimate 20000 ms: shown 5000 ms higher.
    EXPECT_EQ(At(20000, 50), "Elapsed time: 20 seconds.\n\nEstimated time left: 25 seconds.");
    // Inside the tolerance band the first step only sets the mark...
    EXPECT_EQ(At(21000, 51), "Elapsed time: 21 seconds.\n\nEstimated time left: 25 seconds.");
    // ...and later steps count down with the real elapsed time.
    EXPECT_EQ(At(23000, 53), "Elapsed time: 23 seconds.\n\nEstimated time left: 23 seconds.");
    // A raw estimate far outside the band re-synchronises.
    EXPECT_EQ(At(24000, 10),
              "Elapsed time: 24 seconds.\n\nEstimated time left: 3 minutes, 41 seconds.");
}

TEST_F(ProgressPanelTest, SmallAndFinalEstimatesReadLessThanTenSeconds) {
    panel->StartTimings();
    EXPECT_EQ(At(20000, 90), "Elapsed time: 20 seconds.\n\nEstimated time left: Less than 10 seconds");
    EXPECT_EQ(At(30000, 100), "Elapsed time: 30 seconds.\n\nEstimated time left: Less than 10 seconds");
}

TEST_F(ProgressPanelTest, OnlyTheDrivingBarUpdatesTheText) {
    panel->StartTimings();
    panel->SetProgbarTimings(1);
    EXPECT_EQ(At(5000, 50), "");
    now = start + 6000;
    panel->SetPB2Percent(50);
    EXPECT_EQ(Timings(), "Elapsed time: 6 seconds.\n\nEstimated time left: Less than 10 seconds");
    panel->SetProgbarTimings(2);
    now = start + 9000;
    panel->SetPB2Percent(60);
    EXPECT_EQ(At(9000, 60), "Elapsed time: 6 seconds.\n\nEstimated time left: Less than 10 seconds");
}

TEST_F(ProgressPanelTest, StopKeepsTextAndStartClearsIt) {
    panel->StartTimings();
    At(2000, 10);
    panel->StopTimings();
    EXPECT_FALSE(panel->ShowTimings());
    EXPECT_TRUE(Child<QWidget>("fTimings")->isHidden());
    EXPECT_EQ(At(8000, 20), "Elapsed time: 2 seconds.");
    panel->StartTimings();
    EXPECT_EQ(Timings(), "");
}

TEST_F(ProgressPanelTest, LongTasksAndTickWrapDoNotOverflow) {
    start = 0xFFFFF000u;
    now = start;
    panel->StartTimings();
    // About 46 days in at 6 %: the raw estimate needs more than 32 bits of milliseconds.
    std::string text = At(4000000000u, 6);
    EXPECT_EQ(text.rfind("Elapsed time: 46 days, ", 0), 0u) << text;
    EXPECT_NE(text.find("Estimated time left: 725 days, "), std::string::npos) << text;
}

}  // namespace
}  // namespace kb
