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

class UnattendedCloseTest : public testing::SplitRunTest {
protected:
    // Starts the child program with the home, registry and temporary folder of the test, and a
    // user's data folder when one is named.
    void Start(QProcess& child, const QStringList& arguments, const std::string& userData = "") {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("KESTRELBINDER_HOME", QString::fromStdString(home.Path()));
        env.insert("KESTRELBINDER_REGISTRY", QString::fromStdString(registryFolder.Path()));
        if (!userData.empty()) env.insert("XDG_DATA_HOME", QString::fromStdString(userData));
        env.insert("TMPDIR", QString::fromStdString(tmpFolder.Path()));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(KB_UI_SIGNAL_CHILD, arguments);
        ASSERT_TRUE(child.waitForStarted());
    }
    // Waits for the child to say `wanted`.
    static void WaitFor(QProcess& child, const QByteArray& wanted) {
        QByteArray said;
        while (!said.contains(wanted) && child.waitForReadyRead(20000)) said += child.readAll();
        ASSERT_TRUE(said.contains(wanted)) << said.toStdString();
    }
    // Sends the signal and waits for the child to end of it.
    static void EndWith(QProcess& child, int sig) {
        ::kill(static_cast<pid_t>(child.processId()), sig);
        const bool ended = child.waitForFinished(15000);
        if (!ended) child.kill();
        ASSERT_TRUE(ended) << "the program waits for someone to answer";
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(child.exitCode(), 0);
    }
};

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
        QStringList arguments = {QString::fromStdString(source.File("data.bin")),
                                 QString::fromStdString(dest.Path())};
        if (c.boxOpen) arguments << "cancel";
        ASSERT_NO_FATAL_FAILURE(Start(child, arguments));
        ASSERT_NO_FATAL_FAILURE(WaitFor(child, c.boxOpen ? "asking" : "splitting"));
        EXPECT_TRUE(fs::exists(dest.File("data.001"))) << "pieces are being written";
        ASSERT_NO_FATAL_FAILURE(EndWith(child, c.sig));
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

// Stops a split or a join at a given chunk and saves it as a task.
class StopAndSaveAt : public ActiveSplitterEvents, public AssemblerListener {
public:
    StopAndSaveAt(int at, std::string task) : at_(at), task_(std::move(task)) {}
    void SplitInterval(int32_t, int32_t, bool& cancel, std::string& save) override {
        Stop(cancel, save);
    }
    void AssembleInterval(int32_t, int32_t, bool& cancel, std::string& save) override {
        Stop(cancel, save);
    }

private:
    void Stop(bool& cancel, std::string& save) {
        if (++chunks_ != at_) return;
        cancel = true;
        save = task_;
    }

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
    ASSERT_NO_FATAL_FAILURE(Start(child, {"resume", "resumed job"}, userData.Path()));
    ASSERT_NO_FATAL_FAILURE(WaitFor(child, "splitting"));
    // Piece 2 is finished and piece 3 begun.
    EXPECT_TRUE(fs::exists(dest.File("data.003")));
    ASSERT_NO_FATAL_FAILURE(EndWith(child, SIGTERM));
    EXPECT_TRUE(BytesIn(dest.Path()) == saved);
    EXPECT_EQ(ReadAll(task), savedTask);
}

// A join resumed from the front page whose cancel question is open when the session ends is
// answered No, which for a resumed join means going back to its task: the task stays as it
// was, and so does what its join wrote so far.
TEST_F(UnattendedCloseTest, ASignalWhileAResumedJoinAsksGoesBackToItsTask) {
    MakeFile(source.File("data.bin"), 2 << 20);
    const std::string task = home.File("Unfinished Tasks/resumed join.uft");
    fs::create_directories(home.File("Unfinished Tasks"));
    testing::TempFolder joined;
    {
        ActiveSplitter s;
        s.SetBigFile(source.File("data.bin"));
        s.FilenameToStore = "data.bin";
        s.SetDestinationFolder(dest.Path());
        s.SetFragmentSize(int64_t{256 << 10});
        s.SegmentSize = 65536;
        ASSERT_EQ(s.Split(), 1);
        // Chunks of 16 kb: saved inside piece 2.
        ActiveAssembler a;
        StopAndSaveAt stop(20, task);
        a.SetListener(&stop);
        a.SetFileToAssemble(dest.File("data.001"));
        a.SetDestinationFolder(joined.Path());
        a.SegmentSize = 16384;
        std::string d = joined.Path();
        ASSERT_EQ(a.Assemble(d), 1);
    }
    const std::string part = joined.File("data.bin.part");
    const std::string savedTask = ReadAll(task), savedPart = ReadAll(part);
    ASSERT_FALSE(savedPart.empty());

    testing::TempFolder userData;
    QProcess child;
    ASSERT_NO_FATAL_FAILURE(Start(child, {"resume", "resumed join", "cancel"}, userData.Path()));
    ASSERT_NO_FATAL_FAILURE(WaitFor(child, "asking"));
    ASSERT_NO_FATAL_FAILURE(EndWith(child, SIGTERM));
    EXPECT_EQ(ReadAll(task), savedTask);
    const std::string kept = ReadAll(part);
    EXPECT_GT(kept.size(), savedPart.size());
    EXPECT_TRUE(kept.substr(0, savedPart.size()) == savedPart);
    EXPECT_FALSE(fs::exists(joined.File("data.bin")));
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
