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
    virtual bool CancelVisible() const = 0;
    virtual bool CancelClicked() const = 0;
    virtual void StartTimings() = 0;
    virtual void StopTimings() = 0;
    // True for a panel on screen, which plug-ins' progress callbacks may drive while a plug-in
    // task runs; a view that only stands in for a panel says no.
    virtual bool ShowsPluginProgress() const { return false; }
};

}  // namespace kb
