#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/core/reg_access.h"
#include "app/ui/shell/frm_about.h"
#include "app/ui/shell/rnd.h"
#include "app/ui/shell/tip_of_the_day.h"
#include "app/ui/tests/ui_fixture.h"

namespace kb {
namespace {

using testing::UiTest;

constexpr const char* kKey = "Software\\Tarnwolde\\Kestrelbinder";

class TipTest : public UiTest {
protected:
    void Store(std::string value) {
        RegWriteString(platform::HKEY_CURRENT_USER, kKey, "TipPointer", value);
    }
    std::string Stored() {
        return RegReadString(platform::HKEY_CURRENT_USER, kKey, "TipPointer");
    }
    std::string Tip(int i) { return TipOfTheDay::Tip(static_cast<int16_t>(i)); }
    TipOfTheDay tips;
};

TEST_F(TipTest, FirstStartShowsTipZeroAndStoresOne) {
    EXPECT_EQ(tips.NextTip(), Tip(0));
    EXPECT_EQ(Stored(), "1");
    EXPECT_EQ(tips.NextTip(), Tip(1));
    EXPECT_EQ(Stored(), "2");
}

TEST_F(TipTest, PointerWrapsBetweenTwelveAndZero) {
    Store("12");
    EXPECT_EQ(tips.NextTip(), Tip(12));
    EXPECT_EQ(Stored(), "0");
    EXPECT_EQ(tips.NextTip(), Tip(0));
    EXPECT_EQ(Stored(), "1");

    Store("0");  // tip 12 on screen
    EXPECT_EQ(tips.PreviousTip(), Tip(11));
    EXPECT_EQ(Stored(), "12");
}

TEST_F(TipTest, StoredPointersAreReadAsTheirWrappedNumber) {
    struct Case {
        const char* stored;
        int shown;
    };
    const Case cases[] = {{"27", 1}, {"-1", 12}, {"", 0}, {"abc", 0}, {"5 ", 5},
                          {"99999", 0}, {"2.5", 2}, {"3.5", 4}};
    for (const Case& c : cases) {
        Store(c.stored);
        EXPECT_EQ(tips.NextTip(), Tip(c.shown)) << '"' << c.stored << '"';
    }
}

TEST_F(TipTest, ThirteenDistinctTipsWithTheFixedOnesFirst) {
    std::set<std::string> all;
    for (int i = 0; i < TipOfTheDay::kTipCount; ++i) all.insert(Tip(i));
    EXPECT_EQ(all.size(), 13u);
    EXPECT_EQ(Tip(2), "Often you can press F1 for additional help on the control that is "
                      "currently selected.");
    EXPECT_NE(Tip(11).find("Check for Updates"), std::string::npos);
}

class AboutTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        frmAbout::SetUrlOpener([this](const std::string& url) { opened.push_back(url); });
    }
    void TearDown() override {
        frmAbout::SetUrlOpener(nullptr);
        UiTest::TearDown();
    }
    std::vector<std::string> opened;
};

TEST_F(AboutTest, ButtonsOpenTheProductAndUpdatePages) {
    frmAbout about;
    EXPECT_EQ(about.windowTitle(), "About");
    about.findChild<QPushButton*>("cmdVisitSite")->click();
    about.findChild<QPushButton*>("cmdCheckUpdates")->click();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_TRUE(opened[0].ends_with("/products/kestrelbinder")) << opened[0];
    EXPECT_TRUE(opened[1].ends_with(
        "/products/kestrelbinder/updatecheck.asp?Major=4&Minor=0&Revision=0"))
        << opened[1];
    EXPECT_EQ(opened[1].substr(0, opened[0].size()), opened[0]);
    EXPECT_EQ(frmAbout::UpdateCheckURL(4, 10, 7).substr(opened[0].size()),
              "/updatecheck.asp?Major=4&Minor=10&Revision=7");

    about.show();
    about.findChild<QPushButton*>("cmdOK")->click();
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);
}

TEST_F(AboutTest, EachOpeningDrawsOneOfTheFourSlogans) {
    const std::set<std::string> slogans = {frmAbout::Slogan(1), frmAbout::Slogan(2),
                                           frmAbout::Slogan(3), frmAbout::Slogan(4)};
    ASSERT_EQ(slogans.size(), 4u);
    EXPECT_EQ(frmAbout::Slogan(1), "The future of file splitting technology");
    Randomize(7);
    std::set<std::string> seen;
    for (int i = 0; i < 60; ++i) {
        frmAbout about;
        seen.insert(about.findChild<QLabel*>("lblSlogan")->text().toStdString());
    }
    EXPECT_EQ(seen, slogans);
    frmAbout about;
    for (const char* name : {"lblCredits", "lblYear", "lblProductName", "lblCompanyName"})
        EXPECT_NE(about.findChild<QLabel*>(name), nullptr) << name;
    EXPECT_FALSE(about.findChild<QLabel*>("lblCredits")->text().isEmpty());
}

}  // namespace
}  // namespace kb
