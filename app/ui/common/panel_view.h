#pragma once
// A progress panel as the wizards' flow classes see it.

#include "app/core/progress_view.h"

namespace kb {

class ucProgressPanel;

class PanelView : public ProgressView {
public:
    explicit PanelView(ucProgressPanel& panel) : panel_(panel) {}
    void SetVisible(bool visible) override;
    void SetCaption(const std::string& text) override;
    void SetBottomText(const std::string& text) override;
    void SetPB1Caption(const std::string& text) override;
    void SetPB2Caption(const std::string& text) override;
    void SetPB1Percent(int16_t percent) override;
    void SetPB2Percent(int16_t percent) override;
    void SetPB1Visible(bool visible) override;
    void SetPB2Visible(bool visible) override;
    void SetCancelVisible(bool visible) override;
    bool CancelVisible() const override;
    bool CancelClicked() const override;
    void StartTimings() override;
    void StopTimings() override;
    bool ShowsPluginProgress() const override { return true; }

private:
    ucProgressPanel& panel_;
};

}  // namespace kb
