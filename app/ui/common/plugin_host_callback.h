#pragma once
// The one entry through which plug-ins call back into the program while they handle a
// command: questions about the program and its main window, subclassing the main window, the
// running task's progress panel, a result box, registry strings and the names of the pieces
// of the current split. Nothing ever leaves it as an exception: a failure inside is the
// result PLUGIN_CB_FAILED.

#include <cstdint>

#include "app/pluginhost/include/kb_plugin.h"

namespace kb {

class PluginHost;

// The callback has no argument that could carry its host: the host it serves is the one
// handed here (the main window's, while it exists; null: none). Handing a host also makes
// this callback the one that host passes with its commands.
void ServePluginCallbacks(PluginHost* host);

int32_t PluginHostCallback(int32_t code, PluginBstr* p, PluginBstr* q, int32_t* r, int32_t* s);

}  // namespace kb
