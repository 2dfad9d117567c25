#include "app/ui/common/window_handles.h"

#include <QLabel>
#include <QPointer>
#include <QWidget>

#include <map>

namespace kb {

namespace {

constexpr const char* kHandleProperty = "kbWindowHandle";

std::map<int32_t, QPointer<QWidget>>& Handles() {
    static std::map<int32_t, QPointer<QWidget>> handles;
    return handles;
}

}  // namespace

int32_t WindowHandleOf(QWidget* widget) {
    if (widget == nullptr || qobject_cast<QLabel*>(widget) != nullptr) return 0;
    QVariant stored = widget->property(kHandleProperty);
    if (stored.isValid()) return stored.toInt();
    // Multiples of 4 from 0x10000, as window ids usually look; never 0.
    static int32_t next = 0x10000;
    const int32_t handle = next;
    next += 4;
    widget->setProperty(kHandleProperty, handle);
    Handles()[handle] = widget;
    QObject::connect(widget, &QObject::destroyed, [handle] { Handles().erase(handle); });
    return handle;
}

QWidget* WidgetOfHandle(int32_t handle) {
    auto it = Handles().find(handle);
    return it == Handles().end() ? nullptr : it->second.data();
}

}  // namespace kb
