#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/core/testing/temp_folder.h"
#include "platform/registry.h"

extern char** environ;

namespace kb::platform {
namespace {

using kb::testing::ReadAll;
using kb::testing::ScopedEnv;
using kb::testing::TempFolder;

class RegistryTest : public ::testing::Test {
protected:
    TempFolder dir;
    ScopedEnv env{"KESTRELBINDER_REGISTRY", dir.Path()};

    static RegKey Create(HKEY root, const std::string& path) {
        RegKey key;
        EXPECT_EQ(RegCreateKeyEx(root, path, KEY_ALL_ACCESS, key), ERROR_SUCCESS) << path;
        return key;
    }
    static void SetText(const RegKey& key, const std::string& name, const std::string& text) {
        ASSERT_EQ(RegSetValueEx(key, name, REG_SZ, text.data(), static_cast<uint32_t>(text.size())),
                  ERROR_SUCCESS);
    }
    // The stored bytes of a value, or "<missing>".
    static std::string Query(HKEY root, const std::string& path, const std::string& name,
                             uint32_t* type = nullptr) {
        RegKey key;
        if (RegOpenKeyEx(root, path, KEY_READ, key) != ERROR_SUCCESS) return "<missing>";
        char buf[4096];
        uint32_t size = sizeof buf;
        if (RegQueryValueEx(key, name, type, buf, &size) != ERROR_SUCCESS) return "<missing>";
        return std::string(buf, size);
    }
    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        DIR* d = opendir(dir.Path().c_str());
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.') names.push_back(e->d_name);
        closedir(d);
        return names;
    }
};

TEST_F(RegistryTest, TypedValuesRoundTripThroughTheFile) {
    RegKey key = Create(HKEY_CURRENT_USER, "Software\\Tarnwolde\\Kestrelbinder");
    SetText(key, "DefaultSource", "C:\\odd \"quoted\" 100% path\n\x01\xC3\xA9");
    ASSERT_EQ(RegSetValueEx(key, "Template", REG_EXPAND_SZ, "%HOME%/x", 8), ERROR_SUCCESS);
    uint32_t dword = 261;
    ASSERT_EQ(RegSetValueEx(key, "SegmentSize", REG_DWORD, &dword, 4), ERROR_SUCCESS);
    const char blob[] = {0, 1, '\xff'};
    ASSERT_EQ(RegSetValueEx(key, "Blob", REG_BINARY, blob, 3), ERROR_SUCCESS);
    SetText(key, "", "default value");

    uint32_t type = 0;
    EXPECT_EQ(Query(HKEY_CURRENT_USER, "software\\TARNWOLDE\\kestrelbinder", "defaultsource", &type),
              std::string("C:\\odd \"quoted\" 100% path\n\x01\xC3\xA9") + '\0');
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(Query(HKEY_CURRENT_USER, "Software\\Tarnwolde\\Kestrelbinder", "Template", &type),
              std::string("%HOME%/x") + '\0');
    EXPECT_EQ(type, REG_EXPAND_SZ);
    EXPECT_EQ(Query(HKEY_CURRENT_USER, "Software\\Tarnwolde\\Kestrelbinder", "SegmentSize", &type),
              std::string("\x05\x01\0\0", 4));
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(Query(HKEY_CURRENT_USER, "Software\\Tarnwolde\\Kestrelbinder", "Blob", &type),
              std::string(blob, 3));
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(Query(HKEY_CURRENT_USER, "Software\\Tarnwolde\\Kestrelbinder", ""),
              std::string("default value") + '\0');

    // Each root has its own file; the text stays readable where it can.
    EXPECT_EQ(Query(HKEY_LOCAL_MACHINE, "Software\\Tarnwolde\\Kestrelbinder", "Blob"), "<missing>");
    std::string text = ReadAll(dir.File("HKEY_CURRENT_USER.txt"));
    EXPECT_NE(text.find("[Software\\Tarnwolde\\Kestrelbinder]\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\"SegmentSize\" = dword 261\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\"DefaultSource\" = sz \"C:\\odd %22quoted%22 100%25 path%0A%01\xC3\xA9\"\n"),
              std::string::npos) << text;
}

TEST_F(RegistryTest, KeysCompareWithoutCaseAndKeepTheirFirstSpelling) {
    bool created = false;
    RegKey key;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, "CLSID\\{Abc}\\InprocServer32", KEY_ALL_ACCESS, key, &created),
              ERROR_SUCCESS);
    EXPECT_TRUE(created);
    ASSERT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, "clsid\\{ABC}", KEY_ALL_ACCESS, key, &created), ERROR_SUCCESS);
    EXPECT_FALSE(created);
    Create(HKEY_CLASSES_ROOT, "CLSID\\{abc}\\Programmable");  // an empty key is kept too
    Create(HKEY_CLASSES_ROOT, "CLSID\\{Other}");

    std::vector<std::string> names;
    ASSERT_EQ(RegEnumKeys(key, names), ERROR_SUCCESS);
    EXPECT_EQ(names, (std::vector<std::string>{"InprocServer32", "Programmable"}));
    RegKey clsid;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, "CLSID", KEY_READ, clsid), ERROR_SUCCESS);
    ASSERT_EQ(RegEnumKeys(clsid, names), ERROR_SUCCESS);
    EXPECT_EQ(names, (std::vector<std::string>{"{Abc}", "{Other}"}));

    // Deleting a key takes its subkeys with it and leaves its parent and siblings.
    EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, "CLSID\\{ABC}"), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, "CLSID\\{Abc}\\Programmable", KEY_READ, key), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegEnumKeys(clsid, names), ERROR_SUCCESS);
    EXPECT_EQ(names, (std::vector<std::string>{"{Other}"}));
    EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, "CLSID\\{ABC}"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, ""), ERROR_ACCESS_DENIED);
}

