/*
 * The calling convention between Kestrelbinder and its plug-ins.
 *
 * A plug-in is a shared library that exports one function with C linkage, PluginMain. The
 * program calls it with a command code, the address of its host callback and four addresses
 * of variables that the caller owns and that live until the call returns. The plug-in calls
 * back into the program only through that callback, while it handles a command.
 *
 * This header is plain C and needs nothing but the C library: a plug-in includes it alone.
 * Every function in it is static inline, so host and plug-in each get their own copy, and both
 * copies use the C library's malloc and free. That is what lets a string handle allocated on
 * one side be freed or reallocated on the other.
 *
 * Numbers:
 *   - An argument that is read or written as a number points at an int32_t, except the host
 *     version of PLUGIN_CMD_CHECK_COMPATIBILITY (A2, a 32-bit float) and the plug-in version
 *     answered to PLUGIN_CMD_GET_VERSION (A1, a 32-bit float).
 *   - The flag of PLUGIN_EVT_ENABLED (A1) is -1 when the user has just enabled the plug-in
 *     and 0 when it is enabled at start-up. Some senders pass it as a 16-bit variable and
 *     some as a 32-bit one, so a plug-in reads only its low 16 bits (an int16_t at A1).
 *   - An argument that carries nothing points at a zero variable of 16 or 32 bits; the
 *     receiver does not read it.
 *
 * Text travels as a PluginBstr (below) of 8-bit characters. For a command, the host puts a
 * fresh handle into the variable before the call; the plug-in may free it and store a new one
 * (PluginBstrReAlloc does both); afterwards the host reads whatever handle the variable holds
 * and frees it. The host cuts the names and authors it receives at their first NUL when that
 * NUL is not the first byte.
 *
 * Broadcast events (PLUGIN_EVT_* sent to every enabled plug-in) carry the addresses of four
 * PluginVariant records, each of type PLUGIN_VT_I2 holding 0.
 */
#ifndef KB_PLUGIN_H
#define KB_PLUGIN_H

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Commands and events: the host to one plug-in (Cmd of PluginMain) ------------------ */

typedef enum PluginCommand {
    /* A1: text out, the display name (the variable holds no string before the call). */
    PLUGIN_CMD_GET_NAME = 10,
    /* A1: text out, the author; an empty text means none. */
    PLUGIN_CMD_GET_AUTHOR = 11,
    /* A1: text out, a notice. */
    PLUGIN_CMD_GET_NOTICE = 12,
    /* A1: float out, the plug-in's version. */
    PLUGIN_CMD_GET_VERSION = 13,
    /* A1: int32 out, a PluginType. A negative result lists the plug-in as of unknown type. */
    PLUGIN_CMD_GET_TYPE = 14,
    /* A1: int32 out, the encryption identifier (0 before the call). */
    PLUGIN_CMD_GET_ENCRYPTION_ID = 15,
    /* A1: int32 out, a PluginCompatibility (0 before the call); A2: float in, the host
     * version; A3: text out, a reason (empty before the call). A negative result rates the
     * plug-in PLUGIN_COMPAT_MAYBE. */
    PLUGIN_CMD_CHECK_COMPATIBILITY = 20,
    /* A1: int32 out, a mask of exclusive resources (0 before the call). */
    PLUGIN_CMD_GET_RESOURCE_MASK = 22,
    /* Result exactly 1: the plug-in has settings to show. */
    PLUGIN_CMD_IS_CONFIGURABLE = 25,
    /* The plug-in shows its own settings. */
    PLUGIN_CMD_CONFIGURE = 27,
    /* A1: text in, stored file name; A2: int32 in, piece count; A4: text in, destination
     * folder. A non-zero result reports a problem. */
    PLUGIN_CMD_GENERATE_FILES = 100,
    /* A1, A2, A3: text in, source path, destination path, passphrase. */
    PLUGIN_CMD_ENCRYPT_FILE = 102,
    /* A1, A2, A3: text in, source path, destination path, passphrase. Result 0: decrypted;
     * any other result: the passphrase was refused. */
    PLUGIN_CMD_DECRYPT_FILE = 103,
    /* A1: text in, stored file name; A2: int32 in, piece count; A4: int32 out, the bytes
     * the generated files will take. A non-zero result reports a broken generator. */
    PLUGIN_CMD_GET_GENERATED_SIZE = 600,

    /* Events; their results are not read. Broadcasts carry four PluginVariant records. */
    PLUGIN_EVT_SPLIT_START = 301,
    PLUGIN_EVT_SPLIT_PROGRESS = 302,
    PLUGIN_EVT_SPLIT_END = 303,
    PLUGIN_EVT_ASSEMBLE_START = 304,
    PLUGIN_EVT_ASSEMBLE_PROGRESS = 305,
    PLUGIN_EVT_ASSEMBLE_END = 306,
    PLUGIN_EVT_COMPRESS_START = 307,
    PLUGIN_EVT_COMPRESS_PROGRESS = 308,
    PLUGIN_EVT_COMPRESS_END = 309,
    /* Direct, A1..A4 point at 32-bit zeros. */
    PLUGIN_EVT_LOAD_COMPLETE = 310,
    /* Direct, A1..A4 point at 32-bit zeros. */
    PLUGIN_EVT_HOST_CLOSING = 311,
    PLUGIN_EVT_TAB_CHANGED = 312,
    /* Direct; A1: the flag (read its low 16 bits), A2..A4 zeros. */
    PLUGIN_EVT_ENABLED = 313,
    /* Direct, A1..A4 point at 32-bit zeros. */
    PLUGIN_EVT_DISABLED = 314,
    /* Direct; A1..A4: int32 window handle, message, wParam, lParam, which the plug-in may
     * change. Result 0 swallows the message; any other result passes it on. */
    PLUGIN_EVT_WINDOW_MESSAGE = 316,
    PLUGIN_EVT_ENCRYPT_START = 317,
    PLUGIN_EVT_ENCRYPT_END = 319,
    PLUGIN_EVT_DISK_REQUEST = 320,
    PLUGIN_EVT_WIZARD_PAGE = 321
} PluginCommand;

