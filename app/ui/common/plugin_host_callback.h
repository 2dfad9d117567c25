#pragma once
// The one entry through which plug-ins call back into the program while they handle a
// command: questions about the program and its main window, subclassing the main window, the
// running task's progress panel, a result box, registry strings and the names of the pieces
// of the current split. Nothing ever leaves it as an exception: a failure inside is the
// result PLUGIN_CB_FAILED.

#include <cstdint>

#include "app/pluginhost/include/kb_plugin.h"

class QWidget;

namespace kb {

class ucProgressPanel;

// The panel that the progress callbacks drive; set by the wizard that runs a plug-in task, and
// null while none runs (the progress callbacks then do nothing).
extern ucProgressPanel* PluginProgressPanel;

int32_t PluginHostCallback(int32_t code, PluginBstr* p, PluginBstr* q, int32_t* r, int32_t* s);

// The window whose controls code 35 searches; set by the main window while it exists.
void SetCallbackMainWindow(QWidget* window);

}  // namespace kb
