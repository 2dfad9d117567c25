#include "app/core/testing/scripted_prompter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "app/core/kb_error.h"

namespace kb::testing {

namespace {

bool HasButton(int style, kb::Answer a) {
    using A = kb::Answer;
    switch (style & mb::ButtonMask) {
    case mb::OKOnly: return a == A::OK;
    case mb::OKCancel: return a == A::OK || a == A::Cancel;
    case mb::AbortRetryIgnore: return a == A::Abort || a == A::Retry || a == A::Ignore;
    case mb::YesNoCancel: return a == A::Yes || a == A::No || a == A::Cancel;
    case mb::YesNo: return a == A::Yes || a == A::No;
    case mb::RetryCancel: return a == A::Retry || a == A::Cancel;
    }
    return false;
}

}  // namespace

ScriptedPrompter::ScriptedPrompter() : previous_(SetPrompter(this)) {}

ScriptedPrompter::~ScriptedPrompter() {
    SetPrompter(previous_);
    // A queued answer that no box took means a box the test counted on never came.
    if (!allowUnexpected_ && PendingAnswers() > 0)
        ADD_FAILURE() << PendingAnswers() << " scripted answer(s) left: an expected box never came";
}

ScriptedPrompter& ScriptedPrompter::Answer(kb::Answer a) {
    answers_.push_back(a);
    return *this;
}

ScriptedPrompter& ScriptedPrompter::Type(std::string text) {
    texts_.push_back(std::move(text));
    return *this;
}

kb::Answer ScriptedPrompter::MsgBox(const std::string& text, int style, const std::string& title) {
    if (answers_.empty()) {
        const int inARow = ++unansweredInARow_;
        if (inARow > kRunawayBoxes) {
            // Far beyond any script: the code under test goes round without end.
            if (inARow > 100 * kRunawayBoxes) {
                std::fprintf(stderr, "scripted prompter: %d boxes in a row without an answer\n", inARow);
                std::abort();
            }
            return GiveUpAnswer(style);
        }
        boxes.push_back({text, title, style});
        if (inARow == kRunawayBoxes) {
            ADD_FAILURE() << kRunawayBoxes << " message boxes in a row found no scripted answer, "
                          << "the last \"" << title << "\": " << text << "; the code under test "
                          << "seems to loop, and boxes offering Retry are given up on from here";
            return GiveUpAnswer(style);
        }
        if (!allowUnexpected_)
            ADD_FAILURE() << "unexpected message box \"" << title << "\": " << text;
        return DefaultAnswer(style);
    }
    unansweredInARow_ = 0;
    boxes.push_back({text, title, style});
    kb::Answer a = answers_.front();
    answers_.pop_front();
    // An answer the box has no button for would let a wrong button set pass unnoticed.
    if (!HasButton(style, a))
        ADD_FAILURE() << "scripted answer " << AnswerName(a) << " fits no button of the box \""
                      << title << "\": " << text;
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
