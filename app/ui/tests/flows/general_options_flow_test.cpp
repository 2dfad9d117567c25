// The general options: first run, Save and Revert through the registry, Reset, Clear, Browse
// and the segment size reaching the engine at once.
#include <gtest/gtest.h>

#include <vector>

#include "app/core/reg_access.h"
#include "app/core/testing/scripted_dialogs.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/ui/options/general_options_flow.h"
#include "app/ui/tests/ui_fixture.h"

namespace kb {
namespace {

using testing::ScriptedDialogs;
using testing::ScriptedPrompter;

class GeneralOptionsFlowTest : public testing::UiTest {
protected:
    std::string Stored(const char* value) {
        return RegReadString(HKEY_CURRENT_USER, "Software\\Tarnwolde\\Kestrelbinder", value);
    }
    bool formLoading = false;
    std::vector<int32_t> applied;
    GeneralOptionsFlow flow{[this](int32_t s) { applied.push_back(s); }, formLoading};
    ScriptedPrompter prompter;
    ScriptedDialogs dialogs;
};

TEST_F(GeneralOptionsFlowTest, FirstRunRevertsQuietlyToTheDefaults) {
    flow.cmdOptGenCancel_Click();
    EXPECT_EQ(flow.Source(), "");
    EXPECT_EQ(flow.Dest(), "");
    EXPECT_EQ(flow.Position(), 8);
    EXPECT_EQ(flow.SizeText(), "256 kb");
    EXPECT_EQ(applied.back(), 262144);
    EXPECT_FALSE(flow.ResetEnabled());
    EXPECT_FALSE(flow.RevertEnabled());
    EXPECT_FALSE(flow.SaveEnabled());
    EXPECT_TRUE(prompter.boxes.empty());
    EXPECT_FALSE(formLoading);
}

TEST_F(GeneralOptionsFlowTest, SavedSettingsComeBackAfterARestart) {
    dialogs.ChooseFolder("/").ChooseFolder("/srv/pieces/");
    flow.cmdOptGenDirSourceSet_Click();
    flow.cmdOptGenDirDestSet_Click();
    flow.sldOptGenSegSize_Change(11);
    EXPECT_EQ(applied.back(), 2097152);
    EXPECT_EQ(flow.SizeText(), "2048 kb");
    EXPECT_TRUE(flow.SaveEnabled());
    flow.cmdOptGenOK_Click();
    EXPECT_EQ(Stored("SegmentSize"), "11");
    EXPECT_EQ(Stored("DefaultSource"), "/");
    EXPECT_EQ(Stored("DefaultDest"), "/srv/pieces");
    EXPECT_FALSE(flow.SaveEnabled());
    EXPECT_TRUE(flow.ResetEnabled());

    bool loading = false;
    GeneralOptionsFlow restarted(nullptr, loading);
    restarted.cmdOptGenCancel_Click();
    EXPECT_EQ(restarted.Position(), 11);
    EXPECT_EQ(restarted.Source(), "/");
    EXPECT_EQ(restarted.Dest(), "/srv/pieces");
}

TEST_F(GeneralOptionsFlowTest, ClearedFoldersAreStoredAsABlankThatCountsAsNone) {
    dialogs.ChooseFolder("/data");
    flow.cmdOptGenDirDestSet_Click();
    prompter.Answer(Answer::Cancel).Answer(Answer::OK);
    flow.cmdOptGenDirDestClear_Click();
    EXPECT_EQ(flow.Dest(), "/data");
    flow.cmdOptGenDirDestClear_Click();
    EXPECT_EQ(flow.Dest(), "");
    ASSERT_EQ(prompter.boxes.size(), 2u);
    EXPECT_EQ(prompter.boxes[1].title, "Clear default destination directory");
    EXPECT_EQ(prompter.boxes[1].text,
              "Are you sure you want to clear the default destination directory? This will cause "
              "Kestrelbinder to use the current, or last-used directory each time like when you "
              "first installed Kestrelbinder.");
    EXPECT_EQ(prompter.boxes[1].style, mb::Exclamation | mb::OKCancel);
    flow.cmdOptGenOK_Click();
    EXPECT_EQ(Stored("DefaultDest"), " ");
    flow.cmdOptGenCancel_Click();
    EXPECT_EQ(flow.Dest(), " ");
    EXPECT_FALSE(flow.ResetEnabled());
}

TEST_F(GeneralOptionsFlowTest, ResetSpeaksOnlyWhenTheUserAsks) {
    prompter.Answer(Answer::OK);
    flow.cmdOptGenReset_Click();
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].title, "Settings reset");
    EXPECT_FALSE(flow.ResetEnabled());
    EXPECT_TRUE(flow.SaveEnabled());
    EXPECT_EQ(Stored("SegmentSize"), "") << "nothing written";

    dialogs.Cancel();
    flow.cmdOptGenDirSourceSet_Click();
    EXPECT_EQ(flow.Source(), "");
    EXPECT_TRUE(flow.ResetEnabled()) << "a cancelled Browse still enables the buttons";
    EXPECT_EQ(dialogs.folderRequests.at(0).title,
              "Select the folder to make the default source...");
}

TEST_F(GeneralOptionsFlowTest, AStoredSizeOutsideTheSliderIsIgnored) {
    for (const char* stored : {"3", "12", "big", "9.4"}) {
        std::string v = stored;
        RegWriteString(HKEY_CURRENT_USER, "Software\\Tarnwolde\\Kestrelbinder", "SegmentSize", v);
        flow.cmdOptGenCancel_Click();
        EXPECT_EQ(flow.Position(), std::string(stored) == "9.4" ? 9 : 8) << stored;
    }
}

}  // namespace
}  // namespace kb