/* ---- Callback codes: a plug-in to the host (Code of PluginHostCallback) ----------------- */

typedef enum PluginCallbackCode {
    PLUGIN_CB_GET_HOST_VERSION = 13,
    PLUGIN_CB_GET_INSTANCE = 15,
    PLUGIN_CB_GET_MAIN_WINDOW = 20,
    PLUGIN_CB_SUBCLASS_MAIN_WINDOW = 30,
    PLUGIN_CB_UNSUBCLASS_MAIN_WINDOW = 31,
    PLUGIN_CB_FIND_CONTROL_WINDOW = 35,
    PLUGIN_CB_SET_PROGRESS = 40,
    PLUGIN_CB_SET_PROGRESS_CAPTIONS = 41,
    PLUGIN_CB_POLL_CANCEL = 43,
    PLUGIN_CB_SHOW_RESULT = 50,
    PLUGIN_CB_REGISTRY_WRITE = 60,
    PLUGIN_CB_REGISTRY_READ = 61,
    PLUGIN_CB_RESERVED = 62,
    PLUGIN_CB_GET_FRAGMENT_NAME = 70
} PluginCallbackCode;

/* ---- Results of PluginMain and of the callback ------------------------------------------ */

typedef enum PluginResult {
    PLUGIN_OK = 0,
    /* Callback 60 could not write, callback 61 found no value. */
    PLUGIN_CB_FAILED = -1,
    /* A plug-in's answer to a command it does not handle. */
    PLUGIN_NOT_HANDLED = -10,
    /* The callback's answer to a code it does not know. */
    PLUGIN_CB_UNKNOWN_CODE = -1000,
    /* The callback refused (subclassing already active, no control window of that name). */
    PLUGIN_CB_REFUSED = -1001
} PluginResult;

/* ---- Answers ---------------------------------------------------------------------------- */

/* Answer of PLUGIN_CMD_GET_TYPE. */
typedef enum PluginType {
    PLUGIN_TYPE_GENERAL = 0,
    PLUGIN_TYPE_SOUND_EXTENSION = 1,
    PLUGIN_TYPE_VISUAL_EXTENSION = 2,
    PLUGIN_TYPE_COMPRESSOR = 3,
    PLUGIN_TYPE_ENCRYPTOR = 4,
    PLUGIN_TYPE_SCRIPT_MAKER = 5,
    PLUGIN_TYPE_EXE_MAKER = 6,
    PLUGIN_TYPE_EXTRA_FILE_MAKER = 7
} PluginType;

/* Answer of PLUGIN_CMD_CHECK_COMPATIBILITY. */
typedef enum PluginCompatibility {
    PLUGIN_COMPAT_EXCELLENT = 0,
    PLUGIN_COMPAT_GOOD = 1,
    /* Also what a negative result of the command stands for. */
    PLUGIN_COMPAT_MAYBE = 2,
    /* Cannot be enabled. */
    PLUGIN_COMPAT_BAD = 3,
    /* Set by the host, never answered: in conflict with an enabled plug-in. */
    PLUGIN_COMPAT_CONFLICT = 10
} PluginCompatibility;

/* Bits of the answer of PLUGIN_CMD_GET_RESOURCE_MASK. Two enabled plug-ins whose masks share
 * a bit conflict. Bit 0 also makes an enabled plug-in the receiver of the main window's
 * messages (PLUGIN_EVT_WINDOW_MESSAGE); the other bits are the plug-ins' own agreement. */
enum { PLUGIN_RES_WINDOW_MESSAGES = 1 };

/* ---- String handles --------------------------------------------------------------------- */

