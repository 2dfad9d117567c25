#pragma once
// The configuration page: its own tab strip over the general options and the plug-in manager.

#include <QFrame>

#include <cstdint>
#include <functional>
#include <memory>

class QTabBar;

namespace kb {

class GeneralOptionsFlow;
class OptGenFrame;
class PluginManFrame;
class PluginHost;

class OptionsPage : public QFrame {
    Q_OBJECT

public:
    OptionsPage(QWidget* parent, PluginHost& plugins);
    ~OptionsPage() override;

    // Gives the general options their effect: applySegment receives every new segment size,
    // formLoading is the window's flag that keeps Reset to defaults quiet.
    void Attach(std::function<void(int32_t)> applySegment, bool& formLoading);
    GeneralOptionsFlow& General() { return *general_; }

    QTabBar* OptTabs_ = nullptr;
    OptGenFrame* fOptGen_ = nullptr;
    PluginManFrame* fPluginMan_ = nullptr;

private:
    void OptTabs_Click();
    void ConnectGeneral();
    // Shows the general options' state on their frame.
    void LoadGeneral();
    void sldOptGenSegSize_Scroll();

    std::unique_ptr<GeneralOptionsFlow> general_;
    bool sliderActing_ = false;
};

}  // namespace kb
