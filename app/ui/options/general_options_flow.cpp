#include "app/ui/options/general_options_flow.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/core/common_dialogs.h"
#include "app/core/prompter.h"
#include "app/core/reg_access.h"
#include "app/core/text.h"

namespace kb {

namespace {

constexpr const char* kKey = "Software\\Tarnwolde\\Kestrelbinder";

// The stored text as a number, when it is one.
bool Numeric(const std::string& text, double& value) {
    const std::string trimmed = text.substr(std::min(text.find_first_not_of(' '), text.size()));
    if (trimmed.empty()) return false;
    char* end = nullptr;
    value = std::strtod(trimmed.c_str(), &end);
    while (end != nullptr && *end == ' ') ++end;
    return end != nullptr && *end == '\0' && std::isfinite(value);
}

}  // namespace

GeneralOptionsFlow::GeneralOptionsFlow(std::function<void(int32_t)> applySegment,
                                       bool& formLoading)
    : applySegment_(std::move(applySegment)), formLoading_(formLoading) {}

void GeneralOptionsFlow::Changed() {
    if (onChanged) onChanged();
}

std::string GeneralOptionsFlow::SizeText() const { return FormatByteSize(SegmentBytes()); }

bool GeneralOptionsFlow::ResetWorthwhile() const {
    const std::string both = source_ + dest_;
    return position_ != kDefaultPosition || both.find_first_not_of(' ') != std::string::npos;
}

void GeneralOptionsFlow::sldOptGenSegSize_Change(int position) {
    position_ = std::clamp(position, kMinPosition, kMaxPosition);
    if (applySegment_) applySegment_(SegmentBytes());
    Changed();
}

void GeneralOptionsFlow::sldOptGenSegSize_Click() {
    revertEnabled_ = saveEnabled_ = resetEnabled_ = true;
    Changed();
}

void GeneralOptionsFlow::cmdOptGenReset_Click() {
    source_.clear();
    dest_.clear();
    sldOptGenSegSize_Change(kDefaultPosition);
    resetEnabled_ = false;
    saveEnabled_ = revertEnabled_ = true;
    Changed();
    if (!formLoading_)
        MsgBox("All settings on this tab have been reset to the defaults. If you wish to undo "
               "this, click revert after this message, otherwise click save to make the changes "
               "permanent.",
               mb::Information | mb::OKOnly, "Settings reset");
}

void GeneralOptionsFlow::cmdOptGenCancel_Click() {
    // Revert starts from the defaults, quietly.
    const bool wasLoading = formLoading_;
    formLoading_ = true;
    cmdOptGenReset_Click();
    formLoading_ = wasLoading;

    source_ = RegReadString(HKEY_CURRENT_USER, kKey, "DefaultSource");
    dest_ = RegReadString(HKEY_CURRENT_USER, kKey, "DefaultDest");
    double stored = 0;
    // Only positions the program writes are taken; anything else keeps the default.
    if (Numeric(RegReadString(HKEY_CURRENT_USER, kKey, "SegmentSize"), stored)) {
        const double rounded = std::nearbyint(stored);
        if (rounded >= kMinPosition && rounded <= kMaxPosition)
            sldOptGenSegSize_Change(static_cast<int>(rounded));
    }
    resetEnabled_ = ResetWorthwhile();
    revertEnabled_ = saveEnabled_ = false;
    Changed();
}

void GeneralOptionsFlow::cmdOptGenOK_Click() {
    std::string position = std::to_string(position_);
    RegWriteString(HKEY_CURRENT_USER, kKey, "SegmentSize", position);
    RegWriteString(HKEY_CURRENT_USER, kKey, "DefaultSource", source_);
    RegWriteString(HKEY_CURRENT_USER, kKey, "DefaultDest", dest_);
    revertEnabled_ = saveEnabled_ = false;
    resetEnabled_ = ResetWorthwhile();
    Changed();
}

void GeneralOptionsFlow::Browse(std::string& box, const char* which) {
    const std::optional<std::string> folder = Dialogs().BrowseForFolder(
        std::string("Select the folder to make the default ") + which + "...", box);
    if (folder) {
        std::string path = folder->substr(0, folder->find('\0'));
        // The root of a volume keeps its "/".
        if (path.size() > 1 && path.back() == '/') path.pop_back();
        box = path;
    }
    revertEnabled_ = saveEnabled_ = resetEnabled_ = true;
    Changed();
}

void GeneralOptionsFlow::Clear(std::string& box, const char* which) {
    const std::string what = std::string("default ") + which + " directory";
    if (MsgBox("Are you sure you want to clear the " + what +
                   "? This will cause Kestrelbinder to use the current, or last-used directory "
                   "each time like when you first installed Kestrelbinder.",
               mb::Exclamation | mb::OKCancel, "Clear " + what) == Answer::OK)
        box.clear();
    revertEnabled_ = saveEnabled_ = true;
    Changed();
}

void GeneralOptionsFlow::cmdOptGenSegSizeDescription_Click() {
    MsgBox("Using a higher segment buffer size may speed up splitting but will also cause progress "
           "bars to be updated less frequently. It will also hog the CPU for longer, slowing down "
           "other programs that are running on your system. You may wish to experiment to find the "
           "setting which works best for you, smaller settings may be better when slower devices "
           "such as floppy disks are used.",
           mb::Information | mb::OKOnly, "Segment buffer size help");
}

}  // namespace kb
