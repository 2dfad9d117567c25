// The folder lists as a user meets them in a file chooser: a click selects, a double click or
// Enter opens, a made folder is selected, and the list is read again when it is shown; and the
// destination pages, where the highlighted folder is the one chosen: the pieces and the joined
// files go there, and the splitter's drive panel and drive list follow it.
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
#include "app/ui/tests/split_run_fixture.h"

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
    EXPECT_EQ(list.Chosen(), data);
    EXPECT_EQ(moved.count(), 0);

    DoubleClick(list, data);
    EXPECT_EQ(list.Path(), data);
    EXPECT_EQ(moved.count(), 1);
    EXPECT_NE(RowOf(list, tree.File("data/tree")), nullptr);

    // The keys move the selection; Enter opens the selected folder.
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(list.Path(), data);
    EXPECT_EQ(list.Chosen(), tree.File("data/tree"));
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
    EXPECT_EQ(list.Chosen(), tree.File("data"));
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

// The splitter wizard on its destination stage, which starts in the test's destination folder
// ("archive" listed above "data", which holds "tree"), and the split finished from there.
class SplitterDestinationTest : public testing::SplitRunTest {
protected:
    FolderList* ToDestinationStage() {
        fs::create_directories(dest.File("archive"));
        fs::create_directories(dest.File("data/tree"));
        source.Write("report.doc", "report");
        Open();
        ToOptions("report.doc");
        Click("cmdSplitWizNext");
        EXPECT_EQ(Stage(), 4);
        auto* folders = Child<FolderList>("dirFragDest");
        EXPECT_TRUE(folders->isVisible());
        return folders;
    }
    void ClickRow(FolderList& folders, const std::string& folder) {
        QTest::mouseClick(folders.window()->windowHandle(), Qt::LeftButton, {}, Centre(folders, folder));
    }
    // Next to the end of the split; true when its one piece is in `folder` and nowhere else the
    // test looks.
    bool SplitLandsIn(const std::string& folder) {
        FromDestinationToRange(0);
        Click("cmdSplitWizNext");
        ExpectUnlocked();
        bool elsewhere = false;
        for (const std::string& f : {dest.Path(), dest.File("data"), dest.File("data/tree")})
            if (f != folder && fs::exists(f + "/report.001")) elsewhere = true;
        return fs::exists(folder + "/report.001") && !elsewhere;
    }
    std::string DriveInfo() { return Child<QLabel>("lblSplitDestDriveInfo")->text().toStdString(); }
};

TEST_F(SplitterDestinationTest, TheClickedFolderIsWhereThePiecesGo) {
    FolderList* folders = ToDestinationStage();
    ASSERT_NE(folders, nullptr);
    ClickRow(*folders, dest.File("data"));
    EXPECT_EQ(folders->Path(), dest.Path());
    EXPECT_EQ(folders->Chosen(), dest.File("data"));
    EXPECT_TRUE(SplitLandsIn(dest.File("data")));
}

TEST_F(SplitterDestinationTest, TheNewFolderIsChosenNotEnteredAndThePiecesGoThere) {
    FolderList* folders = ToDestinationStage();
    ASSERT_NE(folders, nullptr);
    prompter.Type("Pieces");
    Click("cmdFragDestMkdir");
    EXPECT_EQ(folders->Chosen(), dest.File("Pieces"));
    EXPECT_EQ(folders->Path(), dest.Path());
    EXPECT_TRUE(SplitLandsIn(dest.File("Pieces")));
}

// The first click of a double click on "data" must not open it, or the second would open the
// row moved under the pointer; inside, a click chooses again.
TEST_F(SplitterDestinationTest, ADoubleClickOpensAndAClickInsideChoosesAgain) {
    FolderList* folders = ToDestinationStage();
    ASSERT_NE(folders, nullptr);
    DoubleClick(*folders, dest.File("data"));
    EXPECT_EQ(folders->Path(), dest.File("data"));
    EXPECT_EQ(folders->Chosen(), dest.File("data"));
    Click("cmdSplitWizNext");
    EXPECT_EQ(window->Splitter().DestinationFolder(), dest.File("data") + "/");
    Click("cmdSplitWizBack");
    ClickRow(*folders, dest.File("data/tree"));
    EXPECT_TRUE(SplitLandsIn(dest.File("data/tree")));
}

