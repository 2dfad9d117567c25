#pragma once
// Splits run from the wizard as a user runs them: the main window offscreen, its named controls
// clicked, the boxes and small windows scripted, and the pieces read back by the engine's
// assembler.

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/core/active_assembler.h"
#include "app/core/active_splitter.h"
#include "app/core/temp_manager.h"
#include "app/core/testing/fake_disks.h"
#include "app/core/testing/scripted_dialogs.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/core/testing/scripted_windows.h"
#include "app/pluginhost/plugin_rows.h"
#include "app/pluginhost/plugin_sys.h"
#include "app/ui/options/opt_gen_frame.h"
#include "app/ui/options/options_page.h"
#include "app/ui/shell/frm_main.h"
#include "app/ui/splitter/split_stage_cmp_enc.h"
#include "app/ui/splitter/split_stage_source_multi.h"
#include "app/ui/splitter/split_wizard.h"
#include "app/ui/tests/splitter_window_fixture.h"

namespace kb::testing {

class SplitRunTest : public SplitterWindowTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        tmp_ = std::make_unique<ScopedEnv>("TMPDIR", tmpFolder.Path());
    }
    void TearDown() override {
        window.reset();
        TempManager::Instance().RemoveAllTempFiles();
        SplitterWindowTest::TearDown();
    }

    // A file of pseudo-random bytes (they do not compress, so sizes stay predictable).
    std::string MakeFile(const std::string& path, size_t bytes, uint32_t seed = 5) {
        std::string data(bytes, '\0');
        uint32_t x = seed * 2654435761u + 1;
        for (char& c : data) {
            x = x * 1664525u + 1013904223u;
            c = static_cast<char>(x >> 24);
        }
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << data;
        return data;
    }
    // Loads a plug-in into the next slot, ticked as the start-up's autoload leaves it.
    int16_t LoadTicked(const std::string& path) {
        const int16_t slot = host.LoadPluginSlot(path);
        EXPECT_GE(slot, 0);
        host.PluginList.Add(slot + 1, PluginRow{"", "", path, "", "", "", 0, true});
        host.SendPluginCommand(slot, PLUGIN_EVT_ENABLED);
        return slot;
    }
    void BeforeReset() override {
        window->SplitterWizard().SetWizardWindows(wizardWindows);
        // Several chunks to a piece, so that a cancel lands inside one.
        window->Splitter().SegmentSize = 16384;
    }
    // Stage 1 to stage 3 with the single file of that name.
    void ToOptions(const QString& file) {
        Click("cmdSplitWizNext");
        auto* files = Child<QListWidget>("SingleSplitFile");
        const auto found = files->findItems(file, Qt::MatchEndsWith);
        ASSERT_EQ(found.size(), 1);
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(found[0]).center());
        Click("cmdSplitWizNext");
        ASSERT_EQ(Stage(), 3);
    }
    // Stage 3 to stage 6 with pieces of `kb` kilobytes (0: the size the stage offers).
    void ToRange(int kb) {
        Click("cmdSplitWizNext");
        ASSERT_EQ(Stage(), 4);
        FromDestinationToRange(kb);
    }
    // Stage 4, as it stands, to stage 6.
    void FromDestinationToRange(int kb) {
        Click("cmdSplitWizNext");
        ASSERT_EQ(Stage(), 5);
        if (kb > 0) {
            Click("optCustomSize");
            Type("txtCustomSize", QString::number(kb));
        }
        Type("txtFragNamingTemplate", "%f.%N");
        Click("cmdSplitWizNext");
        ASSERT_EQ(Stage(), 6);
    }
    // Opens the window and runs stage 3's preparation of a multi-file selection of these files;
    // the one box it is expected to show is answered OK.
    void PrepareSelection(const std::vector<std::string>& paths) {
        Open();
        auto* multi = window->SplitterWizard().fSplitStageSelectSourceMulti_;
        Click("optSplitMultiFile");
        Click("cmdSplitWizNext");
        for (const std::string& path : paths) multi->AddFileFromCommandLine(path);
        Click("cmdSplitWizNext");
        prompter.Answer(Answer::OK);
        Click("cmdSplitWizNext");
    }
    int Stage() { return window->SplitterWizard().Flow().SplitWizStage; }
    ActiveSplitter& Splitter() { return window->Splitter(); }

    // Joins the series whose first piece is given; the joined bytes ("" when the join failed).
    std::string Join(const std::string& first) {
        ActiveAssembler a;
        a.SetFileToAssemble(first);
        TempFolder out;
        std::string d = out.Path();
        a.SetDestinationFolder(d);
        if (a.Assemble(d) != 0) return "";
        lastJoin = ReadAll(a.BigFile);
        return lastJoin;
    }
    static bool CabextractAccepts(const std::string& path) {
        return std::system(("cabextract -q -t '" + path + "' >/dev/null 2>&1").c_str()) == 0;
    }
    static std::string Listing(const std::string& path) {
        const std::string out = path + ".list";
        std::system(("cabextract -q -l '" + path + "' > '" + out + "' 2>&1").c_str());
        return ReadAll(out);
    }
    // The window is usable again: nothing busy, tabs and buttons on, the panel gone.
    void ExpectUnlocked() {
        EXPECT_FALSE(window->SplitBusy);
        EXPECT_TRUE(Child("Tabs")->isEnabled());
        EXPECT_TRUE(Child("cmdSplitWizNext")->isEnabledTo(&window->SplitterWizard()));
        EXPECT_TRUE(Child("cmdSplitWizBack")->isEnabledTo(&window->SplitterWizard()) || Stage() == 1);
        EXPECT_TRUE(Child("fSptProgPan")->isHidden());
    }

    ScriptedWindows windows;
    WizardWindows* wizardWindows = &windows;
    TempFolder tmpFolder;
    std::string lastJoin;

private:
    std::unique_ptr<ScopedEnv> tmp_;
};

}  // namespace kb::testing
