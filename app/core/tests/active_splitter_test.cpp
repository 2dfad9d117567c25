#include <gtest/gtest.h>

#include <unistd.h>

#include "app/core/active_splitter.h"
#include "app/core/kb_error.h"
#include "app/core/testing/fake_disks.h"
#include "app/core/testing/scripted_prompter.h"
#include "app/core/testing/temp_folder.h"
#include "split_fixtures.h"

namespace kb {
namespace {

using testing::FakeDisks;
using testing::Recorder;
using testing::ScriptedPrompter;
using testing::SplitEvent;
using testing::TempFolder;

// A source of the given length without writing its bytes.
std::string SparseFile(const TempFolder& dir, int64_t length, const std::string& name = "src.bin") {
    std::string p = dir.Write(name, "");
    EXPECT_EQ(truncate(p.c_str(), length), 0);
    return p;
}

TEST(ActiveSplitterSettings, ValuesAfterCreation) {
    ActiveSplitter s;
    EXPECT_EQ(s.FileFormat(), aftTarnwolde);
    EXPECT_EQ(s.FragmentSize(), 1457664);
    EXPECT_EQ(s.FragmentSizeAtStart(), 1457664);
    EXPECT_FALSE(s.DifferentSizeAtStart());
    EXPECT_FALSE(s.UseEncryption());
    EXPECT_FALSE(s.SpanDisks);
    EXPECT_FALSE(s.DontAskForFirstDisk);
    EXPECT_EQ(s.FragNamingTemplate, "%f.%N");
    EXPECT_EQ(s.EncryptionKey(), "Fennelrow Sealingwarrant");
    EXPECT_EQ(s.EncryptionID, 0);
    EXPECT_EQ(s.CompressionID, 0);
    EXPECT_EQ(s.SegmentSize, 0);
    EXPECT_FALSE(s.ResumePending());
}

TEST(ActiveSplitterSettings, PieceCountAndSpaceFollowTheFormatAndHeader) {
    TempFolder dir;
    ActiveSplitter s;
    s.SetFileFormat(aftRaw);
    s.SetBigFile(SparseFile(dir, 3000000));
    EXPECT_EQ(s.FragsNeeded(), 3);
    EXPECT_EQ(s.DestinationSpaceRequired(), 4372992);

    s.SetFileFormat(aftTarnwolde);
    s.FilenameToStore = "abcdefghij";  // H = 78 + 10 + 5
    EXPECT_EQ(s.FragmentDataSizeAtStart(), 1457559);
    EXPECT_EQ(s.FragmentDataSize(), 1457652);

    s.SetBigFile(SparseFile(dir, 1457559));
    EXPECT_EQ(s.FragsNeeded(), 1);
    s.SetBigFile(SparseFile(dir, 1457560));
    EXPECT_EQ(s.FragsNeeded(), 2);

    s.SetFileFormat(aftLegacy);  // the name "src.bin" and its terminator count only in the let
    EXPECT_EQ(s.FragmentDataSizeAtStart(), 1457664);
    s.SetFileFormat(7);
    EXPECT_EQ(s.FileFormat(), aftRaw);
}

TEST(ActiveSplitterSettings, MoreThan32767PiecesIsAnOverflow) {
    TempFolder dir;
    ActiveSplitter s;
    s.SetFileFormat(aftRaw);
    s.SetFragmentSize(10240);
    // Exactly 32767 pieces is the most there may be.
    s.SetBigFile(SparseFile(dir, int64_t{32767} * 10240));
    EXPECT_EQ(s.FragsNeeded(), 32767);
    s.SetBigFile(SparseFile(dir, int64_t{32767} * 10240 + 1));
    EXPECT_THROW(s.FragsNeeded(), KbError);
    s.SetBigFile(SparseFile(dir, 400000000));
    try {
        s.FragsNeeded();
        ADD_FAILURE() << "no overflow";
    } catch (const KbError& e) {
        EXPECT_EQ(e.Number(), err::Overflow);
    }
    EXPECT_THROW(s.DestinationSpaceRequired(), KbError);
}

TEST(ActiveSplitterSettings, SizeLetsClampAndTheFirstSizeSwitchesTheFlag) {
    ActiveSplitter s;
    Recorder r;
    s.SetListener(&r);
    int64_t v = 5000;
    s.SetFragmentSize(v);
    EXPECT_EQ(v, 10240);  // the caller's variable gets the clamped value
    EXPECT_EQ(s.FragmentSizeAtStart(), 10240);
    s.SetFragmentSize(5LL << 30);
    EXPECT_EQ(s.FragmentSize(), 4294967296LL);
    EXPECT_TRUE(r.events.empty());

    s.SetFragmentSizeAtStart(100000);
    s.SetFragmentSizeAtStart(200000);  // already different: no second event
    EXPECT_EQ(r.events, (std::vector<SplitEvent>{{"Multisize", -1}}));
    EXPECT_TRUE(s.DifferentSizeAtStart());
    s.SetFragmentSize(300000);
    EXPECT_EQ(s.FragmentSizeAtStart(), 200000);

    s.SetDifferentSizeAtStart(false);
    EXPECT_EQ(s.FragmentSizeAtStart(), 300000);
    EXPECT_EQ(r.events.back(), (SplitEvent{"Multisize", 0}));

    // The older format never has a first piece of its own size, unless one is set directly.
    s.SetFileFormat(aftLegacy);
    s.SetDifferentSizeAtStart(true);
    EXPECT_FALSE(s.DifferentSizeAtStart());
    s.SetFragmentSizeAtStart(50000);
    EXPECT_TRUE(s.DifferentSizeAtStart());
}

TEST(ActiveSplitterSettings, SourceFolderAndEncryptionLets) {
    TempFolder dir;
    ActiveSplitter s;
    s.SetBigFile(SparseFile(dir, 1234));
    const std::string missing = dir.File("gone.bin");
    try {
        s.SetBigFile(missing);
        ADD_FAILURE() << "no error";
    } catch (const KbError& e) {
        EXPECT_EQ(e.Number(), -1);
        EXPECT_EQ(e.Source(), "ActiveSplitter");
        EXPECT_EQ(e.Description(), "File to split does not exist! If resuming an unfinished task, "
                                   "the temporary file could have been deleted!");
    }
    EXPECT_EQ(s.BigFile(), missing);
    EXPECT_EQ(s.BigFileLength(), 1234);

    for (auto [in, out] : {std::pair{"", "/"}, {"/a", "/a/"}, {"/a/", "/a/"}}) {
        s.SetDestinationFolder(in);
        EXPECT_EQ(s.DestinationFolder(), out);
    }

    s.SetEncryptionKey("");
    s.SetUseEncryption(true);
    EXPECT_FALSE(s.UseEncryption());
    s.SetEncryptionKey("k");
    EXPECT_TRUE(s.UseEncryption());
}

TEST(ActiveSplitterSettings, SizeFromTheDestinationDisk) {
    FakeDisks disks;
    disks.freeBytes = 700000;
    disks.totalBytes = 1457664;
    ActiveSplitter s;
    s.SetDestinationFolder("/media/floppy");
    s.SetFragmentSizeToDiskSize();
    EXPECT_EQ(s.FragmentSize(), 1457664);
    s.UseFreespaceInsteadOfTotalspace = true;
    s.SetFragmentSizeToDiskSize();
    EXPECT_EQ(s.FragmentSize(), 700000);
    disks.freeBytes = 100;
    s.SetFragmentSizeToDiskSize();
    EXPECT_EQ(s.FragmentSize(), 10240);
}

struct CountCase {
    int32_t format;
    int64_t length;
    int32_t n;
    int32_t expectedCount;   // pieces after the let
    const char* box;         // "" when the let shows none
};

TEST(ActiveSplitterSettings, FragsNeededLetSearchesOneSizeForAllPieces) {
    const CountCase cases[] = {
        {aftTarnwolde, 10000000, 7, 7, ""},
        {aftRaw, 10000000, 3, 3, ""},
        {aftLegacy, 10000000, 4, 4, ""},
        {aftRaw, 1000, 0, 1, ""},  // 0 counts as 1
        // Reached exactly at the minimum size: no "below" message.
        {aftRaw, 204800000, 20000, 20000, ""},
        // The search passes counts beyond 32767 pieces; they read as "more than n".
        {aftRaw, 400000000, 32767, 32766, ""},
        {aftRaw, 5LL << 30, 1, 2, "This would cause the fragment size to go above the maximum size of 4096 Mb"},
        {aftRaw, 1000, 5, 1, "This would cause the fragment size to go below the minimum size of 10 kb"},
    };
    TempFolder dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.length) + " / " + std::to_string(c.n));
        ScriptedPrompter p;
        if (*c.box) p.Answer(Answer::OK);
        ActiveSplitter s;
        s.SetFileFormat(c.format);
        s.FilenameToStore = "name.bin";
        s.SetBigFile(SparseFile(dir, c.length));
        s.SetFragmentSizeAtStart(12345);  // the let must make all pieces one size again
        int32_t n = c.n;
        s.SetFragsNeeded(n);
        EXPECT_EQ(n, std::max(c.n, 1));
        EXPECT_FALSE(s.DifferentSizeAtStart());
        EXPECT_EQ(s.FragmentSizeAtStart(), s.FragmentSize());
        EXPECT_EQ(s.FragsNeeded(), c.expectedCount);
        if (*c.box) {
            ASSERT_EQ(p.boxes.size(), 1u);
            EXPECT_EQ(p.boxes[0].text, c.box);
            EXPECT_EQ(p.boxes[0].title, "Unable to set fragment size");
            EXPECT_EQ(p.boxes[0].style, mb::OKOnly | mb::Critical);
        } else {
            EXPECT_TRUE(p.boxes.empty());
        }
    }
}

}  // namespace
}  // namespace kb
