#include "app/ui/options/plugin_manager_flow.h"

#include <filesystem>

#include "app/core/common_dialogs.h"
#include "app/core/kb_error.h"
#include "app/core/paths.h"
#include "app/core/prompter.h"
#include "app/core/text.h"
#include "app/pluginhost/kbplugin.h"
#include "app/pluginhost/plugin_autoload.h"
#include "app/pluginhost/plugin_list_file.h"
#include "app/pluginhost/plugin_rows.h"
#include "app/pluginhost/plugin_sys.h"
#include "app/pluginhost/plugin_tables.h"
#include "app/pluginhost/plugin_text.h"
#include "platform/program_folder.h"

namespace kb {

namespace {

constexpr char kCr = '\r';

bool ValidRow(int row) { return row >= 1 && row <= PluginList.Count(); }

// Command 20: the plug-in's state and reason; a plug-in that does not answer counts as maybe.
int32_t CompatibilityState(int16_t slot, std::string& reason) {
    int32_t state = 0;
    float hostVersion = GetVersionNumber();
    PluginTextArg text;
    int32_t zero = 0;
    if (kbplugin::callpluginmain(slot, PLUGIN_CMD_CHECK_COMPATIBILITY, PluginHostCallbackAddress(),
                                 &state, &hostVersion, text.Var(), &zero) < 0)
        state = PLUGIN_COMPAT_MAYBE;
    reason = text.Text();
    return state;
}

bool InConflict(int16_t slot) {
    int16_t conflictSlot = 0;
    int32_t bits = 0;
    return FindPluginConflict(slot, conflictSlot, bits);
}

void SendEnabledNow(int16_t slot) {
    int32_t flag = -1, zero[3] = {0, 0, 0};
    kbplugin::callpluginmain(slot, PLUGIN_EVT_ENABLED, PluginHostCallbackAddress(), &flag,
                             &zero[0], &zero[1], &zero[2]);
}

// The folder the add dialog opens in: "Plugins", or the program folder while it is missing.
std::string PluginsFolder() {
    const std::string program = platform::ProgramFolder();
    const std::string plugins = (program == "/" ? "" : program) + "/Plugins";
    std::error_code ec;
    return std::filesystem::is_directory(plugins, ec) ? plugins : program;
}

}  // namespace

bool PluginManagerFlow::RowBusy(int row) {
    return ValidRow(row) && kbplugin::callUnderWay(static_cast<int16_t>(row - 1));
}

bool PluginManagerFlow::cmdAddPlugin_Click() {
    try {
        ChangeToFolder(PluginsFolder());
    } catch (const KbError&) {
        // The dialog still opens; it starts wherever the preset name points.
    }
    const std::string folder = PluginsFolder();
    const std::optional<std::string> chosen =
        Dialogs().OpenFile({"", "Plugin DLLs|*.dll", 1, (folder == "/" ? "" : folder) + "/*.dll"});
    std::string filename = chosen.value_or("");
    bool result = false;
    AddPluginToListView(true, filename, false, result);
    return result;
}

void PluginManagerFlow::PluginList_ItemCheck(int row, bool ticked) {
    if (!ValidRow(row)) return;
    const auto slot = static_cast<int16_t>(row - 1);
    PluginRow& r = PluginList.Row(row);
    if (ticked) {
        std::string reason;
        if (CompatibilityState(slot, reason) == PLUGIN_COMPAT_BAD) {
            MsgBox("This plug-in cannot be enabled because it is incompatible with your version of "
                   "Kestrelbinder. " + reason,
                   mb::Critical | mb::OKOnly, "Incompatibility detected");
            PluginList.SetTicked(row, false);
            return;
        }
        if (InConflict(slot)) {
            MsgBox("This plug-in conflicts with another plug-in. It can not be enabled until the "
                   "conflicts are resolved.",
                   mb::Critical | mb::OKOnly, "Plugin Conflict");
            PluginList.SetTicked(row, false);
            return;
        }
        PluginList.SetTicked(row, true);
        SendEnabledNow(slot);
        if ((PluginResourceMask(slot) & PLUGIN_RES_WINDOW_MESSAGES) != 0) SubclassPluginIndex = slot;
    } else {
        if (RowBusy(row)) {
            PluginList.SetTicked(row, true);
            return;
        }
        PluginList.SetTicked(row, false);
        if (slot == SubclassPluginIndex) DisableSubclassing(MainWindowHandle());
        SendPluginCommand(slot, PLUGIN_EVT_DISABLED);
    }
    SetPluginListFlag(r.tag, ticked);
    RefreshCompatibility();
}

// Every row's compatibility column again, since a tick can start or end a conflict.
void PluginManagerFlow::RefreshCompatibility() {
    for (int row = 1; row <= PluginList.Count(); ++row) {
        const auto slot = static_cast<int16_t>(row - 1);
        std::string reason;
        const int32_t state = InConflict(slot) ? int32_t{PLUGIN_COMPAT_CONFLICT}
                                               : CompatibilityState(slot, reason);
        PluginRow& r = PluginList.Row(row);
        if (r.state == state) continue;
        r.state = state;
        r.compatText = PluginCompatText(state);
        r.compatIcon = PluginCompatImageKey(state);
        if (PluginList.onChanged) PluginList.onChanged();
    }
}

PluginManagerFlow::Details PluginManagerFlow::PluginList_ItemClick(int row) const {
    Details d;
    if (!ValidRow(row)) {
        d.text = "Nothing selected.";
        return d;
    }
    const auto slot = static_cast<int16_t>(row - 1);
    d.text = PluginList.Row(row).text;
    const std::string author = GetPluginString(slot, PLUGIN_CMD_GET_AUTHOR);
    if (!author.empty()) d.text += std::string(1, kCr) + "by " + author;
    d.text += std::string(2, kCr);
    std::string reason;
    int32_t state = CompatibilityState(slot, reason);
    if (state != PLUGIN_COMPAT_BAD && InConflict(slot)) state = PLUGIN_COMPAT_CONFLICT;
    d.text += reason.empty() ? PluginCompatSentence(state) : reason;
    d.showPicture = true;
    d.configurable = SendPluginCommand(slot, PLUGIN_CMD_IS_CONFIGURABLE) == 1;
    return d;
}

void PluginManagerFlow::cmdConfigPlugin_Click(int row) {
    if (!ValidRow(row) || RowBusy(row)) return;
    SendPluginCommand(static_cast<int16_t>(row - 1), PLUGIN_CMD_CONFIGURE);
}

void PluginManagerFlow::cmdDelPlugin_Click(int row) {
    if (!ValidRow(row) || RowBusy(row)) return;
    RemovePluginFromList(static_cast<int16_t>(row - 1), true);
    PluginList.Remove(row);
}

}  // namespace kb