TEST_F(SplitterDestinationTest, TheDrivePanelShowsTheFileSystemOfTheChosenFolder) {
    fs::create_directories(dest.File("small disk"));
    disks.mounted[dest.File("small disk")] = {20 << 20, 30 << 20};
    FolderList* folders = ToDestinationStage();
    ASSERT_NE(folders, nullptr);
    const std::string large = "Fixed disk\n\n1024 Gb free space\nof 2048 Gb total capacity.";
    const std::string small = "Fixed disk\n\n20 Mb free space\nof 30 Mb total capacity.";
    EXPECT_EQ(DriveInfo(), large);
    ClickRow(*folders, dest.File("small disk"));
    EXPECT_EQ(DriveInfo(), small);
    ClickRow(*folders, dest.Path());
    EXPECT_EQ(DriveInfo(), large);
    DoubleClick(*folders, dest.File("small disk"));
    ASSERT_EQ(folders->Path(), dest.File("small disk"));
    EXPECT_EQ(DriveInfo(), small);
    DoubleClick(*folders, dest.Path());
    EXPECT_EQ(DriveInfo(), large);
}

TEST_F(SplitterDestinationTest, TheDriveListFollowsAClickOntoAFolderOnAFileSystemOfItsOwn) {
    // /dev/shm is a file system of its own on most systems; the test needs no mount of its own.
    const std::string other = "/dev/shm";
    if (VolumeOf(other) != other || VolumeOf("/") != "/") GTEST_SKIP() << other << " is no mount here";
    disks.mounted[other] = {5 << 20, 8 << 20};
    FolderList* folders = ToDestinationStage();
    ASSERT_NE(folders, nullptr);
    for (const char* folder : {"/", "/dev"}) {
        DoubleClick(*folders, folder);
        ASSERT_EQ(folders->Path(), folder);
    }
    ClickRow(*folders, other);
    EXPECT_EQ(folders->Path(), "/dev");
    EXPECT_EQ(Child<DriveList>("drvFragDest")->Drive(), other);
    EXPECT_EQ(DriveInfo(), "Fixed disk\n\n5120 kb free space\nof 8192 kb total capacity.");
    EXPECT_TRUE(Child("cmdSplitWizNext")->isEnabled());
    Click("cmdSplitWizNext");
    EXPECT_EQ(window->Splitter().DestinationFolder(), other + "/");
}

// The assembler's destination page, shown, with a folder "out" that holds "a" and "b".
class AssemblerDestinationTest : public testing::AssemblerTest {
protected:
    void SetUp() override {
        AssemblerTest::SetUp();
        fs::create_directories(work.File("out/a"));
        fs::create_directories(work.File("out/b"));
        source = work.Write("notes.txt", testing::RandomBytes(30000, 4));
        first = SplitInto(source, "notes.txt", "pieces");
        w.resize(700, 500);
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        w.SetSrcToAssemble(first);
        w.cmdNext()->click();
        ASSERT_EQ(w.CurrentPage(), 2);
        w.SetDestPath(work.File("out"));
        folders = w.findChild<FolderList*>("dirAssDest");
        ASSERT_NE(folders, nullptr);
    }
    bool JoinedIn(const std::string& folder) {
        w.cmdNext()->click();
        return testing::ReadAll(folder + "/notes.txt") == testing::ReadAll(source) && !fs::exists(work.File("out/notes.txt"));
    }
    testing::ScriptedPrompter p;
    ucAssembler w{nullptr, &windows, host};
    std::string source, first;
    FolderList* folders = nullptr;
};

TEST_F(AssemblerDestinationTest, TheClickedFolderIsWhereTheJoinGoes) {
    QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, Centre(*folders, work.File("out/b")));
    EXPECT_EQ(folders->Path(), work.File("out"));
    EXPECT_EQ(w.DestPath(), work.File("out/b"));
    EXPECT_TRUE(JoinedIn(work.File("out/b")));
}

TEST_F(AssemblerDestinationTest, TheNewFolderIsChosenNotEnteredAndTheJoinGoesThere) {
    p.Type("Joined");
    w.cmdAssDestMkdir()->click();
    EXPECT_EQ(folders->Chosen(), work.File("out/Joined"));
    EXPECT_EQ(folders->Path(), work.File("out"));
    EXPECT_TRUE(JoinedIn(work.File("out/Joined")));
}

TEST_F(AssemblerDestinationTest, TheDriveListFollowsAClickOntoAFolderOnAFileSystemOfItsOwn) {
    const std::string other = "/dev/shm";
    if (VolumeOf(other) != other || VolumeOf("/") != "/") GTEST_SKIP() << other << " is no mount here";
    w.SetDestPath("/dev");
    auto* drives = w.findChild<DriveList*>("drvAssDest");
    ASSERT_NE(drives, nullptr);
    EXPECT_NE(drives->Drive(), other);
    QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, Centre(*folders, other));
    EXPECT_EQ(drives->Drive(), other);
    EXPECT_EQ(w.DestPath(), other);
}

}  // namespace
}  // namespace kb
