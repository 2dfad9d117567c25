/* Test plug-ins built from this one source with different settings:
 * - a generator of type GEN_TYPE that reports GEN_SIZE bytes for its extra file and writes
 *   exactly that file, "<stored name>.gen<type>", into the destination folder (GEN_FAIL_SIZE:
 *   the size question fails instead);
 * - with GEN_ENCRYPTOR, an encryptor that writes half its output and then reports failure. */
#include <stdio.h>
#include <string.h>

#include "app/pluginhost/include/kb_plugin.h"

#ifndef GEN_TYPE
#define GEN_TYPE PLUGIN_TYPE_EXTRA_FILE_MAKER
#endif
#ifndef GEN_SIZE
#define GEN_SIZE 2000
#endif
#ifndef GEN_NAME
#define GEN_NAME "Test generator"
#endif

static int WriteBytes(const char* path, long count) {
    FILE* f = fopen(path, "wb");
    long i;
    if (f == NULL) return 1;
    for (i = 0; i < count; ++i) fputc('a' + (int)(i % 26), f);
    return fclose(f) != 0;
}

#ifndef GEN_ENCRYPTOR
static int GenerateFiles(PluginBstr stored, PluginBstr folder) {
    char path[4096];
    if (stored == NULL || folder == NULL) return 1;
    if (snprintf(path, sizeof path, "%s/%s.gen%d", folder, stored, GEN_TYPE) >= (int)sizeof path)
        return 1;
    return WriteBytes(path, GEN_SIZE);
}
#endif

PLUGIN_EXPORT int32_t PluginMain(int32_t cmd, PluginHostCallbackProc callback, void* a1,
                                 void* a2, void* a3, void* a4) {
    (void)callback;
    (void)a2;
    (void)a3;
    (void)a4;
    switch (cmd) {
    case PLUGIN_CMD_GET_NAME:
        PluginBstrReAllocText((PluginBstr*)a1, GEN_NAME);
        return PLUGIN_OK;
    case PLUGIN_CMD_GET_TYPE:
#ifdef GEN_ENCRYPTOR
        *(int32_t*)a1 = PLUGIN_TYPE_ENCRYPTOR;
#else
        *(int32_t*)a1 = GEN_TYPE;
#endif
        return PLUGIN_OK;
#ifdef GEN_ENCRYPTOR
    case PLUGIN_CMD_GET_ENCRYPTION_ID:
        *(int32_t*)a1 = 77;
        return PLUGIN_OK;
    case PLUGIN_CMD_ENCRYPT_FILE: {
        /* Half an output, then a failure: the host must not take the file as the data. */
        FILE* in = fopen(*(PluginBstr*)a1, "rb");
        long size = 0;
        if (in != NULL) {
            fseek(in, 0, SEEK_END);
            size = ftell(in);
            fclose(in);
        }
        WriteBytes(*(PluginBstr*)a2, size / 2);
        return 1;
    }
#else
    case PLUGIN_CMD_GET_GENERATED_SIZE:
#ifdef GEN_FAIL_SIZE
        return 1;
#else
        *(int32_t*)a4 = GEN_SIZE;
        return PLUGIN_OK;
#endif
    case PLUGIN_CMD_GENERATE_FILES:
        return GenerateFiles(*(PluginBstr*)a1, *(PluginBstr*)a4);
#endif
    default:
        return PLUGIN_NOT_HANDLED;
    }
}
