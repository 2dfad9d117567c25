#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <unistd.h>

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include <stdexcept>

#include "app/core/active_splitter.h"
#include "app/core/reg_access.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/pluginhost/plugin_text.h"
#include "app/ui/common/panel_view.h"
#include "app/ui/common/plugin_host_callback.h"
#include "app/ui/common/uc_progress_panel.h"
#include "app/ui/common/window_handles.h"
#include "app/ui/shell/main_window_messages.h"
#include "app/ui/tests/ui_fixture.h"

namespace kb {
namespace {

using testing::ScriptedPrompter;
using testing::UiTest;

// A window that counts the custom events it gets to handle itself.
class CountingWindow : public QWidget {
public:
    int handled = 0;

protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) ++handled;
        return QWidget::event(e);
    }
};

// A plug-in's string variable, freed at the end.
struct Text {
    explicit Text(const std::string& s) : handle(MakePluginBstr(s)) {}
    Text(const char* bytes, uint32_t n) : handle(PluginBstrAlloc(bytes, n)) {}
    ~Text() { PluginBstrFree(handle); }
    std::string Value() const { return PluginBstrText(handle); }
    PluginBstr handle;
};

class HostCallbackTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        messages = new MainWindowMessages(&window);
        host.PluginMainWindow = messages;
    }
    void TearDown() override {
        host.PluginMainWindow = nullptr;
        host.PluginSplitter = nullptr;
        UiTest::TearDown();
    }
    int32_t Call(int32_t code, PluginBstr* p = nullptr, PluginBstr* q = nullptr) {
        return PluginHostCallback(code, p, q, &r, &s);
    }

    CountingWindow window;
    MainWindowMessages* messages = nullptr;
    int32_t r = 0;
    int32_t s = 0;
};

TEST_F(HostCallbackTest, QuestionsAboutTheProgram) {
    EXPECT_EQ(Call(99), PLUGIN_CB_UNKNOWN_CODE);
    EXPECT_EQ(Call(PLUGIN_CB_GET_MAIN_WINDOW), PLUGIN_OK);
    EXPECT_NE(r, 0);
    EXPECT_EQ(r, WindowHandleOf(&window));
    EXPECT_EQ(Call(PLUGIN_CB_GET_HOST_VERSION), PLUGIN_OK);
    EXPECT_EQ(r, 4);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(Call(PLUGIN_CB_GET_INSTANCE), PLUGIN_OK);
    EXPECT_EQ(r, static_cast<int32_t>(getpid()));
    s = 5;
    EXPECT_EQ(Call(PLUGIN_CB_RESERVED), PLUGIN_OK);
    EXPECT_EQ(s, 0);
    // A missing argument address is a failure, not a crash.
    EXPECT_EQ(PluginHostCallback(PLUGIN_CB_GET_HOST_VERSION, nullptr, nullptr, nullptr, nullptr),
              PLUGIN_CB_FAILED);
}

TEST_F(HostCallbackTest, SubclassingForwardsWindowEventsToThePlugin) {
    const std::string path = LoadEnabledRecorder("recorder.so");
    RecorderState* rec = Record(path);
    ASSERT_NE(rec, nullptr);

    EXPECT_EQ(Call(PLUGIN_CB_SUBCLASS_MAIN_WINDOW), PLUGIN_OK);
    EXPECT_NE(host.OldWindowProc, 0);
    EXPECT_EQ(Call(PLUGIN_CB_SUBCLASS_MAIN_WINDOW), PLUGIN_CB_REFUSED);

    // Result 0 swallows the event; any other result lets the window have it.
    rec->windowResult = 0;
    const int before = Count(rec, PLUGIN_EVT_WINDOW_MESSAGE);
    QEvent swallowed(QEvent::User);
    QCoreApplication::sendEvent(&window, &swallowed);
    EXPECT_EQ(window.handled, 0);
    EXPECT_EQ(Count(rec, PLUGIN_EVT_WINDOW_MESSAGE), before + 1);
    EXPECT_EQ(rec->messages[rec->count - 1], static_cast<int32_t>(QEvent::User));
    rec->windowResult = 1;
    QEvent passed(QEvent::User);
    QCoreApplication::sendEvent(&window, &passed);
    EXPECT_EQ(window.handled, 1);

    EXPECT_EQ(Call(PLUGIN_CB_UNSUBCLASS_MAIN_WINDOW), PLUGIN_OK);
    EXPECT_EQ(host.OldWindowProc, 0);
    EXPECT_EQ(Call(PLUGIN_CB_UNSUBCLASS_MAIN_WINDOW), PLUGIN_OK);
    rec->windowResult = 0;
    const int after = Count(rec, PLUGIN_EVT_WINDOW_MESSAGE);
    QEvent free(QEvent::User);
    QCoreApplication::sendEvent(&window, &free);
    EXPECT_EQ(window.handled, 2);
    EXPECT_EQ(Count(rec, PLUGIN_EVT_WINDOW_MESSAGE), after);
}

