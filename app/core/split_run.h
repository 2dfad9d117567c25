#pragma once
// The working state of one ActiveSplitter::Split call, shared by the files that make up the
// run: the piece loop with its questions (split_run.cpp) and what the run does with a task
// (split_run_task.cpp: continuing it, saving it, going back to it, finishing it).

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/core/active_splitter.h"
#include "app/core/big_file.h"
#include "app/core/fatal_error.h"

namespace kb {

class SplitRun {
public:
    // A split reads its source in slot 1 and writes its pieces in slot 2.
    static constexpr int16_t kSourceSlot = 1;
    static constexpr int16_t kPieceSlot = 2;

    explicit SplitRun(ActiveSplitter& s) : s_(s) {}

    int16_t Run() {
        try {
            const int16_t result = Body();
            EndResume();
            return result;
        } catch (...) {
            CloseSlots();
            RemoveUnfinishedPiece();
            EndResume();
            FatalErrorBox("Split()", sector_);
        }
    }

private:
    // How a step of a piece ended: Stop ends the run (everything is closed and said),
    // RestartPiece writes the piece again from its start on a new disk.
    enum class Step { Done, Stop, RestartPiece };

    int16_t Body();
    // One piece from its disk request to its record; false when the run ends here.
    bool WritePiece(int32_t last);
    bool WaitForDisk();
    bool CreatePiece(const std::string& path, bool continuing);
    void ContinuePiece();
    Step BeginPiece();
    Step CopyChunks();
    Step WriteRecord();
    bool StopBeforePiece();
    void WarnOfPieceAfterLast(int32_t last);
    void StopInsidePiece();
    bool ReplacesSource(const std::string& path);
    bool MayUsePieceNames();
    void ReadShort(int32_t got, int32_t wanted);
    Step WriteWithRetry(const void* data, int32_t length);
    template <class Attempt>
    Step AskUntilDone(Attempt attempt, const char* text, const char* title, bool noRestartsPiece);
    bool ConfirmStop();
    void ResumeFromTask();
    void ReturnToTask();
    void SaveTask();
    void FinishTask();
    // A resumed task is held until the run that took it over ends.
    void EndResume() {
        if (resumed_ && !s_.resumePending_) s_.ClearResumeInfo();
    }

    int64_t DataSizeOf(int32_t piece);
    int64_t DataOffsetOf(int32_t piece);
    std::string PiecePath(int32_t piece);
    int32_t GetPercentDone(int32_t piece, int32_t piecePercent);
    static int32_t PiecePercentDone(int64_t size, int64_t left);

    void OpenSource() {
        OpenBF(s_.BigFile(), kSourceSlot, "rb");
        sourceOpen_ = true;
    }
    void CloseSource() {
        sourceOpen_ = false;
        CloseBF(kSourceSlot);
    }
    void ClosePiece() {
        pieceOpen_ = false;
        CloseBF(kPieceSlot);
    }
    // A piece this run began and did not finish would pass for a whole piece of a bare series;
    // once a task is saved it is the task's to finish. A resumed split goes back to its task.
    void RemoveUnfinishedPiece() {
        if (resumed_) {
            ReturnToTask();
            return;
        }
        if (!pieceUnfinished_) return;
        pieceUnfinished_ = false;
        try {
            const std::string path = PiecePath(piece_);
            std::error_code ec;
            if (std::filesystem::is_regular_file(path, ec)) std::remove(path.c_str());
        } catch (...) {
        }
    }
    // After an unexpected error: close what this run opened, quietly.
    void CloseSlots() {
        if (pieceOpen_) platform::bigfileClose(kPieceSlot);
        if (sourceOpen_) platform::bigfileClose(kSourceSlot);
        pieceOpen_ = sourceOpen_ = false;
    }

    ActiveSplitter& s_;
    ActiveSplitterEvents* ev() { return s_.listener_; }

    int sector_ = 0;
    bool cancel_ = false;
    std::string saveStateFile_;
    int16_t result_ = 1;
    int32_t piece_ = 0;
    int64_t sourcePos_ = 0;
    int64_t bytesLeft_ = 0;
    int32_t segment_ = 0;
    uint32_t crc_ = 0;
    bool sourceOpen_ = false;
    bool pieceOpen_ = false;
    bool pieceUnfinished_ = false;  // the current piece has been created and is not complete
    bool continuing_ = false;       // the current piece was opened to be continued
    bool namesChecked_ = false;     // the names of the pieces to create have been looked at
    bool askToReplace_ = false;     // the user has not yet agreed to replace files under them
    int32_t firstNew_ = 0;          // the first piece this run creates
    int32_t lastCreated_ = 0;       // the last piece this run has created (0: none)

    // A resumed task: the piece it had begun (continued by this run) and that piece's length
    // when the task was saved (-1 when the task had begun none).
    bool resumed_ = false;
    bool taskPieceOpened_ = false;
    int32_t taskPiece_ = 0;
    int64_t taskPieceLength_ = -1;
};

}  // namespace kb
