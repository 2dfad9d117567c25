#pragma once
// What the plug-in manager page does, without its widgets: adding a plug-in through the file
// dialog, the checks when a row is ticked, the details of a row, configuring and removing.
// Rows are the host's list (PluginHost::PluginList); row n stands for slot n-1. The page shows the list
// and calls these with the row the user acted on.

#include <string>

namespace kb {

class PluginHost;

class PluginManagerFlow {
public:
    explicit PluginManagerFlow(PluginHost& plugins) : plugins_(plugins) {}

    struct Details {
        // "Nothing selected." when no row is given.
        std::string text;
        bool showPicture = false;
        bool configurable = false;
    };

    // Asks for a plug-in library and adds it. True when a row was added.
    bool cmdAddPlugin_Click();
    // After the user changed row n's tick to `ticked`: a refused tick is taken back (the list
    // then shows the row unticked).
    void PluginList_ItemCheck(int row, bool ticked);
    // The details of row n (0: nothing selected).
    Details PluginList_ItemClick(int row) const;
    void cmdConfigPlugin_Click(int row);
    // Removes row n with its plug-in; the rows below move up with their slots.
    void cmdDelPlugin_Click(int row);

    // A plug-in whose command is still running (a callback inside it let this click through)
    // cannot be removed, unticked or configured now.
    bool RowBusy(int row) const;

private:
    void RefreshCompatibility();

    PluginHost& plugins_;
};

}  // namespace kb
