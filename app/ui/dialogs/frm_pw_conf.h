#pragma once
// The password confirmation both wizards show: a prompt the caller sets, a masked box and OK.
// One window serves the whole program; it is hidden, not destroyed, after each use, so the box
// keeps its text until a caller empties it.

#include <QDialog>

#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kb {

class frmPWconf : public QDialog {
    Q_OBJECT

public:
    // The one window, made on first use with `owner` as its parent (the main window).
    static frmPWconf& Instance(QWidget* owner);

    // Sets the prompt, empties the box, shows the window modally and returns the box's text.
    std::string Confirm(const std::string& prompt);

    QLabel* Label1() const { return Label1_; }
    QLineEdit* PWbox() const { return PWbox_; }
    QPushButton* Command1() const { return Command1_; }

    void Command1_Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Escape closes the window as the title bar does.
    void reject() override;

private:
    explicit frmPWconf(QWidget* owner);
    void Form_Activate();

    QLabel* Label1_;
    QLineEdit* PWbox_;
    QPushButton* Command1_;
};

}  // namespace kb
