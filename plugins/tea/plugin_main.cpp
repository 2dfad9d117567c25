// The plug-in's one entry. Everything else in the library is hidden (tea.map).

#include <string>

#include "app/pluginhost/include/kb_plugin.h"
#include "plugins/tea/tea_file.h"

namespace kb::tea {
namespace {

constexpr char kName[] = "TEA Encryption";
constexpr char kAuthor[] = "Tarnwolde";
constexpr char kNotice[] = "Encrypts files with the TEA block cipher under a passphrase.";
constexpr float kVersion = 1.0f;
constexpr int32_t kEncryptionId = 2;

// Kept from the latest call, for the progress reports of the command that is running.
PluginHostCallbackProc g_callback = nullptr;

void ReportProgress(int32_t percent, void*) {
    if (g_callback == nullptr) return;
    int32_t value = percent;  // both bars show the same figure
    g_callback(PLUGIN_CB_SET_PROGRESS, nullptr, nullptr, &value, &value);
}

int32_t AnswerText(void* a1, const char* text) {
    if (a1 == nullptr) return PLUGIN_CB_FAILED;
    return PluginBstrReAllocText(static_cast<PluginBstr*>(a1), text) ? PLUGIN_OK : PLUGIN_CB_FAILED;
}

// The text a command argument holds, up to its first NUL; a null handle is the empty text.
std::string TextAt(void* a) {
    const PluginBstr s = a == nullptr ? nullptr : *static_cast<PluginBstr*>(a);
    return s == nullptr ? std::string() : std::string(s);
}

// The bounds are compared in double precision on purpose: a host version of 4.1 held as a
// float lies just below 4.1 and counts as 4.0.x. NaN fails every comparison and lands on 2.
int32_t Compatibility(float hostVersion) {
    const double x = hostVersion;
    if (x >= 4.0 && x < 4.1) return PLUGIN_COMPAT_EXCELLENT;
    if (x >= 4.1 && x < 5.0) return PLUGIN_COMPAT_GOOD;
    return PLUGIN_COMPAT_MAYBE;
}

template <typename T>
int32_t AnswerNumber(void* a1, T value) {
    if (a1 == nullptr) return PLUGIN_CB_FAILED;
    *static_cast<T*>(a1) = value;
    return PLUGIN_OK;
}

int32_t RunFile(int32_t cmd, void* a1, void* a2, void* a3) {
    const std::string source = TextAt(a1), dest = TextAt(a2), passphrase = TextAt(a3);
    const TeaProgress progress{&ReportProgress, nullptr};
    if (cmd == PLUGIN_CMD_ENCRYPT_FILE)
        return TeaEncryptFile(source.c_str(), dest.c_str(), passphrase.c_str(), progress);
    return TeaDecryptFile(source.c_str(), dest.c_str(), passphrase.c_str(), progress);
}

int32_t Dispatch(int32_t cmd, void* a1, void* a2, void* a3) {
    switch (cmd) {
        case PLUGIN_CMD_GET_NAME: return AnswerText(a1, kName);
        case PLUGIN_CMD_GET_AUTHOR: return AnswerText(a1, kAuthor);
        case PLUGIN_CMD_GET_NOTICE: return AnswerText(a1, kNotice);
        case PLUGIN_CMD_GET_VERSION: return AnswerNumber<float>(a1, kVersion);
        case PLUGIN_CMD_GET_TYPE: return AnswerNumber<int32_t>(a1, PLUGIN_TYPE_ENCRYPTOR);
        case PLUGIN_CMD_GET_ENCRYPTION_ID: return AnswerNumber<int32_t>(a1, kEncryptionId);
        case PLUGIN_CMD_CHECK_COMPATIBILITY:
            if (a2 == nullptr) return PLUGIN_CB_FAILED;
            return AnswerNumber<int32_t>(a1, Compatibility(*static_cast<const float*>(a2)));
        case PLUGIN_CMD_ENCRYPT_FILE:
        case PLUGIN_CMD_DECRYPT_FILE: return RunFile(cmd, a1, a2, a3);
        // The key block comes from the system's random source, so there is nothing to seed.
        case PLUGIN_EVT_ENABLED: return PLUGIN_OK;
        default: return PLUGIN_NOT_HANDLED;
    }
}

}  // namespace
}  // namespace kb::tea

extern "C" PLUGIN_EXPORT int32_t PluginMain(int32_t cmd, PluginHostCallbackProc callback,
                                            void* a1, void* a2, void* a3, void* a4) {
    (void)a4;
    kb::tea::g_callback = callback;
    try {
        return kb::tea::Dispatch(cmd, a1, a2, a3);
    } catch (...) {
        // Nothing may unwind into the host; a failed command is all it learns.
        return kb::tea::kTeaFailed;
    }
}
