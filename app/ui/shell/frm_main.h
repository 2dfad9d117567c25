#pragma once
// The program's one main window: four pages behind the tab strip `Tabs` (the front page, the
// splitter wizard, the assembler wizard and the configuration pages), the busy flag that
// guards closing, and the order in which the window starts and shuts down.
//
// The pages' own behaviour lives with each page; this window owns their frames, the
// creation steps that fill them, the tab switching with its plug-in notice, and closing.

#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/ui/common/widgets.h"

class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class QTabBar;

namespace kb {

class ActiveSplitter;
class CloseSignals;
class FrontPage;
class MainWindowMessages;
class OptionsPage;
class PluginHost;
class SplitStageSourceMulti;
class SplitWizard;
class TipOfTheDay;
class UnattendedClose;
class ucAssembler;
class ucProgressPanel;

class frmMain : public QWidget {
    Q_OBJECT

public:
    // Runs the initialise steps, which load the window (its load steps) on the way. The
    // window is not shown. The window makes and owns its plug-in host unless it is handed one
    // that outlives it (a test's).
    explicit frmMain(PluginHost* plugins = nullptr);
    // The window object's final release: every plug-in slot is unloaded.
    ~frmMain() override;

    // Hands the program's command line to the wizards, once, at the end of start-up.
    void HandleArguments();

    // Selects the tab of a key ("Frontpage", "Splitter", "Assembler", "Options"), which runs
    // the tab strip's click handling as a user's click would.
    void SelectTab(const std::string& key);
    // The key of the selected tab.
    std::string SelectedTabKey() const;

    // Asked before the window closes: UnloadMode 0 for the user's close, 1 for a close from
    // code, 2 for the end of the desktop session. Setting Cancel keeps the window open.
    void Form_QueryUnload(bool& Cancel, int UnloadMode);
    // The plug-ins' closing notice, the window side of message forwarding taken away, and the
    // temporary files deleted.
    void Form_Unload(bool& Cancel);

    // From now on SIGTERM, SIGINT and SIGHUP close the window as CloseUnattended does.
    void CloseOnSignals();
    // A close the session asks for, with nobody to answer: agreed without the busy question,
    // a running split stops without saving, and every box is answered without being shown.
    void CloseUnattended();

    // True while the splitter wizard prepares data or a split runs.
    bool SplitBusy = false;
    // True while the assembler wizard joins, decrypts or unpacks.
    bool AssembleBusy = false;
    bool FormLoading = false;

    ActiveSplitter& Splitter() { return *splitter_; }
    // The program's plug-in host.
    PluginHost& Plugins() { return *plugins_; }
    SplitWizard& SplitterWizard() { return *fSplitPanel_; }
    OptionsPage& Options() { return *fOptPanel_; }
    FrontPage& Front() { return *fWelcome_; }
    ucProgressPanel* fSptProgPan();
    ucAssembler* fAssPanel() { return fAssPanel_; }
    // The program's help file.
    const std::string& HelpFile() const { return helpFile_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Initialize();
    void Form_Load();
    // The first use of a control loads the window.
    void EnsureLoaded();
    void Tabs_Click();
    void Form_Terminate();
    void CloseOtherWindows();

    // Steps of the pages that their own code fills in.
    void cmdOptGenCancel_Click();
    void cmdOptGenReset_Click();
    void cmdSplitWizReset_Click();
    void WelcomeTabs_Click();
    // Runs the split the wizard's stages set up.
    void SplitFromWizard();
    void SetSplitBusy(bool busy);
    // A new segment size reaches the splitter and the assembler wizard; while either works it
    // waits until both are idle, so that a running split or join keeps its size.
    void ApplySegmentSize(int32_t bytes);
    // Around a split resumed from the front page: the window locked, the progress panel in
    // the wizard's place; unlocked, the wizard reset and the front page shown again.
    void LockForResumedSplit(bool locked);
    // Runs the split the splitter took over from a task file.
    void ResumeSplit(const std::string& path);

    // The command line's split hand-over: one file to the single-file stage, anything else to
    // the multi-file list.
    void SplitArguments(const std::vector<std::string>& items);
    void AddSplitArgument(SplitStageSourceMulti& multi, const std::string& item);

    void cmdTipNext_Click();
    void cmdTipPrevious_Click();
    void cmdAbout_Click();

    void BuildWindow();
    QWidget* BuildFrontPage();
    QWidget* BuildSplitterPage();
    // Right-click help for the controls that offer it.
    void GiveWhatsThisTopics(SplitWizard& wizard);
    ucAssembler* BuildAssemblerPage();

    bool loaded_ = false;
    bool unloaded_ = false;
    std::unique_ptr<PluginHost> ownPlugins_;
    PluginHost* plugins_ = nullptr;
    std::unique_ptr<ActiveSplitter> splitter_;
    std::unique_ptr<TipOfTheDay> tips_;
    std::string helpFile_;
    MainWindowMessages* messages_ = nullptr;

    QTabBar* Tabs_ = nullptr;
    FrontPage* fWelcome_ = nullptr;
    SplitWizard* fSplitPanel_ = nullptr;
    ucAssembler* fAssPanel_ = nullptr;
    // A close answered with OK while a join or split ran happens once it has stopped.
    bool closeWhenIdle_ = false;
    std::unique_ptr<CloseSignals> closeSignals_;
    std::unique_ptr<UnattendedClose> unattended_;
    // The segment size last chosen on the options page (0: none waiting).
    int32_t pendingSegment_ = 0;
    OptionsPage* fOptPanel_ = nullptr;

    QLabel* lblTipContent_ = nullptr;
};

}  // namespace kb
