// The folder lists as a user meets them in a file chooser: a click selects, a double click or
// Enter opens, a made folder is selected, and the list is read again when it is shown; and the
// splitter's drive panel and drive list, which follow the folder opened in its list.
#include <QAccessible>
#include <QLabel>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <filesystem>

#include "app/core/testing/temp_folder.h"
#include "app/ui/common/drive_list.h"
#include "app/ui/common/folder_list.h"
#include "app/ui/splitter/split_stage_sel_dest.h"
#include "app/ui/splitter/split_wizard.h"
#include "app/ui/splitter/split_wizard_flow.h"
#include "app/ui/tests/assembler_fixture.h"
#include "app/ui/tests/splitter_window_fixture.h"

namespace kb {
namespace {

namespace fs = std::filesystem;

// The row of a folder, found by its path.
QListWidgetItem* RowOf(const FolderList& list, const std::string& folder) {
    for (int i = 0; i < list.count(); ++i)
        if (list.item(i)->data(Qt::UserRole).toString().toStdString() == folder) return list.item(i);
    return nullptr;
}

// The centre of a folder's row, in the window's coordinates, for events that go through the
// window system as a user's do (two presses in time make a double click).
QPoint Centre(const FolderList& list, const std::string& folder) {
    QListWidgetItem* row = RowOf(list, folder);
    EXPECT_NE(row, nullptr) << folder;
    if (!row) return {};
    return list.viewport()->mapTo(list.window(), list.visualItemRect(row).center());
}

void DoubleClick(FolderList& list, const std::string& folder) {
    QTest::mouseDClick(list.window()->windowHandle(), Qt::LeftButton, {}, Centre(list, folder));
}

// A tree with a folder listed above "data", so that a first click that opened "data" would put
// "data/tree" under the pointer for the second.
class FolderListTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(tree.File("archive"));
        fs::create_directories(tree.File("data/tree"));
        list.SetPath(tree.Path());
        list.resize(300, 400);
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    }
    testing::TempFolder tree;
    FolderList list{nullptr};
};

TEST_F(FolderListTest, AClickSelectsAndADoubleClickOrEnterOpens) {
    QSignalSpy moved(&list, &FolderList::PathChanged);
    const std::string data = tree.File("data");
    QTest::mouseClick(list.windowHandle(), Qt::LeftButton, {}, Centre(list, data));
    EXPECT_EQ(list.Path(), tree.Path());
    EXPECT_EQ(list.SelectedFolder(), data);
    EXPECT_EQ(moved.count(), 0);

    DoubleClick(list, data);
    EXPECT_EQ(list.Path(), data);
    EXPECT_EQ(moved.count(), 1);
    EXPECT_NE(RowOf(list, tree.File("data/tree")), nullptr);

    // The keys move the selection; Enter opens the selected folder.
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(list.Path(), data);
    EXPECT_EQ(list.SelectedFolder(), tree.File("data/tree"));
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(list.Path(), tree.File("data/tree"));
    EXPECT_EQ(moved.count(), 2);
}

TEST_F(FolderListTest, ShowingTheListAgainListsWhatIsThereNowAndKeepsTheSelection) {
    list.Select(tree.File("data"));
    fs::create_directories(tree.File("made elsewhere"));
    fs::remove_all(tree.File("archive"));
    list.hide();
    list.show();
    EXPECT_NE(RowOf(list, tree.File("made elsewhere")), nullptr);
    EXPECT_EQ(RowOf(list, tree.File("archive")), nullptr);
    EXPECT_EQ(list.SelectedFolder(), tree.File("data"));
    EXPECT_EQ(list.Path(), tree.Path());
}

TEST_F(FolderListTest, RowsAreNamedWithoutTheirIndentation) {
    QAccessibleInterface* view = QAccessible::queryAccessibleInterface(&list);
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->childCount(), list.count());
    const std::string data = tree.File("data");
    for (int i = 0; i < list.count(); ++i) {
        const std::string folder = list.item(i)->data(Qt::UserRole).toString().toStdString();
        const std::string name = folder == "/" ? "/" : fs::path(folder).filename().string();
        EXPECT_EQ(view->child(i)->text(QAccessible::Name).toStdString(), name);
    }
    EXPECT_TRUE(list.item(list.count() - 1)->text().startsWith("    "));  // still indented
}

