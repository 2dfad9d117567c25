#include <QApplication>

#include <gtest/gtest.h>

#include <algorithm>

#include "app/core/reg_access.h"
#include "app/pluginhost/plugin_autoload.h"
#include "app/ui/shell/frm_main.h"
#include "app/ui/shell/startup.h"
#include "app/ui/tests/ui_fixture.h"

namespace kb {
namespace {

using testing::UiTest;

TEST(CommandLineOf, JoinsArgumentsQuotingThoseWithBlanks) {
    EXPECT_EQ(CommandLineOf({}), "");
    EXPECT_EQ(CommandLineOf({"-debuglog"}), "-debuglog");
    EXPECT_EQ(CommandLineOf({"/home/a/My File.bin", "-split"}), "\"/home/a/My File.bin\" -split");
}

class StartupTest : public UiTest {
protected:
    // A program folder with two plug-ins listed: the first enabled, the second not.
    void LayOutProgramFolder() {
        enabledPath = CopyRecorder(home.File("Plugins"), "enabled.so");
        disabledPath = CopyRecorder(home.File("Plugins"), "disabled.so");
        home.Write("Plugins/Plugins.lst",
                   "#Created by: Tarnwolde Kestrelbinder 4.0\r\n"
                   "#It is not recommended that you try to modify this file.\r\n"
                   "#If you want to reset the plugin list delete this file instead.\r\n"
                   "1" + enabledPath + "\r\n0" + disabledPath + "\r\n~end~\r\n");
    }
    size_t LinePosition(const std::vector<std::string>& lines, const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) - lines.begin();
    }

    std::string enabledPath, disabledPath;
};

struct LoadCompleteProbe {
    bool visible = false;
    bool argumentsHandled = true;
    bool seen = false;
};

TEST_F(StartupTest, LoadCompleteGoesToTickedRowsAfterShowingAndBeforeArguments) {
    LayOutProgramFolder();
    // Watch the enabled plug-in's 310 from inside: is the window up, are arguments handled?
    static LoadCompleteProbe probe;
    probe = LoadCompleteProbe{};
    static std::string logFile;
    logFile = home.File("KxDebugLog.txt");

    std::unique_ptr<frmMain> window;
    {
        // Opening the enabled plug-in here first lets the test hook it before Main loads it:
        // the loader hands Main the same instance.
        void* keep = dlopen(enabledPath.c_str(), RTLD_NOW);
        ASSERT_NE(keep, nullptr);
        auto* rec = static_cast<RecorderState*>(dlsym(keep, RECORDER_STATE_SYMBOL));
        rec->hook = [](int32_t cmd, void*) {
            if (cmd != PLUGIN_EVT_LOAD_COMPLETE) return;
            probe.seen = true;
            QWidget* w = nullptr;
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->objectName() == "frmMain") w = top;
            probe.visible = w != nullptr && w->isVisible();
            std::string log = testing::ReadAll(logFile);
            probe.argumentsHandled = log.find("Handling arguments") != std::string::npos;
        };
        window = Main("-DebugLog", 0);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->isVisible());
        EXPECT_TRUE(probe.seen);
        EXPECT_TRUE(probe.visible);
        EXPECT_FALSE(probe.argumentsHandled);
        EXPECT_EQ(Count(rec, PLUGIN_EVT_LOAD_COMPLETE), 1);
        ASSERT_NE(Record(disabledPath), nullptr);
        EXPECT_EQ(Count(Record(disabledPath), PLUGIN_EVT_LOAD_COMPLETE), 0);
        ASSERT_EQ(window->Plugins().PluginList.Count(), 2);
        EXPECT_TRUE(window->Plugins().PluginList.Ticked(1));
        EXPECT_FALSE(window->Plugins().PluginList.Ticked(2));
        rec->hook = nullptr;
        window->close();
        window.reset();
        dlclose(keep);
    }

    EXPECT_EQ(DefaultNamingTemplate, "%f - %n.frg");
    EXPECT_EQ(RegReadString(platform::HKEY_CURRENT_USER,
                            "Software\\Tarnwolde Kestrelbinder\\Installation", "Version"),
              "4.0.0");

    const std::vector<std::string> log = LogLines();
    ASSERT_FALSE(log.empty());
    EXPECT_TRUE(log[0].starts_with("----Program startup ")) << log[0];
    EXPECT_TRUE(log[0].ends_with("----"));
    EXPECT_EQ(log[1], "Running from: " + home.Path());
    const char* order[] = {"Form_Initialize entered",
                           "Form_Load entered",
                           "Form_Load finished",
                           "Form_Initialize finsished",
                           "Performing plug-in subsystem initialization",
                           "Loading plug-ins",
                           "Informing plugins of load completion",
                           "Handling arguments",
                           "Main() finished successfully",
                           "Form_Unload started",
                           "Removing all temporary files",
                           "Form_Unload finished",
                           "Form_Terminate started",
                           "ShutdownAllPlugins() called",
                           "Form_Terminate finished"};
    size_t last = 0;
    for (const char* line : order) {
        const size_t at = LinePosition(log, line);
        ASSERT_LT(at, log.size()) << line;
        EXPECT_GT(at, last) << line;
        last = at;
    }
}

TEST_F(StartupTest, VersionIsRewrittenAndNoLogWithoutTheSwitch) {
    std::string old = "3.9.0";
    RegWriteString(platform::HKEY_CURRENT_USER, "Software\\Tarnwolde Kestrelbinder\\Installation",
                   "Version", old);
    // No "Plugins" folder at all: the program starts without plug-ins.
    auto window = Main("some file.bin", 0);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->Plugins().PluginList.Count(), 0);
    EXPECT_EQ(ProgramCommandLine, "some file.bin");
    window->close();
    window.reset();
    EXPECT_TRUE(LogLines().empty());
    EXPECT_EQ(RegReadString(platform::HKEY_CURRENT_USER,
                            "Software\\Tarnwolde Kestrelbinder\\Installation", "Version"),
              "4.0.0");
}

TEST_F(StartupTest, TheBuiltProgramFolderListsTeaEnabled) {
    const char* binary = KB_UI_BINARY_DIR;
    testing::ScopedEnv shipped("KESTRELBINDER_HOME", std::string(binary) + "/bin");
    AutoloadPlugins(host);
    ASSERT_EQ(host.PluginList.Count(), 1);
    EXPECT_EQ(host.PluginList.Row(1).text, "TEA Encryption");
    EXPECT_TRUE(host.PluginList.Ticked(1));
    EXPECT_TRUE(std::filesystem::is_directory(std::string(binary) + "/bin/Unfinished Tasks"));
}

}  // namespace
}  // namespace kb
