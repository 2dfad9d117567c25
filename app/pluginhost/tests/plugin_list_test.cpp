// The list file, adding plug-ins, autoload and conflicts, with real plug-in libraries.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/core/paths.h"
#include "app/core/testing/temp_folder.h"
#include "app/core/text.h"
#include "app/pluginhost/plugin_autoload.h"
#include "app/pluginhost/plugin_list_file.h"
#include "app/pluginhost/tests/plugin_fixture.h"

namespace kb::testing {
namespace {

const std::string kComments =
    "#Created by: Tarnwolde Kestrelbinder 4.0\r\n"
    "#It is not recommended that you try to modify this file.\r\n"
    "#If you want to reset the plugin list delete this file instead.\r\n";

std::string Scripted(int i) { return TestPlugin("scripted" + std::to_string(i)); }

class PluginListTest : public PluginHostTest {
protected:
    void SetUp() override {
        PluginHostTest::SetUp();
        ::mkdir(home.File("Plugins").c_str(), 0755);
        char buf[4096];
        startFolder = ::getcwd(buf, sizeof buf);
    }
    void TearDown() override {
        EXPECT_EQ(::chdir(startFolder.c_str()), 0);
        PluginHostTest::TearDown();
    }

    void WriteList(const std::string& text) { home.Write("Plugins/Plugins.lst", text); }
    std::string List() const { return ReadAll(PluginListPath()); }
    // The start of the file, as long as `expected`: what a rewrite put over the old bytes.
    std::string Head(const std::string& expected) const {
        return List().substr(0, expected.size());
    }

    // What the manager page does around AddPluginToListView when the user picks a file.
    bool AddFromManager(std::string path) {
        ChangeToFolder(home.File("Plugins"));
        bool result = false;
        AddPluginToListView(host, true, path, false, result);
        return result;
    }

    TempFolder home;
    ScopedEnv env{"KESTRELBINDER_HOME", home.Path()};
    std::string startFolder;
};

TEST_F(PluginListTest, AddingTheFirstPluginWritesFiveLinesAndTicksItsRow) {
    TestPluginScript& s = Script(0);
    s.name = "TEA Encryption";
    s.nameLen = 14;
    s.writeType = 1;
    s.type = PLUGIN_TYPE_ENCRYPTOR;
    s.writeCompat = 1;
    s.compat = PLUGIN_COMPAT_EXCELLENT;

    ASSERT_TRUE(AddFromManager(Scripted(0)));
    EXPECT_EQ(List(), kComments + "1" + Scripted(0) + "\r\n~end~\r\n");
    EXPECT_FLOAT_EQ(s.seenHostVersion, GetVersionNumber());

    ASSERT_EQ(host.PluginList.Count(), 1);
    const PluginRow& row = host.PluginList.Row(1);
    EXPECT_EQ(row.text, "TEA Encryption");
    EXPECT_EQ(row.tag, Scripted(0));
    EXPECT_EQ(row.typeText, "Encryptor");
    EXPECT_EQ(row.smallIcon, "Padlock");
    EXPECT_EQ(row.compatText, "Yes");
    EXPECT_EQ(row.compatIcon, "CompatExcellent");
    EXPECT_TRUE(row.ticked);
    ASSERT_EQ(journal.entries[journal.count - 2].cmd, PLUGIN_EVT_ENABLED);
    EXPECT_EQ(journal.entries[journal.count - 2].a1Low16, -1);
    EXPECT_NE(host.Libraries.isEnabled(0), 0);
    // The folder the page left is current again.
    char buf[4096];
    EXPECT_EQ(std::string(::getcwd(buf, sizeof buf)), startFolder);
}

TEST_F(PluginListTest, ASameNamedPluginIsAlreadyInstalledAndNothingIsLoaded) {
    WriteList(kComments + "ab\r\n0" + Scripted(0) + "\r\n~marker\r\n~end~\r\nafter\r\n");
    prompter.Answer(Answer::OK);
    std::string other = "/elsewhere/Other/SCRIPTED0.SO";
    int16_t slot = 0;
    int32_t state = 0, mask = 0;
    int16_t conflict = 0;
    ChangeToFolder(home.File("Plugins"));
    bool result = true;
    AddPluginToListView(host, true, other, false, result);
    EXPECT_FALSE(result);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].title, "Already installed");
    EXPECT_EQ(prompter.boxes[0].text, "The selected plug-in is already installed.");
    EXPECT_EQ(prompter.boxes[0].style, mb::Exclamation | mb::OKOnly);
    EXPECT_EQ(host.PluginCount, 0);
    EXPECT_EQ(host.PluginList.Count(), 0);
    // Rewritten as it was, short items and markers dropped, over the old bytes.
    const std::string expected = kComments + "0" + Scripted(0) + "\r\n~end~\r\n";
    EXPECT_EQ(Head(expected), expected);

