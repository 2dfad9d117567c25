// The assembler wizard joining real series from its pages, as a user clicks through it.
#include <QLabel>
#include <QPlainTextEdit>

#include <sys/stat.h>

#include "app/ui/common/folder_list.h"
#include "app/ui/common/uc_progress_panel.h"
#include "app/ui/tests/assembler_fixture.h"

namespace kb {
namespace {

namespace fs = std::filesystem;
using testing::AssemblerTest;
using testing::ReadAll;
using testing::RandomBytes;
using testing::ScriptedDialogs;
using testing::ScriptedPrompter;

class AssemblerWizardTest : public AssemblerTest {};

TEST_F(AssemblerWizardTest, JoinsAnOwnFormatSetChosenThroughThePieceDialog) {
    ScriptedPrompter p;
    ScriptedDialogs dialogs;
    const std::string source = work.Write("report.doc", RandomBytes(70000, 1));
    const std::string first = SplitInto(source, "report.doc", "pieces");
    const std::string plugin = LoadEnabledRecorder("rec.so");
    ucAssembler w(nullptr, &windows, host);
    EXPECT_FALSE(w.cmdNext()->isEnabled());
    EXPECT_EQ(w.CurrentSetInfo(), "Nothing selected.");

    dialogs.ChooseFile(first);
    w.cmdSelectSrcToAssemble()->click();
    EXPECT_TRUE(w.WizardUsed());
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    EXPECT_EQ(dialogs.openRequests[0].filterIndex, 2);
    EXPECT_EQ(dialogs.openRequests[0].title,
              "Please select the first piece of the set you wish to assemble");
    EXPECT_EQ(w.CurrentSetInfo(), fs::path(first).filename().string() +
                                      "\r\nKestrelbinder format\r\nFirst of 4 total pieces\r\n");
    ASSERT_TRUE(w.cmdNext()->isEnabled());

    w.cmdNext()->click();
    EXPECT_TRUE(w.cmdBack()->isEnabled());
    w.cmdBack()->click();
    EXPECT_EQ(w.CurrentPage(), 1);
    EXPECT_TRUE(w.cmdNext()->isEnabled());
    w.cmdNext()->click();
    w.SetDestPath(work.File("out"));
    fs::create_directories(work.File("out"));
    w.cmdNext()->click();
    EXPECT_EQ(ReadAll(work.File("out/report.doc")), ReadAll(source));
    EXPECT_FALSE(w.fProgpan()->isVisibleTo(&w));
    EXPECT_TRUE(w.fFinished()->isVisibleTo(&w));
    EXPECT_FALSE(w.cmdNext()->isEnabled());
    EXPECT_FALSE(w.cmdBack()->isEnabled());
    EXPECT_TRUE(w.cmdReset()->isEnabled());
    EXPECT_TRUE(p.boxes.empty());
    // Every page change is told to the plug-ins, and every chunk; a fresh join has no start or
    // end notice.
    const auto* rec = Record(plugin);
    EXPECT_EQ(Count(rec, PLUGIN_EVT_WIZARD_PAGE), 4);
    EXPECT_EQ(Count(rec, PLUGIN_EVT_ASSEMBLE_PROGRESS), 4);
    EXPECT_EQ(Count(rec, PLUGIN_EVT_ASSEMBLE_START) + Count(rec, PLUGIN_EVT_ASSEMBLE_END), 0);
}

// Bare series: cut by coreutils split, or named " - n.frg"; chosen by piece 1 or a later one.
TEST_F(AssemblerWizardTest, JoinsBareSeriesAndRestartsOnTheFirstPiece) {
    const std::string data = work.Write("src/backup.tar", RandomBytes(50000, 2));
    fs::create_directories(work.File("split"));
    ASSERT_EQ(std::system(("cd '" + work.File("split") +
                           "' && split -b 20000 -d -a 3 --numeric-suffixes=1 '" + data +
                           "' backup.tar.")
                              .c_str()),
              0);
    const std::string frgData = ReadAll(data);
    for (int i = 1; i <= 3; ++i)
        work.Write("frg/Movie - " + std::to_string(i) + ".frg",
                   frgData.substr(static_cast<size_t>(i - 1) * 20000, 20000));
    struct Case {
        const char* what;
        std::string chosen, first, expectedOut, tmpl;
    } cases[] = {
        {"split .001", work.File("split/backup.tar.001"), "backup.tar.001", "backup.tar", "%f.%N"},
        {"chosen by piece 2", work.File("split/backup.tar.002"), "backup.tar.001", "backup.tar",
         "%f.%N"},
        {"frg", work.File("frg/Movie - 1.frg"), "Movie - 1.frg", "Movie", "%f - %n.frg"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPrompter p;
        ucAssembler w(nullptr, &windows, host);
        const std::string dest = work.File("out" + std::to_string(n++));
        w.SetSrcToAssemble(c.chosen);
        EXPECT_EQ(w.CurrentSetInfo(), c.first + "\r\nUnrecognized format or raw data\r\n" +
                                          "Detected naming convention: " + c.tmpl +
                                          "\r\nFirst of 3 total pieces\r\n");
        Join(w, c.chosen, dest);
        EXPECT_EQ(ReadAll(dest + "/" + c.expectedOut), frgData);
        EXPECT_EQ(Listing(dest), std::vector<std::string>{c.expectedOut});
    }
}

TEST_F(AssemblerWizardTest, BareSetsThatCannotBeJoinedDisableNext) {
    ScriptedPrompter p;
    p.Answer(Answer::OK);
    ucAssembler w(nullptr, &windows, host);
    w.SetSrcToAssemble(work.Write("lonely.001", "only one"));
    EXPECT_EQ(w.CurrentSetInfo(),
              "lonely.001\r\nUnrecognized format or raw data\r\nDetected naming convention: "
              "%f.%N\r\nFirst of 1 total pieces\r\nUnable to find all fragments. Please copy to "
              "same folder first.\r\n");
    EXPECT_FALSE(w.cmdNext()->isEnabled());
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].title, "Unable to count pieces: only first piece can be found");

