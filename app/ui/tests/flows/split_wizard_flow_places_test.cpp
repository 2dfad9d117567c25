// The splitter wizard's flow: the single-file source, the destination and the options stage.
#include "app/ui/tests/flows/split_wizard_flow_fixture.h"

#include "app/core/kb_error.h"
#include "app/core/text.h"

namespace kb {
namespace {

using testing::SplitWizardFlowTest;

TEST_F(SplitWizardFlowTest, TheOpenDialogMovesTheListsAndShowsTheFile) {
    flow.single.folder = files.Path();
    flow.single.filePath = files.Path();
    dialogs.Cancel();
    flow.cmdSingleSplitComDlg_Click();
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    EXPECT_EQ(dialogs.openRequests[0].fileName, files.Path() + "/*.*");
    EXPECT_EQ(dialogs.openRequests[0].title, "Please select the file you would like to split");
    EXPECT_TRUE(flow.single.fileName.empty());
    // Sizes past 32 bits show as they are.
    testing::TempFolder other;
    const std::string big = other.File("Big File");
    { std::ofstream(big, std::ios::binary); }
    std::filesystem::resize_file(big, 3ULL << 30);
    dialogs.ChooseFile(big);
    flow.cmdSingleSplitComDlg_Click();
    EXPECT_EQ(flow.single.folder, other.Path());
    EXPECT_EQ(flow.single.filePath, other.Path());
    EXPECT_EQ(flow.single.fileName, "Big File");
    EXPECT_EQ(flow.single.info, big + "\r\r" + FormatByteSize(3LL << 30));
    EXPECT_EQ(FormatByteSize(3LL << 30), "3072 Mb");
    EXPECT_TRUE(flow.nav.nextEnabled);
    // Another folder drops the choice.
    flow.single.folder = files.Path();
    flow.SingleSplitFolder_Change();
    EXPECT_FALSE(flow.nav.nextEnabled);
    EXPECT_EQ(flow.single.info, "Nothing selected.");
}

TEST_F(SplitWizardFlowTest, AFileThatCannotBeReadKeepsTheLabelAndNext) {
    flow.single.filePath = files.Path();
    flow.single.fileName = "gone.txt";
    flow.single.info = "before";
    flow.nav.nextEnabled = false;
    prompter.Answer(Answer::OK);
    flow.SingleSplitFile_Click();
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].title, "Problem accessing file");
    EXPECT_EQ(prompter.boxes[0].text, "Unable to select file '" + files.File("gone.txt") +
                                          "' because of error: File not found");
    EXPECT_EQ(flow.single.info, "before");
    EXPECT_FALSE(flow.nav.nextEnabled);
}

