// Slots, broadcasts, queries and message forwarding against real plug-in libraries.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/core/debug_log.h"
#include "app/core/kb_error.h"
#include "app/core/testing/temp_folder.h"
#include "app/pluginhost/tests/plugin_fixture.h"

namespace kb::testing {
namespace {

using Sends = std::vector<std::pair<int, int>>;

TEST(HostLibrary, LoadsOnlyLibrariesWithAnEntryAndTracksEnabledFlags) {
    TempFolder tmp;
    kbplugin::SlotTable table;
    EXPECT_LT(table.loadplugin(tmp.File("missing.so").c_str()), 0);
    EXPECT_LT(table.loadplugin(tmp.Write("text.so", "not a library").c_str()), 0);
    EXPECT_LT(table.loadplugin(TestPlugin("not_a_plugin").c_str()), 0);
    EXPECT_LT(table.loadplugin(""), 0);

    ASSERT_EQ(table.loadplugin(TestPlugin("unhandled").c_str()), 0);
    ASSERT_EQ(table.loadplugin(TestPlugin("unhandled").c_str()), 1);
    ASSERT_EQ(table.loadplugin(TestPlugin("unhandled").c_str()), 2);
    EXPECT_EQ(table.isEnabled(1), 0);
    int16_t flag = 0, zero = 0;
    table.callpluginmain(2, PLUGIN_EVT_ENABLED, nullptr, &flag, &zero, &zero, &zero);
    EXPECT_NE(table.isEnabled(2), 0);

    // Compaction carries the flag down with its library.
    table.unloadplugin(1);
    table.reorgplugins(1);
    EXPECT_NE(table.isEnabled(1), 0);
    EXPECT_EQ(table.isEnabled(2), 0);
    EXPECT_EQ(table.loadplugin(TestPlugin("unhandled").c_str()), 2);

    int32_t z = 0;
    table.callpluginmain(1, PLUGIN_EVT_DISABLED, nullptr, &z, &z, &z, &z);
    EXPECT_EQ(table.isEnabled(1), 0);
    // A free slot or one outside the table calls nothing.
    EXPECT_EQ(table.callpluginmain(5, PLUGIN_CMD_GET_TYPE, nullptr, &z, &z, &z, &z),
              PLUGIN_NOT_HANDLED);
    EXPECT_EQ(table.callpluginmain(-1, PLUGIN_CMD_GET_TYPE, nullptr, &z, &z, &z, &z),
              PLUGIN_NOT_HANDLED);
    EXPECT_EQ(table.isEnabled(40), 0);
    table.init();
}

using PluginSysTest = PluginHostTest;

TEST_F(PluginSysTest, SixteenSlotsAndTheSeventeenthIsRefused) {
    for (int i = 0; i < 16; ++i) ASSERT_EQ(host.LoadPluginSlot(TestPlugin("unhandled")), i);
    prompter.Answer(Answer::OK);
    EXPECT_EQ(host.LoadPluginSlot(TestPlugin("unhandled")), -1);
    EXPECT_EQ(host.PluginCount, 16);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, "Out of plugin sockets");
    EXPECT_EQ(prompter.boxes[0].title, "Plugin Error");
    EXPECT_EQ(prompter.boxes[0].style, mb::Critical | mb::OKOnly);
}

TEST_F(PluginSysTest, FailedLoadIsNegativeAndCountsNothing) {
    EXPECT_LT(host.LoadPluginSlot(TestPlugin("not_a_plugin")), 0);
    EXPECT_LT(host.LoadPluginSlot(TestPlugin("unhandled") + std::string("\0x", 2)), 0);
    EXPECT_EQ(host.PluginCount, 0);
    EXPECT_EQ(host.LoadPluginSlot(TestPlugin("unhandled")), 0);
}

TEST_F(PluginSysTest, BrokenDenseNumberingEndsTheProgram) {
    // The library's table holds a plug-in the host does not count.
    ASSERT_EQ(host.Libraries.loadplugin(TestPlugin("unhandled").c_str()), 0);
    EXPECT_THROW(host.LoadPluginSlot(TestPlugin("unhandled")), ProgramEnded);
    EXPECT_TRUE(prompter.ended);
}

TEST_F(PluginSysTest, UnloadCompactsAndTheReceiverFollowsItsPlugin) {
    for (int i = 0; i < 3; ++i) {
        Script(i);
        ASSERT_EQ(LoadScripted(i), i);
    }
    host.SubclassPluginIndex = 2;
    host.UnloadPluginSlot(1);
    EXPECT_EQ(host.PluginCount, 2);
    EXPECT_EQ(host.SubclassPluginIndex, 1);
    EXPECT_EQ(host.SendPluginCommand(1, PLUGIN_CMD_CONFIGURE), PLUGIN_OK);
    EXPECT_EQ(Sent(), (Sends{{1, PLUGIN_EVT_DISABLED}, {2, PLUGIN_CMD_CONFIGURE}}));

    // Nothing for a slot past the end.
    journal.count = 0;
    host.UnloadPluginSlot(2);
    host.UnloadPluginSlot(-1);
    EXPECT_EQ(journal.count, 0);
    EXPECT_EQ(host.PluginCount, 2);
}

TEST_F(PluginSysTest, BroadcastsReachEnabledSlotsOnlyInSlotOrder) {
    for (int i = 0; i < 3; ++i) {
        Script(i);
        LoadScripted(i);
    }
    host.BroadcastPluginEvent(PLUGIN_EVT_SPLIT_START);
    EXPECT_EQ(journal.count, 0);

    host.SendPluginCommand(2, PLUGIN_EVT_ENABLED);
    host.SendPluginCommand(0, PLUGIN_EVT_ENABLED);
    journal.count = 0;
    host.BroadcastPluginEvent(PLUGIN_EVT_SPLIT_PROGRESS);
    ASSERT_EQ(Sent(), (Sends{{0, PLUGIN_EVT_SPLIT_PROGRESS}, {2, PLUGIN_EVT_SPLIT_PROGRESS}}));
    EXPECT_TRUE(journal.entries[0].variantsOk);
    EXPECT_TRUE(journal.entries[0].callbackSet);

    host.SendPluginCommand(2, PLUGIN_EVT_DISABLED);
    journal.count = 0;
    host.BroadcastPluginEvent(PLUGIN_EVT_WIZARD_PAGE);
    EXPECT_EQ(Sent(), (Sends{{0, PLUGIN_EVT_WIZARD_PAGE}}));

    // The enabled flag moves with its plug-in when a lower slot goes.
    host.UnloadPluginSlot(0);
    host.SendPluginCommand(1, PLUGIN_EVT_ENABLED);
    journal.count = 0;
    host.BroadcastPluginEvent(PLUGIN_EVT_TAB_CHANGED);
    EXPECT_EQ(Sent(), (Sends{{2, PLUGIN_EVT_TAB_CHANGED}}));
}

// The host callback of the test below: the manager's Remove, clicked while a plug-in handles
// an event.
int16_t slotToRemove = -1;
PluginHost* removingHost = nullptr;
int32_t RemoveDuringEvent(int32_t, PluginBstr*, PluginBstr*, int32_t*, int32_t*) {
    if (slotToRemove >= 0) removingHost->UnloadPluginSlot(slotToRemove);
    slotToRemove = -1;
    return PLUGIN_OK;
}

TEST_F(PluginSysTest, PluginRemovedDuringABroadcastMakesNoOtherMissIt) {
    constexpr int E = PLUGIN_EVT_SPLIT_PROGRESS;
    struct Case {
        int handler;   // the plug-in whose handler lets the removal happen
        int16_t slot;  // the slot removed
        Sends events;  // the broadcast's events, in order
    } cases[] = {
        {0, 0, {{0, E}, {1, E}, {2, E}}},  // the plug-in handling the event goes
        {1, 0, {{0, E}, {1, E}, {2, E}}},  // one already visited goes
        {0, 1, {{0, E}, {2, E}}},           // one not yet visited goes: it gets nothing
        {2, 2, {{0, E}, {1, E}, {2, E}}},  // the last goes while handling it
    };
    removingHost = &host;
    host.SetPluginHostCallback(&RemoveDuringEvent);
    for (const Case& c : cases) {
        host.InitPluginSystem();
        for (int i = 0; i < 3; ++i) {
            TestPluginScript& s = Script(i);
            if (i == c.handler) s.callbackOnEvent = E;
            ASSERT_EQ(LoadScripted(i), i);
            host.SendPluginCommand(static_cast<int16_t>(i), PLUGIN_EVT_ENABLED);
        }
        journal.count = 0;
        slotToRemove = c.slot;
        host.BroadcastPluginEvent(E);
        Sends events;
        for (const auto& e : Sent())
            if (e.second == E) events.push_back(e);
        EXPECT_EQ(events, c.events) << "handler " << c.handler << ", removed slot " << c.slot;
        EXPECT_EQ(host.PluginCount, 2);
        host.ShutdownAllPlugins();
    }
    host.SetPluginHostCallback(nullptr);
}

TEST_F(PluginSysTest, PluginStringsAreCutAtANulAfterTheFirstByte) {
    TestPluginScript& s = Script(0);
    LoadScripted(0);
    struct Case {
        std::string name, expected;
    } cases[] = {
        {std::string("AB\0CD", 5), "AB"},
        {std::string("\0AB", 3), std::string("\0AB", 3)},
        {"TEA Encryption", "TEA Encryption"},
        {"", ""},
    };
    for (const Case& c : cases) {
        s.name = c.name.data();
        s.nameLen = static_cast<uint32_t>(c.name.size());
        EXPECT_EQ(host.GetPluginString(0, PLUGIN_CMD_GET_NAME), c.expected);
    }
    s.author = "Someone";
    EXPECT_EQ(host.GetPluginString(0, PLUGIN_CMD_GET_AUTHOR), "Someone");
    EXPECT_EQ(host.GetPluginString(0, PLUGIN_CMD_GET_NOTICE), "");
}

TEST_F(PluginSysTest, EncryptionIdIsWhatThePluginWritesElseZero) {
    TestPluginScript& s = Script(0);
    LoadScripted(0);
    EXPECT_EQ(host.GetPluginEncryptionID(0), 0);
    s.encryptionId = 2;
    EXPECT_EQ(host.GetPluginEncryptionID(0), 2);
}

TEST_F(PluginSysTest, CommandsCarryTheProgramsCallback) {
    TestPluginScript& s = Script(0);
    LoadScripted(0);
    host.SendPluginCommand(0, PLUGIN_CMD_CONFIGURE);  // the plug-in asks the callback for code 99
    EXPECT_EQ(s.callbackAnswer, PLUGIN_CB_UNKNOWN_CODE);

    host.SetPluginHostCallback([](int32_t code, PluginBstr*, PluginBstr*, int32_t*, int32_t*) {
        return code + 1;
    });
    host.SendPluginCommand(0, PLUGIN_CMD_CONFIGURE);
    EXPECT_EQ(s.callbackAnswer, 100);
    host.SetPluginHostCallback(nullptr);
    host.SendPluginCommand(0, PLUGIN_CMD_CONFIGURE);
    EXPECT_EQ(s.callbackAnswer, PLUGIN_CB_UNKNOWN_CODE);
}

TEST_F(PluginSysTest, APluginRemovedWhileItsCommandRunsStaysMappedUntilItReturns) {
    // No Script() here: nothing but the host holds this library open. Its command 27 calls the
    // callback, and the callback removes it, as the user may while a callback pumps messages.
    ASSERT_EQ(LoadScripted(4), 0);
    removingHost = &host;
    host.SetPluginHostCallback([](int32_t, PluginBstr*, PluginBstr*, int32_t*, int32_t*) -> int32_t {
        removingHost->UnloadPluginSlot(0);
        return PLUGIN_OK;
    });
    EXPECT_EQ(host.SendPluginCommand(0, PLUGIN_CMD_CONFIGURE), PLUGIN_OK);
    host.SetPluginHostCallback(nullptr);
    EXPECT_EQ(host.PluginCount, 0);
    EXPECT_EQ(host.SendPluginCommand(0, PLUGIN_CMD_CONFIGURE), PLUGIN_NOT_HANDLED);
    // The same library loaded again while a release waits is a library of its own right.
    ASSERT_EQ(LoadScripted(4), 0);
    EXPECT_EQ(host.SendPluginCommand(0, PLUGIN_CMD_IS_CONFIGURABLE), 0);
}

// The main window's side as a test sees it.
class FakeWindow : public PluginWindowSide {
public:
    int32_t MainWindowHandle() override { return 77; }
    intptr_t InstallMessageFilter(int32_t window, PluginMessageProc p) override {
        events.push_back("install " + std::to_string(window));
        proc = p;
        return installResult;
    }
    void RemoveMessageFilter(int32_t window, intptr_t own) override {
        events.push_back("remove " + std::to_string(window) + " " + std::to_string(own));
        if (journal != nullptr) sentBeforeRemove = journal->count;
        proc = nullptr;
    }
    int32_t PassOnMessage(intptr_t own, int32_t window, int32_t message, int32_t wParam,
                          int32_t lParam) override {
        events.push_back("pass " + std::to_string(own) + " " + std::to_string(window) + " " +
                         std::to_string(message) + " " + std::to_string(wParam) + " " +
                         std::to_string(lParam));
        return 5;
    }
    int32_t FindControlWindow(const std::string&, int32_t) override { return 0; }
    intptr_t installResult = 1234;
    PluginMessageProc proc = nullptr;
    const TestJournal* journal = nullptr;  // when set, its length is noted at each removal
    int sentBeforeRemove = -1;
    std::vector<std::string> events;
};

class SubclassingTest : public PluginHostTest {
protected:
    void SetUp() override {
        PluginHostTest::SetUp();
        host.PluginMainWindow = &window;
        window.journal = &journal;
        DebugLogEnabled = true;
    }
    void TearDown() override {
        DebugLogEnabled = false;
        PluginHostTest::TearDown();
    }
    std::string Log() const { return ReadAll(DebugLogPath()); }

