#pragma once
// The configuration page: its own tab strip over the general options and the plug-in manager.

#include <QFrame>

class QTabBar;

namespace kb {

class OptGenFrame;
class PluginManFrame;

class OptionsPage : public QFrame {
    Q_OBJECT

public:
    explicit OptionsPage(QWidget* parent);

    QTabBar* OptTabs_ = nullptr;
    OptGenFrame* fOptGen_ = nullptr;
    PluginManFrame* fPluginMan_ = nullptr;

private:
    void OptTabs_Click();
};

}  // namespace kb