TEST(MainWindowMessages, EventsBecomeMessagesWithTheirParameters) {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_F1, Qt::ShiftModifier);
    QResizeEvent resize(QSize(640, 480), QSize(10, 10));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(12, 34), QPointF(12, 34), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QEvent other(QEvent::User);
    struct Case {
        QEvent* event;
        int32_t message, wParam, lParam;
    };
    const Case cases[] = {
        {&key, QEvent::KeyPress, Qt::Key_F1, static_cast<int32_t>(Qt::ShiftModifier)},
        {&resize, QEvent::Resize, 0, (480 << 16) | 640},
        {&press, QEvent::MouseButtonPress, Qt::LeftButton, (34 << 16) | 12},
        {&other, QEvent::User, 0, 0},
    };
    for (const Case& c : cases) {
        const auto m = MainWindowMessages::MessageOf(c.event);
        EXPECT_EQ(m.message, c.message);
        EXPECT_EQ(m.wParam, c.wParam) << c.message;
        EXPECT_EQ(m.lParam, c.lParam) << c.message;
    }
}

TEST_F(HostCallbackTest, FindsControlWindowsByNameAndIndex) {
    auto* box = new QLineEdit(&window);
    box->setObjectName("txtFragNamingTemplate");
    QPushButton* option[3];
    for (int i = 0; i < 3; ++i) {
        option[i] = new QPushButton(&window);
        option[i]->setObjectName("optFileFormatting");
        option[i]->setProperty("index", i);
    }
    (new QLabel(&window))->setObjectName("lblVersion");
    new QWidget(&window);  // as the parts Qt builds inside its widgets: no name

    struct Case {
        const char* name;
        int32_t index;
        QWidget* found;
    };
    const Case cases[] = {
        {"TXTFRAGNAMINGTEMPLATE", 0, box}, {"txtfragnamingtemplate", 9, box},
        {"optFileFormatting", 2, option[2]}, {"optfileformatting", 0, option[0]},
        {"optFileFormatting", 3, nullptr}, {"cmdNoSuchButton", 0, nullptr},
        {"lblVersion", 0, nullptr},  // a label has no window of its own
        {"", 0, nullptr},            // Qt's own unnamed parts are no controls
    };
    for (const Case& c : cases) {
        Text p(c.name);
        r = 77;
        s = c.index;
        const int32_t result = Call(PLUGIN_CB_FIND_CONTROL_WINDOW, &p.handle);
        EXPECT_EQ(result, c.found ? PLUGIN_OK : PLUGIN_CB_REFUSED) << c.name;
        EXPECT_EQ(r, c.found ? WindowHandleOf(c.found) : 0) << c.name;
    }
    // The name is cut at its first NUL.
    Text cut("txtFragNamingTemplate\0x", 23);
    EXPECT_EQ(Call(PLUGIN_CB_FIND_CONTROL_WINDOW, &cut.handle), PLUGIN_OK);
}

