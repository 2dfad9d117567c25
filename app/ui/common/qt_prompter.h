#pragma once
// The prompter of the desktop program: message boxes and input boxes are real modal dialogs,
// and letting pending window messages run is one pass of the Qt event loop.

#include "app/core/prompter.h"

class QMessageBox;

namespace kb {

class QtPrompter final : public Prompter {
public:
    Answer MsgBox(const std::string& text, int style, const std::string& title) override;
    std::string InputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;
    void DoEvents() override;
    [[noreturn]] void EndProgram() override;

    // The box MsgBox would show, not yet run: buttons, icon and default button from the style;
    // once shown, its text is cut to what fits its screen, the rest in its details. The caller
    // owns it.
    static QMessageBox* BuildMessageBox(const std::string& text, int style,
                                        const std::string& title);
};

}  // namespace kb
