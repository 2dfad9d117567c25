// Real splits from the wizard: one file in both piece formats, compressed, a gathered
// selection, encrypted with the Tea plug-in, and the ways the preparation can fail.
#include <QRadioButton>
#include <QTreeWidget>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstring>
#include <optional>

#include "app/core/task_folder.h"
#include "app/pluginhost/kbplugin.h"
#include "app/pluginhost/plugin_text.h"
#include "app/ui/common/uc_progress_panel.h"
#include "app/ui/splitter/split_stage_source_multi.h"
#include "app/ui/tests/split_run_fixture.h"
#include "platform/cab_archive.h"

namespace kb {
namespace {

using testing::ReadAll;
using testing::SplitRunTest;

TEST_F(SplitRunTest, OneFileInEitherPieceFormatJoinsBackToTheSameBytes) {
    for (int format : {0, 1}) {
        SCOPED_TRACE(format);
        const std::string data = MakeFile(source.File("data.bin"), 300'000 + format);
        Open();
        ToOptions("data.bin");
        ClickWidget(window->SplitterWizard().fSplitStageCmpEnc_->optFileFormatting_[format]);
        ToRange(100);
        EXPECT_EQ(Splitter().CompressionID, 0);
        EXPECT_EQ(Splitter().BigFile(), source.File("data.bin"));
        EXPECT_EQ(Splitter().FilenameToStore, "data.bin");
        Click("cmdSplitWizNext");
        ExpectUnlocked();
        EXPECT_EQ(window->SelectedTabKey(), "Frontpage");
        EXPECT_EQ(Join(dest.File("data.001")), data);
        EXPECT_TRUE(std::filesystem::exists(source.File("data.bin"))) << "the user's file stays";
        std::filesystem::remove_all(dest.Path());
        std::filesystem::create_directories(dest.Path());
        window.reset();
    }
}

TEST_F(SplitRunTest, OneFileCompressedKeepsItsOwnStoredNameAndTheArchiveReadsBack) {
    const std::string data = MakeFile(source.File("report.txt"), 200'000);
    Open();
    ToOptions("report.txt");
    Click("chkUseCompression");
    ToRange(64);
    EXPECT_EQ(Splitter().CompressionID, 2);
    EXPECT_EQ(Splitter().FilenameToStore, "report.txt");
    const std::string archive = Splitter().BigFile();
    EXPECT_EQ(std::filesystem::path(archive).parent_path(), tmpFolder.Path());
    EXPECT_EQ(archive, TempManager::Instance().GetTempFilePath("Archive"));
    Click("cmdSplitWizNext");
    ExpectUnlocked();
    EXPECT_FALSE(std::filesystem::exists(archive)) << "the temporary archive is removed";

    const std::string joined = Join(dest.File("report.001"));
    ASSERT_FALSE(joined.empty());
    const std::string cab = tmpFolder.File("joined.cab");
    std::ofstream(cab, std::ios::binary) << joined;
    EXPECT_TRUE(CabextractAccepts(cab));
    testing::TempFolder out;
    platform::ExtractCab(cab, out.Path());
    EXPECT_EQ(testing::ReadAll(out.File("report.txt")), data);
}

TEST_F(SplitRunTest, ASelectionIsGatheredInListOrderWithoutFollowingLinksOrFifos) {
    MakeFile(source.File("one.bin"), 40'000, 1);
    MakeFile(source.File("two.bin"), 30'000, 2);
    const std::string inner = MakeFile(source.File("docs/sub/inner.txt"), 5'000, 3);
    MakeFile(source.File("elsewhere/secret.txt"), 100, 4);
    std::filesystem::create_directory_symlink(source.File("elsewhere"), source.File("docs/link"));
    ASSERT_EQ(mkfifo(source.File("docs/pipe").c_str(), 0600), 0);
    Open();
    auto* multi = window->SplitterWizard().fSplitStageSelectSourceMulti_;
    Click("optSplitMultiFile");
    Click("cmdSplitWizNext");
    multi->AddFileFromCommandLine(source.File("two.bin"));
    multi->AddFileFromCommandLine(source.File("one.bin"));
    multi->AddFolderFromCommandLine(source.File("docs"));
    Type("txtSeriesName", "Bundle");
    Click("cmdSplitWizNext");
    ASSERT_EQ(Stage(), 3);
    ToRange(32);
    EXPECT_EQ(Splitter().CompressionID, 1);
    EXPECT_EQ(Splitter().FilenameToStore, "Bundle.cab");
    Click("cmdSplitWizNext");
    ExpectUnlocked();

    const std::string joined = Join(dest.File("Bundle.001"));
    ASSERT_FALSE(joined.empty());
    const std::string cab = tmpFolder.File("bundle.cab");
    std::ofstream(cab, std::ios::binary) << joined;
    EXPECT_TRUE(CabextractAccepts(cab));
    const std::string list = Listing(cab);
    EXPECT_LT(list.find("two.bin"), list.find("one.bin")) << list;
    EXPECT_NE(list.find("docs/sub/inner.txt"), std::string::npos) << list;
    EXPECT_EQ(list.find("secret"), std::string::npos) << list;
    EXPECT_EQ(list.find("pipe"), std::string::npos) << list;
}

// Selections often hold files of one name from different folders: each is stored under a name
// of its own and comes back out of the archive.
TEST_F(SplitRunTest, SameNamedFilesFromDifferentFoldersAreGatheredUnderNamesOfTheirOwn) {
    const std::string first = MakeFile(source.File("a/readme.txt"), 1000, 1);
    const std::string second = MakeFile(source.File("b/readme.txt"), 1500, 2);
    Open();
    auto* multi = window->SplitterWizard().fSplitStageSelectSourceMulti_;
    Click("optSplitMultiFile");
    Click("cmdSplitWizNext");
    multi->AddFileFromCommandLine(source.File("a/readme.txt"));
    multi->AddFileFromCommandLine(source.File("b/readme.txt"));
    Type("txtSeriesName", "Notes");
    Click("cmdSplitWizNext");
    ToRange(32);
    Click("cmdSplitWizNext");
    ExpectUnlocked();
    EXPECT_TRUE(prompter.boxes.empty());

    const std::string joined = Join(dest.File("Notes.001"));
    ASSERT_FALSE(joined.empty());
    const std::string cab = tmpFolder.File("notes.cab");
    std::ofstream(cab, std::ios::binary) << joined;
    testing::TempFolder out;
    ASSERT_EQ(std::system(("cabextract -q -d '" + out.Path() + "' '" + cab + "'").c_str()), 0);
    EXPECT_EQ(testing::ReadAll(out.File("readme.txt")), first);
    EXPECT_EQ(testing::ReadAll(out.File("readme (2).txt")), second);
}

// Files larger than the limit cannot be written while it holds, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldSignal_);
    }

private:
    rlimit old_{};
    void (*oldSignal_)(int) = nullptr;
};

// The box names the real cause below the likely one, and the wizard goes back to the source.
TEST_F(SplitRunTest, AnArchiveThatCannotBeBuiltGoesBackToTheSelection) {
    struct Case {
        const char* what;
        bool vanishes;       // y.bin is removed after the selection was made
        bool archiveMade;    // the build itself failed, so "Archive" was made
        std::string cause;
    } cases[] = {
        {"a selected file vanished", true, false, source.File("b/y.bin")},
        {"the temporary folder is full", false, true, std::strerror(EFBIG)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MakeFile(source.File("a/x.bin"), 100'000, 1);
        MakeFile(source.File("b/y.bin"), 1000, 2);
        Open();
        auto* multi = window->SplitterWizard().fSplitStageSelectSourceMulti_;
        Click("optSplitMultiFile");
        Click("cmdSplitWizNext");
        multi->AddFileFromCommandLine(source.File("a/x.bin"));
        multi->AddFileFromCommandLine(source.File("b/y.bin"));
        Click("cmdSplitWizNext");
        if (c.vanishes) std::filesystem::remove(source.File("b/y.bin"));
        prompter.boxes.clear();
        prompter.Answer(Answer::OK);
        {
            std::optional<FileSizeLimit> full;
            if (!c.vanishes) full.emplace(64 * 1024);
            Click("cmdSplitWizNext");
        }
        ASSERT_EQ(prompter.boxes.size(), 1u);
        EXPECT_EQ(prompter.boxes[0].title, "Problem creating CAB file");
        EXPECT_NE(prompter.boxes[0].text.find(c.cause), std::string::npos) << prompter.boxes[0].text;
        EXPECT_EQ(Stage(), 2);
        EXPECT_FALSE(Child("fSplitStageSelectSourceMulti")->isHidden());
        ExpectUnlocked();
        bool registered = true;
        try {
            TempManager::Instance().GetTempFilePath("Archive");
        } catch (const std::exception&) {
            registered = false;
        }
        EXPECT_EQ(registered, c.archiveMade);
        window.reset();
        TempManager::Instance().RemoveAllTempFiles();
    }
}

TEST_F(SplitRunTest, ASelectionTooLargeForOneArchiveIsRefusedBeforeAnythingIsWritten) {
    for (const char* name : {"a.img", "b.img"}) {
        { std::ofstream(source.File(name)); }
        std::filesystem::resize_file(source.File(name), 1'100'000'000);  // sparse
    }
    PrepareSelection({source.File("a.img"), source.File("b.img")});
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].title, "Selection too large");
    EXPECT_EQ(Stage(), 2);
    ExpectUnlocked();
    EXPECT_THROW(TempManager::Instance().GetTempFilePath("Archive"), std::exception);
    EXPECT_TRUE(std::filesystem::is_empty(tmpFolder.Path()));
}

TEST_F(SplitRunTest, TheSelectionLimitIsTheLastByteOneArchiveHolds) {
    // Under a small file-size limit, a selection the size check lets through fails as soon as
    // the archive is written, so no test writes 2 GB.
    constexpr uint64_t half = platform::kCabMaxTotalBytes / 2;
    for (uint64_t extra : {0, 1}) {
        SCOPED_TRACE(extra);
        prompter.boxes.clear();
        for (const char* name : {"a/x.img", "b/y.img"}) {
            std::filesystem::create_directories(std::filesystem::path(source.File(name)).parent_path());
            { std::ofstream(source.File(name)); }
        }
        std::filesystem::resize_file(source.File("a/x.img"), half);  // sparse
        std::filesystem::resize_file(source.File("b/y.img"), half + extra);
        {
            FileSizeLimit full(1 << 20);
            PrepareSelection({source.File("a/x.img"), source.File("b/y.img")});
        }
        ASSERT_EQ(prompter.boxes.size(), 1u);
        EXPECT_EQ(prompter.boxes[0].title, extra ? "Selection too large" : "Problem creating CAB file");
        EXPECT_EQ(Stage(), 2);
        ExpectUnlocked();
        window.reset();
        TempManager::Instance().RemoveAllTempFiles();
    }
}

TEST_F(SplitRunTest, PiecesNamedLikeFilesInTheDestinationAreAskedForOnceAndNoKeepsTheStage) {
    const std::string data = MakeFile(source.File("data.bin"), 300'000);
    const std::string old = dest.File("data.002");
    std::ofstream(old) << "the user's";
    Open();
    ToOptions("data.bin");
    ToRange(100);
    prompter.Answer(Answer::No);
    Click("cmdSplitWizNext");
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].title, "Files already exist");
    EXPECT_EQ(prompter.boxes[0].DefaultButton(), mb::DefaultButton2);
    EXPECT_EQ(prompter.boxes[0].text, old + " already exists. Replace it with a fragment of this split?");
    EXPECT_EQ(Stage(), 6);
    EXPECT_FALSE(Child("fSplitStageFragRange")->isHidden());
    ExpectUnlocked();
    EXPECT_EQ(ReadAll(old), "the user's");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dest.Path()), {}), 1);

    // Yes: the split runs as into an empty folder, and is not asked about again.
    prompter.Answer(Answer::Yes);
    Click("cmdSplitWizNext");
    EXPECT_EQ(prompter.boxes.size(), 2u);
    EXPECT_EQ(Stage(), 1);
    EXPECT_EQ(Join(dest.File("data.001")), data);
    EXPECT_FALSE(Splitter().ReplaceExistingPieces);
}

TEST_F(SplitRunTest, EncryptedThroughTeaAfterAWrongConfirmationDecryptsBack) {
    const int16_t tea = LoadTicked(KB_TEA_PLUGIN);
    const std::string data = MakeFile(source.File("secret.doc"), 150'000);
    Open();
    ToOptions("secret.doc");
    Click("chkUseEnc");
    Type("txtPassword", "open sesame");
    windows.TypePassword("open sesamE").TypePassword("open sesame");
    prompter.Answer(Answer::Retry);
    ToRange(50);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].title, "Password validation error");
    EXPECT_EQ(Splitter().EncryptionID, 2);
    EXPECT_EQ(Splitter().CompressionID, 0);
    EXPECT_EQ(Splitter().BigFile(), TempManager::Instance().GetTempFilePath("EncArchive"));
    Click("cmdSplitWizNext");
    ExpectUnlocked();

