#pragma once
// The main window's front page: the tip of the day, the lists of new and unfinished tasks, and
// OK, Help and About. What OK does lives in FrontPageFlow.

#include <QFrame>

#include <memory>
#include <vector>

#include "app/ui/shell/front_page_flow.h"

class QLabel;
class QListWidget;
class QPushButton;
class QTabBar;

namespace kb {

class FrontPage : public QFrame {
    Q_OBJECT

public:
    FrontPage(QWidget* parent, ActiveSplitter& splitter, FrontPageHooks hooks);
    ~FrontPage() override;

    // Fills the list for the selected tab; the first row is selected.
    void WelcomeTabs_Click();
    void cmdWelcomeOK_Click();
    void cmdWelcomeHelp_Click();

    QLabel* lblVersion_ = nullptr;
    QLabel* lblTipContent_ = nullptr;
    QPushButton* cmdTipPrevious_ = nullptr;
    QPushButton* cmdTipNext_ = nullptr;
    QTabBar* WelcomeTabs_ = nullptr;
    QListWidget* lvStartupTasks_ = nullptr;
    QPushButton* cmdWelcomeOK_ = nullptr;
    QPushButton* cmdWelcomeHelp_ = nullptr;
    QPushButton* cmdAbout_ = nullptr;

private:
    QWidget* BuildTipBox();
    QLayout* BuildFoot();

    std::unique_ptr<FrontPageFlow> flow_;
    // The rows the list shows, in its order.
    std::vector<FrontPageRow> rows_;
};

}  // namespace kb
