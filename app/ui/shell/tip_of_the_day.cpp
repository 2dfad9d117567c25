#include "app/ui/shell/tip_of_the_day.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "app/core/reg_access.h"

namespace kb {

namespace {

constexpr const char* kSettingsKey = "Software\\Tarnwolde\\Kestrelbinder";

const char* const kTips[TipOfTheDay::kTipCount] = {
    "Thanks for trying Kestrelbinder 2003! To split a file, ensure that 'Split Files' is "
    "selected and click OK!",
    "To assemble files or folders that you have previously split, select 'Assemble Files' to "
    "the right and click OK.",
    "Often you can press F1 for additional help on the control that is currently selected.",
    "Kestrelbinder now allows you to split entire folders or groups of files in a single "
    "operation!",
    "You can now cancel an operation part way through splitting or assembling and resume it "
    "later. Click cancel and you'll be asked if you want to resume later.",
    "From the Plugin Manager in Kestrelbinder's configuration you can add a variety of "
    "different extensions to the software.",
    "Print to a printer connected to a different computer (not networked) by printing to a "
    "file and using Kestrelbinder to split the output.",
    "Have a big file you wish people to download from your website? Split the file and "
    "generate a script so people can download the pieces one at a time.",
    "Clicking the SplitterWizard button on the top bar will continue from where you left off, "
    "whereas selecting Split New Task tab will restart the wizard.",
    "There is no difference between clicking the 'Configure Kestrelbinder' icon and clicking "
    "OK, compared with clicking the Configuration button on the top bar.",
    "If you are splitting more than 1GB of data it is not recommended to use the built in "
    "compression as since it uses EclipseCabinet you may encounter problems.",
    "Free updates of Kestrelbinder may be available. Open the About box from the front page "
    "and click 'Check for Updates' to find out.",
    "Do you know a good tip that is missing here? Send it to tips@tarnwolde.example and it may "
    "appear in a future version of Kestrelbinder.",
};

// The leading number of a stored text ("" or no number: 0), rounded half to even; a number
// that does not fit 16 bits counts as unreadable, so as 0.
int16_t StoredNumber(const std::string& text) {
    const char* p = text.c_str();
    while (*p == ' ' || *p == '\t') ++p;
    char* end = nullptr;
    double value = std::strtod(p, &end);
    if (end == p || !std::isfinite(value)) return 0;
    double rounded = std::nearbyint(value);
    if (rounded < -32768.0 || rounded > 32767.0) return 0;
    return static_cast<int16_t>(rounded);
}

}  // namespace

const char* TipOfTheDay::Tip(int16_t index) { return kTips[WrapTipIndex(index)]; }

int16_t TipOfTheDay::WrapTipIndex(int16_t index) {
    while (index < 0 || index > 12) {
        if (index >= 13) index -= 13;
        if (index < 0) index += 13;
    }
    return index;
}

int16_t TipOfTheDay::TipPointer() const {
    return WrapTipIndex(
        StoredNumber(RegReadString(platform::HKEY_CURRENT_USER, kSettingsKey, "TipPointer")));
}

void TipOfTheDay::SetTipPointer(int16_t value) {
    std::string text = std::to_string(WrapTipIndex(value));
    RegWriteString(platform::HKEY_CURRENT_USER, kSettingsKey, "TipPointer", text);
}

std::string TipOfTheDay::GetTip(int16_t offset) const {
    return kTips[WrapTipIndex(static_cast<int16_t>(TipPointer() + offset))];
}

std::string TipOfTheDay::NextTip() {
    std::string t = GetTip(0);
    SetTipPointer(static_cast<int16_t>(TipPointer() + 1));
    return t;
}

std::string TipOfTheDay::PreviousTip() {
    std::string t = GetTip(-2);
    SetTipPointer(static_cast<int16_t>(TipPointer() - 1));
    return t;
}

}  // namespace kb
