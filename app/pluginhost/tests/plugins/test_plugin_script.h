/* What a scripted test plug-in answers, and the journal it writes. Each copy of the plug-in
 * library has its own script; a test reaches it through the exported TestPluginScriptOf. */
#ifndef TEST_PLUGIN_SCRIPT_H
#define TEST_PLUGIN_SCRIPT_H

#include <stdint.h>

#include "app/pluginhost/include/kb_plugin.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct TestJournalEntry {
    int32_t plugin; /* TestPluginScript.id of the receiver */
    int32_t cmd;
    int16_t a1Low16; /* the low 16 bits at A1 (the flag of 313), 0 when A1 is null */
    int32_t variantsOk; /* A1..A4 were four 16-bit-zero records */
    int callbackSet;
} TestJournalEntry;

typedef struct TestJournal {
    int count;
    TestJournalEntry entries[512];
} TestJournal;

typedef struct TestPluginScript {
    int32_t id;
    TestJournal* journal; /* shared by all copies in a test; may be null */

    const char* name; /* command 10; null: not handled */
    uint32_t nameLen;
    const char* author; /* command 11; null: not handled */

    int32_t typeResult; /* command 14 */
    int32_t type;
    int writeType;

    int32_t compatResult; /* command 20 */
    int32_t compat;
    int writeCompat;
    const char* reason; /* written into A3 when not null */
    float seenHostVersion;

    int32_t mask; /* command 22, written when writeMask */
    int writeMask;

    int32_t encryptionId; /* command 15, written when not 0 */
    int32_t configurable; /* result of command 25 */

    int32_t windowResult; /* command 316 */
    int32_t windowMessageRewrite; /* when not 0, written over the message */
    int32_t seenWindow[4];

    PluginHostCallbackProc seenCallback;
    int32_t callbackAnswer; /* answer of the callback to code 99, asked on command 27 */
    int32_t callbackOnEvent; /* when not 0: the callback is asked code 98 on this command */
} TestPluginScript;

#ifdef __cplusplus
}
#endif

#endif
