// The sixth stage's generator list and the room their files take on the first disk.
#include "app/pluginhost/plugin_rows.h"
#include "app/pluginhost/plugin_sys.h"
#include "app/ui/tests/flows/split_wizard_flow_fixture.h"

namespace kb {
namespace {

class SplitExtraFilesTest : public testing::SplitWizardFlowTest {
protected:
    void Load(const char* name, bool ticked = true) {
        const std::string path = std::string(KB_UI_TEST_PLUGIN_DIR) + "/" + name;
        const int16_t slot = host.LoadPluginSlot(path);
        ASSERT_GE(slot, 0);
        host.PluginList.Add(slot + 1, PluginRow{"", "", path, "", "", "", 0, ticked});
    }
    // Extra files on, every offered generator ticked, then the list's click.
    void TickAllAndClick() {
        flow.range.extraFilesOn = true;
        flow.optExtraFilesOn_Click();
        for (ExtraFileRow& r : flow.range.extraFiles) r.ticked = true;
        flow.lvExtraFilesList_Click();
    }
    std::vector<std::string> Keys() const {
        std::vector<std::string> k;
        for (const ExtraFileRow& r : flow.range.extraFiles) k.push_back(r.key + "=" + r.text);
        return k;
    }
    void SetUp() override {
        SplitWizardFlowTest::SetUp();
        splitter.SetBigFile(MakeFile("big.bin", 5'000'000));
    }
};

TEST_F(SplitExtraFilesTest, ScriptAndProgramMakersAreOfferedOnlyForBarePieces) {
    Load("ui_gen_script.so");
    Load("ui_gen_exe.so");
    Load("ui_gen_extra.so");
    Load("ui_gen_broken.so", false);
    flow.range.extraFilesOn = true;
    flow.optExtraFilesOn_Click();
    EXPECT_EQ(Keys(), (std::vector<std::string>{"P2=Extra file maker"}));
    flow.cmpEnc.fileFormatting = 1;
    flow.optFileFormatting_Click(1);
    flow.optExtraFilesOn_Click();
    EXPECT_EQ(Keys(), (std::vector<std::string>{"P0=Script maker", "P1=Program maker",
                                                "P2=Extra file maker"}));
    flow.cmpEnc.fileFormatting = 0;
    flow.optFileFormatting_Click(0);
    EXPECT_EQ(Keys(), (std::vector<std::string>{"P2=Extra file maker"}));
    EXPECT_TRUE(flow.range.extraFilesListEnabled);
}

TEST_F(SplitExtraFilesTest, WithoutGeneratorsTheExtraFilesFallBackToDisabled) {
    prompter.Answer(Answer::OK);
    flow.range.extraFilesOn = true;
    flow.optExtraFilesOn_Click();
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].title, "No generators available");
    EXPECT_FALSE(flow.range.extraFilesOn);
    EXPECT_EQ(flow.range.extraFilesTag, "0");
}

TEST_F(SplitExtraFilesTest, TheFirstDiskLosesEachGeneratorsSizePlusItsMargin) {
    struct Case {
        std::vector<const char*> plugins;
        int formatting;
        int64_t total;
    };
    for (const Case& c : {Case{{"ui_gen_extra.so"}, 0, 2000 + 5120},
                          Case{{"ui_gen_script.so", "ui_gen_exe.so"}, 1, 14240},
                          Case{{}, 0, 0}}) {
        SCOPED_TRACE(c.total);
        host.ShutdownAllPlugins();
        ResetHost();
        for (const char* p : c.plugins) Load(p);
        flow.dest.toDisks = true;
        flow.cmpEnc.fileFormatting = c.formatting;
        if (c.plugins.empty()) {
            flow.range.extraFiles.clear();
            flow.lvExtraFilesList_Click();
        } else {
            TickAllAndClick();
        }
        const int64_t reduced = 1457664 - c.total;
        EXPECT_EQ(flow.range.extraFilesTag, std::to_string(reduced));
        EXPECT_EQ(splitter.FragmentSizeAtStart(), 1457664) << "the split run applies the tag";
        ActiveSplitter probe;
        probe.SetBigFile(splitter.BigFile());
        probe.SetFragmentSizeAtStart(reduced);
        EXPECT_EQ(flow.range.single.upper, probe.FragsNeeded());
        EXPECT_NE(flow.extraFilesCaption.find(std::to_string(probe.FragsNeeded()) + " pieces"),
                  std::string::npos);
    }
}

TEST_F(SplitExtraFilesTest, AFolderDestinationAsksNoGenerator) {
    Load("ui_gen_broken.so");
    flow.range.extraFilesTag = "1234";
    TickAllAndClick();  // a broken generator would show its box if it were asked
    EXPECT_EQ(flow.range.extraFilesTag, "1234");
    EXPECT_EQ(flow.range.to.upper, splitter.FragsNeeded());
}

TEST_F(SplitExtraFilesTest, AFailingGeneratorChangesNothing) {
    Load("ui_gen_extra.so");
    Load("ui_gen_broken.so");
    flow.dest.toDisks = true;
    flow.range.extraFilesTag = "777";
    flow.extraFilesCaption = "before";
    prompter.Answer(Answer::OK);
    TickAllAndClick();
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].title, "Generator problem");
    EXPECT_EQ(flow.range.extraFilesTag, "777");
    EXPECT_EQ(flow.extraFilesCaption, "before");
    EXPECT_EQ(splitter.FragmentSizeAtStart(), 1457664);
    EXPECT_TRUE(flow.nav.nextEnabled) << "the buttons come back after the question";
}

}  // namespace
}  // namespace kb
