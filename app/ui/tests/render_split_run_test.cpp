// Renders what a split from the wizard shows: the generator list of the sixth stage, the panel
// while the data is compressed, and the panel while the pieces are written.
#include <QCoreApplication>
#include <QDir>
#include <QRadioButton>
#include <QTreeWidget>

#include "app/core/testing/scripted_prompter.h"
#include "app/ui/tests/split_run_fixture.h"

namespace kb {
namespace {

void Save(QWidget& w, const char* name) {
    const QString folder = QString(KB_UI_BINARY_DIR) + "/screenshots";
    QDir().mkpath(folder);
    QCoreApplication::processEvents();
    EXPECT_TRUE(w.grab().save(folder + "/" + name + ".png")) << name;
}

class RenderSplitRunTest : public testing::SplitRunTest {};

TEST_F(RenderSplitRunTest, GeneratorListAndProgressPanels) {
    LoadTicked(KB_UI_TEST_PLUGIN_DIR "/ui_gen_script.so");
    LoadTicked(KB_UI_TEST_PLUGIN_DIR "/ui_gen_extra.so");
    MakeFile(source.File("holiday-video.mkv"), 400'000);
    Open();
    window->resize(900, 540);
    ToOptions("holiday-video.mkv");
    ClickWidget(window->SplitterWizard().fSplitStageCmpEnc_->optFileFormatting_[1]);
    Click("chkUseCompression");
    bool preparing = false;
    int writing = 0;
    prompter.OnDoEvents([&] {
        if (Stage() == 3 && !preparing) {
            preparing = true;
            Save(*window, "split-run-compressing");
        }
        if (Stage() == 6 && ++writing == 8) Save(*window, "split-run-writing");
    });
    ToRange(100);
    Click("optExtraFilesOn");
    Child<QTreeWidget>("lvExtraFilesList")->topLevelItem(1)->setCheckState(0, Qt::Checked);
    Save(*window, "split-stage-6-extra-files");
    Click("cmdSplitWizNext");
    EXPECT_TRUE(preparing);
    EXPECT_GE(writing, 8);
}

}  // namespace
}  // namespace kb