TEST_F(RegistryTest, CallsReportTheirFailures) {
    RegKey key = Create(HKEY_CURRENT_USER, "A");
    RegKey readOnly;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "A", KEY_READ, readOnly), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueEx(readOnly, "v", REG_SZ, "x", 1), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegSetValueEx(key, "v", 7, "x", 1), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueEx(key, "v", REG_DWORD, "xy", 2), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyEx(0x80000005u, "A", KEY_ALL_ACCESS, key), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "B", KEY_READ, key), ERROR_FILE_NOT_FOUND);

    key = Create(HKEY_CURRENT_USER, "A");
    SetText(key, "v", "abcd");
    char buf[8];
    uint32_t size = 4;  // no room for the NUL that text values come back with
    EXPECT_EQ(RegQueryValueEx(key, "v", nullptr, buf, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(RegQueryValueEx(key, "w", nullptr, buf, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValue(key, "V"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValue(key, "v"), ERROR_FILE_NOT_FOUND);

    // A key deleted by someone else while it is open.
    ASSERT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "A"), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueEx(key, "v", REG_SZ, "x", 1), ERROR_KEY_DELETED);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "A", KEY_READ, key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, AFileThatCannotBeReadIsNeverReplaced) {
    ASSERT_EQ(mkdir(dir.File("HKEY_CURRENT_USER.txt").c_str(), 0700), 0);  // reads fail with EISDIR
    RegKey key;
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "A", KEY_ALL_ACCESS, key), ERROR_REGISTRY_IO_FAILED);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "", KEY_READ, key), ERROR_REGISTRY_IO_FAILED);

    // A FIFO in the file's place would wait for a writer forever at the first read.
    ASSERT_EQ(mkfifo(dir.File("HKEY_LOCAL_MACHINE.txt").c_str(), 0600), 0);
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "", KEY_READ, key), ERROR_REGISTRY_IO_FAILED);
    EXPECT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "A", KEY_ALL_ACCESS, key), ERROR_REGISTRY_IO_FAILED);
    struct stat st {};
    ASSERT_EQ(lstat(dir.File("HKEY_LOCAL_MACHINE.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(RegistryTest, DamagedFileIsReadAsFarAsItIsSoundAndKeptByTheNextWrite) {
    dir.Write("HKEY_CURRENT_USER.txt",
              "# hand-edited\n"
              "[Good]\n"
              "\"one\" = sz \"1\"\r\n"
              "\"broken\" = sz \"no closing quote\n"
              "\"two\" = dword 2\n"
              "\"big\" = dword 4294967296\n"
              "\"odd\" = binary 0\n"
              "\"bad escape\" = sz \"%G1\"\n"
              "garbage line\n"
              "[Bad%ZZ]\n"
              "\"lost\" = sz \"belongs to no sound key\"\n"
              "[Next\\Key]  \n"
              "  \"three\" = binary 0aFF\n"
              "\"cut\" = dword 12");  // cut short: the last line lacks its end
    EXPECT_EQ(Query(HKEY_CURRENT_USER, "Good", "one"), std::string("1") + '\0');
    EXPECT_EQ(Query(HKEY_CURRENT_USER, "Good", "two"), std::string("\x02\0\0\0", 4));
    EXPECT_EQ(Query(HKEY_CURRENT_USER, "Next\\Key", "three"), "\x0a\xff");
    for (const char* lost : {"broken", "big", "odd", "bad escape"})
        EXPECT_EQ(Query(HKEY_CURRENT_USER, "Good", lost), "<missing>") << lost;
    EXPECT_EQ(Query(HKEY_CURRENT_USER, "Next\\Key", "cut"), "<missing>");
    RegKey bad;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Bad%ZZ", KEY_READ, bad), ERROR_FILE_NOT_FOUND);

    RegKey key = Create(HKEY_CURRENT_USER, "Good");
    SetText(key, "new", "n");
    RegistryTree stored = RegistryTree::Parse(ReadAll(dir.File("HKEY_CURRENT_USER.txt")));
    ASSERT_NE(stored.FindValue("Good", "one"), nullptr);
    ASSERT_NE(stored.FindValue("Next\\Key", "three"), nullptr);
    ASSERT_NE(stored.FindValue("Good", "new"), nullptr);
    EXPECT_EQ(stored.FindValue("Good", "broken"), nullptr);
}

TEST(RegistryTreeText, SerializedTextParsesBackToTheSameTree) {
    RegistryTree tree;
    tree.CreateKey("A\\b c\\[x]\\%d");
    tree.CreateKey("Empty");
    tree.SetValue("", "root value", {REG_SZ, "r"});
    tree.SetValue("a\\B C", "", {REG_EXPAND_SZ, std::string("\0\"%\x7f\n\t", 6)});
    tree.SetValue("A\\b c\\[x]\\%d", "\"q\"", {REG_BINARY, ""});
    tree.SetValue("A", "n", {REG_DWORD, std::string("\xff\xff\xff\xff", 4)});
    std::string text = tree.Serialize("HKEY_CURRENT_USER");
    EXPECT_TRUE(RegistryTree::Parse(text) == tree) << text;
    EXPECT_EQ(RegistryTree::Parse(text).Serialize("HKEY_CURRENT_USER"), text);
}

TEST(RegistryTreeKeys, DeletingAKeyTakesAllItsSubkeysWhateverNamesSortBetween) {
    // Siblings whose names go on with a character that sorts before "\" fall between a key and
    // its subkeys in the sorted store.
    RegistryTree tree;
    for (const char* path : {"Soft\\A\\Sub\\Deep", "Soft\\A B", "Soft\\A-2\\x", "Soft\\A!", "Soft\\A\\Zed"})
        tree.CreateKey(path);
    ASSERT_TRUE(tree.SetValue("Soft\\a\\sub", "v", {REG_SZ, "gone"}));
    EXPECT_TRUE(tree.DeleteKey("soft\\a"));
    for (const char* gone : {"Soft\\A", "Soft\\A\\Sub", "Soft\\A\\Sub\\Deep", "Soft\\A\\Zed"})
        EXPECT_FALSE(tree.HasKey(gone)) << gone;
    EXPECT_EQ(tree.SubKeys("Soft"), (std::vector<std::string>{"A B", "A!", "A-2"}));
    // Nothing of it comes back through the file either.
    RegistryTree reread = RegistryTree::Parse(tree.Serialize("HKEY_CURRENT_USER"));
    EXPECT_FALSE(reread.HasKey("Soft\\A"));
    EXPECT_TRUE(reread == tree);
}

TEST(RegistryFolder, FollowsTheOverrideThenTheUserConfigurationFolder) {
    {
        ScopedEnv a("KESTRELBINDER_REGISTRY", "/x/reg/");
        EXPECT_EQ(RegistryFolder(), "/x/reg");
        EXPECT_EQ(RegistryRootFile(HKEY_LOCAL_MACHINE), "/x/reg/HKEY_LOCAL_MACHINE.txt");
    }
    ScopedEnv a("KESTRELBINDER_REGISTRY", "");
    ScopedEnv home("HOME", "/home/ann");
    {
        ScopedEnv c("XDG_CONFIG_HOME", "/cfg");
        EXPECT_EQ(RegistryFolder(), "/cfg/Tarnwolde/registry");
    }
    ScopedEnv c("XDG_CONFIG_HOME", "");
    EXPECT_EQ(RegistryFolder(), "/home/ann/.config/Tarnwolde/registry");
}

// ---- several programs at once ---------------------------------------------------------------

constexpr int kWritesPerProcess = 60;

// Starts the second program, which writes kWritesPerProcess values named prefix0, prefix1, ...
pid_t StartWriter(const std::string& prefix) {
    const std::string count = std::to_string(kWritesPerProcess);
    const char* argv[] = {KB_REGISTRY_WRITER, prefix.c_str(), count.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    int rc = posix_spawn(&pid, KB_REGISTRY_WRITER, &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

TEST_F(RegistryTest, TwoProcessesWritingAtOnceLoseNothing) {
    pid_t a = StartWriter("A");
    pid_t b = StartWriter("B");
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    for (pid_t pid : {a, b}) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    for (const char* prefix : {"A", "B"})
        for (int i = 0; i < kWritesPerProcess; ++i) {
            std::string name = prefix + std::to_string(i);
            EXPECT_EQ(Query(HKEY_CURRENT_USER, "Software\\Race", name), name + '\0');
        }
}

TEST_F(RegistryTest, WriterKilledBeforeItsRenameLeavesThePreviousFile) {
    RegKey key = Create(HKEY_CURRENT_USER, "K");
    SetText(key, "v", "old");
    std::string before = ReadAll(dir.File("HKEY_CURRENT_USER.txt"));

    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        SetRegistryBeforeRenameHook([] { raise(SIGSTOP); });
        RegSetValueEx(key, "v", REG_SZ, "new", 3);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, WUNTRACED), pid);
    ASSERT_TRUE(WIFSTOPPED(status));
    // Stopped with its temporary file written and synced, holding the lock.
    std::vector<std::string> entries = FolderEntries();
    std::string tmp;
    for (const auto& e : entries)
        if (e.rfind("HKEY_CURRENT_USER.txt.tmp", 0) == 0) tmp = e;
    ASSERT_FALSE(tmp.empty());
    EXPECT_NE(ReadAll(dir.File(tmp)).find("\"v\" = sz \"new\""), std::string::npos);
    kill(pid, SIGKILL);
    ASSERT_EQ(waitpid(pid, &status, 0), pid);

    EXPECT_EQ(ReadAll(dir.File("HKEY_CURRENT_USER.txt")), before);
    EXPECT_EQ(Query(HKEY_CURRENT_USER, "K", "v"), std::string("old") + '\0');
    // The lock died with the writer; the next change goes through and sweeps the stray file.
    SetText(key, "w", "next");
    EXPECT_EQ(Query(HKEY_CURRENT_USER, "K", "v"), std::string("old") + '\0');
    EXPECT_EQ(Query(HKEY_CURRENT_USER, "K", "w"), std::string("next") + '\0');
    for (const auto& e : FolderEntries()) EXPECT_EQ(e.find(".tmp"), std::string::npos) << e;
}

}  // namespace
}  // namespace kb::platform
