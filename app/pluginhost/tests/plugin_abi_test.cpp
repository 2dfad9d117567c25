// The calling-convention header: string handles and event records as the other side of the
// boundary sees them, and a plain-C plug-in built against the header alone.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "app/pluginhost/include/kb_plugin.h"
#include "app/pluginhost/plugin_text.h"

namespace {

TEST(PluginBstr, LayoutIsLengthThenBytesThenNul) {
    const char bytes[] = {'a', '\0', 'b'};
    PluginBstr s = PluginBstrAlloc(bytes, 3);
    ASSERT_NE(s, nullptr);
    uint32_t prefix = 0;
    std::memcpy(&prefix, s - 4, 4);
    EXPECT_EQ(prefix, 3u);
    EXPECT_EQ(PluginBstrLen(s), 3u);
    EXPECT_EQ(std::memcmp(s, bytes, 3), 0);
    EXPECT_EQ(s[3], '\0');
    // The block is the C library's, starting 4 bytes before the handle.
    std::free(s - 4);
}

TEST(PluginBstr, NullHandleIsTheEmptyText) {
    EXPECT_EQ(PluginBstrLen(nullptr), 0u);
    PluginBstrFree(nullptr);
    EXPECT_EQ(kb::PluginBstrText(nullptr), "");

    PluginBstr var = nullptr;
    ASSERT_EQ(PluginBstrReAllocText(&var, "x"), 1);
    EXPECT_EQ(kb::PluginBstrText(var), "x");
    PluginBstrFree(var);
}

TEST(PluginBstr, ReAllocReplacesTheHandleAndMayReadFromTheOldOne) {
    PluginBstr var = PluginBstrAllocText("hello world");
    ASSERT_EQ(PluginBstrReAlloc(&var, var + 6, 5), 1);
    EXPECT_EQ(kb::PluginBstrText(var), "world");
    EXPECT_EQ(var[5], '\0');
    ASSERT_EQ(PluginBstrReAlloc(&var, nullptr, 2), 1);
    EXPECT_EQ(kb::PluginBstrText(var), std::string(2, '\0'));
    PluginBstrFree(var);
}

TEST(PluginBstr, HostTextArgumentRoundTripsBytesAndFreesWhatItHoldsLast) {
    const std::string text("a\0b\xff", 4);
    kb::PluginTextArg arg(text);
    EXPECT_EQ(arg.Text(), text);
    // What a plug-in does: free the host's handle and leave a new one behind.
    ASSERT_EQ(PluginBstrReAllocText(arg.Var(), "answer"), 1);
    EXPECT_EQ(arg.Text(), "answer");
    kb::PluginTextArg empty;
    ASSERT_NE(*empty.Var(), nullptr);
    EXPECT_EQ(PluginBstrLen(*empty.Var()), 0u);
}

TEST(TrimAtNullInPlace, CutsOnlyAtANulAfterTheFirstCharacter) {
    struct Case {
        std::string in, out;
    } cases[] = {
        {std::string("abc\0def", 7), "abc"},
        {std::string("\0abc", 4), std::string("\0abc", 4)},
        {std::string("a\0\0", 3), "a"},
        {"abc", "abc"},
        {"", ""},
    };
    for (const Case& c : cases) {
        std::string t = c.in;
        kb::TrimAtNullInPlace(t);
        EXPECT_EQ(t, c.out);
    }
}

TEST(PluginVariant, IsTheSixteenByteRecordWithTheValueAtByteEight) {
    EXPECT_EQ(sizeof(PluginVariant), 16u);
    EXPECT_EQ(offsetof(PluginVariant, vt), 0u);
    EXPECT_EQ(offsetof(PluginVariant, value), 8u);
}

TEST(PlainCPlugin, BuiltAgainstTheHeaderAloneLoadsAndAnswersNotHandled) {
    const std::string path = std::string(KB_TEST_PLUGIN_DIR) + "/unhandled.so";
    void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    auto main = reinterpret_cast<PluginMainProc>(dlsym(lib, PLUGIN_MAIN_SYMBOL));
    ASSERT_NE(main, nullptr);
    int32_t a[4] = {7, 7, 7, 7};
    for (int32_t cmd : {PLUGIN_CMD_GET_TYPE, PLUGIN_CMD_CHECK_COMPATIBILITY, PLUGIN_EVT_ENABLED}) {
        EXPECT_EQ(main(cmd, nullptr, &a[0], &a[1], &a[2], &a[3]), PLUGIN_NOT_HANDLED);
    }
    EXPECT_EQ(a[0] + a[1] + a[2] + a[3], 28);
    dlclose(lib);
}

}  // namespace