TEST_F(HostCallbackTest, RegistryStringsUnderEitherRoot) {
    Text place("Tip:Software\\X");
    Text value("hello");
    r = 0;
    EXPECT_EQ(Call(PLUGIN_CB_REGISTRY_WRITE, &place.handle, &value.handle), PLUGIN_OK);
    EXPECT_EQ(RegReadString(platform::HKEY_CURRENT_USER, "Software\\X", "Tip"), "hello");
    EXPECT_EQ(RegReadString(platform::HKEY_LOCAL_MACHINE, "Software\\X", "Tip"), "");

    Text back("old");
    EXPECT_EQ(Call(PLUGIN_CB_REGISTRY_READ, &place.handle, &back.handle), PLUGIN_OK);
    EXPECT_EQ(back.Value(), "hello");

    r = 1;
    Text machineValue("m");
    EXPECT_EQ(Call(PLUGIN_CB_REGISTRY_WRITE, &place.handle, &machineValue.handle), PLUGIN_OK);
    EXPECT_EQ(RegReadString(platform::HKEY_LOCAL_MACHINE, "Software\\X", "Tip"), "m");

    // Missing values and a place without ":" fail and leave Q alone.
    r = 0;
    Text missing("Nothing:Software\\X");
    Text untouched("keep");
    EXPECT_EQ(Call(PLUGIN_CB_REGISTRY_READ, &missing.handle, &untouched.handle), PLUGIN_CB_FAILED);
    EXPECT_EQ(untouched.Value(), "keep");
    Text noColon("Software\\X");
    EXPECT_EQ(Call(PLUGIN_CB_REGISTRY_READ, &noColon.handle, &untouched.handle), PLUGIN_CB_FAILED);
    EXPECT_EQ(Call(PLUGIN_CB_REGISTRY_WRITE, &noColon.handle, &value.handle), PLUGIN_CB_FAILED);
    EXPECT_EQ(untouched.Value(), "keep");

    // An empty text is stored as one blank.
    Text empty("");
    EXPECT_EQ(Call(PLUGIN_CB_REGISTRY_WRITE, &place.handle, &empty.handle), PLUGIN_OK);
    EXPECT_EQ(RegReadString(platform::HKEY_CURRENT_USER, "Software\\X", "Tip"), " ");
}

TEST_F(HostCallbackTest, FragmentNameFromTheMainWindowsSplitter) {
    Text name("before");
    r = 3;
    EXPECT_EQ(Call(PLUGIN_CB_GET_FRAGMENT_NAME, &name.handle), PLUGIN_CB_FAILED);
    EXPECT_EQ(name.Value(), "before");

    ActiveSplitter splitter;
    splitter.FilenameToStore = "a.zip";
    splitter.FragNamingTemplate = "%f.%N";
    host.PluginSplitter = &splitter;
    EXPECT_EQ(Call(PLUGIN_CB_GET_FRAGMENT_NAME, &name.handle), PLUGIN_OK);
    EXPECT_EQ(name.Value(), "a.003");
}

TEST_F(HostCallbackTest, ShowsTheResultInABox) {
    ScriptedPrompter prompter;
    prompter.Answer(Answer::OK);
    r = -42;
    EXPECT_EQ(Call(PLUGIN_CB_SHOW_RESULT), PLUGIN_OK);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, "Result: -42");
    EXPECT_EQ(prompter.boxes[0].title, kAppTitle);
    EXPECT_EQ(prompter.boxes[0].style, mb::OKOnly);
}

// A box that cannot be shown: what the callback runs may fail in any way.
class FailingPrompter : public ScriptedPrompter {
public:
    kb::Answer MsgBox(const std::string&, int, const std::string&) override {
        throw std::runtime_error("no box");
    }
};

TEST_F(HostCallbackTest, AFailureInsideNeverCrossesIntoThePlugin) {
    FailingPrompter prompter;
    r = 1;
    int32_t result = PLUGIN_OK;
    EXPECT_NO_THROW(result = Call(PLUGIN_CB_SHOW_RESULT));
    EXPECT_EQ(result, PLUGIN_CB_FAILED);
}

