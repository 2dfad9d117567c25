#pragma once
// A prompter for tests: every box is recorded, and answered from a queue that the test fills
// beforehand. A box that finds the queue empty is a test failure (it is then answered with its
// default button so the code under test can go on); so are an answer the box has no button
// for, and answers still queued when the prompter goes (a box the test expected never came).
// Code that loops on a box (Retry for ever) is stopped: after kRunawayBoxes boxes in a row
// without a queued answer the test fails, and from then on a box offering Retry is given up
// on (Cancel or Abort) and no longer recorded.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/core/prompter.h"

namespace kb::testing {

struct RecordedBox {
    std::string text;
    std::string title;
    int style = 0;
    int Buttons() const { return style & mb::ButtonMask; }
    int Icon() const { return style & mb::IconMask; }
    int DefaultButton() const { return style & mb::DefaultMask; }
};

struct RecordedInput {
    std::string prompt;
    std::string title;
    std::string defaultText;
};

class ScriptedPrompter : public Prompter {
public:
    static constexpr int kRunawayBoxes = 200;

    // Installs itself for its lifetime.
    ScriptedPrompter();
    ~ScriptedPrompter() override;

    // Queues the answer to the next message box.
    ScriptedPrompter& Answer(kb::Answer a);
    // Queues the text typed into the next input box ("" is a cancelled box).
    ScriptedPrompter& Type(std::string text);
    // Boxes may come without a queued answer: they get their default button, no failure; and
    // answers may be left over.
    void AllowUnexpected(bool allow = true) { allowUnexpected_ = allow; }
    // Called at every DoEvents (a test can set a cancel flag there, for instance).
    void OnDoEvents(std::function<void()> f) { onDoEvents_ = std::move(f); }

    std::vector<RecordedBox> boxes;
    std::vector<RecordedInput> inputs;
    int doEventsCount = 0;
    bool ended = false;

    // Answers still queued.
    size_t PendingAnswers() const { return answers_.size() + texts_.size(); }

    kb::Answer MsgBox(const std::string& text, int style, const std::string& title) override;
    std::string InputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;
    void DoEvents() override;
    // Records the end and throws ProgramEnded.
    void EndProgram() override;

private:
    std::deque<kb::Answer> answers_;
    std::deque<std::string> texts_;
    bool allowUnexpected_ = false;
    int unansweredInARow_ = 0;
    std::function<void()> onDoEvents_;
    Prompter* previous_;
};

}  // namespace kb::testing
