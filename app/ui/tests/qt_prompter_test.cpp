#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

#include "app/ui/common/qt_prompter.h"

namespace kb {
namespace {

struct BoxCase {
    int style;
    std::vector<QMessageBox::StandardButton> buttons;
    QMessageBox::Icon icon;
    QMessageBox::StandardButton defaultButton;
};

TEST(QtPrompter, ButtonsIconAndDefaultComeFromTheStyle) {
    using B = QMessageBox;
    const BoxCase cases[] = {
        {mb::OKOnly, {B::Ok}, B::NoIcon, B::Ok},
        {mb::OKCancel | mb::Exclamation | mb::DefaultButton2, {B::Ok, B::Cancel}, B::Warning,
         B::Cancel},
        {mb::RetryCancel | mb::Critical, {B::Retry, B::Cancel}, B::Critical, B::Retry},
        {mb::YesNoCancel | mb::Question | mb::DefaultButton3, {B::Yes, B::No, B::Cancel},
         B::Question, B::Cancel},
        {mb::YesNo | mb::Information, {B::Yes, B::No}, B::Information, B::Yes},
        {mb::AbortRetryIgnore | mb::DefaultButton2, {B::Abort, B::Retry, B::Ignore}, B::NoIcon,
         B::Retry},
    };
    for (const auto& c : cases) {
        std::unique_ptr<QMessageBox> box(QtPrompter::BuildMessageBox("a\rb", c.style, "T"));
        EXPECT_EQ(box->windowTitle(), "T");
        EXPECT_EQ(box->text(), "a\nb");
        EXPECT_EQ(box->icon(), c.icon) << c.style;
        EXPECT_EQ(box->buttons().size(), static_cast<qsizetype>(c.buttons.size())) << c.style;
        for (auto b : c.buttons) EXPECT_NE(box->button(b), nullptr) << c.style;
        EXPECT_EQ(box->defaultButton(), box->button(c.defaultButton)) << c.style;
    }
}

TEST(QtPrompter, TextIsShownAsItStands) {
    // A file name may look like markup; a box must not render it as such.
    std::unique_ptr<QMessageBox> box(
        QtPrompter::BuildMessageBox("Unable to open <b>x</b>.frg", mb::OKOnly, "T"));
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->text(), "Unable to open <b>x</b>.frg");
}

// Presses a button of the modal box once it is up.
void PressLater(QMessageBox::StandardButton which) {
    QTimer::singleShot(0, [which] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        box->button(which)->click();
    });
}

TEST(QtPrompter, MsgBoxAnswersWithTheClickedButton) {
    QtPrompter prompter;
    PressLater(QMessageBox::No);
    EXPECT_EQ(prompter.MsgBox("Go on?", mb::YesNoCancel, "Q"), Answer::No);
    PressLater(QMessageBox::Retry);
    EXPECT_EQ(prompter.MsgBox("Again?", mb::RetryCancel, "Q"), Answer::Retry);
}

TEST(QtPrompter, InputBoxGivesTheTextOrEmptyWhenCancelled) {
    QtPrompter prompter;
    QTimer::singleShot(0, [] {
        auto* dlg = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->textValue(), "default");
        dlg->setTextValue("typed");
        dlg->accept();
    });
    EXPECT_EQ(prompter.InputBox("Name?", "T", "default"), "typed");
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    EXPECT_EQ(prompter.InputBox("Name?", "T", "default"), "");
}

}  // namespace
}  // namespace kb