    EXPECT_FALSE(LoadAndRegisterPlugin(host, other, slot = 0, state, conflict, mask, true));
    EXPECT_EQ(slot, -2);
    EXPECT_EQ(state, PLUGIN_COMPAT_BAD);
}

TEST_F(PluginListTest, APluginThatCannotBeLoadedGetsNoEntry) {
    prompter.Answer(Answer::OK);
    EXPECT_FALSE(AddFromManager(TestPlugin("not_a_plugin")));
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].title, "Unable to load plug-in");
    EXPECT_EQ(prompter.boxes[0].style, mb::Critical | mb::OKOnly);
    EXPECT_EQ(List(), kComments + "~end~\r\n");

    std::string none;
    bool result = true;
    AddPluginToListView(host, true, none, false, result);  // the dialog was cancelled
    EXPECT_FALSE(result);
}

TEST_F(PluginListTest, APathTheListCannotHoldIsNotAdded) {
    // Its entry would be read back as two, and every later entry would stand for the wrong slot.
    const std::string listed = kComments + "1/p/Tea.so\r\n~end~\r\n";
    for (const std::string folder : {"a,b", "a\nb", "a\rb"}) {
        SCOPED_TRACE(folder);
        WriteList(listed);
        ::mkdir(home.File(folder).c_str(), 0755);
        const std::string path = home.File(folder + "/unhandled.so");
        home.Write(folder + "/unhandled.so", ReadAll(TestPlugin("unhandled")));
        prompter.Answer(Answer::OK);
        EXPECT_FALSE(AddFromManager(path));
        ASSERT_EQ(prompter.boxes.size(), 1u);
        EXPECT_EQ(prompter.boxes[0].title, "Unable to load plug-in");
        prompter.boxes.clear();
        EXPECT_EQ(host.PluginCount, 0);
        EXPECT_EQ(host.PluginList.Count(), 0);
        EXPECT_EQ(List(), listed);
    }
}

