#include "app/core/testing/scripted_windows.h"

#include <gtest/gtest.h>

namespace kb::testing {

ScriptedWindows::~ScriptedWindows() {
    EXPECT_TRUE(passwords_.empty()) << passwords_.size() << " password(s) never asked for";
    EXPECT_TRUE(disks_.empty()) << disks_.size() << " disk answer(s) never asked for";
}

ScriptedWindows& ScriptedWindows::TypePassword(std::string text) {
    passwords_.push_back(std::move(text));
    return *this;
}

ScriptedWindows& ScriptedWindows::AnswerDisk(bool ok) {
    disks_.push_back(ok);
    return *this;
}

std::string ScriptedWindows::ConfirmPassword(const std::string& prompt) {
    passwordPrompts.push_back(prompt);
    if (passwords_.empty()) {
        ADD_FAILURE() << "unexpected password window: " << prompt;
        return "";
    }
    std::string text = std::move(passwords_.front());
    passwords_.pop_front();
    return text;
}

bool ScriptedWindows::RequestDisk(int32_t diskNumber) {
    diskRequests.push_back(diskNumber);
    if (disks_.empty()) {
        ADD_FAILURE() << "unexpected disk request for disk " << diskNumber;
        return false;
    }
    const bool ok = disks_.front();
    disks_.pop_front();
    return ok;
}

}  // namespace kb::testing
