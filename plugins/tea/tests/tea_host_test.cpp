// libTea.so loaded the way the program loads it at start-up: an entry of the list file,
// autoload, the host library's loadplugin, and commands through callpluginmain.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "app/core/testing/scripted_prompter.h"
#include "app/core/testing/temp_folder.h"
#include "app/pluginhost/include/kb_plugin.h"
#include "app/pluginhost/kbplugin.h"
#include "app/pluginhost/plugin_autoload.h"
#include "app/pluginhost/plugin_rows.h"
#include "app/pluginhost/plugin_sys.h"

namespace kb {
namespace {

using testing::ReadAll;

std::vector<int32_t> g_progress;
int32_t HostCallback(int32_t code, PluginBstr*, PluginBstr*, int32_t* r, int32_t*) {
    if (code != PLUGIN_CB_SET_PROGRESS) return PLUGIN_CB_UNKNOWN_CODE;
    g_progress.push_back(*r);
    return PLUGIN_OK;
}

int32_t FileCommand(PluginHost& host, int32_t cmd, const std::string& from, const std::string& to, const char* pass) {
    PluginBstr a = PluginBstrAllocText(from.c_str()), b = PluginBstrAllocText(to.c_str()),
               c = PluginBstrAllocText(pass);
    int32_t zero = 0;
    const int32_t result =
        host.CallPluginMain(0, cmd, &a, &b, &c, &zero);
    PluginBstrFree(a);
    PluginBstrFree(b);
    PluginBstrFree(c);
    return result;
}

TEST(TeaInTheHost, AutoloadedFromTheListFileAndAnsweringThroughTheHost) {
    testing::TempFolder home;
    testing::ScopedEnv env("KESTRELBINDER_HOME", home.Path());
    testing::ScriptedPrompter prompter;  // fails the test on any box
    ASSERT_EQ(::mkdir(home.File("Plugins").c_str(), 0755), 0);
    home.Write("Plugins/Plugins.lst",
               "#Created by: Tarnwolde Kestrelbinder 4.0\r\n"
               "#It is not recommended that you try to modify this file.\r\n"
               "#If you want to reset the plugin list delete this file instead.\r\n"
               "1" KB_TEA_PLUGIN "\r\n~end~\r\n");
    PluginHost host;
    host.SetPluginHostCallback(&HostCallback);

    AutoloadPlugins(host);

    ASSERT_EQ(host.PluginCount, 1);
    ASSERT_EQ(host.PluginList.Count(), 1);
    const PluginRow& row = host.PluginList.Row(1);
    EXPECT_EQ(row.text, "TEA Encryption");
    EXPECT_EQ(row.typeText, "Encryptor");
    EXPECT_EQ(row.compatText, "Yes");
    EXPECT_TRUE(row.ticked);
    EXPECT_NE(host.Libraries.isEnabled(0), 0);
    EXPECT_EQ(host.GetPluginString(0, PLUGIN_CMD_GET_NAME), "TEA Encryption");
    EXPECT_EQ(host.GetPluginEncryptionID(0), 2);
    EXPECT_EQ(host.SendPluginCommand(0, PLUGIN_CMD_GET_RESOURCE_MASK), PLUGIN_NOT_HANDLED);

    const std::string src = home.Write("src", testing::RandomBytes(4000));
    const std::string enc = home.File("enc"), dec = home.File("dec");
    ASSERT_EQ(FileCommand(host, PLUGIN_CMD_ENCRYPT_FILE, src, enc, "host"), 0);
    EXPECT_EQ(g_progress, (std::vector<int32_t>{20, 40, 60, 80, 100}));
    EXPECT_EQ(FileCommand(host, PLUGIN_CMD_DECRYPT_FILE, enc, dec, "guest"), 1);
    ASSERT_EQ(FileCommand(host, PLUGIN_CMD_DECRYPT_FILE, enc, dec, "host"), 0);
    EXPECT_EQ(ReadAll(dec), ReadAll(src));

    host.UnloadPluginSlot(0);
    EXPECT_EQ(host.PluginCount, 0);
    host.ShutdownAllPlugins();
    host.SetPluginHostCallback(nullptr);
    host.PluginList.Clear();
}

}  // namespace
}  // namespace kb
