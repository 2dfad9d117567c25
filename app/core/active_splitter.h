#pragma once
// The splitting engine: cuts one source file into a numbered series of pieces, in the
// program's own piece format (headers and a record with a CRC-32 on every piece) or as bare
// data, into one folder or across removable disks, and saves an unfinished task on request so
// that a later Split continues at the byte where it stopped.
//
// The object is configured through its public variables and properties, then Split runs the
// whole series (or the range FragFirst..FragLast). Progress, disk requests and the question
// whether to stop travel through the listener's events; the listener answers in the shared
// Cancel and SaveStateFile arguments.

#include <cstdint>
#include <memory>
#include <string>

namespace kb {

class TaskLock;

// Piece formats a series can be written in.
enum FragmentFileFormat : int32_t {
    aftTarnwolde = 0,  // own headers and piece records
    aftRaw = 1,        // bare data
    aftLegacy = 2,     // bare data, sized as the older program did
};

// The splitter's events. Every handler runs synchronously inside the call that raises it.
// Within one Split call, Cancel and SaveStateFile are one pair of variables shared by all
// events: what a handler leaves there stays for the following events, and the splitter acts on
// SaveStateFile only when Cancel is true after an event.
class ActiveSplitterEvents {
public:
    virtual ~ActiveSplitterEvents() = default;
    // Raised before the "different first piece size" flag changes to newstate.
    virtual void MultisizeFlagChange(bool /*newstate*/) {}
    // Once per Split, at its start; PBMax is always 100.
    virtual void SplitStart(int32_t /*PBMax*/) {}
    // After every chunk written: overall and current-piece percentages.
    virtual void SplitInterval(int32_t /*PBCurrent*/, int32_t /*FragPercent*/, bool& /*Cancel*/,
                               std::string& /*SaveStateFile*/) {}
    // Before a piece when spanning disks; DiskNumber is the number of the piece to be written.
    virtual void RequireNextDisk(int32_t& /*DiskNumber*/, bool& /*Cancel*/,
                                 std::string& /*SaveStateFile*/) {}
    // When spanning disks and the disk in the drive has less room than the piece needs.
    virtual void NotEnoughDiskSpace(bool& /*Cancel*/, std::string& /*SaveStateFile*/) {}
    // Before written pieces are deleted after a cancel without saving: FragLast - FragFirst.
    virtual void RemoveFragStart(int32_t /*Count*/) {}
    // After each deleted piece: its number - FragFirst.
    virtual void RemoveFragInterval(int32_t /*Index*/) {}
};

class ActiveSplitter {
public:
    ActiveSplitter();

    // The object that handles the events (nullptr: nobody listens).
    void SetListener(ActiveSplitterEvents* listener) { listener_ = listener; }

    // ---- Public variables, in their stored order ----
    int32_t EncryptionID = 0;   // plug-in that enciphered the source data, 0 for none
    int32_t CompressionID = 0;  // compression kind of the source data
    int32_t FragFirst = 0;      // first piece number to write
    int32_t FragLast = 0;       // last piece number to write
    bool FragUseRange = false;  // write only FragFirst..FragLast
    bool SpanDisks = false;     // pieces go to removable disks one by one
    int32_t SegmentSize = 0;    // bytes read and written per chunk
    std::string FilenameToStore;  // the name the joined file gets
    std::string FragNamingTemplate = "%f.%N";
    bool DontAskForFirstDisk = false;  // no disk request before piece FragFirst
    // The user has already agreed to replace files under the range's piece names: the next
    // Split does not ask again. Split clears it.
    bool ReplaceExistingPieces = false;
    bool UseFreespaceInsteadOfTotalspace = false;

    // ---- Properties and methods ----

    // Bytes the whole series takes: FragmentSizeAtStart + (FragsNeeded - 1) x FragmentSize.
    int64_t DestinationSpaceRequired();

    // Loads a split task file and marks a resume pending for the next Split. The object changes
    // only when the whole record was read and found sound; errors reach the caller (57 for a
    // file that cannot be opened, -1 when its source no longer exists). A file cut short, or
    // whose values do not fit each other or the source, is reported in a box, leaves nothing
    // pending and raises 57. So is a source that has changed since the task was saved (in the
    // own format a length other than piece 1's header holds; bytes of the piece in progress
    // that no longer give the saved CRC), and a piece the task had begun that is now missing,
    // shorter than the task wrote or holding other data; one found longer (a run that ended
    // without a word) is cut back. With disks that piece is on a disk not yet in the drive and
    // is not looked at. A task that another resume holds raises TaskInUse after its box.
    void SetResumeInfo(const std::string& Filename);
    // Drops a pending resume and gives its task free.
    void ClearResumeInfo();
    bool ResumePending() const { return resumePending_; }
    // The task file that the pending or running resumed split continues ("" for none). It is
    // locked from SetResumeInfo until that Split ends, and that Split removes it once the
    // series is complete, or once the task has been saved under another name; stopped without
    // saving, the Split returns the pieces to where the task left them and the task stays.
    const std::string& ResumedTask() const { return resumeTask_; }

    // FragmentSize = free space or capacity of the destination's disk.
    void SetFragmentSizeToDiskSize();

    // The source. Setting a missing file raises error -1 (the path is kept, the length not).
    void SetBigFile(const std::string& path);
    const std::string& BigFile() const { return bigFile_; }
    int64_t BigFileLength() const { return bigFileLength_; }

    // Always ends in "/".
    const std::string& DestinationFolder() const { return destinationFolder_; }
    void SetDestinationFolder(const std::string& folder);

