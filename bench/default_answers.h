#pragma once
// The prompter of the wizard drivers: the program's own event handling, with every box
// answered by its default button, printed on standard error (bench/repeated_boxes.h); a box
// that keeps asking to retry is given up on after a few times, and a run whose boxes go round
// without end is ended.

#include <string>

#include "app/core/prompter.h"
#include "app/ui/common/qt_prompter.h"
#include "bench/repeated_boxes.h"

namespace kb::bench {

class DefaultAnswers : public Prompter {
public:
    Answer MsgBox(const std::string& text, int style, const std::string& title) override {
        const Answer a = repeats_.Show(text, style, title, DefaultAnswer(style), false);
        if (repeats_.GoingRound()) EndProgram();
        return a;
    }
    std::string InputBox(const std::string&, const std::string&, const std::string& d) override { return d; }
    void DoEvents() override { events_.DoEvents(); }
    [[noreturn]] void EndProgram() override { events_.EndProgram(); }

private:
    QtPrompter events_;
    RepeatedBoxes repeats_;
};

}  // namespace kb::bench
