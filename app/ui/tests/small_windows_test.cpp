// The two small windows both wizards use, shown modally and answered from a timer as a user
// would answer them.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>

#include <functional>

#include "app/ui/dialogs/frm_disk_dialog.h"
#include "app/ui/dialogs/frm_pw_conf.h"
#include "app/ui/dialogs/qt_wizard_windows.h"
#include "app/ui/splitter/split_stage_cmp_enc.h"
#include "app/ui/tests/ui_fixture.h"

namespace kb {
namespace {

using testing::UiTest;

// Runs `act` on the modal window once it is up.
void WhenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
        QWidget* w = QApplication::activeModalWidget();
        ASSERT_NE(w, nullptr);
        act(w);
    });
}

class SmallWindowsTest : public UiTest {};

TEST_F(SmallWindowsTest, PasswordWindowIsOneHiddenWindowAndEnterActsAsOK) {
    QWidget owner;
    QtWizardWindows windows(&owner);
    frmPWconf& pw = frmPWconf::Instance(&owner);
    EXPECT_EQ(&pw, &frmPWconf::Instance(nullptr));
    EXPECT_EQ(pw.windowTitle(), "Password Confirmation");

    WhenModal([&](QWidget* w) {
        EXPECT_EQ(w, &pw);
        EXPECT_EQ(pw.PWbox()->text(), "");
        EXPECT_TRUE(pw.PWbox()->hasFocus() || !pw.isActiveWindow());
        QTest::keyClicks(pw.PWbox(), "s3cret");
        QTest::keyClick(pw.PWbox(), Qt::Key_Return);
    });
    EXPECT_EQ(windows.ConfirmPassword("Type it again"), "s3cret");
    EXPECT_EQ(pw.Label1()->text(), "Type it again");
    EXPECT_FALSE(pw.isVisible());
    EXPECT_EQ(pw.PWbox()->text(), "s3cret");  // kept until the next caller empties it

    // Closed by the title bar (or Escape): the answer is an empty box.
    for (bool escape : {false, true}) {
        WhenModal([&](QWidget*) {
            QTest::keyClicks(pw.PWbox(), "typed");
            if (escape) QTest::keyClick(pw.PWbox(), Qt::Key_Escape);
            else pw.close();
        });
        EXPECT_EQ(windows.ConfirmPassword("again"), "") << escape;
    }
}

// The program runs under the Fusion style, whose own mask is a round dot.
TEST_F(SmallWindowsTest, PasswordBoxesShowAStarForEachCharacter) {
    const QString before = QApplication::style()->name();
    ASSERT_NE(QApplication::setStyle("Fusion"), nullptr);
    QWidget owner;
    SplitStageCmpEnc stage(&owner);
    for (QLineEdit* box : {frmPWconf::Instance(&owner).PWbox(), stage.txtPassword_}) {
        box->clear();
        QTest::keyClicks(box, "s3cr");
        EXPECT_EQ(box->displayText(), "****") << box->objectName().toStdString();
        EXPECT_EQ(box->text(), "s3cr");
    }
    QApplication::setStyle(before);
}

TEST_F(SmallWindowsTest, DiskRequestNamesTheDiskTellsThePluginsAndAnswersOKOrCancel) {
    const std::string plugin = LoadEnabledRecorder("rec.so");
    QWidget owner;
    QtWizardWindows windows(&owner, &host);
    QString shown;
    WhenModal([&](QWidget* w) {
        auto* d = static_cast<frmDiskDialog*>(w);
        EXPECT_EQ(d->windowTitle(), "Disk Request");
        shown = d->lblDiskDialog()->text();
        d->cmdOK()->click();
    });
    EXPECT_TRUE(windows.RequestDisk(3));
    EXPECT_EQ(shown, "Please insert disk 3 and click OK.");
    EXPECT_EQ(Count(Record(plugin), PLUGIN_EVT_DISK_REQUEST), 1);

    WhenModal([](QWidget* w) { static_cast<frmDiskDialog*>(w)->cmdCancel()->click(); });
    EXPECT_FALSE(windows.RequestDisk(4));
    WhenModal([](QWidget* w) { w->close(); });
    EXPECT_FALSE(windows.RequestDisk(4));
    EXPECT_EQ(Count(Record(plugin), PLUGIN_EVT_DISK_REQUEST), 3);
}

}  // namespace
}  // namespace kb
