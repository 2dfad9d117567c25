#include "app/pluginhost/plugin_autoload.h"

#include <algorithm>
#include <vector>

#include "app/core/paths.h"
#include "app/core/prompter.h"
#include "app/pluginhost/include/kb_plugin.h"
#include "app/pluginhost/plugin_list_file.h"
#include "app/pluginhost/plugin_rows.h"
#include "app/pluginhost/plugin_sys.h"
#include "app/pluginhost/plugin_tables.h"

namespace kb {
namespace {

// 313 as the manager page sends it: the flag and the three zeros as 16-bit values.
void SendEnabled(PluginHost& host, int16_t slot, int16_t flag) {
    int16_t zero[3] = {0, 0, 0};
    host.CallPluginMain(slot, PLUGIN_EVT_ENABLED, &flag, &zero[0], &zero[1], &zero[2]);
}

}  // namespace

void AddPluginToListView(PluginHost& host, bool fromManager, std::string& filename, bool enable, bool& result) {
    result = false;
    if (filename.empty()) {
        if (fromManager) RestoreFolder(true);
        return;
    }

    int16_t slot = 0;
    int32_t state = 0;
    int16_t conflictSlot = 0;
    int32_t conflictMask = 0;
    const bool ok = LoadAndRegisterPlugin(host, filename, slot, state, conflictSlot, conflictMask,
                                          fromManager);
    if (fromManager) RestoreFolder(true);

    if (slot < 0) {
        if (fromManager && slot == -2) {
            MsgBox("The selected plug-in is already installed.", mb::Exclamation | mb::OKOnly,
                   "Already installed");
        } else if (fromManager) {
            MsgBox("The selected plug-in cannot be loaded. This is probably due to it not, in "
                   "fact, being a Kestrelbinder plug-in to begin with.",
                   mb::Critical | mb::OKOnly, "Unable to load plug-in");
        }
        return;
    }

    PluginRow row;
    row.text = host.GetPluginString(slot, PLUGIN_CMD_GET_NAME);
    row.smallIcon = "PCCard";
    row.tag = filename;

    int32_t type = 0;
    const int32_t typeResult = host.SendPluginCommand(slot, PLUGIN_CMD_GET_TYPE, type);
    if (typeResult < 0 || !IsKnownPluginType(type)) type = -1;
    row.typeText = PluginTypeText(type);
    row.smallIcon = PluginTypeIconKey(type);

    row.state = state;
    row.compatText = PluginCompatText(state);
    row.compatIcon = PluginCompatImageKey(state);

    // Rows follow their slots; a list that has lost step with the slots gets the row at its end.
    const int position = std::min<int>(slot + 1, host.PluginList.Count() + 1);
    host.PluginList.Add(position, row);

    const bool tick = fromManager ? ok : enable;
    if (tick) {
        host.PluginList.SetTicked(position, true);
        SendEnabled(host, slot, fromManager ? -1 : 0);
        if ((PluginResourceMask(host, slot) & PLUGIN_RES_WINDOW_MESSAGES) != 0) host.SubclassPluginIndex = slot;
    }
    result = true;
}

void AutoloadPlugins(PluginHost& host) {
    std::vector<int16_t> removals;
    std::vector<std::string> moved;
    int16_t loaded = 0;
    if (!FileExists(PluginListPath())) return;

    for (const std::string& item : ReadPluginListFile()) {
        if (item[0] == '#' || item[0] == '~') continue;
        const bool enabled = item[0] == '1';
        const std::string listed = item.substr(1);
        std::string path = PluginEntryLibrary(listed);
        bool result = false;
        AddPluginToListView(host, false, path, enabled, result);
        if (result) {
            ++loaded;
            if (path != listed) moved.push_back(path);
        } else {
            removals.push_back(loaded);
        }
    }

    // Entries before a failed one were loaded or have been removed already, so each position
    // is the failed entry's number in the file at the moment it is removed.
    for (int16_t position : removals) RemovePluginFromList(host, position, false);
    // The next start finds these where they were loaded from this time. Only after the
    // removals, which count the entries as the file held them.
    for (const std::string& path : moved) SetPluginListEntryPath(path);

    if (!removals.empty()) {
        MsgBox(std::to_string(removals.size()) +
                   " plugins failed to load. You may want to check your plug-in settings in the "
                   "plug-in manager",
               mb::Exclamation | mb::OKOnly, "Plugin Autoload Failure");
    }
}

}  // namespace kb
