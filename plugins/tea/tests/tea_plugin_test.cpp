// libTea.so as the host sees it: loaded with dlopen, called only through PluginMain.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/core/testing/temp_folder.h"
#include "app/pluginhost/include/kb_plugin.h"

namespace {

using kb::testing::ReadAll;
using kb::testing::TempFolder;

struct Calls {
    static inline std::vector<int32_t> percents;
    static inline bool sameAddress = true, textsNull = true, throwNow = false;
    static void Reset() {
        percents.clear();
        sameAddress = textsNull = true;
        throwNow = false;
    }
    static int32_t Callback(int32_t code, PluginBstr* p, PluginBstr* q, int32_t* r, int32_t* s) {
        if (code != PLUGIN_CB_SET_PROGRESS) return PLUGIN_CB_UNKNOWN_CODE;
        if (throwNow) throw std::runtime_error("host failure");
        sameAddress = sameAddress && r == s;
        textsNull = textsNull && p == nullptr && q == nullptr;
        percents.push_back(*r);
        return PLUGIN_OK;
    }
};

class TeaPlugin : public ::testing::Test {
protected:
    void SetUp() override {
        Calls::Reset();
        lib_ = dlopen(KB_TEA_PLUGIN, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(lib_, nullptr) << dlerror();
        main_ = reinterpret_cast<PluginMainProc>(dlsym(lib_, PLUGIN_MAIN_SYMBOL));
        ASSERT_NE(main_, nullptr);
    }
    void TearDown() override {
        if (lib_) dlclose(lib_);
    }

    int32_t Call(int32_t cmd, void* a1, void* a2 = nullptr, void* a3 = nullptr) {
        int32_t zero = 0;
        return main_(cmd, &Calls::Callback, a1 ? a1 : &zero, a2 ? a2 : &zero, a3 ? a3 : &zero, &zero);
    }

    std::string Text(int32_t cmd, const char* before) {
        PluginBstr s = before ? PluginBstrAllocText(before) : nullptr;
        EXPECT_EQ(Call(cmd, &s), 0);
        std::string text(s, PluginBstrLen(s));
        PluginBstrFree(s);
        return text;
    }

    // Commands 102 and 103 with the three texts in fresh handles, as the host passes them.
    int32_t File(int32_t cmd, const std::string& from, const std::string& to, const std::string& pass) {
        PluginBstr a = PluginBstrAllocText(from.c_str()), b = PluginBstrAllocText(to.c_str()),
                   c = PluginBstrAlloc(pass.data(), static_cast<uint32_t>(pass.size()));
        const int32_t result = Call(cmd, &a, &b, &c);
        PluginBstrFree(a);
        PluginBstrFree(b);
        PluginBstrFree(c);
        return result;
    }

    void* lib_ = nullptr;
    PluginMainProc main_ = nullptr;
};

TEST_F(TeaPlugin, DescribesItself) {
    EXPECT_EQ(Text(PLUGIN_CMD_GET_NAME, nullptr), "TEA Encryption");
    EXPECT_EQ(Text(PLUGIN_CMD_GET_NAME, "a longer handle that the plug-in replaces"), "TEA Encryption");
    EXPECT_FALSE(Text(PLUGIN_CMD_GET_AUTHOR, nullptr).empty());
    EXPECT_FALSE(Text(PLUGIN_CMD_GET_NOTICE, "x").empty());

    float version = 0;
    EXPECT_EQ(Call(PLUGIN_CMD_GET_VERSION, &version), 0);
    EXPECT_EQ(version, 1.0f);
    int32_t type = 0, id = 0;
    EXPECT_EQ(Call(PLUGIN_CMD_GET_TYPE, &type), 0);
    EXPECT_EQ(type, PLUGIN_TYPE_ENCRYPTOR);
    EXPECT_EQ(Call(PLUGIN_CMD_GET_ENCRYPTION_ID, &id), 0);
    EXPECT_EQ(id, 2);
}

TEST_F(TeaPlugin, CompatibilityWithTheHostVersion) {
    struct Case { float host; int32_t expected; } cases[] = {
        {3.9f, 2}, {4.0f, 0}, {4.05f, 0},
        {4.1f, 0},  // as a float 4.1 is just below the double 4.1
        {std::nextafter(4.1f, 5.0f), 1}, {4.5f, 1}, {std::nextafter(5.0f, 0.0f), 1},
        {5.0f, 2}, {-4.0f, 2},
        {std::numeric_limits<float>::quiet_NaN(), 2}, {std::numeric_limits<float>::infinity(), 2},
    };
    for (const auto& c : cases) {
        int32_t answer = 0;
        float host = c.host;
        PluginBstr reason = nullptr;
        EXPECT_EQ(Call(PLUGIN_CMD_CHECK_COMPATIBILITY, &answer, &host, &reason), 0);
        EXPECT_EQ(answer, c.expected) << c.host;
        EXPECT_EQ(reason, nullptr);
    }
}

TEST_F(TeaPlugin, OtherCommandsAndEventsAreNotHandled) {
    for (int32_t cmd : {22, 25, 27, 100, 600, 301, 302, 310, 311, 314, 316, 317, 0, -1, 9999}) {
        int32_t a1 = 12345;
        EXPECT_EQ(Call(cmd, &a1), PLUGIN_NOT_HANDLED) << cmd;
        EXPECT_EQ(a1, 12345) << cmd;
    }
    int16_t flag = -1;  // the enabled event's flag may come as a 16-bit variable
    EXPECT_EQ(Call(PLUGIN_EVT_ENABLED, &flag), 0);
}

TEST_F(TeaPlugin, EncryptsAndDecryptsFilesReportingProgress) {
    TempFolder dir;
    const auto bytes = kb::testing::RandomBytes(8000);
    const std::string src = dir.Write("src", bytes), enc = dir.File("enc"), dec = dir.File("dec");

    ASSERT_EQ(File(PLUGIN_CMD_ENCRYPT_FILE, src, enc, "pass word"), 0);
    EXPECT_EQ(ReadAll(enc).size(), 8000u + 268);
    // 1001 reads of 8 bytes (the last one empty): a report every 100th.
    EXPECT_EQ(Calls::percents, (std::vector<int32_t>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
    EXPECT_TRUE(Calls::sameAddress);
    EXPECT_TRUE(Calls::textsNull);

    Calls::Reset();
    EXPECT_EQ(File(PLUGIN_CMD_DECRYPT_FILE, enc, dec, "pass wor"), 1);
    EXPECT_FALSE(std::filesystem::exists(dec));
    ASSERT_EQ(File(PLUGIN_CMD_DECRYPT_FILE, enc, dec, "pass word"), 0);
    EXPECT_EQ(ReadAll(dec), ReadAll(src));
    EXPECT_EQ(Calls::percents.size(), 10u);
    EXPECT_EQ(File(PLUGIN_CMD_DECRYPT_FILE, src, dec, "pass word"), -2);
    EXPECT_EQ(File(PLUGIN_CMD_ENCRYPT_FILE, dir.File("missing"), enc, "x"), -1);
}

TEST_F(TeaPlugin, TextsAreCutAtTheirFirstNul) {
    TempFolder dir;
    const std::string src = dir.Write("src", std::string(20, 'q')), enc = dir.File("enc");
    const std::string dec = dir.File("dec");
    ASSERT_EQ(File(PLUGIN_CMD_ENCRYPT_FILE, src, enc, std::string("pw\0tail", 7)), 0);
    ASSERT_EQ(File(PLUGIN_CMD_DECRYPT_FILE, enc, dec, "pw"), 0);
    EXPECT_EQ(ReadAll(dec), ReadAll(src));
}

TEST_F(TeaPlugin, NoExceptionLeavesPluginMain) {
    TempFolder dir;
    const std::string src = dir.Write("src", kb::testing::RandomBytes(8000)), enc = dir.File("enc");
    Calls::throwNow = true;
    EXPECT_EQ(File(PLUGIN_CMD_ENCRYPT_FILE, src, enc, "pw"), -1);
    EXPECT_FALSE(std::filesystem::exists(enc));
}

}  // namespace
