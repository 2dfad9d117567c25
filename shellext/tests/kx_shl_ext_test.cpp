#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "shellext/tests/shellext_fixture.h"

namespace kb::shelltest {
namespace {

class KXShlExtTest : public ShellExtTest {
protected:
    IShellExtInit* init = nullptr;
    IContextMenu* menu = nullptr;
    RecordingWindow window;

    void SetUp() override {
        ShellExtTest::SetUp();
        if (HasFatalFailure()) return;
        init = Create<IShellExtInit>(IID_IShellExtInit);
        ASSERT_EQ(init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu)), S_OK);
    }
    void TearDown() override {
        if (menu) menu->Release();
        if (init) init->Release();
    }
    std::string Program() const { return std::string(KB_STAND_IN_DIR) + "/Kestrelbinder"; }
};

TEST_F(KXShlExtTest, SelectionIsStartedAsQuotedItemsThenSplitWithNoDescriptorsOrParentOfOurs) {
    SetInstallationDir();
    const std::string file = root.Write("a b/x.txt", "x"), folder = root.File("y");
    std::filesystem::create_directory(folder);
    ASSERT_EQ(Initialize(init, {file, folder}), S_OK);

    // A descriptor the host left inheritable must not reach the program.
    const int leaked = open("/dev/null", O_RDONLY);
    ASSERT_EQ(Invoke(menu, &window), S_OK);
    close(leaked);

    const StandInRecord r = TakeRecord();
    EXPECT_EQ(r.args, (std::vector<std::string>{Program(), file, folder, "-split"}));
    EXPECT_EQ(r.fds, (std::vector<int>{0, 1, 2}));
    EXPECT_NE(r.ppid, getpid());
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1) << "a child was left to reap";
    EXPECT_TRUE(window.boxes.empty());

    // The line is completed per command: a second command does not add "-split" again.
    ASSERT_EQ(Invoke(menu, &window), S_OK);
    EXPECT_EQ(TakeRecord().args, (std::vector<std::string>{Program(), file, folder, "-split"}));
}

TEST_F(KXShlExtTest, InstallationDirMustBeTextThatFitsItsBuffer) {
    struct Case {
        const char* what;
        std::string folder;
        uint32_t type;
        HRESULT expected;
    };
    const Case cases[] = {
        {"255 characters", std::string(255, 'p'), kb::platform::REG_SZ, E_INVALIDARG},
        {"expandable text", "/opt/kb", kb::platform::REG_EXPAND_SZ, E_INVALIDARG},
        {"256 characters", std::string(256, 'p'), kb::platform::REG_SZ, E_NOTIMPL},
        {"binary", "/opt/kb", kb::platform::REG_BINARY, E_NOTIMPL},
        {"a double quote", "/opt/k\"b", kb::platform::REG_SZ, E_NOTIMPL},
    };
    EXPECT_EQ(Initialize(init, {"/x"}), E_NOTIMPL) << "no value at all";
    for (const Case& c : cases) {
        SetInstallationDir(c.folder, c.type);
        // E_INVALIDARG: the folder was taken, and the empty selection refused after it.
        EXPECT_EQ(Initialize(init, {}), c.expected) << c.what;
    }
}

TEST_F(KXShlExtTest, SelectionWithAPathThatCannotBePassedIsRefusedWholeAndSaysWhich) {
    SetInstallationDir();
    const std::string fits = "/" + std::string(258, 'f');
    ASSERT_EQ(Initialize(init, {fits}), S_OK);
    ASSERT_EQ(Invoke(menu, &window), S_OK);
    EXPECT_EQ(TakeRecord().args, (std::vector<std::string>{Program(), fits, "-split"}));

    const std::string start =
        "Kestrelbinder was not started, because one item of the selection cannot be passed to it: ";
    const std::string tooLong = "/" + std::string(259, 'l'), quoted = "/with\"quote";
    struct Case {
        std::vector<std::string> selection;
        std::string why, item;
    };
    const Case cases[] = {
        {{tooLong}, "its path is 260 bytes long, and at most 259 bytes can be passed.", tooLong},
        {{fits, quoted}, "its path holds a double quote.", quoted},
        {{quoted, fits, tooLong}, "its path holds a double quote.", quoted},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item.substr(0, 12));
        window.boxes.clear();
        // The entry is offered, and picking it tells instead of splitting part of the selection.
        ASSERT_EQ(Initialize(init, c.selection), S_OK);
        EXPECT_EQ(Invoke(menu, &window), E_INVALIDARG);
        EXPECT_EQ(window.boxes, (std::vector<Box>{{start + c.why + "\n\n" + c.item,
                                                   "Unable to split the selection", MB_ICONERROR}}));
        EXPECT_FALSE(std::filesystem::exists(root.File("record")));
    }
}

