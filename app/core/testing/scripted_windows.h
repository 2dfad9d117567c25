#pragma once
// The wizards' small windows for tests: each request is recorded and answered from a queue the
// test fills beforehand. A request that finds its queue empty is a test failure (a password
// window then answers "", a disk request Cancel); answers left over when the fake goes are a
// failure too.

#include <deque>
#include <string>
#include <vector>

#include "app/core/wizard_windows.h"

namespace kb::testing {

class ScriptedWindows : public WizardWindows {
public:
    ~ScriptedWindows() override;

    // Queues the text typed into the next password window.
    ScriptedWindows& TypePassword(std::string text);
    // Queues the answer to the next disk request (true: OK).
    ScriptedWindows& AnswerDisk(bool ok);

    std::vector<std::string> passwordPrompts;
    std::vector<int32_t> diskRequests;

    std::string ConfirmPassword(const std::string& prompt) override;
    bool RequestDisk(int32_t diskNumber) override;

private:
    std::deque<std::string> passwords_;
    std::deque<bool> disks_;
};

}  // namespace kb::testing
