#pragma once
// Shared by the widget tests and the tests of the Qt-free window code: a fresh program folder
// and registry for each test, the test's own plug-in host, and copies of the recording plug-in
// loaded through the real dlopen path.

#include <dlfcn.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/core/debug_log.h"
#include "app/core/testing/temp_folder.h"
#include "app/pluginhost/plugin_rows.h"
#include "app/pluginhost/plugin_sys.h"
#include "app/ui/tests/plugins/recorder.h"

namespace kb::testing {

class UiTest : public ::testing::Test {
public:
    // How the host gets the program's callback: set by the widget tests' main; the tests of
    // the Qt-free window code run without it.
    static inline void (*serveCallbacks)(PluginHost*) = nullptr;

protected:
    void SetUp() override {
        home_ = std::make_unique<ScopedEnv>("KESTRELBINDER_HOME", home.Path());
        registry_ = std::make_unique<ScopedEnv>("KESTRELBINDER_REGISTRY", registryFolder.Path());
        if (serveCallbacks != nullptr) serveCallbacks(&host);
    }
    void TearDown() override {
        host.ShutdownAllPlugins();
        host.InitPluginSystem();
        if (serveCallbacks != nullptr) serveCallbacks(nullptr);
        DebugLogEnabled = false;
    }

    // Puts the host back to empty, for a test that runs several cases.
    void ResetHost() {
        host.InitPluginSystem();
        host.PluginList.Clear();
        host.OldWindowProc = 0;
        host.SubclassPluginIndex = 0;
        host.PluginProgressPanel = nullptr;
    }

    // The plug-in host of the test; each test has its own.
    PluginHost host;

    // A copy of the recording plug-in under the given name in the folder.
    std::string CopyRecorder(const std::string& folder, const std::string& name) {
        std::filesystem::create_directories(folder);
        const std::string path = folder + "/" + name;
        std::filesystem::copy_file(KB_UI_RECORDER, path,
                                   std::filesystem::copy_options::overwrite_existing);
        return path;
    }
    // The record of a loaded copy (nullptr when it is not loaded).
    static RecorderState* Record(const std::string& path) {
        void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (h == nullptr) return nullptr;
        auto* state = static_cast<RecorderState*>(dlsym(h, RECORDER_STATE_SYMBOL));
        dlclose(h);
        return state;
    }
    static int Count(const RecorderState* s, int32_t cmd) {
        int n = 0;
        for (int i = 0; i < s->count; ++i) n += s->commands[i] == cmd;
        return n;
    }
    // Loads a copy into the next slot and enables it in the host library.
    std::string LoadEnabledRecorder(const std::string& name) {
        const std::string path = CopyRecorder(home.File("Plugins"), name);
        const int16_t slot = host.LoadPluginSlot(path);
        EXPECT_GE(slot, 0);
        host.SendPluginCommand(slot, PLUGIN_EVT_ENABLED);
        return path;
    }
    // The lines of the debug log.
    std::vector<std::string> LogLines() const {
        std::vector<std::string> lines;
        std::string all = ReadAll(home.File("KxDebugLog.txt"));
        size_t start = 0;
        for (size_t end; (end = all.find("\r\n", start)) != std::string::npos; start = end + 2)
            lines.push_back(all.substr(start, end - start));
        return lines;
    }

    TempFolder home;
    TempFolder registryFolder;

private:
    std::unique_ptr<ScopedEnv> home_;
    std::unique_ptr<ScopedEnv> registry_;
};

}  // namespace kb::testing
