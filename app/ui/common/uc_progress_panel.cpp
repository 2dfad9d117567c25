#include "app/ui/common/uc_progress_panel.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <chrono>
#include <cmath>

#include "app/ui/common/icons.h"
#include "app/ui/common/ui_text.h"

namespace kb {

namespace {

uint32_t SystemTicks() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

ucProgressPanel::TickSource& Ticks() {
    static ucProgressPanel::TickSource source = SystemTicks;
    return source;
}

std::string Part(int64_t n, const char* one, const char* many) {
    if (n == 0) return "";
    if (n == 1) return std::string("1 ") + one + ", ";
    return std::to_string(n) + " " + many + ", ";
}

}  // namespace

void ucProgressPanel::SetTickSource(TickSource source) {
    Ticks() = source ? std::move(source) : TickSource(SystemTicks);
}

ucProgressPanel::ucProgressPanel(QWidget* parent) : QWidget(parent) {
    imgProgPanel_ = new QLabel(this);
    imgProgPanel_->setObjectName("imgProgPanel");
    imgProgPanel_->setPixmap(icons::Pixmap(icons::Kind::Progress, 48));
    imgProgPanel_->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    lblTopText_ = new QLabel(this);
    lblTopText_->setObjectName("lblTopText");
    QFont big = lblTopText_->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.2);
    lblTopText_->setFont(big);
    lblTopText_->setWordWrap(true);

