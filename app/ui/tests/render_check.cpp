#include "app/ui/tests/render_check.h"

#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <QTabBar>

#include <gtest/gtest.h>

#include <algorithm>

namespace kb::testing {

namespace {

std::string Describe(const QWidget* w) {
    std::string name = w->objectName().toStdString();
    if (name.empty()) name = w->metaObject()->className();
    QString text;
    if (auto* label = qobject_cast<const QLabel*>(w)) text = label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(w)) text = button->text();
    if (!text.isEmpty()) name += " \"" + text.left(40).toStdString() + "\"";
    return name;
}

std::string Text(const QRect& r) {
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) +
           "x" + std::to_string(r.height());
}

// A button's text as drawn: the mnemonic's "&" is not shown, and each line is measured alone.
int TextWidth(const QFontMetrics& fm, QString text) {
    text.replace("&&", QString(QChar(0x1)));
    text.remove('&');
    text.replace(QChar(0x1), "&");
    int widest = 0;
    for (const QString& line : text.split('\n')) widest = std::max(widest, fm.horizontalAdvance(line));
    return widest;
}

// Empty when the text fits the room the widget gives it, else what is missing.
std::string Cut(const QWidget* w) {
    if (auto* label = qobject_cast<const QLabel*>(w)) {
        if (label->text().isEmpty()) return "";
        if (label->wordWrap()) {
            const int needed = label->heightForWidth(label->width());
            if (needed > label->height())
                return "needs " + std::to_string(needed) + " px of height, has " +
                       std::to_string(label->height());
            return "";
        }
        const int needed = label->sizeHint().width();
        if (needed > label->width())
            return "needs " + std::to_string(needed) + " px, has " + std::to_string(label->width());
        return "";
    }
    auto* button = qobject_cast<const QAbstractButton*>(w);
    if (button == nullptr || button->text().isEmpty()) return "";
    QStyleOptionButton opt;
    opt.initFrom(button);
    opt.text = button->text();
    opt.icon = button->icon();
    opt.iconSize = button->iconSize();
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox*>(w)) contents = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<const QRadioButton*>(w)) contents = QStyle::SE_RadioButtonContents;
    else if (!qobject_cast<const QPushButton*>(w)) return "";
    const int room = button->style()->subElementRect(contents, &opt, button).width();
    int needed = TextWidth(button->fontMetrics(), button->text());
    if (!button->icon().isNull()) needed += button->iconSize().width() + 4;
    if (needed > room)
        return "needs " + std::to_string(needed) + " px, has " + std::to_string(room);
    return "";
}

// Controls whose parts are children of their own: they count as one.
bool IsWholeControl(const QWidget* w) {
    return qobject_cast<const QAbstractScrollArea*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QTabBar*>(w) ||
           qobject_cast<const QAbstractSlider*>(w) || qobject_cast<const QProgressBar*>(w) ||
           qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractButton*>(w);
}

bool HasVisibleChild(const QWidget* w) {
    const auto children = w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    return std::any_of(children.begin(), children.end(),
                       [](const QWidget* c) { return c->isVisible() && !c->isWindow(); });
}

// The part of `w` that can be seen in the window: its rectangle cut by each parent's.
QRect SeenRect(const QWidget* w, const QWidget* window) {
    QRect seen(w->mapTo(window, QPoint(0, 0)), w->size());
    for (const QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
        seen &= QRect(p->mapTo(window, QPoint(0, 0)), p->size());
    return seen & window->rect();
}

// The controls a user sees under `w`: whole controls, group boxes and widgets with nothing
// visible inside; a page that only holds others is looked into. A widget wholly outside the
// window (kept below a window's shorter height, say) is not seen.
void CollectControls(QWidget* w, const QWidget* window, std::vector<QWidget*>& out) {
    for (QWidget* c : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!c->isVisible() || c->isWindow() || SeenRect(c, window).isEmpty()) continue;
        if (IsWholeControl(c) || qobject_cast<QGroupBox*>(c) || !HasVisibleChild(c)) out.push_back(c);
        if (!IsWholeControl(c)) CollectControls(c, window, out);
    }
}

// Empty when the user can see the whole window: no larger than the part of its screen that
// windows may use, and lying on it (its buttons within reach).
std::string OffScreen(const QWidget& window) {
    const QScreen* screen = window.screen();
    if (!window.isWindow() || screen == nullptr) return "";
    const QRect room = screen->availableGeometry();
    const QRect frame = window.frameGeometry();
    if (frame.width() > room.width() || frame.height() > room.height())
        return "larger than its screen: " + Describe(&window) + " " + Text(frame) + " on " +
               Text(room);
    if (!room.contains(frame))
        return "off its screen: " + Describe(&window) + " " + Text(frame) + " on " + Text(room);
    return "";
}

}  // namespace

std::vector<std::string> LayoutFaults(QWidget& window) {
    std::vector<std::string> faults;
    const std::string off = OffScreen(window);
    if (!off.empty()) faults.push_back(off);
    std::vector<QWidget*> controls;
    CollectControls(&window, &window, controls);
    for (const QWidget* c : controls) {
        const std::string cut = Cut(c);
        if (!cut.empty()) faults.push_back("cut: " + Describe(c) + " " + cut);
        const QRect whole(c->mapTo(&window, QPoint(0, 0)), c->size());
        if (!cut.empty() || !(qobject_cast<const QLabel*>(c) || qobject_cast<const QAbstractButton*>(c)))
            continue;
        if (SeenRect(c, &window) != whole)
            faults.push_back("cut: " + Describe(c) + " lies partly outside its window or parent (" +
                             Text(whole) + ", seen " + Text(SeenRect(c, &window)) + ")");
    }
    for (size_t i = 0; i < controls.size(); ++i) {
        for (size_t j = i + 1; j < controls.size(); ++j) {
            const QWidget* a = controls[i];
            const QWidget* b = controls[j];
            if (a->isAncestorOf(b) || b->isAncestorOf(a)) continue;
            const QRect both = SeenRect(a, &window) & SeenRect(b, &window);
            if (!both.isEmpty())
                faults.push_back("overlap: " + Describe(a) + " (" + Text(SeenRect(a, &window)) +
                                 ") and " + Describe(b) + " (" + Text(SeenRect(b, &window)) + ")");
        }
    }
    return faults;
}

void SaveAndCheck(QWidget& window, const char* name) {
    const QString folder = QString(KB_UI_BINARY_DIR) + "/screenshots";
    QDir().mkpath(folder);
    window.show();
    QCoreApplication::processEvents();
    const QPixmap shot = window.grab();
    EXPECT_GT(shot.width(), 100) << name;
    EXPECT_TRUE(shot.save(folder + "/" + name + ".png")) << name;
    for (const std::string& fault : LayoutFaults(window)) ADD_FAILURE() << name << ": " << fault;
}

}  // namespace kb::testing
