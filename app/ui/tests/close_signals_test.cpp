// The session's requests to end the program (SIGTERM at logout, SIGINT, SIGHUP) close the main
// window as a close nobody is there to answer: a split under way stops without saving, and no
// box or window is left waiting for a user.
#include <signal.h>

#include <QApplication>
#include <QDialog>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>

#include "app/core/active_splitter.h"
#include "app/core/kb_error.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/core/testing/temp_folder.h"
#include "app/ui/common/qt_prompter.h"
#include "app/ui/shell/close_signals.h"
#include "app/ui/shell/unattended_close.h"
#include "app/ui/tests/split_run_fixture.h"

namespace kb {
namespace {

namespace fs = std::filesystem;
using testing::ReadAll;

std::vector<std::string> TaskFilesBelow(const std::string& folder) {
    std::vector<std::string> found;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->path().extension() == ".uft") found.push_back(it->path().string());
    return found;
}

class UnattendedCloseTest : public testing::SplitRunTest {};

TEST_F(UnattendedCloseTest, ASignalDuringASplitStopsItUnsavedAndEndsTheProgram) {
    struct Case {
        int sig;
        bool boxOpen;  // the user has clicked Cancel, and the question is on the screen
    };
    for (const Case c : {Case{SIGTERM, false}, Case{SIGINT, false}, Case{SIGHUP, false},
                         Case{SIGTERM, true}}) {
        SCOPED_TRACE(std::string(strsignal(c.sig)) + (c.boxOpen ? ", a box open" : ""));
        const std::string data = MakeFile(source.File("data.bin"), 2 << 20);
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("KESTRELBINDER_HOME", QString::fromStdString(home.Path()));
        env.insert("KESTRELBINDER_REGISTRY", QString::fromStdString(registryFolder.Path()));
        env.insert("TMPDIR", QString::fromStdString(tmpFolder.Path()));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QStringList arguments = {QString::fromStdString(source.File("data.bin")),
                                 QString::fromStdString(dest.Path())};
        if (c.boxOpen) arguments << "cancel";
        child.start(KB_UI_SIGNAL_CHILD, arguments);
        ASSERT_TRUE(child.waitForStarted());
        const QByteArray wanted = c.boxOpen ? "asking" : "splitting";
        QByteArray said;
        while (!said.contains(wanted) && child.waitForReadyRead(20000)) said += child.readAll();
        ASSERT_TRUE(said.contains(wanted)) << said.toStdString();
        EXPECT_TRUE(fs::exists(dest.File("data.001"))) << "pieces are being written";

        ::kill(static_cast<pid_t>(child.processId()), c.sig);
        const bool ended = child.waitForFinished(15000);
        if (!ended) child.kill();
        ASSERT_TRUE(ended) << "the program waits for someone to answer";
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(child.exitCode(), 0);
        // Stopped without saving: no piece stays, whole or not, and no task was written.
        EXPECT_TRUE(fs::is_empty(dest.Path()));
        EXPECT_TRUE(TaskFilesBelow(home.Path()).empty());
        EXPECT_EQ(ReadAll(source.File("data.bin")), data);
    }
}

// Every file of a folder with its bytes.
std::map<std::string, std::string> BytesIn(const std::string& folder) {
    std::map<std::string, std::string> all;
    for (const auto& e : fs::directory_iterator(folder))
        all[e.path().filename().string()] = ReadAll(e.path().string());
    return all;
}

// Stops a split at a given chunk and saves it as a task.
class StopAndSaveAt : public ActiveSplitterEvents {
public:
    StopAndSaveAt(int at, std::string task) : at_(at), task_(std::move(task)) {}
    void SplitInterval(int32_t, int32_t, bool& cancel, std::string& save) override {
        if (++chunks_ != at_) return;
        cancel = true;
        save = task_;
    }

private:
    int at_;
    std::string task_;
    int chunks_ = 0;
};

// A split resumed from the front page and ended by the session stops without saving, which
// for a resumed split means going back to its task: what earlier sessions made is kept.
TEST_F(UnattendedCloseTest, ASignalDuringAResumedSplitGoesBackToItsTask) {
    MakeFile(source.File("data.bin"), 2 << 20);
    const std::string task = home.File("Unfinished Tasks/resumed job.uft");
    fs::create_directories(home.File("Unfinished Tasks"));
    {
        // Pieces of 256 kb, 16 chunks each: saved inside piece 2.
        ActiveSplitter s;
        StopAndSaveAt stop(20, task);
        s.SetListener(&stop);
        s.SetBigFile(source.File("data.bin"));
        s.FilenameToStore = "data.bin";
        s.SetDestinationFolder(dest.Path());
        s.SetFragmentSize(int64_t{256 << 10});
        s.SegmentSize = 16384;
        ASSERT_EQ(s.Split(), -1);
    }
    const auto saved = BytesIn(dest.Path());
    const std::string savedTask = ReadAll(task);
    ASSERT_EQ(saved.size(), 2u);

    testing::TempFolder userData;
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("KESTRELBINDER_HOME", QString::fromStdString(home.Path()));
    env.insert("KESTRELBINDER_REGISTRY", QString::fromStdString(registryFolder.Path()));
    env.insert("XDG_DATA_HOME", QString::fromStdString(userData.Path()));
    env.insert("TMPDIR", QString::fromStdString(tmpFolder.Path()));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(KB_UI_SIGNAL_CHILD, {"resume", "resumed job"});
    ASSERT_TRUE(child.waitForStarted());
    QByteArray said;
    while (!said.contains("splitting") && child.waitForReadyRead(20000)) said += child.readAll();
    ASSERT_TRUE(said.contains("splitting")) << said.toStdString();
    // Piece 2 is finished and piece 3 begun.
    EXPECT_TRUE(fs::exists(dest.File("data.003")));

    ::kill(static_cast<pid_t>(child.processId()), SIGTERM);
    const bool ended = child.waitForFinished(15000);
    if (!ended) child.kill();
    ASSERT_TRUE(ended) << "the program waits for someone to answer";
    EXPECT_EQ(child.exitCode(), 0);
    EXPECT_TRUE(BytesIn(dest.Path()) == saved);
    EXPECT_EQ(ReadAll(task), savedTask);
}

// Inside the program: the close arrives while a box is open, and more come after.
TEST_F(UnattendedCloseTest, OpenAndLaterBoxesAndWindowsAreAnsweredWithoutAUser) {
    QtPrompter real;
    ScopedPrompter scoped(real);
    std::unique_ptr<UnattendedClose> closing;
    // The box is open when the close comes: it is answered No.
    QTimer::singleShot(0, [&closing] { closing = std::make_unique<UnattendedClose>(); });
    EXPECT_EQ(MsgBox("Save your progress?", mb::YesNoCancel | mb::DefaultButton3, "Split cancelled"),
              Answer::No);
    ASSERT_NE(closing, nullptr);
    // Later ones are never shown; should one keep coming back, Cancel, and then the end.
    QTimer watch;
    bool shown = false;
    QObject::connect(&watch, &QTimer::timeout, [&shown] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            shown = true;
            w->close();
        }
    });
    watch.start(50);
    EXPECT_EQ(MsgBox("Try again?", mb::RetryCancel, "Problem writing data"), Answer::Cancel);
    EXPECT_EQ(MsgBox("Abort?", mb::AbortRetryIgnore, "Problem"), Answer::Abort);
    EXPECT_EQ(MsgBox("Done.", mb::OKOnly, "Finished"), Answer::OK);
    EXPECT_EQ(InputBox("Name of the task", "Save progress", "Unnamed Split"), "");
    for (Answer a : {Answer::No, Answer::No, Answer::Cancel, Answer::Cancel})
        EXPECT_EQ(MsgBox("Format it? No tries again.", mb::YesNoCancel, "Disk unavailable"), a);
    {
        testing::ScriptedPrompter inner;
        UnattendedPrompter p(inner);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(p.MsgBox("Sure?", mb::YesNo, "Please confirm"), Answer::No);
        EXPECT_THROW(p.MsgBox("Sure?", mb::YesNo, "Please confirm"), ProgramEnded);
        EXPECT_TRUE(inner.ended);
        EXPECT_TRUE(inner.boxes.empty());
    }
    // A window that opens later is closed as its close button would.
    QDialog dialog;
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_FALSE(shown) << "a box was shown";
    closing.reset();
    EXPECT_EQ(&Prompt(), &real);
}

