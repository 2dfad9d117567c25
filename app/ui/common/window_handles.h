#pragma once
// The 32-bit ids that plug-ins know the main window and its controls by. Qt widgets have no
// such ids of their own (native window ids would turn every control into a native window), so
// each widget gets one on first request, kept for its life. Labels are drawn by their parent
// and have no window of their own, so they get none.

#include <cstdint>

class QWidget;

namespace kb {

// The widget's id, assigned on first request; 0 for a widget without a window of its own.
int32_t WindowHandleOf(QWidget* widget);
// The widget that holds the id, or nullptr.
QWidget* WidgetOfHandle(int32_t handle);

}  // namespace kb