// The splitter wizard on its destination stage, which starts in the test's destination folder.
class SplitterDestinationTest : public testing::SplitterWindowTest {
protected:
    FolderList* ToDestinationStage() {
        source.Write("report.doc", "report");
        Open();
        Click("cmdSplitWizNext");
        auto* files = Child<QListWidget>("SingleSplitFile");
        const auto found = files->findItems("report.doc", Qt::MatchExactly);
        EXPECT_EQ(found.size(), 1);
        if (found.size() != 1) return nullptr;
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                          files->visualItemRect(found[0]).center());
        Click("cmdSplitWizNext");
        Click("cmdSplitWizNext");
        auto* folders = Child<FolderList>("dirFragDest");
        EXPECT_TRUE(folders->isVisible());
        return folders;
    }
    std::string DriveInfo() { return Child<QLabel>("lblSplitDestDriveInfo")->text().toStdString(); }
};

TEST_F(SplitterDestinationTest, TheNewFolderIsSelectedNotEntered) {
    FolderList* folders = ToDestinationStage();
    ASSERT_NE(folders, nullptr);
    prompter.Type("Pieces");
    Click("cmdFragDestMkdir");
    EXPECT_EQ(folders->SelectedFolder(), dest.File("Pieces"));
    EXPECT_EQ(folders->Path(), dest.Path());
}

TEST_F(SplitterDestinationTest, TheDrivePanelShowsTheFileSystemOfTheOpenedFolder) {
    fs::create_directories(dest.File("archive"));
    fs::create_directories(dest.File("small disk"));
    disks.mounted[dest.File("small disk")] = {20 << 20, 30 << 20};
    FolderList* folders = ToDestinationStage();
    ASSERT_NE(folders, nullptr);
    const std::string large = "Fixed disk\n\n1024 Gb free space\nof 2048 Gb total capacity.";
    EXPECT_EQ(DriveInfo(), large);
    DoubleClick(*folders, dest.File("small disk"));
    ASSERT_EQ(folders->Path(), dest.File("small disk"));
    EXPECT_EQ(DriveInfo(), "Fixed disk\n\n20 Mb free space\nof 30 Mb total capacity.");
    DoubleClick(*folders, dest.Path());
    EXPECT_EQ(DriveInfo(), large);
}

TEST_F(SplitterDestinationTest, TheDriveListFollowsAFolderOnAFileSystemOfItsOwn) {
    // /dev/shm is a file system of its own on most systems; the test needs no mount of its own.
    const std::string other = "/dev/shm";
    if (VolumeOf(other) != other || VolumeOf("/") != "/") GTEST_SKIP() << other << " is no mount here";
    disks.mounted[other] = {5 << 20, 8 << 20};
    FolderList* folders = ToDestinationStage();
    ASSERT_NE(folders, nullptr);
    for (const char* folder : {"/", "/dev", "/dev/shm"}) {
        DoubleClick(*folders, folder);
        ASSERT_EQ(folders->Path(), folder);
    }
    EXPECT_EQ(Child<DriveList>("drvFragDest")->Drive(), other);
    EXPECT_EQ(DriveInfo(), "Fixed disk\n\n5120 kb free space\nof 8192 kb total capacity.");
    EXPECT_TRUE(Child("cmdSplitWizNext")->isEnabled());
    Click("cmdSplitWizNext");
    EXPECT_EQ(window->Splitter().DestinationFolder(), other + "/");
}

class AssemblerNewFolderTest : public testing::AssemblerTest {};

TEST_F(AssemblerNewFolderTest, TheDestinationPagesNewFolderIsSelectedNotEntered) {
    testing::ScriptedPrompter p;
    ucAssembler w(nullptr, &windows, host);
    w.SetDestPath(work.Path());
    p.Type("Joined");
    w.cmdAssDestMkdir()->click();
    auto* folders = w.findChild<FolderList*>("dirAssDest");
    ASSERT_NE(folders, nullptr);
    EXPECT_EQ(folders->SelectedFolder(), work.File("Joined"));
    EXPECT_EQ(w.DestPath(), work.Path());
}

}  // namespace
}  // namespace kb
