#include "app/ui/splitter/split_encryption.h"

#include "app/core/prompter.h"
#include "app/core/temp_manager.h"
#include "app/pluginhost/include/kb_plugin.h"
#include "app/pluginhost/kbplugin.h"
#include "app/pluginhost/plugin_output_room.h"
#include "app/pluginhost/plugin_rows.h"
#include "app/pluginhost/plugin_sys.h"
#include "app/pluginhost/plugin_text.h"

namespace kb {

int16_t FindEncryptor(PluginHost& host, const std::string& name) {
    for (int16_t slot = 0; slot < host.PluginCount; ++slot) {
        if (!host.PluginList.Ticked(slot + 1)) continue;
        int32_t type = 0;
        host.SendPluginCommand(slot, PLUGIN_CMD_GET_TYPE, type);
        if (type == PLUGIN_TYPE_ENCRYPTOR && host.GetPluginString(slot, PLUGIN_CMD_GET_NAME) == name)
            return slot;
    }
    return -1;
}

EncryptionOutcome EncryptForSplit(PluginHost& host, int16_t slot, const std::string& source,
                                  const std::string& passphrase) {
    TempManager& temp = TempManager::Instance();
    while (true) {
        temp.RemoveTempFile("EncArchive", true);
        host.BroadcastPluginEvent(PLUGIN_EVT_ENCRYPT_START);
        const std::string dest = temp.CreateTempFile("EncArchive", "kbt");
        PluginTextArg a1(source), a2(dest), a3(passphrase);
        int32_t zero = 0;
        const int32_t result = host.CallPluginMain(slot, PLUGIN_CMD_ENCRYPT_FILE, a1.Var(),
                                                   a2.Var(), a3.Var(), &zero);
        if (result == PLUGIN_OK) {
            EncryptionOutcome outcome{true, temp.GetTempFilePath("EncArchive"),
                                      host.GetPluginEncryptionID(slot)};
            host.BroadcastPluginEvent(PLUGIN_EVT_ENCRYPT_END);
            return outcome;
        }
        // The partial output goes here, whichever the refusal was.
        const bool room = TempRoomForPluginOutput("EncArchive", source);
        host.BroadcastPluginEvent(PLUGIN_EVT_ENCRYPT_END);
        if (room) {
            MsgBox("The selection could not be encrypted: the encryption plug-in reported a "
                   "problem (code " + std::to_string(result) + "). Nothing has been split.",
                   mb::Critical | mb::OKOnly, "Problem encrypting");
            return {};
        }
        if (AskTempFolderFull("encrypted",
                              "go back to the previous stage; nothing has been split") !=
            Answer::Retry)
            return {};
    }
}

}  // namespace kb
