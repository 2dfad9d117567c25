// One run of ActiveSplitter::Split: the piece loop, disk requests, the retry questions,
// cancelling and the progress percentages (split_run_task.cpp: what the run does with a task).

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "app/core/active_assembler.h"
#include "app/core/active_splitter.h"
#include "app/core/big_file.h"
#include "app/core/crc32.h"
#include "app/core/debug_log.h"
#include "app/core/fatal_error.h"
#include "app/core/fragment_format.h"
#include "app/core/kb_error.h"
#include "app/core/paths.h"
#include "app/core/prompter.h"
#include "app/core/split_run.h"
#include "app/core/system_queries.h"
#include "app/core/text.h"

namespace kb {

namespace {

const char* const kPleaseConfirm = "Are you absolutely sure? This will cancel the entire split operation!";

// Rounds to the nearest whole number, halves to the even neighbour.
double RoundHalfEven(double v) { return std::nearbyint(v); }

}  // namespace

int16_t ActiveSplitter::Split() { return SplitRun(*this).Run(); }

int16_t SplitRun::Body() {
    sector_ = 1;
    DebugLog("Split() called");
    s_.lastSplitCompleted_ = false;
    resumed_ = s_.resumePending_;
    askToReplace_ = !s_.ReplaceExistingPieces;
    s_.ReplaceExistingPieces = false;
    result_ = 1;
    cancel_ = false;
    saveStateFile_.clear();

    sector_ = 2;
    if (!s_.FragUseRange) {
        s_.FragFirst = 1;
        s_.FragLast = s_.FragsNeeded();
    }

    sector_ = 3;
    if (ev()) ev()->SplitStart(100);

    sector_ = 4;
    if (!FileExists(s_.BigFile())) {
        MsgBox("Unable to split " + s_.BigFile() +
                   ", it doesn't appear to exist! If you are resuming an unfinished task, this "
                   "could be a result of the temporary file being removed since you saved the task.",
               mb::OKOnly | mb::Critical, "Unable to split - source file or temporary file not found");
        return 1;
    }

    sector_ = 5;
    // A chunk of no bytes would never finish a piece.
    if (s_.SegmentSize < 1)
        throw KbError(err::InvalidArgument, "ActiveSplitter",
                      "The segment size must be at least one byte.");
    // Without a number every piece would be written over the one before; with a "/" pieces
    // would land outside the destination.
    switch (NamingTemplateFault(s_.FragNamingTemplate)) {
    case TemplateFault::None: break;
    case TemplateFault::NoNumber:
        throw KbError(err::InvalidArgument, "ActiveSplitter",
                      "Invalid template: \"" + s_.FragNamingTemplate +
                          "\" holds neither %n nor %N, so every fragment would get the same name.");
    case TemplateFault::Slash:
        throw KbError(err::InvalidArgument, "ActiveSplitter",
                      "Invalid template: \"" + s_.FragNamingTemplate +
                          "\" holds a \"/\", so fragments would be written outside the destination folder.");
    }
    OpenSource();
    sourcePos_ = 0;
    bytesLeft_ = 0;

    sector_ = 6;
    const int32_t last = s_.FragLast;
    firstNew_ = s_.FragFirst;
    for (piece_ = s_.FragFirst; piece_ <= last; ++piece_) {
        if (!WritePiece(last)) return result_;
    }

    sector_ = 7;
    CloseSource();
    s_.lastSplitCompleted_ = true;
    if (resumed_) FinishTask();
    WarnOfPieceAfterLast(last);
    return result_;
}

// Bare pieces carry no count: a join takes in every numbered file that follows, so a piece
// left by an earlier split of the same name (with smaller pieces, say) would end up in the
// joined file. The file is the user's: it is only pointed out.
void SplitRun::WarnOfPieceAfterLast(int32_t last) {
    const int32_t count = s_.FragsNeeded();
    if (s_.FileFormat() == aftTarnwolde || s_.FragFirst > count || last != count) return;
    const std::string next = PiecePath(count + 1);
    if (next == PiecePath(count) || !FileExists(next)) return;
    MsgBox("The destination folder also holds " + next +
               ", which is named as the next fragment of this series but is not part of it "
               "(it may be left from an earlier split). Assembling the series would take it "
               "in: please move or delete it before the fragments are assembled.",
           mb::OKOnly | mb::Exclamation, "Fragment left from an earlier split");
}

bool SplitRun::WritePiece(int32_t last) {
    DebugLog("Start of frag: " + std::to_string(piece_) + " of " + std::to_string(last));

    if (s_.resumePending_) ResumeFromTask();

    for (;;) {  // a piece starts again here when it is rewritten on a new disk
        SetPosBF(kSourceSlot, DataOffsetOf(piece_));
        if (bytesLeft_ == 0) sourcePos_ = DataOffsetOf(piece_);
        if (s_.SpanDisks && !WaitForDisk()) return StopBeforePiece();

        if (!namesChecked_ && !MayUsePieceNames()) return false;
        const std::string path = PiecePath(piece_);
        if (ReplacesSource(path)) return false;
        const bool continuing = bytesLeft_ > 0;
        // Only now, with the question about the pieces still to come answered, may the piece
        // the task had begun be cut back to the saved position.
        if (continuing && !s_.SpanDisks && !CutBackForResume(path, taskPieceLength_)) {
            CloseSource();
            result_ = 1;
            return false;
        }
        if (!CreatePiece(path, continuing)) return false;

        Step step = Step::Done;
        if (continuing) ContinuePiece();
        else step = BeginPiece();
        if (step == Step::Done) step = CopyChunks();
        if (step == Step::Done) step = WriteRecord();
        if (step == Step::Stop) return false;
        // Writes into a piece whose folder was removed all succeed; only its lost name tells.
        if (step == Step::Done && platform::bigfileLinkCount(kPieceSlot) == 0) {
            ClosePiece();
            CloseSource();
            pieceUnfinished_ = false;
            MsgBox("The fragment " + path + " was removed while it was being written (its folder "
                   "may have been deleted). The split has been stopped.",
                   mb::OKOnly | mb::Critical, "Problem writing data");
            result_ = 1;
            return false;
        }
        ClosePiece();
        if (step == Step::Done) {
            pieceUnfinished_ = false;
            return true;
        }
        bytesLeft_ = 0;
    }
}

// Asks for the piece's disk; a piece that starts afresh also waits until the disk in the
// drive has room for all of it. False when the user cancels.
bool SplitRun::WaitForDisk() {
    const bool ask = !(s_.DontAskForFirstDisk && piece_ == s_.FragFirst);
    const bool fresh = bytesLeft_ == 0;
    for (;;) {
        if (ask && ev()) {
            int32_t disk = piece_;
            ev()->RequireNextDisk(disk, cancel_, saveStateFile_);
        }
        if (!fresh) return !cancel_;
        const int64_t need = piece_ == 1 ? s_.FragmentSizeAtStart() : s_.FragmentSize();
        if (!cancel_ && GetFreeDiskSpace(s_.DestinationFolder()) < need) {
            // Nobody listening means nobody can change the disk.
            if (ev()) ev()->NotEnoughDiskSpace(cancel_, saveStateFile_);
            else cancel_ = true;
        }
        if (cancel_) return false;
        if (GetFreeDiskSpace(s_.DestinationFolder()) >= need) return true;
    }
}

bool SplitRun::CreatePiece(const std::string& path, bool continuing) {
    auto open = [&] {
        try {
            OpenBF(path, kPieceSlot, continuing ? "ab" : "wb");
            pieceOpen_ = true;
            pieceUnfinished_ = true;
            continuing_ = continuing;
            if (continuing) taskPieceOpened_ = true;
            else lastCreated_ = piece_;
            return true;
        } catch (const KbError& e) {
            if (e.Number() != err::DeviceIO) throw;
            return false;
        }
    };
    return AskUntilDone(open,
                        "An error occurred while creating the fragment. If you are using removable "
                        "disks, please ensure the disk is write-enabled. Also make sure you have "
                        "permissions to access the destination folder.",
                        "Problem creating file", false) == Step::Done;
}

// A resumed piece goes on where the task stopped; its chunk count is guessed from its size.
void SplitRun::ContinuePiece() {
    SetPosBF(kSourceSlot, sourcePos_);
    const int64_t fullData = piece_ == 1 ? s_.FragmentDataSizeAtStart() : s_.FragmentDataSize();
    segment_ = static_cast<int32_t>(fullData / s_.SegmentSize);
    if (segment_ == 0) {
        MsgBox("lngCurrentSegment guessed at 0 in resume - this could be why the CRC32 "
               "isn't matching the original!",
               mb::OKOnly | mb::Exclamation, "Cause of bug found");
        segment_ = 1;
    }
}

SplitRun::Step SplitRun::BeginPiece() {
    // Every new piece starts its own chain, also one that gets no chunk at all.
    crc_ = 0;
    SetCrc32State(0);
    Step step = Step::Done;
    if (s_.FileFormat() == aftTarnwolde) {
        std::string head = piece_ == 1 ? s_.FragmentHeaderBytes() : std::string();
        head += kPieceRecordPlaceholder;
        step = WriteWithRetry(head.data(), static_cast<int32_t>(head.size()));
    }
    bytesLeft_ = step == Step::Done ? DataSizeOf(piece_) : 0;
    segment_ = 0;
    return step;
}

SplitRun::Step SplitRun::CopyChunks() {
    const int64_t dataSize = DataSizeOf(piece_);
    while (bytesLeft_ > 0) {
        ++segment_;
        const int32_t k = ChunkLength(s_.SegmentSize, bytesLeft_, GetPosBF(kPieceSlot));
        uint8_t* chunk = nullptr;
        uint32_t chunkCrc = 0;
        const int32_t got = bigfileReadChunk(kSourceSlot, k, chunk, &chunkCrc);
        if (got != k) {
            ReadShort(got, k);
            return Step::Stop;
        }
        bytesLeft_ -= k;
        crc_ = AddCrc32(chunkCrc, k, segment_ == 1);
        const Step step = WriteWithRetry(chunk, k);
        if (step != Step::Done) return step;
        sourcePos_ += k;
        const int32_t p = PiecePercentDone(dataSize, bytesLeft_);
        if (!cancel_ && ev())
            ev()->SplitInterval(GetPercentDone(piece_, p), p, cancel_, saveStateFile_);
        DoEvents();
        if (cancel_ && bytesLeft_ > 0) {
            StopInsidePiece();
            return Step::Stop;
        }
    }
    return Step::Done;
}

// The record at the piece's start is written last, once the piece's CRC is known.
SplitRun::Step SplitRun::WriteRecord() {
    if (s_.FileFormat() != aftTarnwolde) return Step::Done;
    SetPosBF(kPieceSlot, piece_ == 1 ? s_.FirstPieceHeaderLength() : 0);
    const std::string record = EncodePieceRecord({piece_, s_.FragsNeeded(), crc_});
    return WriteWithRetry(record.data(), static_cast<int32_t>(record.size()));
}

// A piece named like the source (a piece of an earlier series split again into its folder)
// would empty the source when it is created.
bool SplitRun::ReplacesSource(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::equivalent(path, s_.BigFile(), ec)) return false;
    CloseSource();
    MsgBox("Unable to split " + s_.BigFile() + ": the fragment " + path +
               " would replace it. Please choose another destination folder or naming template.",
           mb::OKOnly | mb::Critical, "Unable to split");
    result_ = 1;
    return true;
}

