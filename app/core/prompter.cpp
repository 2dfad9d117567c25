#include "app/core/prompter.h"

#include <cstdio>
#include <cstdlib>

#include "app/core/kb_error.h"

namespace kb {

Answer DefaultAnswer(int style) {
    static constexpr Answer kSets[6][3] = {
        {Answer::OK, Answer::OK, Answer::OK},
        {Answer::OK, Answer::Cancel, Answer::Cancel},
        {Answer::Abort, Answer::Retry, Answer::Ignore},
        {Answer::Yes, Answer::No, Answer::Cancel},
        {Answer::Yes, Answer::No, Answer::No},
        {Answer::Retry, Answer::Cancel, Answer::Cancel},
    };
    int set = style & mb::ButtonMask;
    if (set > 5) set = 0;
    int button = (style & mb::DefaultMask) >> 8;
    if (button > 2) button = 0;
    return kSets[set][button];
}

Answer GiveUpAnswer(int style) {
    switch (style & mb::ButtonMask) {
    case mb::RetryCancel: return Answer::Cancel;
    case mb::AbortRetryIgnore: return Answer::Abort;
    }
    return DefaultAnswer(style);
}

const char* AnswerName(Answer a) {
    switch (a) {
    case Answer::OK: return "OK";
    case Answer::Cancel: return "Cancel";
    case Answer::Abort: return "Abort";
    case Answer::Retry: return "Retry";
    case Answer::Ignore: return "Ignore";
    case Answer::Yes: return "Yes";
    case Answer::No: return "No";
    }
    return "?";
}

namespace {

class ConsolePrompter final : public Prompter {
public:
    Answer MsgBox(const std::string& text, int style, const std::string& title) override {
        std::string oneLine = text;
        for (char& c : oneLine)
            if (c == '\n' || c == '\r') c = ' ';
        std::fprintf(stderr, "box: %s: %s\n", title.c_str(), oneLine.c_str());
        return DefaultAnswer(style);
    }
    std::string InputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override {
        std::fprintf(stderr, "input: %s: %s\n", title.c_str(), prompt.c_str());
        return defaultText;
    }
    void DoEvents() override {}
    void EndProgram() override { std::exit(1); }
};

ConsolePrompter gConsole;
Prompter* gCurrent = &gConsole;

}  // namespace

Prompter& Prompt() { return *gCurrent; }

Prompter* SetPrompter(Prompter* p) {
    Prompter* old = gCurrent;
    gCurrent = p ? p : &gConsole;
    return old == &gConsole ? nullptr : old;
}

Answer MsgBox(const std::string& text, int style, const std::string& title) {
    return Prompt().MsgBox(text, style, title);
}

std::string InputBox(const std::string& prompt, const std::string& title,
                     const std::string& defaultText) {
    return Prompt().InputBox(prompt, title, defaultText);
}

void DoEvents() { Prompt().DoEvents(); }

void EndProgram() {
    Prompt().EndProgram();
    throw ProgramEnded();
}

}  // namespace kb