TEST_F(PluginListTest, RatingsDecideTheRowAndTheEntryFlag) {
    // A plug-in that answers nothing is "Unknown", "Possible", and usable.
    ASSERT_TRUE(AddFromManager(TestPlugin("unhandled")));
    EXPECT_EQ(host.PluginList.Row(1).typeText, "Unknown");
    EXPECT_EQ(host.PluginList.Row(1).smallIcon, "Unknown");
    EXPECT_EQ(host.PluginList.Row(1).compatText, "Possible");
    EXPECT_TRUE(host.PluginList.Row(1).ticked);

    // 7 is shown as "No" but may be enabled; 3 is loaded, left unticked, listed with "0".
    TestPluginScript& seven = Script(0);
    seven.writeCompat = 1;
    seven.compat = 7;
    seven.writeType = 1;
    seven.type = 9;
    TestPluginScript& bad = Script(1);
    bad.writeCompat = 1;
    bad.compat = PLUGIN_COMPAT_BAD;
    bad.writeMask = 1;
    bad.mask = PLUGIN_RES_WINDOW_MESSAGES;  // an unticked plug-in never becomes the receiver
    ASSERT_TRUE(AddFromManager(Scripted(0)));
    EXPECT_TRUE(AddFromManager(Scripted(1)));  // loaded: a row, though not usable
    EXPECT_EQ(host.PluginList.Row(2).compatText, "No");
    EXPECT_EQ(host.PluginList.Row(2).compatIcon, "CompatBad");
    EXPECT_EQ(host.PluginList.Row(2).typeText, "Unknown");
    EXPECT_TRUE(host.PluginList.Row(2).ticked);
    EXPECT_EQ(host.PluginList.Row(3).compatText, "No");
    EXPECT_FALSE(host.PluginList.Row(3).ticked);
    EXPECT_EQ(host.Libraries.isEnabled(2), 0);
    EXPECT_EQ(host.SubclassPluginIndex, 0);
    EXPECT_EQ(List(), kComments + "1" + TestPlugin("unhandled") + "\r\n1" + Scripted(0) +
                          "\r\n0" + Scripted(1) + "\r\n~end~\r\n");
}

TEST_F(PluginListTest, ConflictsNeedTickedRowsAndCommonBits) {
    struct Case {
        int32_t first, second;
        bool tickFirst;
        bool conflict;
        int32_t common;
    } cases[] = {
        {3, 6, true, true, 2},
        {1, 2, true, false, 0},
        {3, 6, false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.first) + " " + std::to_string(c.second));
        host.ShutdownAllPlugins();
        host.InitPluginSystem();
        host.PluginList.Clear();
        TestPluginScript& a = Script(0);
        TestPluginScript& b = Script(1);
        a.writeMask = b.writeMask = 1;
        a.mask = c.first;
        b.mask = c.second;
        LoadScripted(0);
        LoadScripted(1);
        host.PluginList.Add(1, PluginRow{});
        host.PluginList.Add(2, PluginRow{});
        host.PluginList.SetTicked(1, c.tickFirst);
        host.PluginList.SetTicked(2, true);
        int16_t slot = -1;
        int32_t common = 0;
        EXPECT_EQ(FindPluginConflict(host, 1, slot, common), c.conflict);
        EXPECT_EQ(common, c.common);
        if (c.conflict) {
            EXPECT_EQ(slot, 0);
        }
    }
}

TEST_F(PluginListTest, APluginInConflictIsAddedUnticked) {
    TestPluginScript& a = Script(0);
    TestPluginScript& b = Script(1);
    a.writeMask = b.writeMask = 1;
    a.mask = 3;
    b.mask = 6;
    ASSERT_TRUE(AddFromManager(Scripted(0)));
    EXPECT_EQ(host.SubclassPluginIndex, 0);
    int16_t slot = 0, conflictSlot = -1;
    int32_t state = 0, mask = 0;
    EXPECT_FALSE(LoadAndRegisterPlugin(host, Scripted(1), slot, state, conflictSlot, mask, false));
    EXPECT_EQ(slot, 1);
    EXPECT_EQ(state, PLUGIN_COMPAT_CONFLICT);
    EXPECT_EQ(conflictSlot, 0);
    EXPECT_EQ(mask, 2);
    EXPECT_EQ(host.PluginCount, 2);  // stays loaded
}

