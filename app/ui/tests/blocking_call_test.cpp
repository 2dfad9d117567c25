#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "app/ui/common/blocking_call.h"

namespace kb {
namespace {

TEST(BlockingCall, ReportsArriveInOrderWhileTheWindowThreadKeepsRunning) {
    std::atomic<bool> timerFired{false};
    QTimer::singleShot(0, [&] { timerFired = true; });
    std::vector<std::pair<std::string, int>> seen;
    const auto self = std::this_thread::get_id();
    RunBlockingCall(
        [&](const BlockingCallProgress& report) {
            EXPECT_NE(std::this_thread::get_id(), self);
            for (int i = 0; i < 3; ++i) report("f" + std::to_string(i), i * 40);
            // The window's thread handles its events while this call still blocks.
            for (int i = 0; i < 500 && !timerFired; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        },
        [&](const std::string& name, int percent) {
            EXPECT_EQ(std::this_thread::get_id(), self);
            seen.emplace_back(name, percent);
        });
    EXPECT_TRUE(timerFired);
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, int>>{{"f0", 0}, {"f1", 40}, {"f2", 80}}));
}

TEST(BlockingCall, AFailureOfTheWorkIsThrownOnTheCallersThread) {
    EXPECT_THROW(RunBlockingCall([](const BlockingCallProgress&) { throw std::runtime_error("x"); },
                                 nullptr),
                 std::runtime_error);
}

}  // namespace
}  // namespace kb
