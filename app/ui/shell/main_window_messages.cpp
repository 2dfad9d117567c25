#include "app/ui/shell/main_window_messages.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QVariant>
#include <QResizeEvent>
#include <QWheelEvent>
#include <QWidget>

#include "app/ui/common/window_handles.h"

namespace kb {

namespace {

int32_t Pack(int x, int y) {
    return static_cast<int32_t>((static_cast<uint32_t>(y & 0xFFFF) << 16) |
                                static_cast<uint32_t>(x & 0xFFFF));
}

}  // namespace

MainWindowMessages::MainWindowMessages(QWidget* window) : QObject(window), window_(window) {}

MainWindowMessages::~MainWindowMessages() {
    if (proc_ != nullptr) window_->removeEventFilter(this);
}

int32_t MainWindowMessages::MainWindowHandle() { return WindowHandleOf(window_); }

intptr_t MainWindowMessages::InstallMessageFilter(int32_t window, PluginMessageProc proc) {
    if (proc == nullptr || window != MainWindowHandle() || proc_ != nullptr) return 0;
    proc_ = proc;
    window_->installEventFilter(this);
    return reinterpret_cast<intptr_t>(this);
}

void MainWindowMessages::RemoveMessageFilter(int32_t /*window*/, intptr_t own) {
    if (own != reinterpret_cast<intptr_t>(this) || proc_ == nullptr) return;
    window_->removeEventFilter(this);
    proc_ = nullptr;
}

int32_t MainWindowMessages::PassOnMessage(intptr_t own, int32_t, int32_t, int32_t, int32_t) {
    if (own != reinterpret_cast<intptr_t>(this) || passed_.empty()) return 0;
    passed_.back() = true;
    return 0;
}

int32_t MainWindowMessages::FindControlWindow(const std::string& name, int32_t index) {
    const QString wanted = QString::fromStdString(name).toLower();
    int32_t found = 0;
    // Every control has a name; the unnamed widgets are parts Qt builds inside them.
    if (wanted.isEmpty()) return 0;
    for (QWidget* control : window_->findChildren<QWidget*>()) {
        if (control->objectName().toLower() != wanted) continue;
        const QVariant at = control->property("index");
        if (at.isValid() && at.toInt() != index) continue;
        const int32_t handle = WindowHandleOf(control);
        if (handle != 0) found = handle;
    }
    return found;
}

MainWindowMessages::Message MainWindowMessages::MessageOf(const QEvent* event) {
    Message m;
    m.message = static_cast<int32_t>(event->type());
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* e = static_cast<const QKeyEvent*>(event);
        m.wParam = e->key();
        m.lParam = static_cast<int32_t>(e->modifiers().toInt());
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        auto* e = static_cast<const QMouseEvent*>(event);
        m.wParam = static_cast<int32_t>(e->buttons().toInt());
        const QPoint p = e->position().toPoint();
        m.lParam = Pack(p.x(), p.y());
        break;
    }
    case QEvent::Wheel: {
        auto* e = static_cast<const QWheelEvent*>(event);
        m.wParam = e->angleDelta().y();
        const QPoint p = e->position().toPoint();
        m.lParam = Pack(p.x(), p.y());
        break;
    }
    case QEvent::Resize: {
        auto* e = static_cast<const QResizeEvent*>(event);
        m.lParam = Pack(e->size().width(), e->size().height());
        break;
    }
    case QEvent::Move: {
        auto* e = static_cast<const QMoveEvent*>(event);
        m.lParam = Pack(e->pos().x(), e->pos().y());
        break;
    }
    default: break;
    }
    return m;
}

bool MainWindowMessages::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_ || proc_ == nullptr) return false;
    const Message m = MessageOf(event);
    passed_.push_back(false);
    try {
        proc_(MainWindowHandle(), m.message, m.wParam, m.lParam);
    } catch (...) {
        // Nothing may leave event dispatch; a failing forward lets the window have the event.
        passed_.back() = true;
    }
    const bool passed = passed_.back();
    passed_.pop_back();
    return !passed;
}

}  // namespace kb
