// The splitter wizard's flow: navigation, Reset and the piece-size stage.
#include "app/ui/tests/flows/split_wizard_flow_fixture.h"

#include "app/core/kb_error.h"
#include "app/core/text.h"
#include "app/ui/splitter/size_units.h"

namespace kb {
namespace {

using testing::SplitWizardFlowTest;

constexpr FirstPieceChoice kKbSmaller{FirstPieceMeaning::SmallerThanPiece, SizeUnit::KB};
constexpr FirstPieceChoice kBytesSmaller{FirstPieceMeaning::SmallerThanPiece, SizeUnit::Bytes};
const std::vector<std::string> kDiskFirstUnits{"bytes", "KB", "MB", "GB", "kbits"};
const std::vector<std::string> kFolderFirstUnits{
    "bytes",         "KB",         "MB",         "GB",         "kbits",
    "bytes smaller", "KB smaller", "MB smaller", "GB smaller", "kbits smaller"};

TEST_F(SplitWizardFlowTest, ASingleFileWalksToStageSixAndTheSplitThenResets) {
    const std::string path = MakeFile("report.doc", 3'000'000);
    flow.cmdSplitWizReset_Click();
    flow.dest.folder = files.Path();
    flow.dest.drive = VolumeOf(files.Path());
    WalkToStage5(path);
    EXPECT_EQ(splitter.BigFile(), path);
    EXPECT_EQ(splitter.FilenameToStore, "report.doc");
    EXPECT_EQ(splitter.FileFormat(), 0);
    EXPECT_EQ(splitter.CompressionID, 0);
    EXPECT_EQ(splitter.EncryptionID, 0);
    EXPECT_EQ(splitter.DestinationFolder(), files.Path() + "/");
    EXPECT_FALSE(splitter.SpanDisks);
    EXPECT_EQ(splitter.FragmentSize(), 1048576);
    EXPECT_EQ(splitter.FragsNeeded(), 3);
    EXPECT_EQ(flow.size.numPieces, "3");
    EXPECT_EQ(flow.size.templateExample, "report - 5.frg");
    EXPECT_FALSE(busy);
    flow.cmdSplitWizNext_Click();
    EXPECT_EQ(flow.SplitWizStage, 6);
    EXPECT_EQ(splitter.FragNamingTemplate, "%f - %n.frg");
    EXPECT_EQ(flow.extraFilesCaption,
              "The selected file(s) will be split into 3 pieces. Which ones do you wish to create?");
    EXPECT_EQ(flow.range.to.upper, 3);
    // Whatever the spinners hold, the split gets pieces that exist.
    flow.range.mode = RangeMode::Range;
    flow.range.from.value = 0;
    flow.range.to.value = 9;
    flow.cmdSplitWizNext_Click();
    EXPECT_EQ(splits, 1);
    EXPECT_EQ(frontPages, 1);
    EXPECT_TRUE(splitter.FragUseRange);
    EXPECT_EQ(splitter.FragFirst, 1);
    EXPECT_EQ(splitter.FragLast, 3);
    EXPECT_EQ(flow.SplitWizStage, 1);
    EXPECT_TRUE(flow.nav.shown[static_cast<int>(SplitFrame::Intro)]);
}

TEST_F(SplitWizardFlowTest, BackWalksTheFramesDownAndBroadcastsEvenOnStageOne) {
    const std::string rec = LoadEnabledRecorder("recorder.so");
    RecorderState* state = Record(rec);
    ASSERT_NE(state, nullptr);
    flow.dest.folder = files.Path();
    WalkToStage5(MakeFile("a.bin", 50'000));
    flow.cmdSplitWizNext_Click();
    const SplitFrame shownAfterBack[] = {SplitFrame::FragSize, SplitFrame::SelDest,
                                         SplitFrame::CmpEnc, SplitFrame::SourceSingle,
                                         SplitFrame::Intro};
    for (SplitFrame f : shownAfterBack) {
        flow.cmdSplitWizBack_Click();
        int shown = 0;
        for (bool b : flow.nav.shown) shown += b;
        EXPECT_EQ(shown, 1);
        EXPECT_TRUE(flow.nav.shown[static_cast<int>(f)]);
    }
    EXPECT_EQ(flow.SplitWizStage, 1);
    EXPECT_FALSE(flow.nav.backEnabled);
    EXPECT_TRUE(flow.nav.nextEnabled);
    const int before = Count(state, PLUGIN_EVT_WIZARD_PAGE);
    flow.cmdSplitWizBack_Click();
    EXPECT_EQ(Count(state, PLUGIN_EVT_WIZARD_PAGE), before + 1);
    EXPECT_EQ(flow.SplitWizStage, 1);
    EXPECT_EQ(before, 5 + 5);  // five Nexts and five Backs
}

TEST_F(SplitWizardFlowTest, ResetPutsBackTheDefaultsAndTheOptionsPagesFolders) {
    testing::TempFolder dest;
    defaultSource = files.Path();
    defaultDest = dest.Path();
    flow.size.firstOverride = true;
    flow.cmpEnc.useCompression = true;
    flow.cmpEnc.fileFormatting = 1;
    flow.cmpEnc.password = "secret";
    flow.size.mode = SizeMode::Custom;
    flow.range.mode = RangeMode::Single;
    flow.SplitWizStage = 4;
    // A source far too large for the default size does not stop the reset.
    splitter.SetBigFile(MakeFile("huge.bin", 40ULL << 30));
    flow.cmdSplitWizReset_Click();
    EXPECT_TRUE(prompter.boxes.empty());
    EXPECT_EQ(flow.size.customSize, "1024");
    EXPECT_EQ(flow.size.customUnit, ListIndex(SizeUnit::KB));
    EXPECT_EQ(flow.SplitWizStage, 1);
    EXPECT_FALSE(flow.SplitWizInUse);
    EXPECT_FALSE(flow.nav.backEnabled);
    EXPECT_TRUE(flow.nav.nextEnabled);
    EXPECT_EQ(flow.single.folder, files.Path());
    EXPECT_EQ(flow.single.filePath, files.Path());
    EXPECT_EQ(flow.single.drive, VolumeOf(files.Path()));
    EXPECT_EQ(flow.dest.folder, dest.Path());
    EXPECT_FALSE(flow.dest.toDisks);
    EXPECT_EQ(multi.tag, "0");
    EXPECT_EQ(multi.removeAlls, 1);
    EXPECT_EQ(multi.addFileStart, files.Path() + "/*.*");
    EXPECT_FALSE(flow.intro.multiFile);
    EXPECT_EQ(flow.cmpEnc.fileFormatting, 0);
    EXPECT_FALSE(flow.cmpEnc.useCompression);
    EXPECT_FALSE(flow.cmpEnc.useEnc);
    EXPECT_TRUE(flow.cmpEnc.password.empty());
    EXPECT_EQ(flow.size.mode, SizeMode::Preset);
    EXPECT_EQ(flow.size.preset, 2);
    EXPECT_FALSE(flow.size.firstOverride);
    EXPECT_EQ(flow.size.namingTemplate, "%f - %n.frg");
    EXPECT_EQ(flow.range.mode, RangeMode::All);
    // A cleared default folder is one blank and counts as none.
    defaultSource = " ";
    defaultDest = " ";
    flow.single.folder = "/";
    flow.dest.folder = "/";
    flow.cmdSplitWizReset_Click();
    EXPECT_EQ(flow.single.folder, "/");
    EXPECT_EQ(flow.dest.folder, "/");
}

TEST_F(SplitWizardFlowTest, PresetsAreShownByTheDisplayRule) {
    struct Case {
        int preset;
        int64_t bytes;
        const char* text;
        SizeUnit unit;
    };
    constexpr SizeUnit KB = SizeUnit::KB;
    for (const Case& c : {Case{0, 730112, "713", KB}, Case{1, 1457664, "1423", KB},
                          Case{2, 1048576, "1024", KB}, Case{3, 2097152, "2048", KB},
                          Case{4, 104857600, "100", SizeUnit::MB}}) {
        flow.size.preset = c.preset;
        flow.cmbPreset_Click();
        EXPECT_EQ(splitter.FragmentSize(), c.bytes) << c.preset;
        EXPECT_EQ(flow.size.customSize, c.text) << c.preset;
        EXPECT_EQ(flow.size.customUnit, ListIndex(c.unit)) << c.preset;
    }
    flow.size.preset = -1;
    prompter.Answer(Answer::OK);
    flow.cmbPreset_Click();
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, "The size of the selected preset is unknown!");
    EXPECT_EQ(prompter.boxes[0].title, "Unable to set fragment size");
    EXPECT_EQ(prompter.boxes[0].Icon(), mb::Critical);
    EXPECT_EQ(splitter.FragmentSize(), 104857600);
}

TEST_F(SplitWizardFlowTest, CustomSizesAreConvertedClampedAndShownAgain) {
    struct Case {
        const char* text;
        SizeUnit unit;
        int64_t bytes;
        const char* shown;
    };
    flow.size.mode = SizeMode::Custom;
    constexpr SizeUnit KB = SizeUnit::KB;
    for (const Case& c : {Case{"12.5", KB, 12800, "12.5"}, Case{"1.5", KB, 10240, "10"},
                          Case{"5", SizeUnit::GB, 4294967296LL, "4"},
                          Case{"100", SizeUnit::Kbits, 12800, "100"},
                          Case{"1", SizeUnit::Bytes, 10240, "10240"}}) {
        flow.size.customSize = c.text;
        flow.size.customUnit = ListIndex(c.unit);
        EXPECT_TRUE(flow.txtCustomSize_Validate()) << c.text;
        flow.SetFragSizeFromSplitWiz();
        EXPECT_EQ(splitter.FragmentSize(), c.bytes) << c.text;
        EXPECT_EQ(flow.size.customSize, c.shown) << c.text;
    }
}

TEST_F(SplitWizardFlowTest, TypedSizesThatAreRefusedKeepTheirBox) {
    struct Case {
        const char* text;
        const char* message;
    };
    size_t shown = 0;
    for (const Case& c : {Case{"abc", "Please enter a numeric value"},
                          Case{"0", "The minimum size supported is 10 kb"},
                          Case{"-4", "The minimum size supported is 10 kb"},
                          Case{"4294967297", "The maximum size supported is 4096 Mb"}}) {
        prompter.Answer(Answer::OK);
        flow.size.customSize = c.text;
        EXPECT_FALSE(flow.txtCustomSize_Validate()) << c.text;
        ASSERT_EQ(prompter.boxes.size(), ++shown) << c.text;
        EXPECT_EQ(prompter.boxes.back().text, c.message);
        EXPECT_EQ(prompter.boxes.back().title, "Invalid size");
        EXPECT_EQ(prompter.boxes.back().Icon(), mb::Exclamation);
    }
    for (const char* t : {"%f - %n.frg", "%f.%N"}) {
        flow.size.namingTemplate = t;
        EXPECT_TRUE(flow.txtFragNamingTemplate_Validate()) << t;
    }
    for (const auto& [t, told] :
         {std::pair{"%f.frg", "You must use either %n or %N somewhere in the template!"},
          std::pair{"../escaped %n.frg", "You may not include the '/' character in the template: "
                                         "the fragments are all written into the destination folder."}}) {
        prompter.Answer(Answer::OK);
        flow.size.namingTemplate = t;
        EXPECT_FALSE(flow.txtFragNamingTemplate_Validate()) << t;
        ASSERT_EQ(prompter.boxes.size(), ++shown);
        EXPECT_EQ(prompter.boxes.back().text, told);
        EXPECT_EQ(prompter.boxes.back().title, "Invalid template");
        EXPECT_EQ(prompter.boxes.back().Icon(), mb::Critical);
    }
    prompter.Answer(Answer::OK);
    EXPECT_FALSE(flow.txtSeriesName_Validate("my.series"));
    ASSERT_EQ(prompter.boxes.size(), ++shown);
    EXPECT_EQ(prompter.boxes.back().title, kAppTitle);
    EXPECT_TRUE(flow.txtSeriesName_Validate("my series"));
}

TEST_F(SplitWizardFlowTest, PieceNumbersAreBroughtIntoTheirSpinnersBounds) {
    flow.range.from = PieceSpinner{"0", 1, 7, 1};
    flow.range.to = PieceSpinner{"12", 1, 7, 1};
    EXPECT_TRUE(flow.PieceNumber_Validate(flow.range.from));
    EXPECT_EQ(flow.range.from.text, "1");
    EXPECT_TRUE(flow.PieceNumber_Validate(flow.range.to));
    EXPECT_EQ(flow.range.to.text, "7");
    EXPECT_EQ(flow.range.to.value, 7);
    flow.range.single.text = "two";
    prompter.Answer(Answer::OK);
    EXPECT_FALSE(flow.PieceNumber_Validate(flow.range.single));
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes.back().text, "Please enter a numeric number between 1 and 7.");
    EXPECT_EQ(prompter.boxes.back().title, "Invalid piece number");
    flow.range.from.value = 3;
    flow.udFragRangeFrom_Change();
    EXPECT_EQ(flow.range.to.lower, 3);
}

TEST_F(SplitWizardFlowTest, PieceCountsAndTheFirstPiece) {
    splitter.SetBigFile(MakeFile("big.bin", 3'000'000));
    flow.size.mode = SizeMode::NumPieces;
    flow.size.firstOverride = true;
    flow.optCustomNumPieces_Click();
    EXPECT_FALSE(flow.size.firstOverride);
    EXPECT_FALSE(flow.size.firstOverrideEnabled);
    struct Case {
        const char* text;
        int32_t pieces;
    };
    // Ties go to the even number.
    for (const Case& c : {Case{"3", 3}, Case{"abc", 1}, Case{"2.5", 2}, Case{"3.5", 4}}) {
        flow.size.numPieces = c.text;
        flow.SetFragSizeFromSplitWiz();
        EXPECT_EQ(splitter.FragsNeeded(), c.pieces) << c.text;
        EXPECT_EQ(flow.size.numPieces, std::to_string(c.pieces)) << c.text;
    }
    flow.size.numPieces = "99999999999";
    prompter.Answer(Answer::OK);
    EXPECT_THROW(flow.SetFragSizeFromSplitWiz(), KbError);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_TRUE(prompter.boxes.back().text.starts_with(
        "A fatal error has occurred in function SetFragSizeFromSplitWiz(), sector 2\n6)"));
    // "KB smaller" on a folder, and the disks' "KB", which reserves the same.
    flow.size.mode = SizeMode::Preset;
    flow.size.preset = 2;
    flow.size.firstOverride = true;
    flow.size.firstSize = "100";
    flow.size.firstUnit = first_piece::IndexOf(kKbSmaller, false);
    flow.SetFragSizeFromSplitWiz();
    EXPECT_TRUE(splitter.DifferentSizeAtStart());
    EXPECT_EQ(splitter.FragmentSizeAtStart(), 946176);
    flow.dest.toDisks = true;
    flow.size.firstUnit = first_piece::IndexOf(kKbSmaller, true);
    flow.SetFragSizeFromSplitWiz();
    EXPECT_EQ(splitter.FragmentSizeAtStart(), 946176);
    EXPECT_TRUE(splitter.SpanDisks);
    // An amount that is no number leaves the sizes computable.
    flow.size.firstSize = "lots";
    flow.SetFragSizeFromSplitWiz();
    EXPECT_EQ(splitter.FragmentSizeAtStart(), 1048576);
    flow.size.firstOverride = false;
    flow.SetFragSizeFromSplitWiz();
    EXPECT_FALSE(splitter.DifferentSizeAtStart());
}

// The first piece's lists: their captions in order, and every position of either list standing
// for the choice it shows, positions outside the folder list standing for none.
TEST(FirstPieceUnits, EachPositionIsTheChoiceItsCaptionNames) {
    EXPECT_EQ(first_piece::Captions(false), kFolderFirstUnits);
    EXPECT_EQ(first_piece::Captions(true), kDiskFirstUnits);
    for (const bool toDisks : {false, true}) {
        const std::vector<std::string> captions = first_piece::Captions(toDisks);
        for (int i = 0; i < static_cast<int>(captions.size()); ++i) {
            const std::optional<FirstPieceChoice> c = first_piece::ChoiceAt(i, toDisks);
            ASSERT_TRUE(c) << i << toDisks;
            const bool smaller = c->meaning == FirstPieceMeaning::SmallerThanPiece;
            EXPECT_EQ(smaller, toDisks || captions[static_cast<size_t>(i)].ends_with(" smaller"));
            EXPECT_TRUE(captions[static_cast<size_t>(i)].starts_with(
                kSizeUnits[static_cast<size_t>(ListIndex(c->unit))].caption));
            EXPECT_EQ(first_piece::IndexOf(*c, toDisks), i);
        }
    }
    EXPECT_FALSE(first_piece::ChoiceAt(10, false));
    EXPECT_FALSE(first_piece::ChoiceAt(-1, false));
    EXPECT_FALSE(first_piece::ChoiceAt(5, true));
    EXPECT_EQ(first_piece::IndexOf({FirstPieceMeaning::Absolute, SizeUnit::KB}, true), -1);
}

TEST_F(SplitWizardFlowTest, ChangingTheUnitReExpressesTheSize) {
    flow.size.mode = SizeMode::Custom;
    flow.size.customSize = "128";
    flow.size.customUnit = ListIndex(SizeUnit::KB);
    flow.SetFragSizeFromSplitWiz();
    ASSERT_EQ(splitter.FragmentSize(), 131072);
    flow.size.customUnit = ListIndex(SizeUnit::Kbits);
    flow.cmbCustSizeUnits_Change();
    EXPECT_EQ(flow.size.customSize, "1024");
    EXPECT_EQ(splitter.FragmentSize(), 131072);
    flow.size.customUnit = ListIndex(SizeUnit::KB);
    flow.cmbCustSizeUnits_Change();
    EXPECT_EQ(flow.size.customSize, "128");
    flow.size.customUnit = ListIndex(SizeUnit::GB);
    flow.cmbCustSizeUnits_Change();
    EXPECT_EQ(flow.size.customSize, "1");
    EXPECT_EQ(splitter.FragmentSize(), 1073741824);
}

TEST_F(SplitWizardFlowTest, DisksTakeAPieceAsLargeAsTheDiskAndNoByteMore) {
    disks.kind = platform::DriveKind::Removable;
    disks.totalBytes = 1457664;
    disks.freeBytes = 1000000;
    flow.dest.folder = files.Path();
    WalkToStage5(MakeFile("a.bin", 5'000'000));
    EXPECT_TRUE(flow.dest.toDisks);
    EXPECT_TRUE(splitter.SpanDisks);
    EXPECT_EQ(flow.size.mode, SizeMode::FillDisk);
    EXPECT_FALSE(flow.size.numPiecesEnabled);
    EXPECT_EQ(flow.size.firstOverrideCaption, "Reserve some space on the first disk:");
    EXPECT_EQ(flow.size.firstUnits, kDiskFirstUnits);
    EXPECT_EQ(flow.size.firstUnits.at(static_cast<size_t>(flow.size.firstUnit)), "KB");
    const int64_t disk = std::stoll(flow.size.fillDiskTag);
    EXPECT_EQ(splitter.FragmentSize(), disk);
    flow.size.mode = SizeMode::Custom;
    flow.size.customUnit = ListIndex(SizeUnit::Bytes);
    flow.size.customSize = std::to_string(disk + 1);
    prompter.Answer(Answer::OK);
    flow.cmdSplitWizNext_Click();
    EXPECT_EQ(flow.SplitWizStage, 5);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].title, "Piece size too large");
    EXPECT_EQ(prompter.boxes[0].Icon(), mb::Critical);
    EXPECT_TRUE(prompter.boxes[0].text.starts_with("The piece size you have selected"));
    flow.size.customSize = std::to_string(disk);
    flow.size.firstOverride = true;
    flow.size.firstSize = "-1";
    // Reserves minus one byte: a first piece one byte too large.
    flow.size.firstUnit = first_piece::IndexOf(kBytesSmaller, true);
    prompter.Answer(Answer::OK);
    flow.cmdSplitWizNext_Click();
    EXPECT_EQ(flow.SplitWizStage, 5);
    EXPECT_TRUE(prompter.boxes.back().text.starts_with("You have set a too high value"));
    flow.size.firstOverride = false;
    flow.cmdSplitWizNext_Click();
    EXPECT_EQ(flow.SplitWizStage, 6);
}

