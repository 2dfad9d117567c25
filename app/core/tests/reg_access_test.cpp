#include <gtest/gtest.h>

#include <string>

#include "app/core/reg_access.h"
#include "app/core/testing/temp_folder.h"

namespace kb {
namespace {

const char kKey[] = "Software\\Tarnwolde\\Kestrelbinder";

class RegAccessTest : public ::testing::Test {
protected:
    testing::TempFolder dir;
    testing::ScopedEnv env{"KESTRELBINDER_REGISTRY", dir.Path()};

    static void SetRaw(uint32_t type, const std::string& name, const std::string& bytes) {
        platform::RegKey key;
        ASSERT_EQ(platform::RegCreateKeyEx(HKEY_CURRENT_USER, kKey, platform::KEY_ALL_ACCESS, key),
                  platform::ERROR_SUCCESS);
        ASSERT_EQ(platform::RegSetValueEx(key, name, type, bytes.data(), static_cast<uint32_t>(bytes.size())),
                  platform::ERROR_SUCCESS);
    }
};

TEST_F(RegAccessTest, WritesAndReadsBackTextUnderEitherRoot) {
    std::string v = "/home/ann/Documents";
    EXPECT_TRUE(RegWriteString(HKEY_CURRENT_USER, kKey, "DefaultSource", v));
    std::string m = "machine";
    EXPECT_TRUE(RegWriteString(HKEY_LOCAL_MACHINE, kKey, "DefaultSource", m));
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kKey, "DefaultSource"), "/home/ann/Documents");
    EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, kKey, "DefaultSource"), "machine");
    std::string w = "10";
    EXPECT_TRUE(RegWriteString(HKEY_CURRENT_USER, kKey, "DefaultSource", w));  // replaces
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kKey, "defaultsource"), "10");
}

TEST_F(RegAccessTest, EmptyTextIsStoredAsOneBlank) {
    std::string v;
    EXPECT_TRUE(RegWriteString(HKEY_CURRENT_USER, kKey, "DefaultDest", v));
    EXPECT_EQ(v, " ");  // the caller's variable changes too
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kKey, "DefaultDest"), " ");
}

TEST_F(RegAccessTest, ReadsByTypeAndGivesEmptyTextOnAnyFailure) {
    SetRaw(platform::REG_DWORD, "Dword", std::string("\x05\x01\0\0", 4));
    SetRaw(platform::REG_DWORD, "Large", std::string("\x00\x5e\xd0\xb2", 4));
    SetRaw(platform::REG_BINARY, "Binary", "abc");
    SetRaw(platform::REG_EXPAND_SZ, "Expand", "%HOME%/x");
    SetRaw(platform::REG_SZ, "Nul", std::string("ab\0cd", 5));
    SetRaw(platform::REG_SZ, "Max", std::string(1023, 'x'));
    SetRaw(platform::REG_SZ, "TooLong", std::string(1024, 'x'));
    struct Case { const char* key; const char* name; std::string expected; } cases[] = {
        {kKey, "Dword", "261"},
        {kKey, "Large", "3000000000"},  // a DWORD is unsigned
        {kKey, "Binary", ""},
        {kKey, "Expand", "%HOME%/x"},
        {kKey, "Nul", "ab"},
        {kKey, "Max", std::string(1023, 'x')},
        {kKey, "TooLong", ""},
        {kKey, "Missing", ""},
        {"Software\\Nobody", "Dword", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, c.key, c.name), c.expected) << c.name;
    EXPECT_EQ(RegReadString(0x12345678u, kKey, "Dword"), "");
}

TEST_F(RegAccessTest, WriteFailsWhenTheStoreCannotBeWritten) {
    testing::ScopedEnv blocked("KESTRELBINDER_REGISTRY", dir.Write("plain-file", "x") + "/registry");
    std::string v = "x";
    EXPECT_FALSE(RegWriteString(HKEY_CURRENT_USER, kKey, "V", v));
    EXPECT_FALSE(RegWriteString(0x12345678u, kKey, "V", v));
}

}  // namespace
}  // namespace kb
