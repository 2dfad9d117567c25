#include "app/ui/common/qt_prompter.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include <cstdlib>
#include <memory>
#include <vector>

#include "app/core/box_lists.h"
#include "app/ui/common/ui_text.h"

namespace kb {

namespace {

struct ButtonSpec {
    QMessageBox::StandardButton button;
    Answer answer;
};

std::vector<ButtonSpec> ButtonsOf(int style) {
    using B = QMessageBox;
    switch (style & mb::ButtonMask) {
    case mb::OKCancel: return {{B::Ok, Answer::OK}, {B::Cancel, Answer::Cancel}};
    case mb::AbortRetryIgnore:
        return {{B::Abort, Answer::Abort}, {B::Retry, Answer::Retry}, {B::Ignore, Answer::Ignore}};
    case mb::YesNoCancel:
        return {{B::Yes, Answer::Yes}, {B::No, Answer::No}, {B::Cancel, Answer::Cancel}};
    case mb::YesNo: return {{B::Yes, Answer::Yes}, {B::No, Answer::No}};
    case mb::RetryCancel: return {{B::Retry, Answer::Retry}, {B::Cancel, Answer::Cancel}};
    default: return {{B::Ok, Answer::OK}};
    }
}

QMessageBox::Icon IconOf(int style) {
    switch (style & mb::IconMask) {
    case mb::Critical: return QMessageBox::Critical;
    case mb::Question: return QMessageBox::Question;
    case mb::Exclamation: return QMessageBox::Warning;
    case mb::Information: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

}  // namespace

QMessageBox* QtPrompter::BuildMessageBox(const std::string& text, int style,
                                         const std::string& title) {
    auto* box = new QMessageBox(QApplication::activeWindow());
    box->setWindowTitle(QString::fromStdString(title));
    // As it stands: a file name in a message may look like markup.
    box->setTextFormat(Qt::PlainText);
    // A box that lists many names would grow past the screen: it shows the start of each list,
    // and the whole lists open below it.
    const ShortenedText shown = ShortenLists(text);
    box->setText(DisplayText(shown.text));
    if (!shown.details.empty()) box->setDetailedText(DisplayText(shown.details));
    box->setIcon(IconOf(style));
    auto buttons = ButtonsOf(style);
    for (const auto& b : buttons) box->addButton(b.button);
    size_t def = static_cast<size_t>((style & mb::DefaultMask) >> 8);
    if (def >= buttons.size()) def = 0;
    box->setDefaultButton(buttons[def].button);
    // Escape closes the box with Cancel where it has one, else with its only button.
    for (const auto& b : buttons)
        if (b.answer == Answer::Cancel || buttons.size() == 1) box->setEscapeButton(b.button);
    return box;
}

Answer QtPrompter::MsgBox(const std::string& text, int style, const std::string& title) {
    std::unique_ptr<QMessageBox> box(BuildMessageBox(text, style, title));
    box->exec();
    QAbstractButton* clicked = box->clickedButton();
    for (const auto& b : ButtonsOf(style))
        if (clicked && box->button(b.button) == clicked) return b.answer;
    return DefaultAnswer(style);
}

std::string QtPrompter::InputBox(const std::string& prompt, const std::string& title,
                                 const std::string& defaultText) {
    bool ok = false;
    QString typed = QInputDialog::getText(QApplication::activeWindow(),
                                          QString::fromStdString(title), DisplayText(prompt),
                                          QLineEdit::Normal, QString::fromStdString(defaultText),
                                          &ok);
    return ok ? typed.toStdString() : std::string();
}

void QtPrompter::DoEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void QtPrompter::EndProgram() { std::exit(1); }

}  // namespace kb
