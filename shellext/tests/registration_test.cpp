#include <set>

#include "shellext/menu_entries.h"
#include "shellext/tests/shellext_fixture.h"

namespace kb::shelltest {
namespace {

using namespace kb::platform;

void CollectKeys(const std::string& path, std::set<std::string>& keys) {
    RegKey key;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, path, KEY_READ, key), ERROR_SUCCESS);
    std::vector<std::string> names;
    ASSERT_EQ(RegEnumKeys(key, names), ERROR_SUCCESS);
    for (const std::string& n : names) {
        const std::string full = path.empty() ? n : path + "\\" + n;
        keys.insert(full);
        CollectKeys(full, keys);
    }
}

std::set<std::string> AllKeys() {
    std::set<std::string> keys;
    CollectKeys("", keys);
    return keys;
}

std::string Value(const std::string& path, const std::string& name = "") {
    RegKey key;
    if (RegOpenKeyEx(HKEY_CLASSES_ROOT, path, KEY_QUERY_VALUE, key) != ERROR_SUCCESS) return "<no key>";
    char buffer[1024];
    uint32_t size = sizeof buffer, type = 0;
    if (RegQueryValueEx(key, name, &type, buffer, &size) != ERROR_SUCCESS) return "<no value>";
    return buffer;
}

const std::set<std::string> kSharedParents = {
    "*", "*\\shellex", "*\\shellex\\ContextMenuHandlers", "CLSID", "Folder", "Folder\\shellex",
    "Folder\\shellex\\ContextMenuHandlers", "TypeLib"};

TEST_F(ShellExtTest, RegistrationWritesExactlyTheServersKeysAndUnregistrationLeavesTheParents) {
    const std::string clsid = GuidText(CLSID_KXShlExt), libid = GuidText(LIBID_KESTRELBINDERSHELLEXTLib);
    const std::string cls = "CLSID\\" + clsid;
    // A stale key of an older registration under the class goes; an unrelated handler stays.
    for (const std::string& k : {cls + "\\Stale", std::string("*\\shellex\\ContextMenuHandlers\\Other")}) {
        RegKey key;
        ASSERT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, k, KEY_ALL_ACCESS, key), ERROR_SUCCESS);
    }
    ASSERT_EQ(module.DllRegisterServer()(), S_OK);

    std::set<std::string> expected = kSharedParents;
    for (const std::string& k : std::vector<std::string>{"KestrelbinderShellExt.KXShlExt.1", std::string("KestrelbinderShellExt.KXShlExt.1\\CLSID"),
          std::string("KestrelbinderShellExt.KXShlExt"), std::string("KestrelbinderShellExt.KXShlExt\\CLSID"),
          std::string("KestrelbinderShellExt.KXShlExt\\CurVer"), cls, cls + "\\ProgID",
          cls + "\\VersionIndependentProgID", cls + "\\Programmable", cls + "\\InprocServer32", cls + "\\TypeLib",
          "*\\shellex\\ContextMenuHandlers\\Kestrelbinder", std::string("*\\shellex\\ContextMenuHandlers\\Other"),
          "Folder\\shellex\\ContextMenuHandlers\\Kestrelbinder", "TypeLib\\" + libid, "TypeLib\\" + libid + "\\1.0",
          "TypeLib\\" + libid + "\\1.0\\FLAGS", "TypeLib\\" + libid + "\\1.0\\HELPDIR",
          "TypeLib\\" + libid + "\\1.0\\0", "TypeLib\\" + libid + "\\1.0\\0\\linux"})
        expected.insert(k);
    EXPECT_EQ(AllKeys(), expected);

    const std::string modulePath = std::filesystem::canonical(KB_SHELLEXT_MODULE).string();
    EXPECT_EQ(Value("KestrelbinderShellExt.KXShlExt.1"), "KXShlExt Class");
    EXPECT_EQ(Value("KestrelbinderShellExt.KXShlExt.1\\CLSID"), clsid);
    EXPECT_EQ(Value("KestrelbinderShellExt.KXShlExt\\CurVer"), "KestrelbinderShellExt.KXShlExt.1");
    EXPECT_EQ(Value(cls), "KXShlExt Class");
    EXPECT_EQ(Value(cls + "\\ProgID"), "KestrelbinderShellExt.KXShlExt.1");
    EXPECT_EQ(Value(cls + "\\VersionIndependentProgID"), "KestrelbinderShellExt.KXShlExt");
    EXPECT_EQ(Value(cls + "\\Programmable"), "<no value>");
    EXPECT_EQ(Value(cls + "\\InprocServer32"), modulePath);
    EXPECT_EQ(Value(cls + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(Value(cls + "\\TypeLib"), libid);
    EXPECT_EQ(Value("*\\shellex\\ContextMenuHandlers\\Kestrelbinder"), clsid);
    EXPECT_EQ(Value("Folder\\shellex\\ContextMenuHandlers\\Kestrelbinder"), clsid);
    EXPECT_EQ(Value("TypeLib\\" + libid + "\\1.0"), "KestrelbinderShellExt 1.0 Type Library");
    EXPECT_EQ(Value("TypeLib\\" + libid + "\\1.0\\0\\linux"), modulePath);

    ASSERT_EQ(module.DllRegisterServer()(), S_OK) << "registering again";
    EXPECT_EQ(AllKeys(), expected);

    ASSERT_EQ(module.DllUnregisterServer()(), S_OK);
    std::set<std::string> left = kSharedParents;
    left.insert("*\\shellex\\ContextMenuHandlers\\Other");
    EXPECT_EQ(AllKeys(), left);
}

TEST_F(ShellExtTest, RegistrationAddsTheFileManagerEntriesAndLeavesTheUsersOwn) {
    const std::string launcher = std::filesystem::canonical(KB_SHELLEXT_MODULE).parent_path().string() +
                                 "/kestrelbinder-shell";
    const std::vector<std::string> files = kb::shellext::MenuEntryFiles();
    ASSERT_EQ(files.size(), 3u);
    ASSERT_EQ(module.DllRegisterServer()(), S_OK);
    for (const std::string& f : files) EXPECT_NE(kb::testing::ReadAll(f).find(launcher), std::string::npos) << f;
    EXPECT_NE(kb::testing::ReadAll(files[0]).find("MimeType=all/all;"), std::string::npos);
    EXPECT_EQ(std::filesystem::status(files[1]).permissions() & std::filesystem::perms::owner_exec,
              std::filesystem::perms::owner_exec);

    ASSERT_EQ(module.DllUnregisterServer()(), S_OK);
    for (const std::string& f : files) EXPECT_FALSE(std::filesystem::exists(f)) << f;

    // A script of the user's own under the same name is neither replaced nor removed.
    root.Write("data/nautilus/scripts/Split", "#!/bin/sh\necho mine\n");
    ASSERT_EQ(module.DllRegisterServer()(), S_OK);
    ASSERT_EQ(module.DllUnregisterServer()(), S_OK);
    EXPECT_EQ(kb::testing::ReadAll(files[1]), "#!/bin/sh\necho mine\n");
}

TEST(MenuEntryQuoting, LauncherPathsWithSpecialCharactersAreQuotedForEachFormat) {
    kb::testing::TempFolder root;
    ScopedEnv data("XDG_DATA_HOME", root.Path());
    ASSERT_TRUE(kb::shellext::InstallMenuEntries("/opt/it's 100% \"$x\"/kestrelbinder-shell"));
    const auto files = kb::shellext::MenuEntryFiles();
    EXPECT_NE(kb::testing::ReadAll(files[0]).find(
                  "Exec=\"/opt/it's 100%% \\\\\"\\\\$x\\\\\"/kestrelbinder-shell\" -- %F\n"),
              std::string::npos);
    EXPECT_NE(kb::testing::ReadAll(files[1]).find(
                  "exec '/opt/it'\\''s 100% \"$x\"/kestrelbinder-shell' -- \"$@\"\n"),
              std::string::npos);
    EXPECT_FALSE(kb::shellext::InstallMenuEntries("/opt/two\nlines"));
}

TEST(MenuEntryFormats, EachFileGetsItsOwnFormatAndPermissions) {
    kb::testing::TempFolder root;
    ScopedEnv data("XDG_DATA_HOME", root.Path());
    ASSERT_TRUE(kb::shellext::InstallMenuEntries("/opt/kb/kestrelbinder-shell"));
    const auto files = kb::shellext::MenuEntryFiles();
    ASSERT_EQ(files.size(), 3u);
    struct Case {
        const char* opening;  // the format's first line after the marker, or the script's own
        bool executable;
    };
    const Case cases[] = {{"\n[Desktop Entry]\n", true}, {"#!/bin/sh\n", true}, {"\n[Nemo Action]\n", false}};
    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(files[i].rfind(root.Path(), 0), 0u) << files[i];
        EXPECT_NE(kb::testing::ReadAll(files[i]).find(cases[i].opening), std::string::npos) << files[i];
        const auto perms = std::filesystem::status(files[i]).permissions();
        EXPECT_EQ((perms & std::filesystem::perms::owner_exec) != std::filesystem::perms::none,
                  cases[i].executable)
            << files[i];
    }
}

