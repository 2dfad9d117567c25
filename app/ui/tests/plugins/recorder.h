/* What the recording test plug-in shares with the widget tests: every command it received, in
 * order, and a hook that the test may set to look at the program at the moment a command
 * arrives. Each copy of the library file loaded has its own record. */
#ifndef KB_UI_TEST_RECORDER_H
#define KB_UI_TEST_RECORDER_H

#include <stdint.h>

#include "app/pluginhost/include/kb_plugin.h"

#ifdef __cplusplus
extern "C" {
#endif

enum { RECORDER_MAX_COMMANDS = 512 };

typedef struct RecorderState {
    int32_t commands[RECORDER_MAX_COMMANDS];
    int32_t messages[RECORDER_MAX_COMMANDS]; /* message number of each command 316 */
    int count;
    int32_t windowResult; /* answer to command 316 */
    void (*hook)(int32_t cmd, void* context);
    void* context;
    PluginHostCallbackProc callback; /* the callback of the last command */
    int32_t pluginType;              /* answer to command 14 when not 0 */
} RecorderState;

#define RECORDER_STATE_SYMBOL "RecorderStateData"

#ifdef __cplusplus
}
#endif

#endif
