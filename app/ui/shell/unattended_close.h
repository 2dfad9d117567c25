#pragma once
// Once the session has asked the program to end, nobody may be at the screen to answer. From
// then on every message box is answered without being shown, the way that stops work, saves
// nothing and replaces nothing (No, else Cancel, else Abort or OK); input boxes are cancelled;
// and every modal window, the ones open now and the ones that open later, is closed in the same
// way, so that no window waits for a user.

#include <QObject>

#include <map>
#include <memory>
#include <string>

#include "app/core/prompter.h"

namespace kb {

// Answers the boxes in front of the prompter it replaces.
class UnattendedPrompter final : public Prompter {
public:
    explicit UnattendedPrompter(Prompter& inner) : inner_(inner) {}
    // A box that keeps coming back (its No only tries again) is answered Cancel from its third
    // time on where it has one; from its fifth, the program ends.
    Answer MsgBox(const std::string& text, int style, const std::string& title) override;
    std::string InputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;
    void DoEvents() override { inner_.DoEvents(); }
    void EndProgram() override;

private:
    Prompter& inner_;
    std::map<std::string, int> asked_;
};

class UnattendedClose : public QObject {
    Q_OBJECT

public:
    // Answers the open windows, and installs the prompter and the watch on new windows.
    UnattendedClose();
    // The prompter in place before comes back.
    ~UnattendedClose() override;

    // Closes every open modal window, innermost first: a box with its No (else Cancel, Abort or
    // OK), any other window as its close button would.
    static void AnswerOpenWindows();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<UnattendedPrompter> prompter_;
    Prompter* previous_ = nullptr;
};

}  // namespace kb