TEST_F(SplitWizardFlowTest, AFolderNeedsTheSpaceOfTheWholeSetOnTheDisksCapacity) {
    flow.dest.folder = files.Path();
    WalkToStage5(MakeFile("a.bin", 2'000'000));
    EXPECT_EQ(flow.size.firstUnits, kFolderFirstUnits);
    EXPECT_EQ(flow.size.firstUnits.at(static_cast<size_t>(flow.size.firstUnit)), "KB smaller");
    EXPECT_EQ(flow.size.firstOverrideCaption, "Use a different size for the first fragment:");
    EXPECT_FALSE(flow.size.fillDiskEnabled);
    flow.SetFragSizeFromSplitWiz();
    const int64_t required = splitter.DestinationSpaceRequired();
    disks.totalBytes = static_cast<uint64_t>(required) - 1;
    disks.freeBytes = 1;
    prompter.Answer(Answer::OK);
    flow.cmdSplitWizNext_Click();
    EXPECT_EQ(flow.SplitWizStage, 5);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text,
              "There is not enough space on the selected drive for the finsihed fragment set. "
              "You need " + FormatByteSize(required) + " total space.");
    EXPECT_EQ(prompter.boxes[0].style, mb::OKOnly);
    EXPECT_EQ(prompter.boxes[0].title, kAppTitle);
    // The capacity counts, not the free space.
    disks.totalBytes = static_cast<uint64_t>(required);
    flow.cmdSplitWizNext_Click();
    EXPECT_EQ(flow.SplitWizStage, 6);
}

TEST_F(SplitWizardFlowTest, TooManyPiecesShowTheFatalBoxAndStayOnTheStage) {
    flow.dest.folder = files.Path();
    WalkToStage5(MakeFile("huge.bin", 4ULL << 30));
    flow.size.mode = SizeMode::Custom;
    flow.size.customSize = "100";
    flow.size.customUnit = ListIndex(SizeUnit::KB);
    prompter.Answer(Answer::OK);
    EXPECT_THROW(flow.cmdSplitWizNext_Click(), KbError);
    EXPECT_EQ(flow.SplitWizStage, 5);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].title, "Fatal error");
    EXPECT_TRUE(prompter.boxes[0].text.starts_with(
        "A fatal error has occurred in function SetFragSizeFromSplitWiz(), sector 4"));
    EXPECT_FALSE(prompter.ended);
}

}  // namespace
}  // namespace kb
