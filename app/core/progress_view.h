#pragma once
// What a wizard's flow class does with its progress panel, without the toolkit: the window
// hands the flow an adapter over its panel, tests hand it a recording fake.

#include <cstdint>
#include <string>

namespace kb {

class ProgressView {
public:
    virtual ~ProgressView() = default;
    virtual void SetVisible(bool visible) = 0;
    virtual void SetCaption(const std::string& text) = 0;
    virtual void SetBottomText(const std::string& text) = 0;
    virtual void SetPB1Caption(const std::string& text) = 0;
    virtual void SetPB2Caption(const std::string& text) = 0;
    virtual void SetPB1Percent(int16_t percent) = 0;
    virtual void SetPB2Percent(int16_t percent) = 0;
    virtual void SetPB1Visible(bool visible) = 0;
    virtual void SetPB2Visible(bool visible) = 0;
    // Showing the Cancel button also re-arms it after a click.
    virtual void SetCancelVisible(bool visible) = 0;
    virtual bool CancelClicked() const = 0;
    virtual void StartTimings() = 0;
    virtual void StopTimings() = 0;
    // From now on the plug-ins' progress callbacks drive this panel.
    virtual void UseForPlugins() = 0;
};

}  // namespace kb