    w.SetSrcToAssemble(work.Write("notes.abc", "x"));
    EXPECT_EQ(w.CurrentSetInfo(), "notes.abc\r\nUnrecognized format or raw data\r\nUnable to "
                                  "determine naming convention - cannot assemble");
    EXPECT_FALSE(w.cmdNext()->isEnabled());

    // A missing source changes nothing; Reset leaves Next as it was.
    w.SetSrcToAssemble(work.File("missing.001"));
    EXPECT_NE(w.CurrentSetInfo(), "Nothing selected.");
    w.cmdReset()->click();
    EXPECT_EQ(w.CurrentSetInfo(), "Nothing selected.");
    EXPECT_FALSE(w.WizardUsed());
}

// What reads as bare data is checked before the join: a first piece whose header was lost is
// refused, and a missing piece with later ones beside it is told of; Cancel joins nothing.
TEST_F(AssemblerWizardTest, ALostHeaderOrAMissingPieceStopsTheJoin) {
    const std::string source = work.Write("report.doc", RandomBytes(70000, 3));
    const std::string first = SplitInto(source, "report.doc", "lost");
    std::string head = ReadAll(first);
    work.Write("lost/" + fs::path(first).filename().string(), head.replace(0, 512, 512, '\0'));
    {
        ScriptedPrompter p;
        p.Answer(Answer::OK);
        ucAssembler w(nullptr, &windows, host);
        Join(w, first, work.File("lost_out"));
        ASSERT_EQ(p.boxes.size(), 1u);
        EXPECT_EQ(p.boxes[0].title, "Unable to assemble - damaged header");
        EXPECT_TRUE(fs::is_empty(work.File("lost_out")));
    }

    const std::vector<uint8_t> data = RandomBytes(80000, 4);
    for (int i = 1; i <= 4; ++i) {
        if (i == 3) continue;
        work.Write("gap/movie.avi.00" + std::to_string(i),
                   std::vector<uint8_t>(data.begin() + (i - 1) * 20000, data.begin() + i * 20000));
    }
    for (Answer answer : {Answer::Cancel, Answer::OK}) {
        SCOPED_TRACE(answer == Answer::OK ? "OK" : "Cancel");
        ScriptedPrompter p;
        p.Answer(answer);
        ucAssembler w(nullptr, &windows, host);
        const std::string dest = work.File(answer == Answer::OK ? "gap_ok" : "gap_cancel");
        w.SetSrcToAssemble(work.File("gap/movie.avi.001"));
        EXPECT_NE(w.CurrentSetInfo().find("First of 2 total pieces"), std::string::npos);
        Join(w, work.File("gap/movie.avi.001"), dest);
        ASSERT_EQ(p.boxes.size(), 1u);
        EXPECT_EQ(p.boxes[0].title, "Missing piece");
        EXPECT_NE(p.boxes[0].text.find(work.File("gap/movie.avi.003") + ", is missing"),
                  std::string::npos) << p.boxes[0].text;
        if (answer == Answer::OK)
            EXPECT_EQ(ReadAll(dest + "/movie.avi"),
                      std::string(data.begin(), data.begin() + 40000));
        else
            EXPECT_TRUE(fs::is_empty(dest));
    }
}

TEST_F(AssemblerWizardTest, CompressedAndGatheredSetsUnpackIntoTheDestination) {
    for (int32_t kind : {1, 2}) {
        SCOPED_TRACE(kind);
        ScriptedPrompter p;
        const std::string first =
            SplitInto(MakeCab(kind), "backup.cab", "pieces" + std::to_string(kind), kind);
        ucAssembler w(nullptr, &windows, host);
        const std::string dest = work.File("out" + std::to_string(kind));
        Join(w, first, dest);
        ExpectTreeIn(dest);
        EXPECT_FALSE(fs::exists(dest + "/backup.cab"));
        EXPECT_EQ(w.fProgpan()->PB1Caption(), kind == 1 ? "Separating:" : "Decompressing:");
        EXPECT_TRUE(fs::is_empty(tmp.Path()));
    }
}

TEST_F(AssemblerWizardTest, EncryptedCompressedSetIsDecryptedAfterAWrongPassphraseThenUnpacked) {
    ScriptedPrompter p;
    const int16_t tea = LoadTea();
    const std::string enc = TeaEncrypt(tea, MakeCab(2), "right one");
    const std::string first = SplitInto(enc, "backup.cab", "pieces", 2, 2);
    ucAssembler w(nullptr, &windows, host);
    windows.TypePassword("wrong").TypePassword("right one");
    p.Answer(Answer::Retry);
    Join(w, first, work.File("out"));
    ExpectTreeIn(work.File("out"));
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].title, "Decryption passphrase rejected");
    EXPECT_EQ(windows.passwordPrompts[0],
              "These file(s) are encrypted. Please supply the decryption passphrase.");
    EXPECT_TRUE(fs::is_empty(tmp.Path()));
}