    TempFolder home;
    ScopedEnv env{"KESTRELBINDER_HOME", home.Path()};
    FakeWindow window;
};

TEST_F(SubclassingTest, MessagesGoToTheReceiverWhichMaySwallowOrChangeThem) {
    Script(0);
    TestPluginScript& s = Script(1);
    LoadScripted(0);
    LoadScripted(1);
    host.SubclassPluginIndex = 1;
    host.EnableSubclassing(host.MainWindowHandle());
    EXPECT_EQ(host.OldWindowProc, 1234);
    ASSERT_TRUE(window.proc != nullptr);

    s.windowResult = 0;
    EXPECT_EQ(window.proc(77, 513, 1, 2), 0);
    EXPECT_EQ(s.seenWindow[0], 77);
    EXPECT_EQ(s.seenWindow[1], 513);
    EXPECT_EQ(s.seenWindow[3], 2);

    s.windowResult = 1;
    s.windowMessageRewrite = 600;
    EXPECT_EQ(window.proc(77, 513, 1, 2), 5);
    EXPECT_EQ(window.events, (std::vector<std::string>{"install 77", "pass 1234 77 600 1 2"}));
    EXPECT_EQ(Sent(), (Sends{{1, PLUGIN_EVT_WINDOW_MESSAGE}, {1, PLUGIN_EVT_WINDOW_MESSAGE}}));

    host.DisableSubclassing(host.MainWindowHandle());
    host.DisableSubclassing(host.MainWindowHandle());
    EXPECT_EQ(host.OldWindowProc, 0);
    EXPECT_EQ(window.events.back(), "remove 77 1234");
    EXPECT_EQ(Log(), "Enabling subclassing\r\nDisabling subclassing\r\n");
}

TEST_F(SubclassingTest, UnloadingTheReceiverRestoresTheWindowAfterDisablingIt) {
    Script(0);
    Script(1);
    LoadScripted(0);
    LoadScripted(1);
    host.SubclassPluginIndex = 1;
    host.EnableSubclassing(host.MainWindowHandle());
    host.UnloadPluginSlot(1);
    EXPECT_EQ(Sent(), (Sends{{1, PLUGIN_EVT_DISABLED}}));
    EXPECT_EQ(window.events.back(), "remove 77 1234");
    EXPECT_EQ(window.sentBeforeRemove, 1);  // the plug-in heard 314 while still the receiver
    EXPECT_EQ(host.OldWindowProc, 0);
    EXPECT_EQ(host.SubclassPluginIndex, 0);
}

TEST_F(SubclassingTest, AFilterThatCannotBeInstalledLeavesTheWindowUnsubclassed) {
    window.installResult = 0;
    host.EnableSubclassing(host.MainWindowHandle());
    EXPECT_EQ(host.OldWindowProc, 0);
    host.DisableSubclassing(host.MainWindowHandle());
    EXPECT_EQ(Log(), "Enabling subclassing\r\n");
    // Without a receiver loaded the message is not swallowed.
    host.OldWindowProc = 1234;
    EXPECT_EQ(host.PluginWindowProc(77, 1, 2, 3), 5);
    host.OldWindowProc = 0;
}

TEST_F(SubclassingTest, ShutdownReleasesEverySlotWithoutDisablingOrCompacting) {
    Script(0);
    Script(1);
    LoadScripted(0);
    LoadScripted(1);
    host.ShutdownAllPlugins();
    EXPECT_EQ(host.PluginCount, 2);
    EXPECT_EQ(journal.count, 0);
    EXPECT_EQ(host.Libraries.callpluginmain(0, PLUGIN_CMD_CONFIGURE, nullptr, nullptr, nullptr,
                                       nullptr, nullptr),
              PLUGIN_NOT_HANDLED);
    EXPECT_EQ(Log(), "ShutdownAllPlugins() called\r\n");
}

}  // namespace
}  // namespace kb::testing
