#include "app/core/testing/scripted_prompter.h"

#include <gtest/gtest.h>

#include "app/core/kb_error.h"

namespace kb::testing {

ScriptedPrompter::ScriptedPrompter() : previous_(SetPrompter(this)) {}

ScriptedPrompter::~ScriptedPrompter() { SetPrompter(previous_); }

ScriptedPrompter& ScriptedPrompter::Answer(kb::Answer a) {
    answers_.push_back(a);
    return *this;
}

ScriptedPrompter& ScriptedPrompter::Type(std::string text) {
    texts_.push_back(std::move(text));
    return *this;
}

kb::Answer ScriptedPrompter::MsgBox(const std::string& text, int style, const std::string& title) {
    boxes.push_back({text, title, style});
    if (answers_.empty()) {
        if (!allowUnexpected_)
            ADD_FAILURE() << "unexpected message box \"" << title << "\": " << text;
        return DefaultAnswer(style);
    }
    kb::Answer a = answers_.front();
    answers_.pop_front();
    return a;
}

std::string ScriptedPrompter::InputBox(const std::string& prompt, const std::string& title,
                                       const std::string& defaultText) {
    inputs.push_back({prompt, title, defaultText});
    if (texts_.empty()) {
        if (!allowUnexpected_)
            ADD_FAILURE() << "unexpected input box \"" << title << "\": " << prompt;
        return defaultText;
    }
    std::string t = texts_.front();
    texts_.pop_front();
    return t;
}

void ScriptedPrompter::DoEvents() {
    ++doEventsCount;
    if (onDoEvents_) onDoEvents_();
}

void ScriptedPrompter::EndProgram() {
    ended = true;
    throw ProgramEnded();
}

}  // namespace kb::testing