/*
 * A PluginBstr points at the first byte of a text. The 4 bytes before it hold the text's byte
 * length (a uint32_t in native byte order) and a NUL follows its last byte; the text itself
 * may hold NULs. The block starts 4 bytes before the handle and comes from malloc. A null
 * handle is the empty text.
 */
typedef char* PluginBstr;

/* Length in bytes of the text, without the trailing NUL; 0 for a null handle. */
static inline uint32_t PluginBstrLen(PluginBstr s) {
    uint32_t n;
    if (s == NULL) return 0;
    memcpy(&n, s - sizeof(uint32_t), sizeof n);
    return n;
}

/* A new handle holding `len` bytes copied from `bytes` (zeros when `bytes` is null), or null
 * when memory runs out. */
static inline PluginBstr PluginBstrAlloc(const char* bytes, uint32_t len) {
    char* block;
    size_t total = (size_t)len + sizeof(uint32_t) + 1;
    if (total < (size_t)len) return NULL; /* wrapped round where size_t is 32-bit */
    block = (char*)malloc(total);
    if (block == NULL) return NULL;
    memcpy(block, &len, sizeof len);
    if (bytes != NULL) {
        memcpy(block + sizeof(uint32_t), bytes, len);
    } else {
        memset(block + sizeof(uint32_t), 0, len);
    }
    block[sizeof(uint32_t) + len] = '\0';
    return block + sizeof(uint32_t);
}

/* A new handle holding a NUL-terminated text. */
static inline PluginBstr PluginBstrAllocText(const char* text) {
    return PluginBstrAlloc(text, text == NULL ? 0u : (uint32_t)strlen(text));
}

/* Frees a handle; a null handle is ignored. */
static inline void PluginBstrFree(PluginBstr s) {
    if (s != NULL) free(s - sizeof(uint32_t));
}

/* Replaces the handle in *var by a new one holding `len` bytes from `bytes` and frees the old
 * one. `bytes` may point into the old handle. Returns 1 on success; 0 when memory runs out,
 * and *var is then left as it was. */
static inline int PluginBstrReAlloc(PluginBstr* var, const char* bytes, uint32_t len) {
    PluginBstr fresh;
    if (var == NULL) return 0;
    fresh = PluginBstrAlloc(bytes, len);
    if (fresh == NULL) return 0;
    PluginBstrFree(*var);
    *var = fresh;
    return 1;
}

/* PluginBstrReAlloc with a NUL-terminated text. */
static inline int PluginBstrReAllocText(PluginBstr* var, const char* text) {
    return PluginBstrReAlloc(var, text, text == NULL ? 0u : (uint32_t)strlen(text));
}

/* ---- Event records ---------------------------------------------------------------------- */

/* Type tag of a PluginVariant holding a 16-bit integer. */
enum { PLUGIN_VT_I2 = 2 };

/* The 16-byte automation VARIANT: a type tag, three reserved words, an 8-byte value. */
typedef struct PluginVariant {
    uint16_t vt;
    uint16_t wReserved1;
    uint16_t wReserved2;
    uint16_t wReserved3;
    union {
        int16_t iVal;
        int32_t lVal;
        float fltVal;
        double dblVal;
        int64_t llVal;
    } value;
} PluginVariant;

#if defined(__cplusplus)
static_assert(sizeof(PluginVariant) == 16, "PluginVariant must be 16 bytes");
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
_Static_assert(sizeof(PluginVariant) == 16, "PluginVariant must be 16 bytes");
#else
typedef char PluginVariantIs16Bytes[sizeof(PluginVariant) == 16 ? 1 : -1];
#endif

/* ---- The two entry points --------------------------------------------------------------- */

/*
 * The host callback. Code is passed by value; P and Q point at string-handle variables of
 * the plug-in (null when the code uses none); R and S point at int32_t variables. Where the
 * host answers with text it frees the handle in the plug-in's variable and stores a new one,
 * which the plug-in then owns.
 */
typedef int32_t (*PluginHostCallbackProc)(int32_t code, PluginBstr* p, PluginBstr* q,
                                          int32_t* r, int32_t* s);

/*
 * The plug-in's entry. Callback is the host callback, the same on every call; a plug-in may
 * keep it for calls made while a command runs. A1..A4 point at variables that the sender owns.
 */
typedef int32_t (*PluginMainProc)(int32_t cmd, PluginHostCallbackProc callback, void* a1,
                                  void* a2, void* a3, void* a4);

/* Name of the entry that the host looks up in a plug-in library. */
#define PLUGIN_MAIN_SYMBOL "PluginMain"

#if defined(__GNUC__)
#define PLUGIN_EXPORT __attribute__((visibility("default")))
#else
#define PLUGIN_EXPORT
#endif

/* What a plug-in defines (with PLUGIN_EXPORT in front): */
PLUGIN_EXPORT int32_t PluginMain(int32_t cmd, PluginHostCallbackProc callback, void* a1,
                                 void* a2, void* a3, void* a4);

#ifdef __cplusplus
}
#endif

#endif /* KB_PLUGIN_H */