    auto* bars = new QVBoxLayout;
    bars->addWidget(lblTopText_);
    bars->addSpacing(6);
    for (int i = 0; i < 2; ++i) {
        const QString n = QString::number(i + 1);
        lblPB_[i] = new QLabel(this);
        lblPB_[i]->setObjectName("lblPB" + n);
        pb_[i] = new QProgressBar(this);
        pb_[i]->setObjectName("pb" + n);
        pb_[i]->setRange(0, 100);
        pb_[i]->setTextVisible(false);
        pctPB_[i] = new QLabel("0%", this);
        pctPB_[i]->setObjectName("pctPB" + n);
        pctPB_[i]->setMinimumWidth(pctPB_[i]->fontMetrics().horizontalAdvance("100%") + 6);
        pctPB_[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* row = new QHBoxLayout;
        row->addWidget(pb_[i], 1);
        row->addWidget(pctPB_[i]);
        bars->addWidget(lblPB_[i]);
        bars->addLayout(row);
    }
    lblSideText_ = new QLabel(this);
    lblSideText_->setObjectName("lblSideText");
    lblSideText_->setWordWrap(true);
    bars->addSpacing(4);
    bars->addWidget(lblSideText_);
    bars->addStretch(1);

    fTimings_ = new QGroupBox("Timings", this);
    fTimings_->setObjectName("fTimings");
    lblTimings_ = new QLabel(fTimings_);
    lblTimings_->setObjectName("lblTimings");
    lblTimings_->setWordWrap(true);
    (new QVBoxLayout(fTimings_))->addWidget(lblTimings_);

    cmdCancel_ = new QPushButton("Cancel", this);
    cmdCancel_->setObjectName("cmdCancel");
    cmdCancel_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    cmdCancel_->setMinimumWidth(cmdCancel_->sizeHint().width() + 24);
    connect(cmdCancel_, &QPushButton::clicked, this, &ucProgressPanel::cmdCancel_Click);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(fTimings_, 1);
    bottom->addStretch(0);
    bottom->addWidget(cmdCancel_, 0, Qt::AlignBottom | Qt::AlignRight);
    bars->addLayout(bottom);

    // Captions come from owners and plug-ins and are shown as they stand, never as markup.
    for (QLabel* l : {lblTopText_, lblPB_[0], lblPB_[1], lblSideText_, lblTimings_})
        l->setTextFormat(Qt::PlainText);

    auto* top = new QHBoxLayout(this);
    top->addWidget(imgProgPanel_, 0, Qt::AlignTop);
    top->addLayout(bars, 1);

    // The timings show only between StartTimings and StopTimings.
    fTimings_->hide();
    lblTimings_->hide();

    // A newly placed panel: the defaults in the order they are applied.
    SetBottomText("");
    SetCaption("Please wait...");
    SetPB1Percent(0);
    SetPB1Caption("");
    SetPB2Percent(0);
    SetPB2Caption("");
    SetPB2Visible(false);
    SetProgbarTimings(0);
}

std::string ucProgressPanel::Caption() const { return lblTopText_->text().toStdString(); }
void ucProgressPanel::SetCaption(const std::string& text) { lblTopText_->setText(DisplayText(text)); }

std::string ucProgressPanel::PB1Caption() const { return lblPB_[0]->text().toStdString(); }
void ucProgressPanel::SetPB1Caption(const std::string& text) {
    lblPB_[0]->setText(DisplayText(text));
    SetPB1Visible(true);
}

std::string ucProgressPanel::PB2Caption() const { return lblPB_[1]->text().toStdString(); }
void ucProgressPanel::SetPB2Caption(const std::string& text) {
    lblPB_[1]->setText(DisplayText(text));
    SetPB2Visible(true);
}

int16_t ucProgressPanel::PB1Percent() const { return static_cast<int16_t>(pb_[0]->value()); }
void ucProgressPanel::SetPB1Percent(int16_t percent) {
    SetBarPercent(0, percent);
    if (progbarTimings_ == 0) UpdateTimings();
}

int16_t ucProgressPanel::PB2Percent() const { return static_cast<int16_t>(pb_[1]->value()); }
void ucProgressPanel::SetPB2Percent(int16_t percent) {
    SetBarPercent(1, percent);
    if (progbarTimings_ == 1) UpdateTimings();
}

void ucProgressPanel::SetBarPercent(int bar, int16_t percent) {
    pb_[bar]->setValue(percent);
    // Owners repeat a figure many times over (a plug-in may report every few hundred bytes):
    // the text is made only when the figure changes.
    if (percent == shownPercent_[bar]) return;
    shownPercent_[bar] = percent;
    pctPB_[bar]->setText(QString::number(percent) + "%");
}

// Visibility reads the widgets' own hidden state: a panel on a hidden page keeps its state.
bool ucProgressPanel::PB1Visible() const { return !pb_[0]->isHidden(); }
void ucProgressPanel::SetPB1Visible(bool visible) { SetBarVisible(0, visible); }
bool ucProgressPanel::PB2Visible() const { return !pb_[1]->isHidden(); }
void ucProgressPanel::SetPB2Visible(bool visible) { SetBarVisible(1, visible); }

void ucProgressPanel::SetBarVisible(int bar, bool visible) {
    lblPB_[bar]->setHidden(!visible);
    pb_[bar]->setHidden(!visible);
    pctPB_[bar]->setHidden(!visible);
}

std::string ucProgressPanel::BottomText() const { return lblSideText_->text().toStdString(); }
void ucProgressPanel::SetBottomText(const std::string& text) {
    lblSideText_->setText(DisplayText(text));
}

bool ucProgressPanel::CancelVisible() const { return !cmdCancel_->isHidden(); }
void ucProgressPanel::SetCancelVisible(bool visible) {
    cmdCancel_->setHidden(!visible);
    if (visible) cmdCancel_->setEnabled(true);
}

// The button's own disabled state, as for visibility: a panel on a page that is disabled as a
// whole (another tab is shown) has not been cancelled.
bool ucProgressPanel::CancelClicked() const {
    return CancelVisible() && cmdCancel_->testAttribute(Qt::WA_ForceDisabled);
}

bool ucProgressPanel::ShowTimings() const { return !lblTimings_->isHidden(); }

void ucProgressPanel::cmdCancel_Click() {
    cmdCancel_->setEnabled(false);
    emit Cancelled();
}

void ucProgressPanel::StartTimings() {
    timingStart_ = Ticks()();
    lblTimings_->setText("");
    lblTimings_->show();
    fTimings_->show();
    int64_t none = 0;
    SmoothTimeLeft(none, 0);
}

void ucProgressPanel::StopTimings() {
    lblTimings_->hide();
    fTimings_->hide();
}

void ucProgressPanel::UpdateTimings() {
    if (!ShowTimings()) return;
    // Unsigned subtraction keeps the elapsed time right across a wrap of the tick count.
    const int64_t e = static_cast<uint32_t>(Ticks()() - timingStart_);
    const int value = (progbarTimings_ == 0 ? pb_[0] : pb_[1])->value();
    const float f = static_cast<float>(value) / 100.0f;
    std::string text = "Elapsed time: " + FormatDuration(e);
    if (f > 0.05f && e > 3000) {
        // In 64 bits: a long task at a small fraction goes far past 32-bit milliseconds.
        int64_t left = std::llrint(static_cast<double>(e) / static_cast<double>(f)) - e;
        SmoothTimeLeft(left, e);
        if (left <= 10000)
            text += "\r\rEstimated time left: Less than 10 seconds";
        else
            text += "\r\rEstimated time left: " + FormatDuration(left);
    }
    lblTimings_->setText(DisplayText(text));
}

void ucProgressPanel::SmoothTimeLeft(int64_t& timeLeft, int64_t now) {
    if (timeLeft == 0) {
        displayedTimeLeft_ = 0;
        nextStepAt_ = 0;
        return;
    }
    int64_t tolerance = static_cast<int64_t>(
        std::floor(static_cast<double>(timeLeft) * static_cast<double>(0.2f)));
    if (tolerance < 10000) tolerance = 10000;
    if (displayedTimeLeft_ < timeLeft - tolerance || displayedTimeLeft_ > timeLeft + tolerance) {
        displayedTimeLeft_ = timeLeft + 5000;
    } else if (now > nextStepAt_) {
        if (nextStepAt_ > 0) displayedTimeLeft_ -= (now - nextStepAt_) + 500;
        nextStepAt_ = now + 500;
    }
    timeLeft = displayedTimeLeft_;
}

std::string ucProgressPanel::FormatDuration(int64_t milliseconds) {
    if (milliseconds < 1000) return "";
    int64_t s = milliseconds / 1000;
    int64_t m = s / 60;
    s -= 60 * m;
    int64_t h = m / 60;
    m -= 60 * h;
    int64_t d = h / 24;
    h -= 24 * d;
    std::string text = Part(d, "day", "days") + Part(h, "hour", "hours") +
                       Part(m, "minute", "minutes") + Part(s, "second", "seconds");
    if (!text.empty()) text = text.substr(0, text.size() - 2) + ".";
    return text;
}

}  // namespace kb
