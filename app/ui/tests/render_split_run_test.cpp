// Renders what a split from the wizard shows: the generator list of the sixth stage, the panel
// while the data is compressed, and the panel while the pieces are written.
#include <QRadioButton>
#include <QTreeWidget>

#include "app/core/testing/scripted_prompter.h"
#include "app/ui/tests/render_check.h"
#include "app/ui/tests/split_run_fixture.h"

namespace kb {
namespace {

using testing::SaveAndCheck;

class RenderSplitRunTest : public testing::SplitRunTest {};

TEST_F(RenderSplitRunTest, GeneratorListAndProgressPanels) {
    LoadTicked(KB_UI_TEST_PLUGIN_DIR "/ui_gen_script.so");
    LoadTicked(KB_UI_TEST_PLUGIN_DIR "/ui_gen_extra.so");
    MakeFile(source.File("holiday-video.mkv"), 400'000);
    Open();
    window->resize(790, 540);
    ToOptions("holiday-video.mkv");
    ClickWidget(window->SplitterWizard().fSplitStageCmpEnc_->optFileFormatting_[1]);
    Click("chkUseCompression");
    bool preparing = false;
    int writing = 0;
    prompter.OnDoEvents([&] {
        if (Stage() == 3 && !preparing) {
            preparing = true;
            SaveAndCheck(*window, "split-run-compressing");
        }
        if (Stage() == 6 && ++writing == 8) SaveAndCheck(*window, "split-run-writing");
    });
    ToRange(100);
    Click("optExtraFilesOn");
    Child<QTreeWidget>("lvExtraFilesList")->topLevelItem(1)->setCheckState(0, Qt::Checked);
    SaveAndCheck(*window, "split-stage-6-extra-files");
    Click("cmdSplitWizNext");
    EXPECT_TRUE(preparing);
    EXPECT_GE(writing, 8);
}

}  // namespace
}  // namespace kb
