#include "app/ui/common/panel_view.h"

#include "app/ui/common/uc_progress_panel.h"

namespace kb {

void PanelView::SetVisible(bool visible) { panel_.setVisible(visible); }
void PanelView::SetCaption(const std::string& text) { panel_.SetCaption(text); }
void PanelView::SetBottomText(const std::string& text) { panel_.SetBottomText(text); }
void PanelView::SetPB1Caption(const std::string& text) { panel_.SetPB1Caption(text); }
void PanelView::SetPB2Caption(const std::string& text) { panel_.SetPB2Caption(text); }
void PanelView::SetPB1Percent(int16_t percent) { panel_.SetPB1Percent(percent); }
void PanelView::SetPB2Percent(int16_t percent) { panel_.SetPB2Percent(percent); }
void PanelView::SetPB1Visible(bool visible) { panel_.SetPB1Visible(visible); }
void PanelView::SetPB2Visible(bool visible) { panel_.SetPB2Visible(visible); }
void PanelView::SetCancelVisible(bool visible) { panel_.SetCancelVisible(visible); }
bool PanelView::CancelVisible() const { return panel_.CancelVisible(); }
bool PanelView::CancelClicked() const { return panel_.CancelClicked(); }
void PanelView::StartTimings() { panel_.StartTimings(); }
void PanelView::StopTimings() { panel_.StopTimings(); }

}  // namespace kb