TEST_F(PluginListTest, AutoloadRemovesTheEntriesThatFailedAndWarnsWithTheirNumber) {
    for (int i = 0; i < 3; ++i) Script(i);
    TestPluginScript& receiver = Script(2);
    receiver.writeMask = 1;
    receiver.mask = PLUGIN_RES_WINDOW_MESSAGES;
    TestPluginScript& incompatible = Script(0);
    incompatible.writeCompat = 1;
    incompatible.compat = PLUGIN_COMPAT_BAD;
    const std::string missing1 = home.File("Plugins/gone1.so");
    const std::string missing2 = home.File("Plugins/gone2.so");
    WriteList(kComments + "1" + Scripted(0) + "\r\n1" + missing1 + "\r\nx" + Scripted(1) +
              "\r\n0" + missing2 + "\r\n1" + Scripted(2) + "\r\n~end~\r\n");
    const size_t oldLength = List().size();

    prompter.Answer(Answer::OK);
    AutoloadPlugins(host);

    EXPECT_EQ(host.PluginCount, 3);
    ASSERT_EQ(host.PluginList.Count(), 3);
    EXPECT_EQ(host.PluginList.Row(1).tag, Scripted(0));
    EXPECT_EQ(host.PluginList.Row(2).tag, Scripted(1));
    EXPECT_EQ(host.PluginList.Row(3).tag, Scripted(2));
    // Flag "1" ticks even a plug-in rated "No"; a flag other than "1" is disabled.
    EXPECT_TRUE(host.PluginList.Row(1).ticked);
    EXPECT_EQ(host.PluginList.Row(1).compatText, "No");
    EXPECT_FALSE(host.PluginList.Row(2).ticked);
    EXPECT_TRUE(host.PluginList.Row(3).ticked);
    EXPECT_EQ(host.SubclassPluginIndex, 2);

    std::vector<std::pair<int, int>> enabled;
    for (int k = 0; k < journal.count; ++k) {
        if (journal.entries[k].cmd == PLUGIN_EVT_ENABLED) {
            enabled.emplace_back(journal.entries[k].plugin, journal.entries[k].a1Low16);
        }
    }
    EXPECT_EQ(enabled, (std::vector<std::pair<int, int>>{{0, 0}, {2, 0}}));

    const std::string expected = kComments + "1" + Scripted(0) + "\r\nx" + Scripted(1) +
                                 "\r\n1" + Scripted(2) + "\r\n~end~\r\n";
    EXPECT_EQ(Head(expected), expected);
    EXPECT_EQ(List().size(), oldLength);

    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text,
              "2 plugins failed to load. You may want to check your plug-in settings in the "
              "plug-in manager");
    EXPECT_EQ(prompter.boxes[0].title, "Plugin Autoload Failure");
    EXPECT_EQ(prompter.boxes[0].style, mb::Exclamation | mb::OKOnly);
}

TEST_F(PluginListTest, AutoloadWithOneFailureAndWithoutAFile) {
    AutoloadPlugins(host);
    EXPECT_TRUE(prompter.boxes.empty());

    // An entry too short to name a file fails too, and the removal drops that entry, not the
    // one after it.
    WriteList(kComments + "1\r\n0" + Scripted(0) + "\r\n~end~\r\n");
    prompter.Answer(Answer::OK);
    AutoloadPlugins(host);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text.rfind("1 plugins failed to load.", 0), 0u);
    const std::string expected = kComments + "0" + Scripted(0) + "\r\n~end~\r\n";
    EXPECT_EQ(Head(expected), expected);
    EXPECT_EQ(host.PluginCount, 1);
}

TEST_F(PluginListTest, AMovedProgramFolderLoadsItsOwnCopyAndListsItsPath) {
    // The list of a program folder copied from one that is gone since: its plug-ins' paths
    // lie in that folder. A path that still exists is loaded from where it lies.
    TempFolder gone;
    const std::string old = gone.Path() + "/Plugins/";
    std::filesystem::remove_all(gone.Path());
    const std::string own = home.File("Plugins/scripted3.so");
    std::filesystem::copy_file(Scripted(3), own);
    std::filesystem::copy_file(Scripted(1), home.File("Plugins/scripted1.so"));
    WriteList(kComments + "1\r\n0" + old + "scripted3.so\r\n1" + Scripted(1) + "\r\n1" + old +
              "absent.so\r\n~end~\r\n");

    prompter.Answer(Answer::OK);
    AutoloadPlugins(host);

    ASSERT_EQ(host.PluginList.Count(), 2);
    EXPECT_EQ(host.PluginList.Row(1).tag, own);
    EXPECT_FALSE(host.PluginList.Row(1).ticked);
    EXPECT_EQ(host.PluginList.Row(2).tag, Scripted(1));
    const std::string expected =
        kComments + "0" + own + "\r\n1" + Scripted(1) + "\r\n~end~\r\n";
    EXPECT_EQ(Head(expected), expected);
    // The entries that named nothing loadable are gone, as before.
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text.rfind("2 plugins failed to load.", 0), 0u);

    // The next start loads the plug-in from the path now listed.
    host.ShutdownAllPlugins();
    host.InitPluginSystem();
    host.PluginList.Clear();
    AutoloadPlugins(host);
    ASSERT_EQ(host.PluginList.Count(), 2);
    EXPECT_EQ(host.PluginList.Row(1).tag, own);
    EXPECT_EQ(Head(expected), expected);
}

