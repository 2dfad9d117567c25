#pragma once
// Runs a library call that blocks (archive building and unpacking) on a worker thread while
// the window's thread keeps handling its events, so the window repaints and its progress bar
// moves. The call's progress reports are handed to the window's thread in the order made.

#include <functional>
#include <string>

namespace kb {

// What the worker calls to report progress: an item's name and a whole percentage.
using BlockingCallProgress = std::function<void(const std::string& name, int percent)>;

// Runs work(report) on a worker thread and returns when it has finished; onProgress runs on
// this thread for every report. An exception thrown by the work is thrown again here.
void RunBlockingCall(const std::function<void(const BlockingCallProgress& report)>& work,
                     const BlockingCallProgress& onProgress);

}  // namespace kb
