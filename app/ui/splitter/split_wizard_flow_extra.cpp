// The sixth stage's extra files: which generator plug-ins are offered, and how much room their
// files take on the first disk.
#include <string>

#include "app/core/active_splitter.h"
#include "app/core/prompter.h"
#include "app/pluginhost/include/kb_plugin.h"
#include "app/pluginhost/kbplugin.h"
#include "app/pluginhost/plugin_rows.h"
#include "app/pluginhost/plugin_sys.h"
#include "app/pluginhost/plugin_text.h"
#include "app/ui/splitter/split_wizard_flow.h"

namespace kb {

namespace {

// Room left beside each generator's own count.
constexpr int64_t kGeneratorMargin = 5120;

int16_t SlotOfRow(const ExtraFileRow& row) {
    return static_cast<int16_t>(std::stoi(row.key.substr(1)));
}

}  // namespace

void SplitWizardFlow::optExtraFilesOn_Click() {
    RefreshSplitOptionControls();
    range.extraFiles.clear();
    const bool bare = cmpEnc.fileFormatting == 1;
    for (int16_t slot = 0; slot < plugins_.PluginCount; ++slot) {
        if (!plugins_.PluginList.Ticked(slot + 1)) continue;
        int32_t type = 0;
        plugins_.SendPluginCommand(slot, PLUGIN_CMD_GET_TYPE, type);
        const bool offered = type == PLUGIN_TYPE_EXTRA_FILE_MAKER ||
                             (bare && (type == PLUGIN_TYPE_SCRIPT_MAKER || type == PLUGIN_TYPE_EXE_MAKER));
        if (offered)
            range.extraFiles.push_back({"P" + std::to_string(slot), plugins_.GetPluginString(slot, PLUGIN_CMD_GET_NAME), false});
    }
    if (!range.extraFiles.empty()) {
        range.extraFilesListEnabled = true;
        return;
    }
    MsgBox("There are no suitable generator plug-ins installed and enabled. Please obtain one from "
           "the Kestrelbinder web site and install it through the plug-in manager.",
           mb::OKOnly | mb::Exclamation, "No generators available");
    range.extraFilesOn = false;
    optExtraFilesNothing_Click();
}

void SplitWizardFlow::optExtraFilesNothing_Click() {
    range.extraFilesTag = "0";
    range.extraFiles.clear();
    RefreshSplitOptionControls();
}

void SplitWizardFlow::RefreshExtraFilesOptions() {
    if (range.extraFilesOn) optExtraFilesOn_Click();
    RefreshSplitOptionControls();
}

// Adds up what the ticked generators will write, each with its margin; false when one fails.
// The list and the wizard's buttons are off meanwhile, so that no click starts anything while
// a plug-in works.
bool SplitWizardFlow::AskGeneratedSizes(int64_t& total) {
    const bool listWas = range.extraFilesListEnabled;
    range.extraFilesListEnabled = false;
    const SplitNavSettings navWas = nav;
    LockButtons(true);
    PluginTextArg stored(splitter_.FilenameToStore);
    int32_t produced = 0;
    bool ok = true;
    for (const ExtraFileRow& row : range.extraFiles) {
        if (!row.ticked) continue;
        int32_t count = splitter_.FragsNeeded();
        int32_t zero = 0;
        if (plugins_.CallPluginMain(SlotOfRow(row), PLUGIN_CMD_GET_GENERATED_SIZE, stored.Var(), &count, &zero,
                                     &produced) != PLUGIN_OK) {
            ok = false;
            break;
        }
        total += produced + kGeneratorMargin;
    }
    range.extraFilesListEnabled = listWas;
    nav = navWas;
    if (hooks_.applyNav) hooks_.applyNav();
    if (!ok)
        MsgBox("A generator is not working correctly. You are recommended to disable it.",
               mb::OKOnly | mb::Critical, "Generator problem");
    return ok;
}

void SplitWizardFlow::lvExtraFilesList_Click() {
    int32_t n = splitter_.FragsNeeded();
    if (dest.toDisks) {
        const int64_t first = splitter_.FragmentSizeAtStart();
        const int32_t count = splitter_.FragsNeeded();
        int64_t total = 0;
        if (!AskGeneratedSizes(total)) return;
        const int64_t reduced = first - total;
        int64_t applied = reduced;
        splitter_.SetFragmentSizeAtStart(applied);
        range.extraFilesTag = std::to_string(reduced);
        n = splitter_.FragsNeeded();
        if (count < n)
            MsgBox("Warning: Due to the space taken up by the generated files, an extra disk will "
                   "be required",
                   mb::OKOnly | mb::Exclamation, "Warning");
        applied = first;
        splitter_.SetFragmentSizeAtStart(applied);
    }
    extraFilesCaption = "The selected file(s) will be split into " + std::to_string(n) +
                        " pieces. Which ones do you wish to create?";
    for (PieceSpinner* s : {&range.single, &range.from, &range.to}) s->upper = n;
    KeepInBounds(range.single);
    KeepInBounds(range.from);
    udFragRangeFrom_Change();
}

}  // namespace kb