// Once, before the first piece a split writes (with disks, once that piece's disk is in): no
// piece may take the source's name, and what already stands under the names of the pieces to
// be created (for a resumed split, those after the piece it continues) is replaced only after
// a Yes.
bool SplitRun::MayUsePieceNames() {
    namesChecked_ = true;
    for (int32_t i = firstNew_; i <= s_.FragLast; ++i)
        if (ReplacesSource(PiecePath(i))) return false;
    if (!askToReplace_ || s_.ConfirmReplacingPieces(firstNew_, s_.FragLast)) return true;
    CloseSource();
    result_ = 1;
    return false;
}

void SplitRun::ReadShort(int32_t got, int32_t wanted) {
    const std::string path = PiecePath(piece_);
    ClosePiece();
    CloseSource();
    // The piece would claim bytes it never received: it goes, or goes back to its task.
    std::string done = "the incomplete fragment " + path + " removed.";
    if (resumed_) {
        ReturnToTask();
        done = "the fragments returned to where the unfinished task left them.";
    } else {
        std::remove(path.c_str());
    }
    MsgBox("Unable to read all of " + s_.BigFile() + " (" + std::to_string(got) + " of " +
               std::to_string(wanted) + " bytes at offset " + std::to_string(sourcePos_) +
               "). The file may have been changed, truncated or become unreadable since the "
               "split was set up. The split has been stopped and " + done,
           mb::OKOnly | mb::Critical, "Problem reading data");
    result_ = 1;
}

