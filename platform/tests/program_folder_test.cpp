#include <gtest/gtest.h>

#include <filesystem>

#include "app/core/testing/temp_folder.h"
#include "platform/program_folder.h"

namespace kb::platform {
namespace {

using kb::testing::ScopedEnv;

TEST(ProgramFolder, HomeVariableElseTheExecutablesFolder) {
    {
        ScopedEnv home("KESTRELBINDER_HOME", "/opt/kb//");
        EXPECT_EQ(ProgramFolder(), "/opt/kb");
    }
    {
        ScopedEnv home("KESTRELBINDER_HOME", "/");
        EXPECT_EQ(ProgramFolder(), "/");
    }
    // Set but empty counts as not set: the folder of this test program.
    ScopedEnv home("KESTRELBINDER_HOME", "");
    const auto exe = std::filesystem::canonical("/proc/self/exe");
    EXPECT_EQ(ProgramFolder(), exe.parent_path().string());
}

}  // namespace
}  // namespace kb::platform
