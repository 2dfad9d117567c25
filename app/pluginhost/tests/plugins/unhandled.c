/* A plug-in in plain C that handles nothing: every command is answered with
 * PLUGIN_NOT_HANDLED and no argument is written. */
#include "app/pluginhost/include/kb_plugin.h"

PLUGIN_EXPORT int32_t PluginMain(int32_t cmd, PluginHostCallbackProc callback, void* a1,
                                 void* a2, void* a3, void* a4) {
    (void)cmd;
    (void)callback;
    (void)a1;
    (void)a2;
    (void)a3;
    (void)a4;
    return PLUGIN_NOT_HANDLED;
}