SplitRun::Step SplitRun::WriteWithRetry(const void* data, int32_t length) {
    // A failed write leaves the slot where the chunk started, so trying again rewrites the
    // same bytes at the same offset. With SpanDisks, No rewrites the piece on another disk.
    return AskUntilDone([&] { return bigfileWrite(data, length, kPieceSlot) == length; },
                        "An error occurred while writing part of the fragment. This could be due to "
                        "a fault on the disk or incompatible media. If you are spanning across "
                        "disks, selecting retry will allow you to try a different disk.",
                        "Problem writing data", s_.SpanDisks);
}

// Tries until `attempt` succeeds, asking between tries. Yes to stopping ends the run; No tries
// again, or starts the piece over when `noRestartsPiece`.
template <class Attempt>
SplitRun::Step SplitRun::AskUntilDone(Attempt attempt, const char* text, const char* title,
                                      bool noRestartsPiece) {
    for (;;) {
        if (attempt()) return Step::Done;
        if (MsgBox(text, mb::RetryCancel | mb::Exclamation, title) == Answer::Retry) continue;
        if (ConfirmStop()) {
            if (pieceOpen_) ClosePiece();
            CloseSource();
            RemoveUnfinishedPiece();
            result_ = 1;
            return Step::Stop;
        }
        if (noRestartsPiece) return Step::RestartPiece;
    }
}