// The data is never lost when it cannot be decrypted or unpacked: it lands in the destination
// still encrypted or packed.
TEST_F(AssemblerWizardTest, DataThatCannotBeDecryptedOrUnpackedIsKept) {
    const std::string plain = work.Write("plain.bin", RandomBytes(30000, 8));
    {
        SCOPED_TRACE("passphrase refused, twice into the same folder");
        const int16_t tea = LoadTea();
        const std::string enc = TeaEncrypt(tea, plain, "secret");
        const std::string first = SplitInto(enc, "plain.bin", "refused", 0, 2);
        for (int run = 0; run < 2; ++run) {
            ScriptedPrompter p;
            ucAssembler w(nullptr, &windows, host);
            windows.TypePassword("nope");
            p.Answer(Answer::Cancel).Answer(Answer::OK);
            if (run == 1) p.Answer(Answer::No).Answer(Answer::OK);  // the first one's file stays
            Join(w, first, work.File("refused_out"));
            ASSERT_GE(p.boxes.size(), 2u);
            EXPECT_NE(p.boxes[1].text.find("Please do not remove the .eid2.enc extension"),
                      std::string::npos);
            if (run == 1) {
                EXPECT_EQ(p.boxes[2].title, "File already exists");
                EXPECT_EQ(p.boxes[3].title, "Assembled data kept");
                // Beside the first one's file, under a name of its own.
                EXPECT_EQ(KeptPath(p.boxes[3]), work.File("refused_out/plain (2).bin.eid2.enc"));
                EXPECT_EQ(ReadAll(KeptPath(p.boxes[3])), ReadAll(enc));
                fs::remove(KeptPath(p.boxes[3]));
            }
        }
        EXPECT_EQ(ReadAll(work.File("refused_out/plain.bin.eid2.enc")), ReadAll(enc));
        host.ShutdownAllPlugins();
        host.InitPluginSystem();
    }
    struct Case {
        const char* what;
        int32_t compression, encryption;
        const char* box;
    } cases[] = {
        {"no decryptor", 0, 7, "Unable to find appropriate decryption plug-in with ID:7. The file(s) will not be decrypted."},
        {"unknown compressor", 3, 0, "An unknown compressor has been used on these files. The archive will not be decompressed."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPrompter p;
        p.Answer(Answer::OK);
        const std::string first = SplitInto(plain, "plain.bin", c.what, c.compression, c.encryption);
        ucAssembler w(nullptr, &windows, host);
        const std::string dest = work.File(std::string(c.what) + "_out");
        Join(w, first, dest);
        ASSERT_EQ(p.boxes.size(), 1u);
        EXPECT_EQ(p.boxes[0].text, c.box);
        EXPECT_EQ(ReadAll(dest + "/plain.bin"), ReadAll(plain));
    }
}

}  // namespace
}  // namespace kb

