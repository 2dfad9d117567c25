#include "app/ui/common/qt_prompter.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextEdit>

#include <algorithm>
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

// The characters a word is never cut below, however small the screen.
constexpr size_t kShortestCut = 24;

// A box that fits its screen. A list of many names or a path of thousands of characters would
// make it taller than the screen, its buttons out of reach: it shows the start of each long
// list and, when the box is still too large once it is laid out for its screen, each long word
// cut shorter until it fits; what it leaves out is in the details.
class FittedMessageBox final : public QMessageBox {
public:
    FittedMessageBox(std::string text, QWidget* parent)
        : QMessageBox(parent), text_(std::move(text)) {
        // As it stands: a file name in a message may look like markup.
        setTextFormat(Qt::PlainText);
        Show(ShortenText(text_));
    }

protected:
    void showEvent(QShowEvent* event) override {
        // The box is visible from here on, so each text it is given lays it out anew; the
        // position is chosen after, for the size it ends with.
        Show(ShortenText(text_));
        for (size_t longest = LongestWord(text_); !FitsScreen() && longest > kShortestCut;) {
            longest = std::max(kShortestCut, longest * 2 / 3);
            Show(ShortenText(text_, longest));
        }
        QMessageBox::showEvent(event);
    }

private:
    void Show(const ShortenedText& shown) {
        const QString details = DisplayText(shown.details);
        if (details != detailedText()) setDetailedText(details);
        setText(DisplayText(shown.text));
    }

    // The box, with its details open when it has any and a window frame around it, within the
    // part of the screen that windows may use. A word too long for any line of the box widens
    // it, past the width it was given, to its least width.
    bool FitsScreen() const {
        const QRect room = screen()->availableGeometry();
        QSize needed = size().expandedTo(minimumSizeHint());
        needed.rheight() += style()->pixelMetric(QStyle::PM_TitleBarHeight);
        if (const auto* details = findChild<QTextEdit*>())
            needed.rheight() += details->sizeHint().height();
        return needed.width() <= room.width() && needed.height() <= room.height();
    }

    std::string text_;  // as the program gave it
};

}  // namespace

QMessageBox* QtPrompter::BuildMessageBox(const std::string& text, int style,
                                         const std::string& title) {
    auto* box = new FittedMessageBox(text, QApplication::activeWindow());
    box->setWindowTitle(QString::fromStdString(title));
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