bool SplitRun::ConfirmStop() {
    return MsgBox(kPleaseConfirm, mb::YesNo | mb::Exclamation, "Please confirm") == Answer::Yes;
}

int64_t SplitRun::DataOffsetOf(int32_t piece) { return s_.PieceDataOffset(piece); }

int64_t SplitRun::DataSizeOf(int32_t piece) { return s_.PieceDataSize(piece, s_.FragsNeeded()); }

std::string SplitRun::PiecePath(int32_t piece) { return s_.PiecePath(piece); }

int32_t SplitRun::PiecePercentDone(int64_t size, int64_t left) {
    return static_cast<int32_t>(RoundHalfEven(static_cast<double>(size - left) /
                                              static_cast<double>(size) * 100.0));
}

int32_t SplitRun::GetPercentDone(int32_t piece, int32_t piecePercent) {
    int sector = 0;
    try {
        sector = 1;
        const int64_t A = s_.FragmentSizeAtStart(), F = s_.FragmentSize();
        const int32_t first = s_.FragFirst;
        int64_t before = 0;
        if (piece - first >= 1)
            before = first == 1 ? A + static_cast<int64_t>(piece - first - 1) * F
                                : static_cast<int64_t>(piece - first) * F;
        sector = 2;
        const int64_t self = piece == 1 ? A : F;
        sector = 3;
        const double done = std::floor(piecePercent / 100.0 * static_cast<double>(self) +
                                       static_cast<double>(before));
        sector = 4;
        const int64_t n = s_.FragsNeeded();
        const int64_t total = first == 1 ? A + (n - 1) * F : (n - first + 1) * F;
        sector = 5;
        double r = RoundHalfEven(done / static_cast<double>(total) * 100.0);
        if (!(r >= 0)) r = 0;
        if (r > 100) r = 100;
        return static_cast<int32_t>(r);
    } catch (...) {
        FatalErrorBox("GetPercentDone()", sector);
    }
}

}  // namespace kb