TEST_F(KXShlExtTest, SelectionThatOverflowsTheLineIsRefusedWhole) {
    SetInstallationDir();
    // The line holds the quoted program and a blank, each item quoted with a blank, "-split"
    // and the NUL: fill it to the last character, then go one over.
    const size_t room = 32768 - (std::strlen(KB_STAND_IN_DIR) + 17) - 7;
    std::vector<std::string> paths;
    size_t used = 0;
    while (room - used >= 253 + 10) {
        paths.push_back("/" + std::string(249, static_cast<char>('a' + paths.size() % 26)));
        used += 253;
    }
    paths.emplace_back("/").append(room - used - 4, 'z');
    ASSERT_EQ(Initialize(init, paths), S_OK);
    ASSERT_EQ(Invoke(menu, &window), S_OK);
    EXPECT_EQ(TakeRecord().args.size(), paths.size() + 2);

    paths.back() += 'z';
    EXPECT_EQ(Initialize(init, paths), E_INVALIDARG);
    EXPECT_EQ(Invoke(menu, &window), E_UNEXPECTED) << "a refused selection must not start anything";
}

TEST_F(KXShlExtTest, MenuGetsSplitUnlessOnlyTheDefaultIsAsked) {
    kb::shellhost::RecordedMenu items;
    EXPECT_EQ(menu->QueryContextMenu(&items, 0, 100, 200, CMF_DEFAULTONLY), 0);
    EXPECT_TRUE(items.items.empty());
    EXPECT_EQ(menu->QueryContextMenu(&items, 3, 100, 200, CMF_NORMAL), 1);
    ASSERT_EQ(items.items.size(), 1u);
    EXPECT_EQ(items.items[0].position, 3u);
    EXPECT_EQ(items.items[0].flags, MF_BYPOSITION);
    EXPECT_EQ(items.items[0].id, 100u);
    EXPECT_EQ(items.items[0].text, "Split");
}

TEST_F(KXShlExtTest, HelpTextIsCutToTheBuffer) {
    char16_t wide[16];
    std::fill(std::begin(wide), std::end(wide), u'#');
    EXPECT_EQ(menu->GetCommandString(0, GCS_HELPTEXTW, nullptr, reinterpret_cast<char*>(wide), 10), S_OK);
    EXPECT_EQ(std::u16string(wide, 11), std::u16string(u"Splits th\0#", 11));

    char narrow[64];
    EXPECT_EQ(menu->GetCommandString(0, GCS_HELPTEXTA, nullptr, narrow, sizeof narrow), S_OK);
    EXPECT_STREQ(narrow, "Splits the selection using Tarnwolde's Kestrelbinder");

    std::strcpy(narrow, "untouched");
    EXPECT_EQ(menu->GetCommandString(0, GCS_VERBA, nullptr, narrow, sizeof narrow), S_OK);
    EXPECT_EQ(menu->GetCommandString(0, GCS_VALIDATEA, nullptr, narrow, sizeof narrow), S_OK);
    EXPECT_STREQ(narrow, "untouched");
    EXPECT_EQ(menu->GetCommandString(1, GCS_HELPTEXTA, nullptr, narrow, sizeof narrow), E_INVALIDARG);
}

TEST_F(KXShlExtTest, OnlyCommandZeroByOffsetIsRun) {
    SetInstallationDir();
    ASSERT_EQ(Initialize(init, {"/x"}), S_OK);
    CMINVOKECOMMANDINFO info{};
    info.lpVerb = "split";
    EXPECT_EQ(menu->InvokeCommand(&info), E_INVALIDARG);
    EXPECT_EQ(Invoke(menu, &window, 1), E_INVALIDARG);
    EXPECT_FALSE(std::filesystem::exists(root.File("record")));
}

TEST_F(KXShlExtTest, ProgramThatCannotStartShowsTheThreeBoxes) {
    SetInstallationDir(root.Path());
    ASSERT_EQ(Initialize(init, {"/a b"}), S_OK);
    EXPECT_EQ(Invoke(menu, &window), E_NOTIMPL);
    const std::string line = "\"" + root.Path() + "/Kestrelbinder\" \"/a b\" -split";
    EXPECT_EQ(window.boxes,
              (std::vector<Box>{
                  {"Unable to launch Kestrelbinder, you may need to reinstall. Debugging information "
                   "will appear on the next two dialogs, please contact Tarnwolde with this if you "
                   "continue to experience problems.",
                   "Problem launching executable", MB_ICONERROR},
                  {"2", "Errorcode", MB_ICONINFORMATION},
                  {line, "Commandline", MB_ICONINFORMATION},
              }));
}

}  // namespace
}  // namespace kb::shelltest
