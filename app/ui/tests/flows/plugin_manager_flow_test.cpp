// The plug-in manager's actions on real test plug-ins: adding through the dialog, the checks on
// ticking, the details, configuring and removing with the slots moving up.
#define KB_TEST_PLUGIN_DIR KB_UI_TEST_PLUGIN_DIR
#include "app/pluginhost/tests/plugin_fixture.h"

#include <filesystem>
#include <fstream>
#include <memory>

#include "app/core/testing/scripted_dialogs.h"
#include "app/core/testing/temp_folder.h"
#include "app/pluginhost/plugin_list_file.h"
#include "app/ui/options/plugin_manager_flow.h"

namespace kb {
namespace {

using testing::TestPlugin;

class PluginManagerFlowTest : public testing::PluginHostTest {
protected:
    void SetUp() override {
        PluginHostTest::SetUp();
        std::filesystem::create_directories(home.File("Plugins"));
        env_ = std::make_unique<testing::ScopedEnv>("KESTRELBINDER_HOME", home.Path());
    }
    std::string ListFile() const {
        std::ifstream in(home.File("Plugins/Plugins.lst"), std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    int Count(int plugin, int cmd) const {
        int n = 0;
        for (const auto& [p, c] : Sent()) n += p == plugin && c == cmd;
        return n;
    }

    testing::TempFolder home;
    testing::ScriptedDialogs dialogs;
    PluginManagerFlow flow{host};

private:
    std::unique_ptr<testing::ScopedEnv> env_;
};

TEST_F(PluginManagerFlowTest, AddsATickedEncryptorFromTheDialog) {
    TestPluginScript& s = Script(0);
    s.name = "Padlock";
    s.nameLen = 7;
    s.type = PLUGIN_TYPE_ENCRYPTOR;
    s.writeType = 1;
    dialogs.ChooseFile(TestPlugin("scripted0"));
    EXPECT_TRUE(flow.cmdAddPlugin_Click());
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    EXPECT_EQ(dialogs.openRequests[0].filter, "Plugin DLLs|*.dll");
    EXPECT_EQ(dialogs.openRequests[0].fileName, home.File("Plugins") + "/*.dll");
    ASSERT_EQ(host.PluginList.Count(), 1);
    EXPECT_EQ(host.PluginList.Row(1).text, "Padlock");
    EXPECT_EQ(host.PluginList.Row(1).typeText, "Encryptor");
    EXPECT_TRUE(host.PluginList.Row(1).ticked);
    EXPECT_EQ(Count(0, PLUGIN_EVT_ENABLED), 1);
    EXPECT_NE(ListFile().find("1" + TestPlugin("scripted0") + "\r\n"), std::string::npos);

    // A cancelled dialog adds nothing; without "Plugins" it opens in the program folder.
    std::filesystem::remove_all(home.File("Plugins"));
    dialogs.Cancel();
    EXPECT_FALSE(flow.cmdAddPlugin_Click());
    EXPECT_EQ(dialogs.openRequests.at(1).fileName, home.Path() + "/*.dll");
    EXPECT_EQ(host.PluginList.Count(), 1);
}

TEST_F(PluginManagerFlowTest, TickingAnIncompatiblePlugInIsRefusedWithItsReason) {
    TestPluginScript& s = Script(0);
    dialogs.ChooseFile(TestPlugin("scripted0"));
    ASSERT_TRUE(flow.cmdAddPlugin_Click());
    flow.PluginList_ItemCheck(1, false);
    EXPECT_EQ(Count(0, PLUGIN_EVT_DISABLED), 1);
    const std::string before = ListFile();
    EXPECT_NE(before.find("0" + TestPlugin("scripted0")), std::string::npos);

    s.compat = PLUGIN_COMPAT_BAD;
    s.writeCompat = 1;
    s.reason = "It needs version 9.";
    prompter.Answer(Answer::OK);
    flow.PluginList_ItemCheck(1, true);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].title, "Incompatibility detected");
    EXPECT_EQ(prompter.boxes[0].text,
              "This plug-in cannot be enabled because it is incompatible with your version of "
              "Kestrelbinder. It needs version 9.");
    EXPECT_FALSE(host.PluginList.Row(1).ticked);
    EXPECT_EQ(ListFile(), before);
}

TEST_F(PluginManagerFlowTest, DetailsConfigureAndRemoveWithTheSlotsMovingUp) {
    for (int i : {0, 1}) {
        TestPluginScript& s = Script(i);
        s.name = i == 0 ? "First" : "Second";
        s.nameLen = static_cast<uint32_t>(std::strlen(s.name));
        s.author = i == 0 ? "" : "Ann";
        s.configurable = i;
        dialogs.ChooseFile(TestPlugin("scripted" + std::to_string(i)));
        ASSERT_TRUE(flow.cmdAddPlugin_Click());
    }
    PluginManagerFlow::Details d = flow.PluginList_ItemClick(2);
    EXPECT_EQ(d.text.substr(0, 14), "Second\rby Ann\r");
    EXPECT_TRUE(d.configurable);
    EXPECT_FALSE(flow.PluginList_ItemClick(1).configurable);
    EXPECT_EQ(flow.PluginList_ItemClick(0).text, "Nothing selected.");

    flow.cmdConfigPlugin_Click(2);
    EXPECT_EQ(Count(1, PLUGIN_CMD_CONFIGURE), 1);

    flow.cmdDelPlugin_Click(1);
    ASSERT_EQ(host.PluginList.Count(), 1);
    EXPECT_EQ(host.PluginList.Row(1).text, "Second");
    EXPECT_EQ(host.PluginCount, 1);
    EXPECT_EQ(host.GetPluginString(0, PLUGIN_CMD_GET_NAME), "Second");
    EXPECT_EQ(ListFile().find(TestPlugin("scripted0")), std::string::npos);
    flow.cmdDelPlugin_Click(0);  // no selected row: nothing happens
    EXPECT_EQ(host.PluginList.Count(), 1);
}

}  // namespace
}  // namespace kb
