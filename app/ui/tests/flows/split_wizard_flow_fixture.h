#pragma once
// The splitter wizard's flow on its own, for tests: a fake multi-file selection, a window's
// hooks that count what they are asked, the scripted prompter and dialogs, and fake disks.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/core/active_splitter.h"
#include "app/core/file_list.h"
#include "app/core/testing/fake_disks.h"
#include "app/core/testing/scripted_dialogs.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/core/testing/temp_folder.h"
#include "app/ui/splitter/split_multi_source.h"
#include "app/ui/splitter/split_wizard_flow.h"
#include "app/ui/tests/ui_fixture.h"

namespace kb::testing {

class FakeMulti : public SplitMultiSource {
public:
    int RowCount() const override { return rows; }
    const FileList& SplitFiles() const override { return files; }
    std::vector<std::string> SplitFolders() const override { return folders; }
    std::string SeriesName() const override { return "Series"; }
    bool FolderSizesStale() const override { return true; }
    void SetSeriesNameTag(const std::string& t) override { tag = t; }
    void RemoveAll() override {
        rows = 0;
        ++removeAlls;
    }
    void SetAddFileStart(const std::string& f) override { addFileStart = f; }
    int rows = 0;
    FileList files;
    std::vector<std::string> folders;
    int removeAlls = 0;
    std::string tag;
    std::string addFileStart;
};

class SplitWizardFlowTest : public UiTest {
protected:
    SplitWizardFlowTest() : flow(splitter, dialogs, multi, host, Hooks()) {}

    SplitWizardHooks Hooks() {
        SplitWizardHooks h;
        h.defaultSource = [this] { return defaultSource; };
        h.defaultDest = [this] { return defaultDest; };
        h.formLoading = [] { return false; };
        h.splitFromWizard = [this] { ++splits; };
        h.selectFrontPage = [this] { ++frontPages; };
        h.setBusy = [this](bool b) { busy = b; };
        return h;
    }
    // A file of the given size in the test's folder.
    std::string MakeFile(const std::string& name, uintmax_t bytes) {
        const std::string path = files.File(name);
        { std::ofstream(path, std::ios::binary); }
        std::filesystem::resize_file(path, bytes);
        return path;
    }
    // Walks from stage 1 to stage 5 with one file.
    void WalkToStage5(const std::string& path) {
        flow.cmdSplitWizNext_Click();
        dialogs.ChooseFile(path);
        flow.cmdSingleSplitComDlg_Click();
        flow.cmdSplitWizNext_Click();
        flow.cmdSplitWizNext_Click();
        flow.cmdSplitWizNext_Click();
        ASSERT_EQ(flow.SplitWizStage, 5);
    }

    ScriptedPrompter prompter;
    ScriptedDialogs dialogs;
    FakeDisks disks;
    TempFolder files;
    ActiveSplitter splitter;
    FakeMulti multi;
    std::string defaultSource;
    std::string defaultDest;
    int splits = 0;
    int frontPages = 0;
    bool busy = false;
    SplitWizardFlow flow;
};

}  // namespace kb::testing