// A stand-in outer object that counts the references it is asked for.
class Outer final : public IUnknown {
public:
    HRESULT QueryInterface(REFIID, void**) noexcept override { return E_NOINTERFACE; }
    ULONG AddRef() noexcept override { return ++refs; }
    ULONG Release() noexcept override { return --refs; }
    ULONG refs = 1;
};

TEST_F(ShellExtTest, AggregatedObjectHandsItsReferencesToTheOuterAndTheModuleCountsIt) {
    IClassFactory* factory = nullptr;
    ASSERT_EQ(module.DllGetClassObject()(CLSID_KXShlExt, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    GUID other = CLSID_KXShlExt;
    other.Data1 ^= 1;
    void* none = nullptr;
    EXPECT_EQ(module.DllGetClassObject()(other, IID_IClassFactory, &none), CLASS_E_CLASSNOTAVAILABLE);

    Outer outer;
    void* object = nullptr;
    EXPECT_EQ(factory->CreateInstance(&outer, IID_IContextMenu, &object), CLASS_E_NOAGGREGATION);
    ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, &object), S_OK);
    auto* inner = static_cast<IUnknown*>(object);
    EXPECT_EQ(module.DllCanUnloadNow()(), S_FALSE);

    IContextMenu* menu = nullptr;
    ASSERT_EQ(inner->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu)), S_OK);
    EXPECT_EQ(outer.refs, 2u) << "the interface's reference belongs to the outer object";
    menu->Release();
    EXPECT_EQ(outer.refs, 1u);
    IDispatch* dispatch = nullptr;
    ASSERT_EQ(inner->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);
    UINT count = 9;
    EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
    dispatch->Release();

    inner->Release();
    EXPECT_EQ(module.DllCanUnloadNow()(), S_OK);
    factory->LockServer(1);
    EXPECT_EQ(module.DllCanUnloadNow()(), S_FALSE);
    factory->LockServer(0);
    EXPECT_EQ(module.DllCanUnloadNow()(), S_OK);
    factory->Release();
}

}  // namespace
}  // namespace kb::shelltest
