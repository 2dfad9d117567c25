#pragma once
// Test plug-ins on disk and a fixture that gives each test a clean host.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/core/testing/scripted_prompter.h"
#include "app/pluginhost/plugin_sys.h"
#include "app/pluginhost/tests/plugins/test_plugin_script.h"

namespace kb::testing {

// Full path of a test plug-in library ("unhandled", "scripted0", ...).
inline std::string TestPlugin(const std::string& name) {
    return std::string(KB_TEST_PLUGIN_DIR) + "/" + name + ".so";
}

// Copies of the scripted plug-in; each has its own script.
inline constexpr int kScriptedCopies = 5;

class PluginHostTest : public ::testing::Test {
protected:
    void TearDown() override {
        host.ShutdownAllPlugins();
        host.InitPluginSystem();
        for (void* lib : held_) dlclose(lib);
    }

    // The host under test; each test has its own.
    PluginHost host;

    // The script of copy i, reset: id i, the shared journal, every answer "not written".
    // The test keeps the library open, so the script outlives the host's unloads.
    TestPluginScript& Script(int i) {
        void* lib = dlopen(TestPlugin("scripted" + std::to_string(i)).c_str(), RTLD_NOW);
        EXPECT_NE(lib, nullptr) << dlerror();
        held_.push_back(lib);
        auto of = reinterpret_cast<TestPluginScript* (*)()>(dlsym(lib, "TestPluginScriptOf"));
        TestPluginScript& s = *of();
        std::memset(&s, 0, sizeof s);
        s.id = i;
        s.journal = &journal;
        return s;
    }

    // Loads copy i into the next slot and returns the slot.
    int16_t LoadScripted(int i) {
        return host.LoadPluginSlot(TestPlugin("scripted" + std::to_string(i)));
    }

    // The commands of the journal as (plugin, cmd) pairs, in order.
    std::vector<std::pair<int, int>> Sent() const {
        std::vector<std::pair<int, int>> v;
        for (int k = 0; k < journal.count; ++k) {
            v.emplace_back(journal.entries[k].plugin, journal.entries[k].cmd);
        }
        return v;
    }

    TestJournal journal{};
    ScriptedPrompter prompter;

private:
    std::vector<void*> held_;
};

}  // namespace kb::testing