namespace kb {
namespace {

// Data that arrives in the destination by a move replaces a file of the same name only
// after a Yes; with No the user's file stays and the data is kept beside it.
TEST_F(AssemblerWizardTest, AMovedResultReplacesAFileOfTheSameNameOnlyAfterAYes) {
    const std::string plain = work.Write("plain.bin", RandomBytes(30000, 8));
    for (Answer answer : {Answer::No, Answer::Yes}) {
        SCOPED_TRACE(answer == Answer::Yes ? "Yes" : "No");
        const std::string tag = answer == Answer::Yes ? "yes" : "no";
        const std::string first = SplitInto(plain, "plain.bin", "moved_" + tag, 3, 0);
        const std::string dest = work.File("moved_out_" + tag);
        fs::create_directories(dest);
        const std::string mine = work.Write("moved_out_" + tag + "/plain.bin", "mine");
        testing::ScriptedPrompter p;
        p.Answer(Answer::OK).Answer(answer);
        if (answer == Answer::No) p.Answer(Answer::OK);
        ucAssembler w(nullptr, &windows, host);
        Join(w, first, dest);
        ASSERT_GE(p.boxes.size(), 2u);
        EXPECT_EQ(p.boxes[1].title, "File already exists");
        EXPECT_EQ(p.boxes[1].text, mine + " already exists. Replace it with the joined file?");
        EXPECT_EQ(p.boxes[1].style, mb::YesNo | mb::Exclamation | mb::DefaultButton2);
        if (answer == Answer::Yes) {
            EXPECT_EQ(p.boxes.size(), 2u);
            EXPECT_EQ(ReadAll(mine), ReadAll(plain));
        } else {
            ASSERT_EQ(p.boxes.size(), 3u);
            EXPECT_EQ(p.boxes[2].title, "Assembled data kept");
            EXPECT_EQ(p.boxes[2].text, "The assembled data was not moved to " + mine +
                                           ", which already exists. \r\rThe data has been kept as " +
                                           dest + "/plain (2).bin.");
            EXPECT_EQ(ReadAll(mine), "mine");
            EXPECT_EQ(KeptPath(p.boxes[2]), dest + "/plain (2).bin");
            EXPECT_EQ(ReadAll(KeptPath(p.boxes[2])), ReadAll(plain));
        }
    }
}

class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : old_(umask(mask)) {}
    ~ScopedUmask() { umask(old_); }

private:
    mode_t old_;
};

// Data moved in from a temporary file (made for the owner alone) lands with the mode any new
// file of the user gets, as a file joined straight into the destination does.
TEST_F(AssemblerWizardTest, DataMovedInFromATemporaryFileGetsTheUsersUsualMode) {
    ScopedUmask mask(002);
    const std::string plain = work.Write("plain.bin", RandomBytes(30000, 8));
    const int16_t tea = LoadTea();
    const std::string enc = TeaEncrypt(tea, plain, "secret");
    struct Case {
        const char* what;
        std::string source;
        int32_t compression, encryption;
        const char* passphrase;  // nullptr: none is asked
        std::vector<Answer> answers;
        const char* lands;
    } cases[] = {
        {"decrypted", enc, 0, 2, "secret", {}, "plain.bin"},
        {"kept encrypted", enc, 0, 2, "nope", {Answer::Cancel, Answer::OK}, "plain.bin.eid2.enc"},
        {"no decryptor", plain, 0, 7, nullptr, {Answer::OK}, "plain.bin"},
        {"unknown compressor", plain, 3, 0, nullptr, {Answer::OK}, "plain.bin"},
        {"joined straight in", plain, 0, 0, nullptr, {}, "plain.bin"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string tag = std::to_string(n++);
        const std::string first = SplitInto(c.source, "plain.bin", "mode" + tag, c.compression,
                                            c.encryption);
        testing::ScriptedPrompter p;
        for (Answer a : c.answers) p.Answer(a);
        if (c.passphrase != nullptr) windows.TypePassword(c.passphrase);
        ucAssembler w(nullptr, &windows, host);
        const std::string dest = work.File("mode_out" + tag);
        Join(w, first, dest);
        struct stat st {};
        ASSERT_EQ(stat((dest + "/" + c.lands).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0664u);
        EXPECT_EQ(p.boxes.size(), c.answers.size());
    }
}

TEST_F(AssemblerWizardTest, DestinationPageMakesFoldersAndGoesToTheDesktopAndDocuments) {
    testing::ScriptedPrompter p;
    testing::ScopedEnv xdg("XDG_CONFIG_HOME", work.File("config"));
    work.Write("config/user-dirs.dirs",
               "XDG_DESKTOP_DIR=\"" + work.File("Desk") + "\"\nXDG_DOCUMENTS_DIR=\"" +
                   work.File("Docs") + "\"\n");
    std::filesystem::create_directories(work.File("Desk"));
    std::filesystem::create_directories(work.File("Docs"));
    ucAssembler w(nullptr, &windows, host);
    w.SetDestPath(work.Path());
    p.Type("Joined").Type("");
    w.cmdAssDestMkdir()->click();
    EXPECT_TRUE(std::filesystem::is_directory(work.File("Joined")));
    EXPECT_EQ(w.findChild<FolderList*>("dirAssDest")->Path(), work.Path());  // listed, not entered
    EXPECT_EQ(w.DestPath(), work.File("Joined"));
    w.cmdAssDestMkdir()->click();  // cancelled: nothing
    // A name that is no single folder name would make a folder elsewhere, or none.
    const std::vector<std::string> refused{"a/b", "../outside", ".", ".."};
    for (const std::string& name : refused) {
        p.Type(name).Answer(Answer::OK);
        w.cmdAssDestMkdir()->click();
    }
    ASSERT_EQ(p.boxes.size(), refused.size());
    for (const testing::RecordedBox& box : p.boxes) {
        EXPECT_EQ(box.text, "An error occurred while creating the folder");
        EXPECT_EQ(box.style, mb::OKOnly | mb::Exclamation);
    }
    EXPECT_FALSE(std::filesystem::exists(work.File("../outside")));
    EXPECT_EQ(w.DestPath(), work.File("Joined"));
    ASSERT_EQ(p.inputs.size(), 2 + refused.size());
    EXPECT_EQ(p.inputs[0].prompt, "Please give the name of the new folder to be created");
    EXPECT_EQ(p.inputs[0].defaultText, "New Folder");

    w.cmdAssDestDesktop()->click();
    EXPECT_EQ(w.DestPath(), work.File("Desk"));
    w.cmdAssDestMyDocs()->click();
    EXPECT_EQ(w.DestPath(), work.File("Docs"));
}

// Without a user-dirs file the home folder's usual folders serve, and a button that finds no
// folder leaves the destination where it is: a join never goes to the root folder.
TEST_F(AssemblerWizardTest, DesktopAndDocumentsWithoutAUserDirsFileNeverEmptyTheDestination) {
    ScriptedPrompter p;
    testing::ScopedEnv xdg("XDG_CONFIG_HOME", work.File("config"));
    fs::create_directories(work.File("config"));
    const std::string source = work.Write("notes.txt", RandomBytes(30000, 4));
    const std::string first = SplitInto(source, "notes.txt", "pieces");
    ucAssembler w(nullptr, &windows, host);
    w.SetSrcToAssemble(first);
    w.cmdNext()->click();
    w.SetDestPath(work.File("pieces"));
    {
        testing::ScopedEnv home("HOME", work.File("gone"));
        w.cmdAssDestDesktop()->click();
        EXPECT_EQ(w.DestPath(), work.File("pieces"));
        w.cmdAssDestMyDocs()->click();
        EXPECT_EQ(w.DestPath(), work.File("pieces"));
    }
    testing::ScopedEnv home("HOME", work.File("home"));
    fs::create_directories(work.File("home/Desktop"));
    w.cmdAssDestMyDocs()->click();
    EXPECT_EQ(w.DestPath(), work.File("home"));
    fs::create_directories(work.File("home/Documents"));
    w.cmdAssDestMyDocs()->click();
    EXPECT_EQ(w.DestPath(), work.File("home/Documents"));
    w.cmdAssDestDesktop()->click();
    EXPECT_EQ(w.DestPath(), work.File("home/Desktop"));
    w.cmdNext()->click();
    EXPECT_EQ(ReadAll(work.File("home/Desktop/notes.txt")), ReadAll(source));
    EXPECT_TRUE(p.boxes.empty());
}

}  // namespace
}  // namespace kb
