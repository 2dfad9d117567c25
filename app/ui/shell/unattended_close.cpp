#include "app/ui/shell/unattended_close.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include "app/core/debug_log.h"

namespace kb {

namespace {

constexpr int kCancelFrom = 3;
constexpr int kEndFrom = 5;

bool HasCancel(int style) {
    const int set = style & mb::ButtonMask;
    return set == mb::OKCancel || set == mb::YesNoCancel || set == mb::RetryCancel;
}

Answer RefusingAnswer(int style) {
    switch (style & mb::ButtonMask) {
    case mb::YesNo:
    case mb::YesNoCancel: return Answer::No;
    case mb::OKCancel:
    case mb::RetryCancel: return Answer::Cancel;
    case mb::AbortRetryIgnore: return Answer::Abort;
    default: return Answer::OK;
    }
}

void Dismiss(QWidget* window) {
    if (auto* box = qobject_cast<QMessageBox*>(window)) {
        for (QMessageBox::StandardButton b :
             {QMessageBox::No, QMessageBox::Cancel, QMessageBox::Abort, QMessageBox::Ok}) {
            if (QAbstractButton* button = box->button(b)) {
                button->click();
                return;
            }
        }
    }
    if (auto* dialog = qobject_cast<QDialog*>(window)) {
        dialog->reject();
        return;
    }
    window->close();
}

}  // namespace

Answer UnattendedPrompter::MsgBox(const std::string& text, int style, const std::string& title) {
    const int times = ++asked_[title + "\n" + text];
    if (times >= kEndFrom) {
        DebugLog("Closing for the session: the box \"" + title + "\" keeps coming back");
        EndProgram();
    }
    const Answer a = times >= kCancelFrom && HasCancel(style) ? Answer::Cancel : RefusingAnswer(style);
    DebugLog("Closing for the session: \"" + title + "\" answered " + AnswerName(a));
    return a;
}

std::string UnattendedPrompter::InputBox(const std::string& /*prompt*/, const std::string& title,
                                         const std::string& /*defaultText*/) {
    DebugLog("Closing for the session: \"" + title + "\" cancelled");
    return "";
}

void UnattendedPrompter::EndProgram() { inner_.EndProgram(); }

UnattendedClose::UnattendedClose()
    : prompter_(std::make_unique<UnattendedPrompter>(Prompt())) {
    previous_ = SetPrompter(prompter_.get());
    qApp->installEventFilter(this);
    AnswerOpenWindows();
}

UnattendedClose::~UnattendedClose() {
    qApp->removeEventFilter(this);
    if (&Prompt() == prompter_.get()) SetPrompter(previous_);
}

void UnattendedClose::AnswerOpenWindows() {
    // A closed window gives the next one its place; one that stays open ends the loop.
    QWidget* last = nullptr;
    while (QWidget* w = QApplication::activeModalWidget()) {
        if (w == last) break;
        last = w;
        Dismiss(w);
    }
}

bool UnattendedClose::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        // Closed once its own event loop runs, as a click would close it.
        if (w->isWindow() && w->isModal())
            QMetaObject::invokeMethod(
                w, [p = QPointer<QWidget>(w)] { if (p && p->isVisible()) Dismiss(p); },
                Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kb