TEST_F(HostCallbackTest, ProgressAndCaptionsDriveThePluginPanel) {
    ScriptedPrompter prompter;
    // No panel: no task of the program runs, so the calls are accepted and do nothing.
    r = 10;
    s = 20;
    EXPECT_EQ(Call(PLUGIN_CB_SET_PROGRESS), PLUGIN_OK);
    EXPECT_EQ(prompter.doEventsCount, 0);
    Text a("x"), b("y");
    EXPECT_EQ(Call(PLUGIN_CB_SET_PROGRESS_CAPTIONS, &a.handle, &b.handle), PLUGIN_OK);

    ucProgressPanel panel;
    PanelView view(panel);
    host.PluginProgressPanel = &view;
    struct Case {
        int32_t r, s;
        int16_t pb1, pb2;
    };
    for (const Case& c : {Case{30, 70, 30, 70}, Case{150, -5, 100, 0}, Case{100000, 0, 100, 0}}) {
        r = c.r;
        s = c.s;
        EXPECT_EQ(Call(PLUGIN_CB_SET_PROGRESS), PLUGIN_OK);
        EXPECT_EQ(panel.PB1Percent(), c.pb1);
        EXPECT_EQ(panel.PB2Percent(), c.pb2);
    }

    Text first("Encrypting\0junk", 15), second("Pass 2");
    EXPECT_FALSE(panel.PB2Visible());
    EXPECT_EQ(Call(PLUGIN_CB_SET_PROGRESS_CAPTIONS, &first.handle, &second.handle), PLUGIN_OK);
    EXPECT_EQ(panel.PB1Caption(), "Encrypting");
    EXPECT_EQ(panel.PB2Caption(), "Pass 2");
    EXPECT_TRUE(panel.PB2Visible());
}

TEST_F(HostCallbackTest, FrequentProgressLetsEventsRunOnlyNowAndThen) {
    ScriptedPrompter prompter;
    ucProgressPanel panel;
    PanelView view(panel);
    host.PluginProgressPanel = &view;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
    constexpr int kCalls = 1000;
    for (int i = 0; i < kCalls; ++i) {
        r = i % 101;
        s = 0;
        ASSERT_EQ(Call(PLUGIN_CB_SET_PROGRESS), PLUGIN_OK);
        ASSERT_EQ(panel.PB1Percent(), i % 101) << "every percentage reaches the panel";
    }
    // The first call after a pause lets events run; a burst does not on every call.
    EXPECT_GE(prompter.doEventsCount, 1);
    EXPECT_LT(prompter.doEventsCount, kCalls / 2);
    const int before = prompter.doEventsCount;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
    EXPECT_EQ(Call(PLUGIN_CB_SET_PROGRESS), PLUGIN_OK);
    EXPECT_EQ(prompter.doEventsCount, before + 1);
}

TEST_F(HostCallbackTest, PollCancelReportsAClickAndNeverClearsIt) {
    // No panel: no Cancel could have been clicked.
    r = 1;
    s = 0;
    EXPECT_EQ(Call(PLUGIN_CB_POLL_CANCEL), PLUGIN_OK);
    EXPECT_EQ(s, 0);

    ucProgressPanel panel;
    PanelView view(panel);
    host.PluginProgressPanel = &view;
    r = 0;
    EXPECT_EQ(Call(PLUGIN_CB_POLL_CANCEL), PLUGIN_OK);
    EXPECT_FALSE(panel.CancelVisible());
    r = 1;
    EXPECT_EQ(Call(PLUGIN_CB_POLL_CANCEL), PLUGIN_OK);
    EXPECT_TRUE(panel.CancelVisible());
    EXPECT_EQ(s, 0);

    panel.findChild<QPushButton*>("cmdCancel")->click();
    EXPECT_EQ(Call(PLUGIN_CB_POLL_CANCEL), PLUGIN_OK);
    EXPECT_EQ(s, 1);
    EXPECT_EQ(Call(PLUGIN_CB_POLL_CANCEL), PLUGIN_OK);
    EXPECT_EQ(s, 1);  // the click stays recorded while the button stays shown
    s = 7;
    r = 0;
    EXPECT_EQ(Call(PLUGIN_CB_POLL_CANCEL), PLUGIN_OK);
    EXPECT_EQ(s, 7);  // hidden, the button reads not clicked; *S is never set back
}

}  // namespace
}  // namespace kb
