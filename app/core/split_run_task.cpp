// What one run of ActiveSplitter::Split does with an unfinished task: taking over a resumed one,
// saving one when it is stopped, and for a resumed one going back to it when it is stopped
// without saving, or retiring it once the series is complete.

#include <cstdio>
#include <filesystem>

#include "app/core/active_assembler.h"
#include "app/core/crc32.h"
#include "app/core/fragment_format.h"
#include "app/core/split_resume_source.h"
#include "app/core/split_run.h"

namespace kb {

void SplitRun::ResumeFromTask() {
    piece_ = s_.resumePiece_;
    sourcePos_ = s_.resumeSourcePos_;
    bytesLeft_ = s_.resumeBytesLeft_;
    crc_ = s_.resumeCrc_;
    SetCrc32State(crc_);
    s_.resumePending_ = false;
    taskPiece_ = piece_;
    taskPieceLength_ = bytesLeft_ > 0 ? s_.SavedPieceLength(piece_, bytesLeft_) : -1;
    // The piece being continued is the task's own; the ones after it are new.
    firstNew_ = bytesLeft_ > 0 ? piece_ + 1 : piece_;
}

// A resumed split stopped without saving goes back to where its task, which stays on disk,
// left the files: the pieces the task had finished stay, the piece it had begun is cut back to
// the saved position (its record a placeholder again), and the pieces this run began go. With
// disks only the piece on the disk in the drive can be reached.
void SplitRun::ReturnToTask() {
    const bool inDrive = !s_.SpanDisks || (pieceUnfinished_ && continuing_);
    if (taskPieceOpened_ && inDrive) {
        const std::string path = PiecePath(taskPiece_);
        CutBack(path, taskPieceLength_);
        if (s_.FileFormat() == aftTarnwolde && platform::bigfileOpen(path, kPieceSlot, "ab") != 0) {
            const int64_t at = taskPiece_ == 1 ? s_.FirstPieceHeaderLength() : 0;
            if (platform::bigfileSetPos(kPieceSlot, at) == 0)
                platform::bigfileWrite(kPieceRecordPlaceholder, kPieceRecordSize, kPieceSlot);
            platform::bigfileClose(kPieceSlot);
        }
    }
    if (!s_.SpanDisks) {
        for (int32_t i = firstNew_; i <= lastCreated_; ++i) std::remove(PiecePath(i).c_str());
    } else if (pieceUnfinished_ && !continuing_) {
        std::remove(PiecePath(piece_).c_str());
    }
    pieceUnfinished_ = false;
}

// Saved again: the task this run resumed is replaced by the new one, unless that is its own file
// written over.
void SplitRun::SaveTask() {
    s_.SaveTask(saveStateFile_, piece_, sourcePos_, bytesLeft_, crc_);
    result_ = -1;
    std::error_code ec;
    if (resumed_ && !std::filesystem::equivalent(s_.ResumedTask(), saveStateFile_, ec))
        std::remove(s_.ResumedTask().c_str());
}

// A resumed task is done: its file goes, and a temporary archive it was splitting is the
// program's again, to be removed with the other temporary files.
void SplitRun::FinishTask() {
    TakeOverTemporarySource(s_.BigFile(), s_.FilenameToStore);
    std::remove(s_.ResumedTask().c_str());
}

bool SplitRun::StopBeforePiece() {
    CloseSource();
    if (!saveStateFile_.empty()) SaveTask();
    return false;
}

void SplitRun::StopInsidePiece() {
    ClosePiece();
    CloseSource();
    if (!saveStateFile_.empty()) {
        SaveTask();
        pieceUnfinished_ = false;
        return;
    }
    if (resumed_) {
        ReturnToTask();
        return;
    }
    if (s_.SpanDisks) {
        // The finished pieces are on other disks; the unfinished one, on the disk in the
        // drive, would pass for a whole piece of a bare series.
        std::remove(PiecePath(piece_).c_str());
        return;
    }
    if (ev()) ev()->RemoveFragStart(s_.FragLast - s_.FragFirst);
    for (int32_t i = s_.FragFirst; i <= piece_; ++i) {
        std::remove(PiecePath(i).c_str());
        if (ev()) ev()->RemoveFragInterval(i - s_.FragFirst);
    }
}

}  // namespace kb
