#pragma once
// The splitter wizard's page: its picture column, the six stages' frames, the progress panel
// of a running split and the four wizard buttons. Every control's handler stores the stages
// into the flow, lets the flow decide, and loads the result back.

#include <QFrame>
#include <QPointer>

#include <deque>
#include <functional>
#include <memory>

#include "app/ui/splitter/split_wizard_flow.h"

class QLineEdit;
class QPushButton;

namespace kb {

class ActiveSplitter;
class PanelView;
class PluginHost;
class QtWizardWindows;
class SplitRunner;
class SplitStageCmpEnc;
class SplitStageFragRange;
class SplitStageFragSize;
class SplitStageIntro;
class SplitStageSelDest;
class SplitStageSourceMulti;
class SplitStageSourceSingle;
class WizardWindows;
class ucProgressPanel;

class SplitWizard : public QFrame {
    Q_OBJECT

public:
    SplitWizard(QWidget* parent, ActiveSplitter& splitter, PluginHost& plugins,
                SplitWizardHooks hooks);
    ~SplitWizard() override;

    SplitWizardFlow& Flow() { return *flow_; }
    // Runs the split the stages set up, and answers the splitter's events.
    SplitRunner& Runner() { return *runner_; }
    // The password and disk windows (tests hand in scripted ones).
    void SetWizardWindows(WizardWindows* windows);
    // Runs one of the flow's handlers between a store and a load of the stages. An error that
    // reaches it has had its box already; it ends the handler, and the wizard stays where it is.
    void Run(const std::function<void()>& handler);
    // The same for a caller that handles the error itself (the command line's hand-over): the
    // stages are loaded, and the error goes on to the caller.
    void RunForCaller(const std::function<void()>& handler);

    void cmdSplitWizReset_Click() { Run([this] { flow_->cmdSplitWizReset_Click(); }); }
    void RefreshExtraFilesOptions();

    SplitStageIntro* fSplitStageIntro_ = nullptr;
    SplitStageSourceSingle* fSplitStageSelectSourceSingle_ = nullptr;
    SplitStageSourceMulti* fSplitStageSelectSourceMulti_ = nullptr;
    SplitStageCmpEnc* fSplitStageCmpEnc_ = nullptr;
    SplitStageSelDest* fSplitStageSelDest_ = nullptr;
    SplitStageFragSize* fSplitStageFragSize_ = nullptr;
    SplitStageFragRange* fSplitStageFragRange_ = nullptr;
    ucProgressPanel* fSptProgPan_ = nullptr;
    QPushButton* cmdSplitWizHelp_ = nullptr;
    QPushButton* cmdSplitWizReset_ = nullptr;
    QPushButton* cmdSplitWizBack_ = nullptr;
    QPushButton* cmdSplitWizNext_ = nullptr;

private:
    void Build();
    void StoreStages();
    void LoadStages();
    // The frames, the wizard buttons and the generator list as the flow has them, at once.
    void ApplyNav();
    void LockForSplit(bool locked);
    void ConnectNavigation();
    void ConnectSources();
    void ConnectDestination();
    void ConnectOptions();
    void ConnectSizes();
    void ConnectRange();
    QWidget* StageFrame(SplitFrame f) const;

    // A box whose typed value is checked when the focus leaves it; a refused value keeps the
    // focus and stays refused until it passes.
    struct CheckedBox {
        QLineEdit* box;
        std::function<bool()> check;
        std::function<void()> after;  // what leaving the box does once its value passes
        bool refused = false;
    };
    void Checked(QLineEdit* box, std::function<bool()> check, std::function<void()> after);
    bool RunCheck(CheckedBox& c);
    // Next and Back go on only when every box of the stage shown that is refused, or edited
    // since its last check, passes its check again.
    bool StageBoxesPass();

    std::unique_ptr<PanelView> panelView_;
    std::unique_ptr<QtWizardWindows> ownWindows_;
    std::unique_ptr<SplitWizardFlow> flow_;
    std::unique_ptr<SplitRunner> runner_;
    ActiveSplitter& splitter_;
    std::function<void(bool)> setBusy_;
    std::deque<CheckedBox> checkedBoxes_;
    // The box refused as a wizard button's press took the focus from it: that press has had
    // its box already.
    QPointer<QLineEdit> refusedOnLeaving_;
    int depth_ = 0;
};

}  // namespace kb
