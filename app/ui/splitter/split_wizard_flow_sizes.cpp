// The piece-size stage and the options that switch controls on and off: how the stage's
// choices become the splitter's sizes, and the checks on the numbers people type.
#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>

#include "app/core/active_splitter.h"
#include "app/core/fatal_error.h"
#include "app/core/kb_error.h"
#include "app/core/piece_limits.h"
#include "app/core/prompter.h"
#include "app/core/text.h"
#include "app/pluginhost/plugin_rows.h"
#include "app/pluginhost/plugin_sys.h"
#include "app/ui/splitter/size_units.h"
#include "app/ui/splitter/split_wizard_flow.h"
#include "app/ui/splitter/typed_number.h"

namespace kb {

namespace {

// Typed amounts far past any size still make a byte count; the splitter clamps it.
int64_t Bytes(double amount) {
    constexpr double kLimit = 9.0e18;
    if (amount >= kLimit) return static_cast<int64_t>(kLimit);
    if (amount <= -kLimit) return -static_cast<int64_t>(kLimit);
    return std::llround(amount);
}

}  // namespace

void SplitWizardFlow::SetFragSizeFromSplitWiz() {
    int sector = 0;
    try {
        sector = 1;
        splitter_.FragNamingTemplate = size.namingTemplate;
        sector = 2;
        SetSizeFromOption();
        sector = 3;
        SetFirstPieceSize();
        sector = 4;
        size.numPieces = std::to_string(splitter_.FragsNeeded());
    } catch (...) {
        FatalErrorBox("SetFragSizeFromSplitWiz()", sector);
    }
}

void SplitWizardFlow::SetSizeFromOption() {
    switch (size.mode) {
    case SizeMode::NumPieces: {
        const double typed = std::nearbyint(LeadingNumber(size.numPieces));
        if (typed > 2147483647.0 || typed < -2147483648.0) throw KbError(err::Overflow, "frmMain");
        const int32_t n = static_cast<int32_t>(typed);
        splitter_.SetFragsNeeded(n);
        ShowSizeByDisplayRule(splitter_.FragmentSize());
        splitter_.SpanDisks = false;
        break;
    }
    case SizeMode::Preset:
        if (size.preset >= 0 && size.preset < std::ssize(kSizePresets))
            splitter_.SetFragmentSize(kSizePresets[static_cast<size_t>(size.preset)].bytes);
        else
            MsgBox("The size of the selected preset is unknown!", mb::OKOnly | mb::Critical,
                   "Unable to set fragment size");
        ShowSizeByDisplayRule(splitter_.FragmentSize());
        splitter_.SpanDisks = dest.toDisks;
        break;
    case SizeMode::Custom:
        if (const std::optional<SizeUnit> unit = UnitAt(size.customUnit)) {
            const int64_t factor = BytesPer(*unit);
            const double amount = WholeNumber(size.customSize).value_or(0);
            splitter_.SetFragmentSize(Bytes(amount * static_cast<double>(factor)));
            size.customSize = NumberText(static_cast<double>(splitter_.FragmentSize()) /
                                         static_cast<double>(factor));
        }
        splitter_.SpanDisks = dest.toDisks;
        break;
    case SizeMode::FillDisk:
        splitter_.SpanDisks = true;
        splitter_.SetFragmentSizeToDiskSize();
        break;
    case SizeMode::None: break;
    }
}

void SplitWizardFlow::SetFirstPieceSize() {
    if (!size.firstOverride) {
        splitter_.SetDifferentSizeAtStart(false);
        return;
    }
    splitter_.SetDifferentSizeAtStart(true);
    const std::optional<FirstPieceChoice> choice =
        first_piece::ChoiceAt(size.firstUnit, dest.toDisks);
    if (!choice) return;
    // An amount that is not a number counts as nothing, so the sizes stay computable.
    const double amount = WholeNumber(size.firstSize).value_or(0);
    const double bytes = amount * static_cast<double>(BytesPer(choice->unit));
    if (choice->meaning == FirstPieceMeaning::Absolute)
        splitter_.SetFragmentSizeAtStart(Bytes(bytes));
    else
        splitter_.SetFragmentSizeAtStart(splitter_.FragmentSize() - Bytes(bytes));
}

void SplitWizardFlow::ShowSizeByDisplayRule(int64_t s) {
    SizeUnit unit = SizeUnit::GB;
    if (s < 4096)
        unit = SizeUnit::Bytes;
    else if (s < 4096LL * 1024)
        unit = SizeUnit::KB;
    else if (s < 4096LL * 1024 * 1024)
        unit = SizeUnit::MB;
    size.customUnit = ListIndex(unit);
    size.customSize = std::to_string(s / BytesPer(unit));
}

// Reset shows the default preset without handing it to the splitter: the stages hand the size
// over on their way, and a default size must not fail for a source too large for it.
void SplitWizardFlow::ResetPieceSize() {
    size.mode = SizeMode::Preset;
    size.preset = kDefaultPreset;
    UpdatePieceSizeControls();
    ShowSizeByDisplayRule(kSizePresets[kDefaultPreset].bytes);
}

void SplitWizardFlow::UpdatePieceSizeControls() {
    if (size.mode == SizeMode::NumPieces) {
        size.firstOverride = false;
        size.firstOverrideEnabled = false;
    } else {
        size.firstOverrideEnabled = true;
    }
    size.formatWhenFillingDiskEnabled = size.mode == SizeMode::FillDisk;
    size.firstSizeEnabled = size.firstOverride;
    size.customSizeEnabled = size.mode == SizeMode::Custom;
    size.numPiecesTextEnabled = size.mode == SizeMode::NumPieces;
    size.presetEnabled = size.mode == SizeMode::Preset;
}

void SplitWizardFlow::RefreshSplitOptionControls() {
    cmpEnc.passwordEnabled = cmpEnc.encryptionEnabled;
    range.singleEnabled = range.mode == RangeMode::Single;
    range.rangeEnabled = range.mode == RangeMode::Range;
    range.extraFilesListEnabled = range.extraFilesOn;
    if (cmpEnc.useEnc) FillEncryptorList();
    cmpEnc.encryptionEnabled = cmpEnc.useEnc;
    cmpEnc.passwordEnabled = cmpEnc.encryptionEnabled;
    if (!cmpEnc.encryptionEnabled) {
        cmpEnc.encryptionTypes.clear();
        cmpEnc.encryptionIndex = -1;
    }
}

void SplitWizardFlow::FillEncryptorList() {
    cmpEnc.encryptionTypes.clear();
    cmpEnc.encryptionIndex = -1;
    for (int16_t slot = 0; slot < plugins_.PluginCount; ++slot) {
        if (!plugins_.PluginList.Ticked(slot + 1)) continue;
        int32_t type = 0;
        plugins_.SendPluginCommand(slot, PLUGIN_CMD_GET_TYPE, type);
        if (type != PLUGIN_TYPE_ENCRYPTOR) continue;
        cmpEnc.encryptionTypes.push_back(plugins_.GetPluginString(slot, PLUGIN_CMD_GET_NAME));
        if (cmpEnc.encryptionTypes.back() == LastEncryptionType)
            cmpEnc.encryptionIndex = static_cast<int>(cmpEnc.encryptionTypes.size()) - 1;
    }
    if (cmpEnc.encryptionTypes.empty()) {
        MsgBox("There are no encryption plug-ins installed and enabled. Please obtain one from "
               "the Kestrelbinder web site and install it through the plug-in manager.",
               mb::OKOnly | mb::Exclamation, "No encryptors available");
        cmpEnc.useEnc = false;
    } else if (cmpEnc.encryptionIndex < 0) {
        cmpEnc.encryptionIndex = 0;
    }
    cmbEncryptionType_Change();
}

void SplitWizardFlow::optPresetSize_Click() {
    UpdatePieceSizeControls();
    SetFragSizeFromSplitWiz();
}

void SplitWizardFlow::optCustomSize_Click() {
    UpdatePieceSizeControls();
    SetFragSizeFromSplitWiz();
}

void SplitWizardFlow::optCustomNumPieces_Click() { UpdatePieceSizeControls(); }

void SplitWizardFlow::optFillDisk_Click() {
    const int64_t d = std::atoll(size.fillDiskTag.c_str());
    if (d > 5242880) {
        size.customSize = std::to_string(d / BytesPer(SizeUnit::MB));
        size.customUnit = ListIndex(SizeUnit::MB);
    } else {
        size.customSize = std::to_string(d / BytesPer(SizeUnit::KB));
        size.customUnit = ListIndex(SizeUnit::KB);
    }
    UpdatePieceSizeControls();
}

void SplitWizardFlow::chkFirstOverride_Click() { UpdatePieceSizeControls(); }

void SplitWizardFlow::cmbPreset_Click() {
    if (!(hooks_.formLoading && hooks_.formLoading())) SetFragSizeFromSplitWiz();
}

void SplitWizardFlow::cmbCustSizeUnits_Change() {
    if (const std::optional<SizeUnit> unit = UnitAt(size.customUnit)) {
        const double shown = std::round(static_cast<double>(splitter_.FragmentSize()) /
                                        static_cast<double>(BytesPer(*unit)) *
                                        10000.0) / 10000.0;
        std::string text = NumberText(shown);
        text = text.substr(0, text.find('.'));
        size.customSize = text == "0" ? "1" : text;
    }
    SetFragSizeFromSplitWiz();
}

void SplitWizardFlow::txtFragNamingTemplate_Change() {
    size.templateExample = ExpandNamingTemplate(splitter_.FilenameToStore, 5, size.namingTemplate);
}

bool SplitWizardFlow::txtCustomSize_Validate() {
    int sector = 0;
    try {
        sector = 1;
        const std::optional<double> typed = WholeNumber(size.customSize);
        if (!typed) {
            MsgBox("Please enter a numeric value", mb::OKOnly | mb::Exclamation, "Invalid size");
            return false;
        }
        sector = 2;
        if (LeadingNumber(size.customSize) <= 0) {
            MsgBox("The minimum size supported is " + FormatByteSize(MinFragSizeSupported()),
                   mb::OKOnly | mb::Exclamation, "Invalid size");
            return false;
        }
        sector = 3;
        if (*typed > static_cast<double>(MaxFragSizeSupported())) {
            MsgBox("The maximum size supported is " + FormatByteSize(MaxFragSizeSupported()),
                   mb::OKOnly | mb::Exclamation, "Invalid size");
            return false;
        }
        return true;
    } catch (...) {
        FatalErrorBox("txtCustomSize_Validate", sector);
    }
}

bool SplitWizardFlow::txtFragNamingTemplate_Validate() {
    switch (NamingTemplateFault(size.namingTemplate)) {
    case TemplateFault::None: return true;
    case TemplateFault::NoNumber:
        MsgBox("You must use either %n or %N somewhere in the template!", mb::OKOnly | mb::Critical,
               "Invalid template");
        break;
    case TemplateFault::Slash:
        MsgBox("You may not include the '/' character in the template: the fragments are all "
               "written into the destination folder.",
               mb::OKOnly | mb::Critical, "Invalid template");
        break;
    }
    return false;
}

bool SplitWizardFlow::txtSeriesName_Validate(const std::string& text) {
    if (text.find('.') == std::string::npos) return true;
    MsgBox("You may not include the '.' character. Filename extensions are automatically "
           "generated based on the fragment name template set on the configuration page.");
    return false;
}

bool SplitWizardFlow::PieceNumber_Validate(PieceSpinner& box) {
    if (!WholeNumber(box.text)) {
        MsgBox("Please enter a numeric number between " + std::to_string(range.from.lower) +
                   " and " + std::to_string(range.to.upper) + ".",
               mb::OKOnly | mb::Critical, "Invalid piece number");
        return false;
    }
    if (LeadingNumber(box.text) < box.lower) box.text = std::to_string(box.lower);
    if (LeadingNumber(box.text) > box.upper) box.text = std::to_string(box.upper);
    box.value = static_cast<int32_t>(std::nearbyint(LeadingNumber(box.text)));
    return true;
}

void SplitWizardFlow::optMakeFrags_Click() { RefreshSplitOptionControls(); }

void SplitWizardFlow::udFragRangeFrom_Change() {
    range.to.lower = range.from.value;
    KeepInBounds(range.to);
}

// A spinner's bounds carry its value along, and its box always shows that value.
void KeepInBounds(PieceSpinner& s) {
    const int32_t v = std::max(s.lower, std::min(s.value, s.upper));
    if (v == s.value) return;
    s.value = v;
    s.text = std::to_string(v);
}

}  // namespace kb
