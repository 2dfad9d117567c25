/* A plug-in whose answers come from a script the test fills in, and which writes every
 * command it receives into a journal. */
#include <string.h>

#include "app/pluginhost/tests/plugins/test_plugin_script.h"

static TestPluginScript script;

PLUGIN_EXPORT TestPluginScript* TestPluginScriptOf(void) { return &script; }

static int IsZeroVariant(const void* p) {
    const PluginVariant* v = (const PluginVariant*)p;
    return v != NULL && v->vt == PLUGIN_VT_I2 && v->value.iVal == 0;
}

static int IsBroadcast(int32_t cmd) {
    return (cmd >= PLUGIN_EVT_SPLIT_START && cmd <= PLUGIN_EVT_COMPRESS_END) ||
           cmd == PLUGIN_EVT_TAB_CHANGED || cmd == PLUGIN_EVT_ENCRYPT_START ||
           cmd == PLUGIN_EVT_ENCRYPT_END || cmd == PLUGIN_EVT_DISK_REQUEST ||
           cmd == PLUGIN_EVT_WIZARD_PAGE;
}

static void Record(int32_t cmd, void* a1, void* a2, void* a3, void* a4) {
    TestJournalEntry* e;
    if (script.journal == NULL || script.journal->count >= 512) return;
    e = &script.journal->entries[script.journal->count++];
    e->plugin = script.id;
    e->cmd = cmd;
    e->a1Low16 = a1 != NULL ? *(int16_t*)a1 : 0;
    /* Only broadcasts carry records; the other commands point at smaller variables. */
    e->variantsOk = IsBroadcast(cmd) && IsZeroVariant(a1) && IsZeroVariant(a2) &&
                    IsZeroVariant(a3) && IsZeroVariant(a4);
    e->callbackSet = script.seenCallback != NULL;
}

PLUGIN_EXPORT int32_t PluginMain(int32_t cmd, PluginHostCallbackProc callback, void* a1,
                                 void* a2, void* a3, void* a4) {
    script.seenCallback = callback;
    Record(cmd, a1, a2, a3, a4);
    if (script.callbackOnEvent != 0 && cmd == script.callbackOnEvent && callback != NULL)
        callback(98, NULL, NULL, NULL, NULL);
    switch (cmd) {
    case PLUGIN_CMD_GET_NAME:
        if (script.name == NULL) return PLUGIN_NOT_HANDLED;
        PluginBstrReAlloc((PluginBstr*)a1, script.name, script.nameLen);
        return PLUGIN_OK;
    case PLUGIN_CMD_GET_AUTHOR:
        if (script.author == NULL) return PLUGIN_NOT_HANDLED;
        PluginBstrReAllocText((PluginBstr*)a1, script.author);
        return PLUGIN_OK;
    case PLUGIN_CMD_GET_TYPE:
        if (script.writeType) *(int32_t*)a1 = script.type;
        return script.typeResult;
    case PLUGIN_CMD_GET_ENCRYPTION_ID:
        if (script.encryptionId != 0) *(int32_t*)a1 = script.encryptionId;
        return PLUGIN_OK;
    case PLUGIN_CMD_CHECK_COMPATIBILITY:
        script.seenHostVersion = *(float*)a2;
        if (script.writeCompat) *(int32_t*)a1 = script.compat;
        if (script.reason != NULL) PluginBstrReAllocText((PluginBstr*)a3, script.reason);
        return script.compatResult;
    case PLUGIN_CMD_GET_RESOURCE_MASK:
        if (!script.writeMask) return PLUGIN_NOT_HANDLED;
        *(int32_t*)a1 = script.mask;
        return PLUGIN_OK;
    case PLUGIN_CMD_IS_CONFIGURABLE:
        return script.configurable;
    case PLUGIN_CMD_CONFIGURE:
        if (callback != NULL) script.callbackAnswer = callback(99, NULL, NULL, NULL, NULL);
        return PLUGIN_OK;
    case PLUGIN_EVT_WINDOW_MESSAGE:
        memcpy(&script.seenWindow[0], a1, 4);
        memcpy(&script.seenWindow[1], a2, 4);
        memcpy(&script.seenWindow[2], a3, 4);
        memcpy(&script.seenWindow[3], a4, 4);
        if (script.windowMessageRewrite != 0) *(int32_t*)a2 = script.windowMessageRewrite;
        return script.windowResult;
    default:
        return PLUGIN_NOT_HANDLED;
    }
}
