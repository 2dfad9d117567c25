#pragma once
// The panel that shows the progress of one long task: a caption, two labelled bars with their
// percentages, a bottom text, a Cancel button that only records the click (owners poll
// CancelClicked at their own progress points), and the elapsed time with a damped estimate
// of the time left. It has no timer: the timing text changes only when the driving bar's
// percentage is set.

#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;
class QGroupBox;

namespace kb {

class ucProgressPanel : public QWidget {
    Q_OBJECT

public:
    explicit ucProgressPanel(QWidget* parent = nullptr);

    std::string Caption() const;
    void SetCaption(const std::string& text);
    std::string PB1Caption() const;
    void SetPB1Caption(const std::string& text);
    int16_t PB1Percent() const;
    void SetPB1Percent(int16_t percent);
    bool PB1Visible() const;
    void SetPB1Visible(bool visible);
    std::string PB2Caption() const;
    void SetPB2Caption(const std::string& text);
    int16_t PB2Percent() const;
    void SetPB2Percent(int16_t percent);
    bool PB2Visible() const;
    void SetPB2Visible(bool visible);
    std::string BottomText() const;
    void SetBottomText(const std::string& text);
    bool CancelVisible() const;
    void SetCancelVisible(bool visible);
    bool CancelClicked() const;
    int32_t ProgbarTimings() const { return progbarTimings_; }
    void SetProgbarTimings(int32_t bar) { progbarTimings_ = bar; }
    bool ShowTimings() const;

    void StartTimings();
    void StopTimings();
    void UpdateTimings();

    // "1 hour, 2 minutes, 3 seconds." (empty below one second).
    static std::string FormatDuration(int64_t milliseconds);
    // Replaces a raw estimate of the time left with the steadier value to show; Now is the
    // elapsed time of the task. Both in milliseconds.
    void SmoothTimeLeft(int64_t& timeLeft, int64_t now);

    // The millisecond tick count the timings read; tests replace it (nullptr restores the
    // system's).
    using TickSource = std::function<uint32_t()>;
    static void SetTickSource(TickSource source);

signals:
    void Cancelled();

private:
    void cmdCancel_Click();
    void SetBarVisible(int bar, bool visible);
    void SetBarPercent(int bar, int16_t percent);

    QLabel* lblTopText_;
    QLabel* lblPB_[2];
    QProgressBar* pb_[2];
    QLabel* pctPB_[2];
    QLabel* lblSideText_;
    QPushButton* cmdCancel_;
    QGroupBox* fTimings_;
    QLabel* lblTimings_;
    QLabel* imgProgPanel_;

    int32_t progbarTimings_ = 0;
    // The figures the percentage labels show, as they were made ("0%" at first).
    int16_t shownPercent_[2] = {0, 0};
    uint32_t timingStart_ = 0;
    // The estimate last shown and the elapsed-time mark after which it may count down again.
    int64_t displayedTimeLeft_ = 0;
    int64_t nextStepAt_ = 0;
};

}  // namespace kb
