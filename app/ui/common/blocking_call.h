#pragma once
// Runs a library call that blocks (archive building and unpacking) on a worker thread while
// the window's thread keeps handling its events, so the window repaints and its progress bar
// moves. The call's progress reports are handed to the window's thread in the order made; a
// call that keeps its progress in a counter instead has it read by a poll on the window's
// thread.

#include <chrono>
#include <functional>
#include <string>

namespace kb {

// What the worker calls to report progress: an item's name and a whole percentage.
using BlockingCallProgress = std::function<void(const std::string& name, int percent)>;

// How often the poll runs while the work goes on: every 200 ms, so that a bar moves several
// times a second. Tests that cannot wait that long shorten it (zero restores the default).
void SetBlockingCallPollInterval(std::chrono::milliseconds interval);

// Runs work(report) on a worker thread and returns when it has finished; onProgress runs on
// this thread for every report. When given, poll runs on this thread at the interval above
// while the work runs, and once more after it has finished without failure. An exception
// thrown by the work is thrown again here.
void RunBlockingCall(const std::function<void(const BlockingCallProgress& report)>& work,
                     const BlockingCallProgress& onProgress,
                     const std::function<void()>& poll = {});

}  // namespace kb
