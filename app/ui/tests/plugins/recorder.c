/* A test plug-in that records every command and event it receives. */
#include "app/ui/tests/plugins/recorder.h"

PLUGIN_EXPORT RecorderState RecorderStateData;

PLUGIN_EXPORT int32_t PluginMain(int32_t cmd, PluginHostCallbackProc callback, void* a1,
                                 void* a2, void* a3, void* a4) {
    RecorderState* s = &RecorderStateData;
    (void)a3;
    (void)a4;
    s->callback = callback;
    if (s->count < RECORDER_MAX_COMMANDS) {
        s->commands[s->count] = cmd;
        s->messages[s->count] = cmd == PLUGIN_EVT_WINDOW_MESSAGE ? *(int32_t*)a2 : 0;
        ++s->count;
    }
    if (s->hook) s->hook(cmd, s->context);
    if (cmd == PLUGIN_CMD_GET_NAME) {
        PluginBstrReAllocText((PluginBstr*)a1, "Recorder");
        return 0;
    }
    if (cmd == PLUGIN_CMD_GET_TYPE && s->pluginType != 0) {
        *(int32_t*)a1 = s->pluginType;
        return 0;
    }
    if (cmd == PLUGIN_EVT_WINDOW_MESSAGE) return s->windowResult;
    (void)a1;
    return PLUGIN_NOT_HANDLED;
}
