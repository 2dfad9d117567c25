#pragma once
// The small borderless window a folder scan shows while it counts files and bytes: a caption,
// a sub-caption, a progress bar and a Cancel button that only records the click for the scan
// to poll. The button sits below the window's shorter height, so it is cut off until the scan
// is ready to be cancelled.

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace kb {

class frmPrework : public QWidget {
    Q_OBJECT

public:
    // Shown over owner, which keeps it in front without passing its own enabled state on.
    explicit frmPrework(QWidget* owner);

    // True: the taller window with Cancel in reach, enabled again unless it was pressed.
    void SetShowCancel(bool show);
    bool CancelPressed() const { return CancelPressed_; }
    void cmdCancel_Click();

    QLabel* lblCapt_ = nullptr;
    QLabel* lblSubCapt_ = nullptr;
    QProgressBar* PB_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
    // A close from the window manager is a press of Cancel; the scan closes the window itself.
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();

    bool CancelPressed_ = false;
};

}  // namespace kb
