// Boxes that name many files stay within the screen: the box shows the first names of each
// list and counts the rest, every name is in its details, and its buttons are within reach.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "app/ui/common/qt_prompter.h"
#include "app/ui/tests/assembler_fixture.h"
#include "app/ui/tests/render_check.h"

namespace kb {
namespace {

using testing::ReadAll;

// The box as it was on the screen.
struct SeenBox {
    std::string title, text, details;
    bool buttonsOnScreen = false;
};

bool OnScreen(const QWidget* w) {
    const QRect global(w->mapToGlobal(QPoint(0, 0)), w->size());
    return w->screen()->availableGeometry().contains(global);
}

// Whether every button of the box but the one that opens its details lies on the screen.
bool ButtonsOnScreen(const QMessageBox& box) {
    for (QAbstractButton* b : box.buttons())
        if (box.buttonRole(b) != QMessageBox::ActionRole && !OnScreen(b)) return false;
    return true;
}

// Looks at the next message box once it is up (window messages run before it, while the work
// goes on): its picture is saved and checked with its details closed and open, then it is
// closed as Escape closes it.
void LookAtNextBox(SeenBox& seen, std::string shot) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [poll, &seen, shot] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        poll->stop();
        poll->deleteLater();
        seen.title = box->windowTitle().toStdString();
        seen.text = box->text().toStdString();
        seen.details = box->detailedText().toStdString();
        testing::SaveAndCheck(*box, shot.c_str());
        seen.buttonsOnScreen = ButtonsOnScreen(*box);
        for (QAbstractButton* b : box->buttons())
            if (box->buttonRole(b) == QMessageBox::ActionRole) b->click();
        QCoreApplication::processEvents();
        testing::SaveAndCheck(*box, (shot + "-details").c_str());
        seen.buttonsOnScreen = seen.buttonsOnScreen && ButtonsOnScreen(*box);
        box->escapeButton()->click();
    });
    poll->start(10);
}

// "file 007.txt": names that sort as they are numbered, as the archive lists them.
std::string FileName(int n) {
    const std::string digits = std::to_string(n);
    return "file " + std::string(3 - digits.size(), '0') + digits + ".txt";
}

TEST(BoxFitsScreen, AListOfTwoHundredNamesAndALongLineStayOnTheScreen) {
    std::string list = "These files were not written, since files of the same names are already "
                       "in the destination folder:";
    for (int n = 1; n <= 200; ++n) list += "\n" + FileName(n);
    std::string deep = "/home/user/archive";
    for (int n = 0; n < 120; ++n) deep += "/folder" + std::to_string(n);
    struct Case {
        const char* shot;
        std::string text;
        bool listed;
    } cases[] = {
        {"box-two-hundred-names", list + "\r\rThe data has been kept as /tmp/kb.tmp.", true},
        {"box-long-path", "Unable to open " + deep + "/piece - 1.frg for reading.", false},
    };
    QtPrompter prompter;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shot);
        SeenBox seen;
        LookAtNextBox(seen, c.shot);
        EXPECT_EQ(prompter.MsgBox(c.text, mb::OKOnly | mb::Critical, "Assembled data kept"),
                  Answer::OK);
        EXPECT_TRUE(seen.buttonsOnScreen);
        if (!c.listed) {
            EXPECT_EQ(seen.text, c.text) << "a box that fits is shown as it is";
            EXPECT_EQ(seen.details, "");
            continue;
        }
        EXPECT_NE(seen.text.find(FileName(10) + "\nand 190 more\n\nThe data has been kept as"),
                  std::string::npos)
            << seen.text;
        EXPECT_EQ(seen.text.find(FileName(11)), std::string::npos);
        EXPECT_NE(seen.details.find(FileName(199) + "\n" + FileName(200)), std::string::npos);
    }
}

// A path, or a word with no place to break it, too long for the box to fit its screen is shown
// cut in its middle; the box's details hold the whole text as the program gave it.
TEST(BoxFitsScreen, AnOverlongPathOrWordIsCutInItsMiddleAndWhollyInTheDetails) {
    std::string deep = "/home/user";  // 3,820 characters
    for (int n = 0; n < 140; ++n) deep += "/folder_with_a_long_name_" + std::to_string(n);
    const std::string stop = ") cannot be found. Put it in the folder and click Retry, or click "
                             "Cancel to stop.";
    const std::string longName = std::string(251, 'x') + ".frg";
    struct Case {
        const char* shot;
        std::string text;
        int style;
        std::string title;
        Answer closed;
        std::string head, tail;  // what the box shows before and after the "…"
    } cases[] = {
        {"box-very-long-path", "Piece 2 of 4 (" + deep + "/x - 2.frg" + stop,
         mb::RetryCancel | mb::Exclamation, "Missing piece", Answer::Cancel,
         "Piece 2 of 4 (/home/user/folder_with_a_long_name_0/", "_139/x - 2.frg" + stop},
        {"box-long-file-name", "Unable to open /home/user/" + longName + " for reading.",
         mb::OKOnly | mb::Critical, "Assembled data kept", Answer::OK, "Unable to open /home/user/",
         "x.frg for reading."},
    };
    QtPrompter prompter;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shot);
        SeenBox seen;
        LookAtNextBox(seen, c.shot);
        EXPECT_EQ(prompter.MsgBox(c.text, c.style, c.title), c.closed);
        EXPECT_TRUE(seen.buttonsOnScreen);
        EXPECT_EQ(seen.details, c.text);
        const size_t cut = seen.text.find("\u2026");
        if (cut == std::string::npos) {
            ADD_FAILURE() << "nothing cut: " << seen.text;
            continue;
        }
        EXPECT_TRUE(seen.text.substr(0, cut).starts_with(c.head)) << seen.text;
        EXPECT_TRUE(seen.text.substr(cut).ends_with(c.tail)) << seen.text;
    }
}

class BoxFitsScreenJoinTest : public testing::AssemblerTest {};

// A gathered set of 200 files joined into a folder that already holds them all: none is
// replaced, and the box that says so fits the screen.
TEST_F(BoxFitsScreenJoinTest, TheFilesNotReplacedAreNamedTenInTheBoxAndAllInItsDetails) {
    std::vector<std::string> names;
    for (int n = 1; n <= 200; ++n) {
        names.push_back("tree/" + FileName(n));
        work.Write(names.back(), "from the set " + std::to_string(n));
        work.Write("out/" + names.back(), "the user's own");
    }
    const std::string cab = work.File("selection.cab");
    platform::BuildCab(cab, platform::CollectCabEntries({}, {work.File("tree")}),
                       platform::CabKind::Stored);
    const std::string first = SplitInto(cab, "backup.cab", "pieces", 1);
    QtPrompter prompter;
    ScopedPrompter installed(prompter);
    ucAssembler w(nullptr, &windows, host);
    SeenBox seen;
    LookAtNextBox(seen, "box-assembled-data-kept");
    Join(w, first, work.File("out"));
    EXPECT_EQ(seen.title, "Assembled data kept");
    EXPECT_TRUE(seen.buttonsOnScreen);
    EXPECT_NE(seen.text.find(names[9] + "\nand 190 more"), std::string::npos) << seen.text;
    for (const std::string& name : names) {
        EXPECT_NE(seen.details.find("\n" + name), std::string::npos) << name;
        EXPECT_EQ(ReadAll(work.File("out/" + name)), "the user's own");
    }
}

}  // namespace
}  // namespace kb
