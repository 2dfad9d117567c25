#include <gtest/gtest.h>

#include <csignal>

#include "platform/process_start.h"

namespace kb::platform {
namespace {

TEST(ProcessStart, ReportsExitStatusAndMissingPrograms) {
    EXPECT_EQ(StartProcess({}), -1);
    EXPECT_EQ(StartProcess({"kb-no-such-program-here"}), -1);

    pid_t pid = StartProcess({"/bin/sh", "-c", "exit \"$0\"", "7"});
    ASSERT_GT(pid, 0);
    EXPECT_EQ(WaitProcess(pid, -1), 7);

    pid = StartProcess({"sleep", "5"});
    ASSERT_GT(pid, 0);
    EXPECT_EQ(WaitProcess(pid, 20), std::nullopt);
    kill(pid, SIGKILL);
    EXPECT_EQ(WaitProcess(pid, -1), 128 + SIGKILL);
}

}  // namespace
}  // namespace kb::platform
