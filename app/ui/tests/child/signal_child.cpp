// A child process for the signal tests: the program's start-up with its real boxes, then a
// split of the file named by the first argument into the folder named by the second, clicked
// through the wizard as a user would. Once the split is under way it writes "splitting" on its
// standard output and slows down, so that the test can send its signal meanwhile. With a third
// argument "cancel" it then clicks the progress panel's Cancel too, and writes "asking" once
// the question that follows is open. With the arguments "resume" and a task's name it resumes
// that unfinished task, a split or a join, from the front page instead, writing "splitting" or
// "joining" once it is under way; "cancel" after them clicks Cancel there too.
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "app/core/active_splitter.h"
#include "app/core/prompter.h"
#include "app/ui/common/qt_dialogs.h"
#include "app/ui/common/qt_prompter.h"
#include "app/ui/assembler/uc_assembler.h"
#include "app/ui/common/uc_progress_panel.h"
#include "app/ui/options/opt_gen_frame.h"
#include "app/ui/options/options_page.h"
#include "app/ui/shell/frm_main.h"
#include "app/ui/shell/front_page.h"
#include "app/ui/shell/startup.h"

namespace {

constexpr int kSignalAt = 20;

class SlowPrompter : public kb::Prompter {
public:
    SlowPrompter(kb::Prompter& inner, kb::frmMain* const& window, bool cancel)
        : inner_(inner), window_(window), cancel_(cancel) {}
    kb::Answer MsgBox(const std::string& text, int style, const std::string& title) override {
        // Said from inside the box's own event loop, so the box is open.
        QTimer::singleShot(100, [] {
            std::puts("asking");
            std::fflush(stdout);
        });
        return inner_.MsgBox(text, style, title);
    }
    std::string InputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override {
        return inner_.InputBox(prompt, title, defaultText);
    }
    void DoEvents() override {
        const bool splitting = window_ != nullptr && window_->SplitBusy;
        if ((splitting || (window_ != nullptr && window_->AssembleBusy)) && ++during_ == kSignalAt) {
            std::puts(splitting ? "splitting" : "joining");
            std::fflush(stdout);
            kb::ucProgressPanel* panel =
                splitting ? window_->fSptProgPan() : window_->fAssPanel()->fProgpan();
            if (cancel_) QTest::mouseClick(panel->findChild<QWidget*>("cmdCancel"), Qt::LeftButton);
        }
        if (during_ > 0) std::this_thread::sleep_for(std::chrono::milliseconds(during_ < kSignalAt ? 2 : 20));
        inner_.DoEvents();
    }
    void EndProgram() override { inner_.EndProgram(); }

private:
    kb::Prompter& inner_;
    kb::frmMain* const& window_;
    bool cancel_;
    int during_ = 0;
};

template <class W = QWidget>
W* Child(QWidget& window, const char* name) {
    W* c = window.findChild<W*>(name);
    if (c == nullptr) {
        std::fprintf(stderr, "no control %s\n", name);
        std::exit(3);
    }
    return c;
}

void Click(QWidget& window, const char* name) {
    QWidget* w = Child(window, name);
    // A check box or option button takes a click on its mark.
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(8, w->height() / 2));
}

void Type(QWidget& window, const char* name, const QString& text) {
    auto* box = Child<QLineEdit>(window, name);
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
}

void StartSplit(QWidget& w, const QString& file) {
    Click(w, "cmdSplitWizReset");
    Click(w, "cmdSplitWizNext");
    auto* files = Child<QListWidget>(w, "SingleSplitFile");
    const auto found = files->findItems(file, Qt::MatchExactly);
    if (found.size() != 1) std::exit(4);
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(found[0]).center());
    for (int stage = 2; stage <= 4; ++stage) Click(w, "cmdSplitWizNext");
    Click(w, "optCustomSize");
    Type(w, "txtCustomSize", "256");
    Type(w, "txtFragNamingTemplate", "%f.%N");
    Click(w, "cmdSplitWizNext");
    Click(w, "cmdSplitWizNext");  // the split runs inside this click
}

// Chooses the task on the front page's list of unfinished tasks and clicks OK.
void ResumeTask(kb::frmMain& w, const QString& name) {
    w.SelectTab("Frontpage");
    kb::FrontPage& page = w.Front();
    QTabBar* tabs = page.WelcomeTabs_;
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    const auto found = page.lvStartupTasks_->findItems(name, Qt::MatchExactly);
    if (found.size() != 1) std::exit(4);
    page.lvStartupTasks_->setCurrentItem(found[0]);
    QTest::mouseClick(page.cmdWelcomeOK_, Qt::LeftButton);  // the work runs inside this click
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3 && !(argc == 4 && std::string(argv[3]) == "cancel")) return 2;
    const bool resume = std::string(argv[1]) == "resume";
    const std::filesystem::path source = argv[1];
    kb::QtPrompter real;
    kb::frmMain* shown = nullptr;
    SlowPrompter slow(real, shown, argc == 4);
    kb::ScopedPrompter scoped(slow);
    kb::QtDialogs dialogs;
    kb::SetDialogs(&dialogs);

    std::unique_ptr<kb::frmMain> window = kb::Main("", 0);
    shown = window.get();
    window->Splitter().SegmentSize = 16384;
    kb::OptGenFrame* gen = window->Options().fOptGen_;
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get())) return 5;
    if (resume) {
        const QString task = QString::fromLocal8Bit(argv[2]);
        QTimer::singleShot(0, window.get(), [&window, task] { ResumeTask(*window, task); });
    } else {
        gen->txtOptGenDirSource_->setText(QString::fromStdString(source.parent_path().string()));
        gen->txtOptGenDirDest_->setText(QString::fromLocal8Bit(argv[2]));
        window->SelectTab("Splitter");
        const QString file = QString::fromStdString(source.filename().string());
        QTimer::singleShot(0, window.get(), [&window, file] { StartSplit(*window, file); });
    }
    const int result = QApplication::exec();
    window.reset();
    kb::SetDialogs(nullptr);
    return result;
}