TEST_F(SplitWizardFlowTest, StageThreeTakesTheFormatAndGoesBackToTheSourceWhenTheFileHasGone) {
    const std::string path = MakeFile("a.bin", 50'000);
    flow.cmdSplitWizNext_Click();
    EXPECT_TRUE(flow.SplitWizInUse);
    dialogs.ChooseFile(path);
    flow.cmdSingleSplitComDlg_Click();
    flow.cmdSplitWizNext_Click();
    flow.cmpEnc.fileFormatting = 1;
    std::filesystem::remove(path);
    prompter.Answer(Answer::OK);
    flow.cmdSplitWizNext_Click();
    EXPECT_EQ(flow.SplitWizStage, 2);
    EXPECT_EQ(prompter.boxes.at(0).title, "Problem accessing file");
    EXPECT_FALSE(busy);
    EXPECT_TRUE(flow.nav.backEnabled);
    MakeFile("a.bin", 50'000);
    flow.cmdSplitWizNext_Click();
    flow.cmdSplitWizNext_Click();
    EXPECT_EQ(flow.SplitWizStage, 4);
    EXPECT_EQ(splitter.FileFormat(), 1);
    // A file at the root of a volume keeps one "/" before its name.
    flow.single.filePath = "/";
    flow.single.fileName = "x.bin";
    EXPECT_EQ(flow.SingleSourcePath(), "/x.bin");
}

TEST_F(SplitWizardFlowTest, DesktopAndDocumentsMoveTheListsOnlyToAFolderThatExists) {
    // No user-dirs file, as on many small desktops.
    testing::TempFolder config;
    testing::TempFolder home;
    testing::ScopedEnv xdg("XDG_CONFIG_HOME", config.Path());
    {
        // Not even a home folder: the lists stay.
        testing::ScopedEnv gone("HOME", home.File("gone"));
        flow.single.folder = flow.dest.folder = "/";
        flow.cmdSingleSplitDesktop_Click();
        flow.cmdFragDestMyDocs_Click();
        EXPECT_EQ(flow.single.folder, "/");
        EXPECT_EQ(flow.dest.folder, "/");
    }
    testing::ScopedEnv env("HOME", home.Path());
    flow.cmdSingleSplitDesktop_Click();
    flow.cmdFragDestMyDocs_Click();
    EXPECT_EQ(flow.single.folder, home.Path());
    EXPECT_EQ(flow.dest.folder, home.Path());
    std::filesystem::create_directories(home.File("Desktop"));
    std::filesystem::create_directories(home.File("Documents"));
    flow.cmdSingleSplitMyDocs_Click();
    flow.cmdFragDestDesktop_Click();
    EXPECT_EQ(flow.single.folder, home.File("Documents"));
    EXPECT_EQ(flow.single.filePath, home.File("Documents"));
    EXPECT_EQ(flow.single.drive, VolumeOf(home.Path()));
    EXPECT_EQ(flow.dest.folder, home.File("Desktop"));

    testing::TempFolder desktop;
    config.Write("user-dirs.dirs", "XDG_DESKTOP_DIR=\"" + desktop.Path() + "\"\n");
    flow.cmdSingleSplitDesktop_Click();
    flow.cmdFragDestDesktop_Click();
    EXPECT_EQ(flow.single.folder, desktop.Path());
    EXPECT_EQ(flow.dest.folder, desktop.Path());
}

TEST_F(SplitWizardFlowTest, TheDriveDecidesBetweenFolderAndDisks) {
    disks.freeBytes = 20480;
    disks.totalBytes = 1457664;
    flow.dest.drive = VolumeOf(files.Path());
    flow.dest.folder = files.Path();
    flow.drvFragDest_Change();
    EXPECT_FALSE(flow.dest.toDisks);
    EXPECT_FALSE(flow.dest.toDisksEnabled);
    EXPECT_FALSE(flow.dest.useFreespaceEnabled);
    EXPECT_EQ(flow.dest.folder, files.Path());
    EXPECT_EQ(flow.dest.driveInfo, "Fixed disk\r\r20 kb free space\rof 1423 kb total capacity.");
    disks.kind = platform::DriveKind::Removable;
    flow.drvFragDest_Change();
    EXPECT_TRUE(flow.dest.toDisks);
    EXPECT_TRUE(flow.dest.useFreespaceEnabled);
    EXPECT_TRUE(flow.dest.driveInfo.starts_with("Removable disk\r\r"));
    EXPECT_TRUE(flow.nav.nextEnabled);
}

TEST_F(SplitWizardFlowTest, AnUnreadableDriveAsksUntilCancelGoesBack) {
    flow.dest.folder = files.Path();
    flow.dest.drive = files.File("no-such-volume");
    prompter.Answer(Answer::Yes).Answer(Answer::OK).Answer(Answer::No).Answer(Answer::Cancel);
    flow.drvFragDest_Change();
    ASSERT_EQ(prompter.boxes.size(), 4u);
    EXPECT_EQ(prompter.boxes[0].title, "Disk unavailable");
    EXPECT_EQ(prompter.boxes[0].style, mb::YesNoCancel | mb::Exclamation);
    EXPECT_EQ(prompter.boxes[1].text,
              "Error: Drive is not formattable. You will probably need to format your disks in a "
              "separate program.");
    EXPECT_EQ(prompter.boxes[3].title, "Disk unavailable");
    EXPECT_EQ(flow.dest.drive, VolumeOf(files.Path()));
    EXPECT_EQ(flow.dest.folder, files.Path());
}

TEST_F(SplitWizardFlowTest, NewFolderIsMadeOnceUnderTheSelectedFolder) {
    flow.dest.folder = files.Path();
    prompter.Type("Pieces");
    EXPECT_EQ(flow.cmdFragDestMkdir_Click(), files.File("Pieces"));
    EXPECT_TRUE(std::filesystem::is_directory(files.File("Pieces")));
    ASSERT_EQ(prompter.inputs.size(), 1u);
    EXPECT_EQ(prompter.inputs[0].title, "New Folder");
    EXPECT_EQ(prompter.inputs[0].defaultText, "New Folder");
    EXPECT_EQ(flow.dest.folder, files.Path());
    prompter.Type("Pieces").Answer(Answer::OK);
    EXPECT_EQ(flow.cmdFragDestMkdir_Click(), "");
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, "An error occurred while creating the folder");
    EXPECT_EQ(prompter.boxes[0].title, "New Folder");
    prompter.Type("");
    flow.cmdFragDestMkdir_Click();
    EXPECT_EQ(prompter.boxes.size(), 1u);
}

TEST_F(SplitWizardFlowTest, TheEncryptorListComesFromTickedEncryptorPlugins) {
    flow.cmpEnc.useEnc = true;
    prompter.Answer(Answer::OK);
    flow.chkUseEnc_Click();
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].title, "No encryptors available");
    EXPECT_EQ(prompter.boxes[0].Icon(), mb::Exclamation);
    EXPECT_FALSE(flow.cmpEnc.useEnc);
    EXPECT_FALSE(flow.cmpEnc.encryptionEnabled);

    const std::string rec = LoadEnabledRecorder("recorder.so");
    Record(rec)->pluginType = PLUGIN_TYPE_ENCRYPTOR;
    host.PluginList.Add(1, PluginRow{"Recorder", "Padlock", rec, "Encryptor", "Excellent",
                                "CompatExcellent", 0, true});
    flow.cmpEnc.useEnc = true;
    flow.chkUseEnc_Click();
    EXPECT_EQ(flow.cmpEnc.encryptionTypes, std::vector<std::string>{"Recorder"});
    EXPECT_EQ(flow.cmpEnc.encryptionIndex, 0);
    EXPECT_TRUE(flow.cmpEnc.encryptionEnabled);
    EXPECT_TRUE(flow.cmpEnc.passwordEnabled);
    EXPECT_EQ(flow.LastEncryptionType, "Recorder");
    // Bare pieces cannot carry an encryptor's mark.
    flow.optFileFormatting_Click(1);
    EXPECT_FALSE(flow.cmpEnc.useEnc);
    EXPECT_FALSE(flow.cmpEnc.useEncEnabled);
    EXPECT_TRUE(flow.cmpEnc.encryptionTypes.empty());
}

}  // namespace
}  // namespace kb