    const std::string joined = Join(dest.File("secret.001"));
    ASSERT_FALSE(joined.empty());
    const std::string enc = tmpFolder.File("joined.enc");
    const std::string back = tmpFolder.File("back.doc");
    std::ofstream(enc, std::ios::binary) << joined;
    PluginTextArg a1(enc), a2(back), a3("open sesame");
    int32_t zero = 0;
    ASSERT_EQ(host.CallPluginMain(tea, PLUGIN_CMD_DECRYPT_FILE, a1.Var(), a2.Var(), a3.Var(), &zero),
              0);
    EXPECT_EQ(testing::ReadAll(back), data);
}

// Compressed, then encrypted: once the encrypted copy is written the plain archive is gone from
// the temporary folder, and a task saved meanwhile resumes from the encrypted copy alone.
TEST_F(SplitRunTest, ACompressedAndEncryptedSplitKeepsOnlyTheEncryptedCopyAndResumesFromIt) {
    const int16_t tea = LoadTicked(KB_TEA_PLUGIN);
    const std::string data = MakeFile(source.File("notes.txt"), 200'000);
    Open();
    ToOptions("notes.txt");
    Click("chkUseCompression");
    Click("chkUseEnc");
    Type("txtPassword", "pw");
    windows.TypePassword("pw");
    ToRange(50);
    EXPECT_EQ(Splitter().CompressionID, 2);
    EXPECT_EQ(Splitter().EncryptionID, 2);
    const std::string encrypted = Splitter().BigFile();
    EXPECT_EQ(encrypted, TempManager::Instance().GetTempFilePath("EncArchive"));
    EXPECT_THROW(TempManager::Instance().GetTempFilePath("Archive"), KbError);
    std::vector<std::string> temporary;
    for (const auto& e : std::filesystem::directory_iterator(tmpFolder.Path()))
        temporary.push_back(e.path().string());
    EXPECT_EQ(temporary, std::vector<std::string>{encrypted}) << "the plain archive is gone";

    prompter.OnDoEvents([this, n = 0]() mutable {
        if (++n == 3) ClickWidget(window->fSptProgPan()->findChild<QWidget*>("cmdCancel"));
    });
    prompter.Answer(Answer::Yes).Type("Sealed").Answer(Answer::OK);
    Click("cmdSplitWizNext");
    ExpectUnlocked();
    const std::string task = UnfinishedTasksFolder() + "/Sealed.uft";
    ASSERT_TRUE(std::filesystem::exists(task));
    ASSERT_TRUE(std::filesystem::exists(encrypted)) << "the saved task needs the encrypted copy";
    prompter.OnDoEvents({});
    ActiveSplitter resumed;
    resumed.SegmentSize = 16384;
    resumed.SetResumeInfo(task);
    EXPECT_EQ(resumed.BigFile(), encrypted);
    resumed.Split();

    const std::string joined = Join(dest.File("notes.001"));
    ASSERT_FALSE(joined.empty());
    const std::string enc = tmpFolder.File("joined.enc"), cab = tmpFolder.File("joined.cab");
    std::ofstream(enc, std::ios::binary) << joined;
    PluginTextArg a1(enc), a2(cab), a3("pw");
    int32_t zero = 0;
    ASSERT_EQ(host.CallPluginMain(tea, PLUGIN_CMD_DECRYPT_FILE, a1.Var(), a2.Var(), a3.Var(), &zero),
              0);
    testing::TempFolder out;
    platform::ExtractCab(cab, out.Path());
    EXPECT_EQ(testing::ReadAll(out.File("notes.txt")), data);
}

TEST_F(SplitRunTest, AFailingEncryptorOrACancelledConfirmationGoesBackToTheOptions) {
    LoadTicked(KB_UI_TEST_PLUGIN_DIR "/ui_enc_failing.so");
    MakeFile(source.File("a.bin"), 20'000);
    Open();
    ToOptions("a.bin");
    Click("chkUseEnc");
    Type("txtPassword", "pw");
    windows.TypePassword("pw");
    prompter.Answer(Answer::OK);
    Click("cmdSplitWizNext");
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].title, "Problem encrypting");
    EXPECT_EQ(Stage(), 3);
    EXPECT_FALSE(Child("fSplitStageCmpEnc")->isHidden());
    ExpectUnlocked();
    EXPECT_THROW(TempManager::Instance().GetTempFilePath("EncArchive"), std::exception);

    windows.TypePassword("nope");
    prompter.Answer(Answer::Cancel);
    Click("cmdSplitWizNext");
    EXPECT_EQ(prompter.boxes.back().title, "Password validation error");
    EXPECT_EQ(Stage(), 3);
    ExpectUnlocked();
}

TEST_F(SplitRunTest, ASourceThatVanishedIsNamedAndTheWizardReturnsToTheSource) {
    MakeFile(source.File("gone.bin"), 20'000);
    Open();
    ToOptions("gone.bin");
    std::filesystem::remove(source.File("gone.bin"));
    prompter.Answer(Answer::OK);
    Click("cmdSplitWizNext");
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_NE(prompter.boxes[0].text.find(source.File("gone.bin")), std::string::npos);
    EXPECT_EQ(Stage(), 2);
    ExpectUnlocked();
}

TEST_F(SplitRunTest, GeneratorsWriteTheirFilesBesideThePieces) {
    LoadTicked(KB_UI_TEST_PLUGIN_DIR "/ui_gen_extra.so");
    MakeFile(source.File("data.bin"), 50'000);
    Open();
    ToOptions("data.bin");
    ToRange(20);
    Click("optExtraFilesOn");
    auto* list = Child<QTreeWidget>("lvExtraFilesList");
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "Extra file maker");
    list->topLevelItem(0)->setCheckState(0, Qt::Checked);
    Click("cmdSplitWizNext");
    ExpectUnlocked();
    EXPECT_EQ(std::filesystem::file_size(dest.File("data.bin.gen7")), 2000u);
    EXPECT_TRUE(std::filesystem::exists(dest.File("data.003")));
}

}  // namespace
}  // namespace kb
