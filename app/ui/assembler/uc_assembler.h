#pragma once
// The assembler wizard: choose the first piece of a set, choose the destination folder, then
// join, decrypt and unpack on the third page. The pages and buttons live here; the join and
// everything after it live in AssemblerFlow.

#include <QFrame>

#include <functional>
#include <memory>
#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace kb {

class AssemblerFlow;
struct AssembleOutcome;
class DriveList;
class FolderList;
class PanelView;
class QtWizardWindows;
class PluginHost;
class WizardWindows;
class ucProgressPanel;

class ucAssembler : public QFrame {
    Q_OBJECT

public:
    // `windows` answers the password and disk windows (nullptr: the real ones over this
    // window's top-level window); `plugins` is the host whose plug-ins the join involves.
    ucAssembler(QWidget* parent, WizardWindows* windows, PluginHost& plugins);
    ~ucAssembler() override;

    // Resumes an unfinished join; false when the task could not be taken up. The join itself
    // keeps or removes its task file.
    bool ResumeFrom(const std::string& TaskFile);
    void cmdReset_Click();
    void SetSrcToAssemble(const std::string& Src);
    int32_t SegmentSize() const;
    void SetSegmentSize(int32_t bytes);
    bool WizardUsed() const { return wizardUsed_; }

    // Called with true when a join starts and false when it and its post-processing end.
    std::function<void(bool)> onBusy;

    AssemblerFlow& Flow() { return *flow_; }
    int16_t CurrentPage() const { return currentPage_; }
    // The destination: the folder chosen in the folder list (Chosen(), not only the open one).
    std::string DestPath() const;
    void SetDestPath(const std::string& path);
    // The set's description as written (lines end in CR LF).
    const std::string& CurrentSetInfo() const { return currentSetInfo_; }

    QPushButton* cmdNext() const { return cmdNext_; }
    QPushButton* cmdBack() const { return cmdBack_; }
    QPushButton* cmdReset() const { return cmdReset_; }
    QPushButton* cmdSelectSrcToAssemble() const { return cmdSelectSrcToAssemble_; }
    QPushButton* cmdAssDestMkdir() const { return cmdAssDestMkdir_; }
    QPushButton* cmdAssDestDesktop() const { return cmdAssDestDesktop_; }
    QPushButton* cmdAssDestMyDocs() const { return cmdAssDestMyDocs_; }
    ucProgressPanel* fProgpan() const { return fProgpan_; }
    QFrame* fWelcome() const { return fWelcome_; }
    QFrame* fSelectDest() const { return fSelectDest_; }
    QFrame* fFinished() const { return fFinished_; }
    // The last page's heading ("Finished!" only for a whole result) and what it says below.
    QLabel* lblFinished() const { return lblFinished_; }
    QLabel* lblOutcome() const { return lblOutcome_; }

private:
    void BuildWelcomePage();
    void BuildDestPage();
    void BuildRunPage();
    void HideWizardPage();
    void ShowWizardPage();
    void RunPage();
    void Finished(const AssembleOutcome& outcome);
    void cmdNext_Click();
    void cmdBack_Click();
    void cmdHelp_Click();
    void cmdSelectSrcToAssemble_Click();
    void drvAssDest_Change();
    void dirAssDest_Change();
    void MoveDestTo(const std::string& folder);
    void cmdAssDestDesktop_Click();
    void cmdAssDestMyDocs_Click();
    void cmdAssDestMkdir_Click();

    PluginHost& plugins_;
    std::unique_ptr<QtWizardWindows> ownWindows_;
    std::unique_ptr<PanelView> panelView_;
    std::unique_ptr<AssemblerFlow> flow_;
    int16_t currentPage_ = 0;
    bool wizardUsed_ = false;
    std::string currentSetInfo_;

    QFrame* stages_ = nullptr;
    QFrame* fWelcome_ = nullptr;
    QLabel* lblWelcome_ = nullptr;
    QPlainTextEdit* txtCurrentSetInfo_ = nullptr;
    QPushButton* cmdSelectSrcToAssemble_ = nullptr;
    QFrame* fSelectDest_ = nullptr;
    DriveList* drvAssDest_ = nullptr;
    FolderList* dirAssDest_ = nullptr;
    QPushButton* cmdAssDestMkdir_ = nullptr;
    QPushButton* cmdAssDestDesktop_ = nullptr;
    QPushButton* cmdAssDestMyDocs_ = nullptr;
    ucProgressPanel* fProgpan_ = nullptr;
    QFrame* fFinished_ = nullptr;
    QLabel* lblFinished_ = nullptr;
    QLabel* lblOutcome_ = nullptr;
    QPushButton* cmdNext_ = nullptr;
    QPushButton* cmdBack_ = nullptr;
    QPushButton* cmdReset_ = nullptr;
    QPushButton* cmdHelp_ = nullptr;
};

}  // namespace kb
