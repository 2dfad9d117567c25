#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
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

// Work that keeps its progress in a counter: the poll reads it on the caller's thread while the
// work runs, and once more at the end, so the last figure read is the finished one.
TEST(BlockingCall, APollReadsTheWorksCounterWhileItRunsAndOnceAtTheEnd) {
    SetBlockingCallPollInterval(std::chrono::milliseconds(5));
    std::atomic<int> done{0};
    std::vector<int> read;
    const auto self = std::this_thread::get_id();
    RunBlockingCall(
        [&](const BlockingCallProgress&) {
            for (int i = 1; i <= 10; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                done = i;
            }
        },
        {},
        [&] {
            EXPECT_EQ(std::this_thread::get_id(), self);
            read.push_back(done);
        });
    SetBlockingCallPollInterval({});
    EXPECT_GE(std::count_if(read.begin(), read.end(), [](int v) { return v < 10; }), 2)
        << "read while the work ran";
    ASSERT_FALSE(read.empty());
    EXPECT_EQ(read.back(), 10);
    EXPECT_TRUE(std::is_sorted(read.begin(), read.end()));

    // A failed work is not polled after its end.
    int polls = 0;
    EXPECT_THROW(RunBlockingCall([](const BlockingCallProgress&) { throw std::runtime_error("x"); },
                                 {}, [&] { ++polls; }),
                 std::runtime_error);
    EXPECT_EQ(polls, 0);
}

TEST(BlockingCall, AFailureOfTheWorkIsThrownOnTheCallersThread) {
    EXPECT_THROW(RunBlockingCall([](const BlockingCallProgress&) { throw std::runtime_error("x"); },
                                 nullptr),
                 std::runtime_error);
}

}  // namespace
}  // namespace kb