TEST_F(PluginListTest, RemovingAnEntryRewritesOverTheOldBytesAndUnloadsItsSlot) {
    Script(0);
    Script(1);
    LoadScripted(0);
    LoadScripted(1);
    const std::string old = kComments + "1" + Scripted(0) + "\r\n0" + Scripted(1) +
                            "\r\n~end~\r\n";
    WriteList(old);
    RemovePluginFromList(host, 1, true);
    const std::string expected = kComments + "1" + Scripted(0) + "\r\n~end~\r\n";
    EXPECT_EQ(List(), expected + old.substr(expected.size()));
    EXPECT_EQ(host.PluginCount, 1);
    EXPECT_EQ(Sent(), (std::vector<std::pair<int, int>>{{1, PLUGIN_EVT_DISABLED}}));
}

TEST_F(PluginListTest, FlagChangesRewriteTheSameNamedEntryOnly) {
    SetPluginListFlag("/x/a.so", true);
    EXPECT_EQ(List(), kComments + "~end~\r\n");

    WriteList(kComments + "1/p/Tea.so\r\n0/q/other.so\r\nab\r\n~end~\r\n");
    SetPluginListFlag("/elsewhere/TEA.SO", false);
    std::string expected = kComments + "0/p/Tea.so\r\n0/q/other.so\r\n~end~\r\n";
    EXPECT_EQ(Head(expected), expected);
    SetPluginListFlag("/q/other.so", true);
    expected = kComments + "0/p/Tea.so\r\n1/q/other.so\r\n~end~\r\n";
    EXPECT_EQ(Head(expected), expected);
}

// A list that cannot be written (here its folder is a plain file, which not even root can
// write into) keeps its old state, and the user learns that the change will not last.
TEST_F(PluginListTest, AChangeTheListCannotTakeIsReported) {
    ::rmdir(home.File("Plugins").c_str());
    home.Write("Plugins", "not a folder");
    prompter.Answer(Answer::OK);
    SetPluginListFlag("/x/a.so", true);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, "The plug-in list could not be saved to " + PluginListPath() +
                                          " (Not a directory).\rThe change lasts only until "
                                          "Kestrelbinder is closed.");
    EXPECT_EQ(prompter.boxes[0].style, mb::OKOnly | mb::Exclamation);
    EXPECT_EQ(ReadAll(home.File("Plugins")), "not a folder");
}

TEST(PluginListItems, SplitAtLineEndsAndCommasAndStopAfterTheEnd) {
    struct Case {
        std::string text;
        std::vector<std::string> items;
    } cases[] = {
        {"#c\r\n1/a/b.so\r\n~end~\r\n1/after.so\r\n", {"#c", "1/a/b.so", "~end~"}},
        {"1/a,b/c.so\r\n", {"1/a", "b/c.so"}},
        {"   1/x.so\n\r\n\r\n0/y.so", {"1/x.so", "0/y.so"}},
        {"", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadPluginListItems(c.text), c.items) << c.text;
}

}  // namespace
}  // namespace kb::testing
