#pragma once
// Everything the engine asks of the person at the screen goes through one Prompter: message
// boxes, input boxes, letting pending window messages run, and ending the program. The desktop
// front end answers with real dialogs, tools answer from the command line, and tests answer
// from a script that records every box.

#include <string>

namespace kb {

// Style bits of a message box: one button set, one icon and one default button, added up.
namespace mb {
constexpr int OKOnly = 0;
constexpr int OKCancel = 1;
constexpr int AbortRetryIgnore = 2;
constexpr int YesNoCancel = 3;
constexpr int YesNo = 4;
constexpr int RetryCancel = 5;
constexpr int ButtonMask = 0x7;

constexpr int Critical = 16;
constexpr int Question = 32;
constexpr int Exclamation = 48;
constexpr int Information = 64;
constexpr int IconMask = 0x70;

constexpr int DefaultButton1 = 0;
constexpr int DefaultButton2 = 256;
constexpr int DefaultButton3 = 512;
constexpr int DefaultMask = 0x300;
}  // namespace mb

// The button a message box was closed with.
enum class Answer { OK = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// The answer of the default button of a style (Enter on the box).
Answer DefaultAnswer(int style);
// The answer that gives up on a box offering Retry: Cancel, or Abort on an Abort, Retry and
// Ignore box. Any other box gets its default button.
Answer GiveUpAnswer(int style);
// Human-readable name of an answer ("OK", "Cancel", ...).
const char* AnswerName(Answer a);

// Title of boxes that name none of their own.
inline constexpr const char* kAppTitle = "Kestrelbinder";

class Prompter {
public:
    virtual ~Prompter() = default;
    virtual Answer MsgBox(const std::string& text, int style, const std::string& title) = 0;
    // The typed text, or "" when the box was cancelled.
    virtual std::string InputBox(const std::string& prompt, const std::string& title,
                                 const std::string& defaultText) = 0;
    // Lets pending window messages run once.
    virtual void DoEvents() = 0;
    // Ends the program at once. Implementations that cannot end the process throw ProgramEnded.
    virtual void EndProgram() = 0;
};

// The prompter in use. Until one is installed, a console prompter prints each box on standard
// error as "box: <title>: <text>" and answers with the default button.
Prompter& Prompt();
// Installs a prompter (nullptr restores the console one); returns the one it replaces.
Prompter* SetPrompter(Prompter* p);

// Shorthands over Prompt().
Answer MsgBox(const std::string& text, int style = mb::OKOnly, const std::string& title = kAppTitle);
std::string InputBox(const std::string& prompt, const std::string& title = kAppTitle,
                     const std::string& defaultText = "");
void DoEvents();
[[noreturn]] void EndProgram();

// Installs a prompter for one scope.
class ScopedPrompter {
public:
    explicit ScopedPrompter(Prompter& p) : previous_(SetPrompter(&p)) {}
    ~ScopedPrompter() { SetPrompter(previous_); }
    ScopedPrompter(const ScopedPrompter&) = delete;
    ScopedPrompter& operator=(const ScopedPrompter&) = delete;

private:
    Prompter* previous_;
};

}  // namespace kb
