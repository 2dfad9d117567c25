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

bool ValidRow(const PluginHost& host, int row) { return row >= 1 && row <= host.PluginList.Count(); }

// Command 20: the plug-in's state and reason; a plug-in that does not answer counts as maybe.
int32_t CompatibilityState(PluginHost& host, int16_t slot, std::string& reason) {
    int32_t state = 0;
    float hostVersion = GetVersionNumber();
    PluginTextArg text;
    int32_t zero = 0;
    if (host.CallPluginMain(slot, PLUGIN_CMD_CHECK_COMPATIBILITY, &state, &hostVersion,
                            text.Var(), &zero) < 0)
        state = PLUGIN_COMPAT_MAYBE;
    reason = text.Text();
    return state;
}

bool InConflict(PluginHost& host, int16_t slot) {
    int16_t conflictSlot = 0;
    int32_t bits = 0;
    return FindPluginConflict(host, slot, conflictSlot, bits);
}

void SendEnabledNow(PluginHost& host, int16_t slot) {
    int32_t flag = -1, zero[3] = {0, 0, 0};
    host.CallPluginMain(slot, PLUGIN_EVT_ENABLED, &flag, &zero[0], &zero[1], &zero[2]);
}

// The folder the add dialog opens in: "Plugins", or the program folder while it is missing.
std::string PluginsFolder() {
    const std::string plugins = PluginFolder();
    std::error_code ec;
    return std::filesystem::is_directory(plugins, ec) ? plugins : platform::ProgramFolder();
}

}  // namespace

bool PluginManagerFlow::RowBusy(int row) const {
    return ValidRow(plugins_, row) && plugins_.Libraries.callUnderWay(static_cast<int16_t>(row - 1));
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
    AddPluginToListView(plugins_, true, filename, false, result);
    return result;
}

void PluginManagerFlow::PluginList_ItemCheck(int row, bool ticked) {
    if (!ValidRow(plugins_, row)) return;
    const auto slot = static_cast<int16_t>(row - 1);
    PluginRow& r = plugins_.PluginList.Row(row);
    if (ticked) {
        std::string reason;
        if (CompatibilityState(plugins_, slot, reason) == PLUGIN_COMPAT_BAD) {
            MsgBox("This plug-in cannot be enabled because it is incompatible with your version of "
                   "Kestrelbinder. " + reason,
                   mb::Critical | mb::OKOnly, "Incompatibility detected");
            plugins_.PluginList.SetTicked(row, false);
            return;
        }
        if (InConflict(plugins_, slot)) {
            MsgBox("This plug-in conflicts with another plug-in. It can not be enabled until the "
                   "conflicts are resolved.",
                   mb::Critical | mb::OKOnly, "Plugin Conflict");
            plugins_.PluginList.SetTicked(row, false);
            return;
        }
        plugins_.PluginList.SetTicked(row, true);
        SendEnabledNow(plugins_, slot);
        if ((PluginResourceMask(plugins_, slot) & PLUGIN_RES_WINDOW_MESSAGES) != 0) plugins_.SubclassPluginIndex = slot;
    } else {
        if (RowBusy(row)) {
            plugins_.PluginList.SetTicked(row, true);
            return;
        }
        plugins_.PluginList.SetTicked(row, false);
        if (slot == plugins_.SubclassPluginIndex) plugins_.DisableSubclassing(plugins_.MainWindowHandle());
        plugins_.SendPluginCommand(slot, PLUGIN_EVT_DISABLED);
    }
    SetPluginListFlag(r.tag, ticked);
    RefreshCompatibility();
}

// Every row's compatibility column again, since a tick can start or end a conflict.
void PluginManagerFlow::RefreshCompatibility() {
    for (int row = 1; row <= plugins_.PluginList.Count(); ++row) {
        const auto slot = static_cast<int16_t>(row - 1);
        std::string reason;
        const int32_t state = InConflict(plugins_, slot) ? int32_t{PLUGIN_COMPAT_CONFLICT}
                                               : CompatibilityState(plugins_, slot, reason);
        PluginRow& r = plugins_.PluginList.Row(row);
        if (r.state == state) continue;
        r.state = state;
        r.compatText = PluginCompatText(state);
        r.compatIcon = PluginCompatImageKey(state);
        if (plugins_.PluginList.onChanged) plugins_.PluginList.onChanged();
    }
}

PluginManagerFlow::Details PluginManagerFlow::PluginList_ItemClick(int row) const {
    Details d;
    if (!ValidRow(plugins_, row)) {
        d.text = "Nothing selected.";
        return d;
    }
    const auto slot = static_cast<int16_t>(row - 1);
    d.text = plugins_.PluginList.Row(row).text;
    const std::string author = plugins_.GetPluginString(slot, PLUGIN_CMD_GET_AUTHOR);
    if (!author.empty()) d.text += std::string(1, kCr) + "by " + author;
    d.text += std::string(2, kCr);
    std::string reason;
    int32_t state = CompatibilityState(plugins_, slot, reason);
    if (state != PLUGIN_COMPAT_BAD && InConflict(plugins_, slot)) state = PLUGIN_COMPAT_CONFLICT;
    d.text += reason.empty() ? PluginCompatSentence(state) : reason;
    d.showPicture = true;
    d.configurable = plugins_.SendPluginCommand(slot, PLUGIN_CMD_IS_CONFIGURABLE) == 1;
    return d;
}

void PluginManagerFlow::cmdConfigPlugin_Click(int row) {
    if (!ValidRow(plugins_, row) || RowBusy(row)) return;
    plugins_.SendPluginCommand(static_cast<int16_t>(row - 1), PLUGIN_CMD_CONFIGURE);
}

void PluginManagerFlow::cmdDelPlugin_Click(int row) {
    if (!ValidRow(plugins_, row) || RowBusy(row)) return;
    RemovePluginFromList(plugins_, static_cast<int16_t>(row - 1), true);
    plugins_.PluginList.Remove(row);
}

}  // namespace kb
