#pragma once
// The general options page without its widgets: the two default folders, the segment buffer
// size, and the page's three buttons with their enabled states. The page shows this state and
// sends the user's actions here.

#include <cstdint>
#include <functional>
#include <string>

namespace kb {

class GeneralOptionsFlow {
public:
    static constexpr int kDefaultPosition = 8;
    static constexpr int kMinPosition = 4;
    static constexpr int kMaxPosition = 11;

    // applySegment receives every new segment size at once (the splitter and the assembler
    // take it); formLoading is the window's flag that keeps Reset to defaults quiet.
    GeneralOptionsFlow(std::function<void(int32_t)> applySegment, bool& formLoading);

    // Revert: the page from the registry; run at start-up too.
    void cmdOptGenCancel_Click();
    // Save: the page into the registry.
    void cmdOptGenOK_Click();
    void cmdOptGenReset_Click();
    void cmdOptGenDirSourceSet_Click() { Browse(source_, "source"); }
    void cmdOptGenDirDestSet_Click() { Browse(dest_, "destination"); }
    void cmdOptGenDirSourceClear_Click() { Clear(source_, "source"); }
    void cmdOptGenDirDestClear_Click() { Clear(dest_, "destination"); }
    void cmdOptGenSegSizeDescription_Click();
    // The slider moved to `position` (by the user or by code).
    void sldOptGenSegSize_Change(int position);
    // A click on the slider.
    void sldOptGenSegSize_Click();

    const std::string& Source() const { return source_; }
    const std::string& Dest() const { return dest_; }
    int Position() const { return position_; }
    int32_t SegmentBytes() const { return int32_t{1024} << position_; }
    // The size text beside the slider, and its drag tip.
    std::string SizeText() const;
    bool RevertEnabled() const { return revertEnabled_; }
    bool SaveEnabled() const { return saveEnabled_; }
    bool ResetEnabled() const { return resetEnabled_; }

    // Called after every change of the state above.
    std::function<void()> onChanged;

private:
    void Browse(std::string& box, const char* which);
    void Clear(std::string& box, const char* which);
    bool ResetWorthwhile() const;
    void Changed();

    std::function<void(int32_t)> applySegment_;
    bool& formLoading_;
    std::string source_;
    std::string dest_;
    int position_ = kDefaultPosition;
    bool revertEnabled_ = false;
    bool saveEnabled_ = false;
    bool resetEnabled_ = false;
};

}  // namespace kb
