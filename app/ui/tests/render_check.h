#pragma once
// The render tests save each window they draw into the build folder's "screenshots/" and check
// what a user would see on it: the window fits its screen and lies on it, no visible label,
// button or check box is too narrow for its text (or, wrapped, too low), and no two visible
// controls overlap.

#include <QWidget>

#include <string>
#include <vector>

namespace kb::testing {

// One fault on a drawn window, as "<what>: <details>".
std::vector<std::string> LayoutFaults(QWidget& window);

// Shows the window, saves its picture as <name>.png and fails the test for each layout fault.
void SaveAndCheck(QWidget& window, const char* name);

}  // namespace kb::testing