    // Pieces the series needs; more than 32767 raises the overflow error 6.
    int32_t FragsNeeded();
    // Chooses one piece size so that the series has n pieces; n below 1 counts as (and is
    // set to) 1. A size beyond the limits shows "Unable to set fragment size".
    void SetFragsNeeded(int32_t& n);
    void SetFragsNeeded(const int32_t& n) { int32_t v = n; SetFragsNeeded(v); }

    int32_t FileFormat() const { return fileFormat_; }
    void SetFileFormat(int32_t value) { fileFormat_ = value > 2 ? aftRaw : value; }

    // Size of the pieces after the first. The let clamps to the supported limits and hands the
    // clamped value back through its argument.
    int64_t FragmentSize() const { return fragmentSize_; }
    void SetFragmentSize(int64_t& value);
    void SetFragmentSize(const int64_t& value) { int64_t v = value; SetFragmentSize(v); }
    // Data bytes in a piece after the first.
    int64_t FragmentDataSize() const;

    // Size of the first piece. Setting it switches "different first size" on.
    int64_t FragmentSizeAtStart() const { return fragmentSizeAtStart_; }
    void SetFragmentSizeAtStart(int64_t& value);
    void SetFragmentSizeAtStart(const int64_t& value) { int64_t v = value; SetFragmentSizeAtStart(v); }
    // Data bytes in the first piece.
    int64_t FragmentDataSizeAtStart() const;

    bool DifferentSizeAtStart() const { return differentSizeAtStart_; }
    void SetDifferentSizeAtStart(bool value);

    // Asks once, in the box "Files already exist", before files already under the names of the
    // pieces to be written (the range, or the whole series) are replaced. True when there are
    // none or the user answered Yes. Split asks this itself before its first piece; a resumed
    // Split asks it of the pieces after the one it continues.
    bool ConfirmReplacingPieces();

    // Writes the series; 1 when it ended without saving a task, -1 when a task file was written.
    // A template without a piece number raises 5 before anything is written.
    int16_t Split();
    // Whether the last Split wrote every piece of its range (its result is 1 also when it
    // stopped early).
    bool LastSplitCompleted() const { return lastSplitCompleted_; }

    // Kept and returned only: the data reaches the splitter already enciphered.
    const std::string& EncryptionKey() const { return encryptionKey_; }
    void SetEncryptionKey(const std::string& key);
    bool UseEncryption() const { return useEncryption_; }
    void SetUseEncryption(bool value) { useEncryption_ = value && !encryptionKey_.empty(); }

private:
    friend class SplitRun;

    // Length of the first-piece overhead (H: the headers of the own format).
    int64_t FirstPieceHeaderLength() const;
    // The two headers at the start of piece 1 of the own format, as bytes.
    std::string FragmentHeaderBytes();

    // The same for pieces first..last.
    bool ConfirmReplacingPieces(int32_t first, int32_t last);
    // The length of piece `piece`'s file once all but `bytesLeft` of its data are written.
    int64_t SavedPieceLength(int32_t piece, int64_t bytesLeft) const;
    // Whether the source, and the piece the task had begun, still hold what the task read and
    // wrote; after a box when they do not.
    bool SourceMatchesTask(const std::string& taskFile, int32_t piece, int64_t sourcePos,
                           int64_t bytesLeft, uint32_t crc) const;
    bool PieceInProgressMatchesTask(int32_t piece, int64_t bytesLeft, uint32_t crc) const;

    // Piece count without the 16-bit limit.
    int64_t CountPieces() const;
    // Full path of piece `piece`.
    std::string PiecePath(int32_t piece) const;
    // Where piece `piece`'s data starts in the source.
    int64_t PieceDataOffset(int32_t piece) const;
    // Data bytes of piece `piece` of a series of `count` pieces (the last holds the rest).
    int64_t PieceDataSize(int32_t piece, int64_t count) const;
    int64_t ClampSize(int64_t value) const;
    // Whether a task's saved piece and position are ones a split with the current settings
    // reaches.
    bool PositionFitsSeries(int32_t piece, int64_t sourcePos, int64_t bytesLeft) const;
    [[noreturn]] void RefuseDamagedTask(const std::string& path);
    // For a task whose files no longer match it, after the box that says why.
    [[noreturn]] void RefuseMismatchedTask(const std::string& path);
    void SaveTask(const std::string& path, int32_t piece, int64_t sourcePos, int64_t bytesLeft,
                  uint32_t crc);

    ActiveSplitterEvents* listener_ = nullptr;

    int32_t fileFormat_ = aftTarnwolde;
    int64_t fragmentSize_ = 1457664;
    int64_t fragmentSizeAtStart_ = 1457664;
    bool differentSizeAtStart_ = false;
    std::string encryptionKey_ = "Fennelrow Sealingwarrant";
    bool useEncryption_ = false;
    std::string bigFile_;
    int64_t bigFileLength_ = 0;
    std::string destinationFolder_;
    bool lastSplitCompleted_ = false;

    // Resume state: where the saved task stopped.
    bool resumePending_ = false;
    int32_t resumePiece_ = 0;
    int64_t resumeSourcePos_ = 0;
    int64_t resumeBytesLeft_ = 0;
    uint32_t resumeCrc_ = 0;
    std::string resumeTask_;
    // Shared only with the copy SetResumeInfo tries a task on: the lock on the task file, and
    // the one on its pieces.
    std::shared_ptr<TaskLock> resumeLock_;
    std::shared_ptr<TaskLock> resumePiecesLock_;
};

}  // namespace kb
