#pragma once
// The front page's tests: the main window on its front page, split tasks made by the engine
// and join tasks by the assembler wizard, the task folder below the program folder and a
// user's data folder of its own.
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/core/active_splitter.h"
#include "app/ui/common/uc_progress_panel.h"
#include "app/ui/shell/frm_main.h"
#include "app/ui/shell/front_page.h"
#include "app/ui/tests/assembler_fixture.h"

namespace kb::testing {

// Stops a split at its second chunk and saves it as a task.
class StopAndSave : public ActiveSplitterEvents {
public:
    explicit StopAndSave(std::string task) : task_(std::move(task)) {}
    void SplitInterval(int32_t, int32_t, bool& cancel, std::string& save) override {
        if (++chunks_ != 2) return;
        cancel = true;
        save = task_;
    }

private:
    std::string task_;
    int chunks_ = 0;
};

class FrontPageTest : public AssemblerTest {
protected:
    void SetUp() override {
        AssemblerTest::SetUp();
        xdg_ = std::make_unique<ScopedEnv>("XDG_DATA_HOME", userData.Path());
    }
    void TearDown() override {
        window.reset();
        xdg_.reset();
        AssemblerTest::TearDown();
    }
    void Open() {
        window = std::make_unique<frmMain>(&host);
        window->show();
    }
    FrontPage& Page() { return window->Front(); }
    // Clicks a tab of the task lists: 0 "New Task", 1 "Unfinished Tasks".
    void ShowList(int tab) {
        QTabBar* tabs = Page().WelcomeTabs_;
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tab).center());
        ASSERT_EQ(tabs->currentIndex(), tab);
    }
    // Text and image key of every row.
    std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        QListWidget* list = Page().lvStartupTasks_;
        for (int i = 0; i < list->count(); ++i)
            rows.push_back(list->item(i)->text().toStdString() + "|" +
                           list->item(i)->data(Qt::UserRole + 1).toString().toStdString());
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    void ChooseAndOK(const QString& text) {
        QListWidget* list = Page().lvStartupTasks_;
        const auto found = list->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << text.toStdString();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found[0]).center());
        ASSERT_EQ(list->currentItem(), found[0]);
        ASSERT_TRUE(Page().cmdWelcomeOK_->isEnabled());
        QTest::mouseClick(Page().cmdWelcomeOK_, Qt::LeftButton);
    }
    std::string Task(const std::string& name) { return home.File("Unfinished Tasks/" + name + ".uft"); }
    // Every file of a folder with its bytes.
    std::map<std::string, std::string> BytesIn(const std::string& folder) {
        std::map<std::string, std::string> all;
        for (const auto& e : std::filesystem::directory_iterator(folder))
            all[e.path().filename().string()] = ReadAll(e.path().string());
        return all;
    }
    // A split of 100000 bytes into pieces of 20000, stopped and saved as a task.
    void MakeSplitTask(const std::string& name) {
        source = work.Write("movie.bin", RandomBytes(100000, 5));
        ActiveSplitter s;
        StopAndSave stop(Task(name));
        s.SetListener(&stop);
        Configure(s, "pieces");
        ASSERT_EQ(s.Split(), -1);
        ASSERT_TRUE(std::filesystem::exists(Task(name)));
    }
    void Configure(ActiveSplitter& s, const std::string& folder) {
        std::filesystem::create_directories(work.File(folder));
        s.SetBigFile(source);
        s.FilenameToStore = "movie.bin";
        s.SetDestinationFolder(work.File(folder));
        s.SetFragmentSize(int64_t{20000});
        s.SegmentSize = 4096;
    }
    // The series a split of the same source in one go writes.
    void ExpectSameAsOneGo() {
        ActiveSplitter s;
        Configure(s, "reference");
        ASSERT_EQ(s.Split(), 1);
        const std::vector<std::string> names = Listing(work.File("reference"));
        ASSERT_EQ(Listing(work.File("pieces")), names);
        for (const std::string& n : names)
            EXPECT_EQ(ReadAll(work.File("pieces/" + n)), ReadAll(work.File("reference/" + n))) << n;
    }
    void ExpectUnlockedOnTheFrontPage() {
        EXPECT_EQ(window->SelectedTabKey(), "Frontpage");
        EXPECT_TRUE(window->findChild<QTabBar*>("Tabs")->isEnabled());
        EXPECT_FALSE(window->SplitBusy);
        EXPECT_TRUE(window->fSptProgPan()->isHidden());
        EXPECT_FALSE(window->Splitter().ResumePending());
    }

    // Joins the set into dest, stops the join at its first chunk and saves it as the task name.
    void StopJoinAndSaveTask(const std::string& first, const std::string& name,
                             const std::string& dest) {
        ScriptedPrompter p;
        ucAssembler w(nullptr, &windows, host);
        w.SetSegmentSize(16384);
        p.OnDoEvents([&p, &w] {
            if (p.doEventsCount == 1) w.fProgpan()->findChild<QPushButton*>("cmdCancel")->click();
        });
        p.Answer(Answer::Yes).Type(name);
        Join(w, first, dest);
    }

    TempFolder userData;
    std::string source;
    std::unique_ptr<frmMain> window;

private:
    std::unique_ptr<ScopedEnv> xdg_;
};

}  // namespace kb::testing