// A signal that arrives while a box without No is open: the box takes the answer that stops
// work, never its OK (which for "Not enough disk space" would go on to format the disk).
TEST_F(UnattendedCloseTest, ABoxOpenWhenASignalArrivesIsAnsweredWithItsStoppingButton) {
    QtPrompter real;
    ScopedPrompter scoped(real);
    const struct {
        int style;
        Answer answer;
    } cases[] = {{mb::OKCancel | mb::Exclamation, Answer::Cancel},
                 {mb::AbortRetryIgnore | mb::DefaultButton2, Answer::Abort}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.style);
        std::unique_ptr<UnattendedClose> closing;
        CloseSignals handler([&closing] { closing = std::make_unique<UnattendedClose>(); });
        QTimer::singleShot(0, [] { ::raise(SIGTERM); });
        EXPECT_EQ(MsgBox("There is not enough disk space on the destination drive. Would you like "
                         "to format this disk now?",
                         c.style, "Not enough disk space"),
                  c.answer);
        EXPECT_NE(closing, nullptr) << "the signal was not handled while the box was open";
    }
}

TEST_F(UnattendedCloseTest, DuringASplitTheWindowClosesWithoutABoxAndSavesNothing) {
    MakeFile(source.File("data.bin"), 300'000);
    Open();
    ToOptions("data.bin");
    ToRange(50);
    prompter.OnDoEvents([this, n = 0]() mutable {
        if (++n == 3) window->CloseUnattended();
    });
    Click("cmdSplitWizNext");
    QCoreApplication::processEvents();
    EXPECT_TRUE(prompter.boxes.empty());
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(fs::is_empty(dest.Path()));
    EXPECT_TRUE(TaskFilesBelow(home.Path()).empty());
}

}  // namespace
}  // namespace kb
