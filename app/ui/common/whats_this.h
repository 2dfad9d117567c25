#pragma once
// "What's This?" help on a right click: a control given a topic number opens a one-item
// pop-up menu on a right-button release (a text box: in place of its edit menu); choosing the
// item opens that topic in the help window. Other buttons and the control's own click handling
// are left alone.

#include <functional>

class QMenu;
class QWidget;

namespace kb {

// Gives the control its help topic (also its context number for F1 help).
void SetWhatsThisTopic(QWidget* control, int topic);
// The topic a control was given, or 0.
int WhatsThisTopic(const QWidget* control);

// The control under the last right click while its menu is open, null otherwise.
QWidget* WhatsThisTarget();

// Tests answer the pop-up menu here instead of opening it: return true to choose the item.
using WhatsThisMenuChooser = std::function<bool(QMenu& menu)>;
void SetWhatsThisMenuChooser(WhatsThisMenuChooser chooser);

}  // namespace kb
