#include "app/core/testing/scripted_dialogs.h"

#include <gtest/gtest.h>

namespace kb::testing {

ScriptedDialogs::ScriptedDialogs() : previous_(SetDialogs(this)) {}

ScriptedDialogs::~ScriptedDialogs() {
    SetDialogs(previous_);
    EXPECT_TRUE(answers_.empty()) << answers_.size() << " dialog answer(s) never taken";
}

ScriptedDialogs& ScriptedDialogs::ChooseFile(std::string path) {
    answers_.emplace_back(std::move(path));
    return *this;
}

ScriptedDialogs& ScriptedDialogs::ChooseFolder(std::string path) {
    answers_.emplace_back(std::move(path));
    return *this;
}

ScriptedDialogs& ScriptedDialogs::Cancel() {
    answers_.emplace_back(std::nullopt);
    return *this;
}

std::optional<std::string> ScriptedDialogs::Next(const char* kind) {
    if (answers_.empty()) {
        ADD_FAILURE() << "unexpected " << kind;
        return std::nullopt;
    }
    std::optional<std::string> a = std::move(answers_.front());
    answers_.pop_front();
    return a;
}

std::optional<std::string> ScriptedDialogs::OpenFile(const OpenFileRequest& request) {
    openRequests.push_back(request);
    return Next("open dialog");
}

std::optional<std::string> ScriptedDialogs::BrowseForFolder(const std::string& title,
                                                            const std::string& startFolder) {
    folderRequests.push_back({title, startFolder});
    return Next("folder browser");
}

}  // namespace kb::testing
