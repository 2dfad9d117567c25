#pragma once
// The main window on the splitter tab as a user meets it, for the wizard's widget tests: its
// named controls clicked and typed into, the boxes and dialogs scripted, and the options page's
// default folders pointing at a source and a destination folder of the test's own.

#include <QAbstractButton>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include "app/core/testing/fake_disks.h"
#include "app/core/testing/scripted_dialogs.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/ui/options/opt_gen_frame.h"
#include "app/ui/options/options_page.h"
#include "app/ui/shell/frm_main.h"
#include "app/ui/tests/ui_fixture.h"

namespace kb::testing {

class SplitterWindowTest : public UiTest {
protected:
    void TearDown() override {
        // The window goes while the scripted boxes are still there to answer it.
        window.reset();
        UiTest::TearDown();
    }

    template <class W = QWidget>
    W* Child(const char* name) {
        W* c = window->findChild<W*>(name);
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    void Click(const char* name) { ClickWidget(Child(name)); }
    void ClickWidget(QWidget* w) {
        ASSERT_TRUE(w->isVisible() && w->isEnabled()) << w->objectName().toStdString();
        // A check box or option button takes a click on its mark, not anywhere in its row.
        const bool marked = qobject_cast<QAbstractButton*>(w) != nullptr &&
                            qobject_cast<QPushButton*>(w) == nullptr;
        QTest::mouseClick(w, Qt::LeftButton, {}, marked ? QPoint(8, w->height() / 2) : QPoint());
    }
    // Types a text into a box and leaves it with Enter.
    void Type(const char* name, const QString& text) {
        auto* box = Child<QLineEdit>(name);
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    }
    // The main window with the options page's default folders set, on the splitter tab, the
    // wizard reset.
    void Open() {
        window = std::make_unique<frmMain>(&host);
        OptGenFrame* gen = window->Options().fOptGen_;
        gen->txtOptGenDirSource_->setText(QString::fromStdString(source.Path()));
        gen->txtOptGenDirDest_->setText(QString::fromStdString(dest.Path()));
        window->SelectTab("Splitter");
        window->show();
        // Focus moves only inside the active window.
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        BeforeReset();
        Click("cmdSplitWizReset");
    }
    // What a fixture sets on the opened window before the wizard is reset.
    virtual void BeforeReset() {}

    ScriptedPrompter prompter;
    ScriptedDialogs dialogs;
    FakeDisks disks;
    TempFolder source;
    TempFolder dest;
    std::unique_ptr<frmMain> window;
};

}  // namespace kb::testing
