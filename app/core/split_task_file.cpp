// The split's unfinished-task file (".uft"), little-endian, every text a counted string:
//
//   order  field                 width     content
//    1     task kind             16-bit    1 (split; the assembler writes 2)
//    2     FileFormat            32-bit
//    3     FragmentSize          64-bit    bytes x 10000
//    4     FragmentSizeAtStart   64-bit    bytes x 10000
//    5     BigFile               text      full path of the source
//    6     DestinationFolder     text      ends in "/"
//    7     FilenameToStore       text
//    8     FragNamingTemplate    text
//    9     CompressionID         32-bit
//   10     EncryptionID          32-bit
//   11     disk spanning         4 bytes   SpanDisks as 16-bit 0 / -1, then the low 16 bits of
//                                          SegmentSize (not read back)
//   12     piece number          32-bit    the piece being written or about to be written
//   13     FragFirst             32-bit
//   14     FragLast              32-bit
//   15     source position       64-bit    offset of the next source byte to read, x 10000
//   16     bytes left            64-bit    data bytes still to write in that piece, x 10000;
//                                          0 when the piece is to be written from its start
//   17     running CRC           32-bit    CRC-32 chain after the last chunk of that piece
//
// 74 bytes plus the four texts.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/core/active_assembler.h"
#include "app/core/active_splitter.h"
#include "app/core/big_file.h"
#include "app/core/crc32.h"
#include "app/core/fragment_format.h"
#include "app/core/kb_error.h"
#include "app/core/little_endian.h"
#include "app/core/piece_limits.h"
#include "app/core/prompter.h"
#include "app/core/task_lock.h"
#include "app/core/task_save.h"
#include "app/core/text.h"

namespace kb {

namespace {

constexpr int16_t kTaskSlotWrite = 2;
constexpr int16_t kTaskSlotRead = 1;
constexpr int16_t kSplitTaskKind = 1;
constexpr int64_t kFixedRecordBytes = 74;
// Sizes and positions are stored as fixed-point numbers with four decimal places.
constexpr int64_t kScale = 10000;

KbError WriteFailed(const std::string& path) {
    return KbError(err::DeviceIO, "ActiveSplitter", "Unable to write the task file: " + path);
}

KbError Damaged(const std::string& path) {
    return KbError(err::DeviceIO, "SetResumeInfo",
                   "The task file is damaged or incomplete: " + path);
}

// Reads the task file field by field; every read is checked, so a file cut short is noticed.
class TaskReader {
public:
    explicit TaskReader(std::string path) : path_(std::move(path)) {}

    template <typename T>
    T Get() {
        uint8_t b[sizeof(T)];
        if (bigfileRead(b, sizeof(T), kTaskSlotRead) != static_cast<int32_t>(sizeof(T)))
            throw Damaged(path_);
        return LoadLE<T>(b);
    }
    int64_t GetScaled() { return Get<int64_t>() / kScale; }
    std::string GetText() { return ReadStringBF(kTaskSlotRead); }

private:
    std::string path_;
};

struct LoadedTask {
    int32_t fileFormat = 0;
    int64_t fragmentSize = 0, fragmentSizeAtStart = 0;
    std::string bigFile, destination, filenameToStore, namingTemplate;
    int32_t compressionID = 0, encryptionID = 0;
    bool spanDisks = false;
    int32_t piece = 0, fragFirst = 0, fragLast = 0;
    int64_t sourcePos = 0, bytesLeft = 0;
    uint32_t crc = 0;
};

LoadedTask ReadTask(const std::string& path) {
    TaskReader r(path);
    LoadedTask t;
    r.Get<int16_t>();  // the kind: the caller chose this reader by it
    t.fileFormat = r.Get<int32_t>();
    t.fragmentSize = r.GetScaled();
    t.fragmentSizeAtStart = r.GetScaled();
    t.bigFile = r.GetText();
    t.destination = r.GetText();
    t.filenameToStore = r.GetText();
    t.namingTemplate = r.GetText();
    t.compressionID = r.Get<int32_t>();
    t.encryptionID = r.Get<int32_t>();
    t.spanDisks = r.Get<int16_t>() != 0;
    r.Get<int16_t>();  // the old segment size is not used
    t.piece = r.Get<int32_t>();
    t.fragFirst = r.Get<int32_t>();
    t.fragLast = r.Get<int32_t>();
    t.sourcePos = r.GetScaled();
    t.bytesLeft = r.GetScaled();
    t.crc = r.Get<uint32_t>();
    return t;
}

// Values this program never writes would make a resumed split divide by nothing, read outside
// its source or use files other than the ones named; such a file is treated as damaged.
bool Plausible(const LoadedTask& t) {
    auto sizeOk = [&](int64_t v) {
        return v >= MinFragSizeSupported() && v <= MaxFragSizeSupported();
    };
    // A NUL ends a path where the system reads it: the split would read or write other files
    // than the ones named (every piece over the one before, with a template cut short).
    for (const std::string* text : {&t.bigFile, &t.destination, &t.filenameToStore, &t.namingTemplate})
        if (text->find('\0') != std::string::npos) return false;
    if (!TemplateNumbersPieces(t.namingTemplate)) return false;
    return t.fileFormat >= aftTarnwolde && t.fileFormat <= aftLegacy && sizeOk(t.fragmentSize) &&
           sizeOk(t.fragmentSizeAtStart) && t.fragFirst >= 1 && t.fragLast >= t.fragFirst &&
           t.piece >= t.fragFirst && t.piece <= t.fragLast && t.sourcePos >= 0 && t.bytesLeft >= 0;
}

}  // namespace

// The saved position must be one a split of this source with these sizes can reach: the first
// byte of the saved piece's data when the piece is to be written from its start, else as many
// bytes into it as are no longer left. A shifted position would resume with the wrong bytes
// and CRC chain and give a series that joins without a complaint into the wrong file.
bool ActiveSplitter::PositionFitsSeries(int32_t piece, int64_t sourcePos, int64_t bytesLeft) const {
    const int64_t firstData = FragmentDataSizeAtStart(), data = FragmentDataSize();
    if (firstData < 1 || data < 1) return false;
    const int64_t count = CountPieces();
    if (piece > count) return false;
    const int64_t offset = PieceDataOffset(piece);
    const int64_t size = PieceDataSize(piece, count);
    if (bytesLeft == 0) return sourcePos == offset;
    return bytesLeft < size && sourcePos == offset + size - bytesLeft;
}

void ActiveSplitter::RefuseDamagedTask(const std::string& path) {
    ClearResumeInfo();
    MsgBox("The unfinished task " + path +
               " is damaged or does not match its source file, and cannot be resumed.",
           mb::OKOnly | mb::Critical, "Unable to resume - damaged task file");
    throw Damaged(path);
}

void ActiveSplitter::RefuseMismatchedTask(const std::string& path) {
    ClearResumeInfo();
    throw KbError(err::DeviceIO, "SetResumeInfo",
                  "The unfinished task " + path + " no longer matches its files and has not been resumed.");
}

void ActiveSplitter::ClearResumeInfo() {
    resumePending_ = false;
    resumeTask_.clear();
    resumeLock_.reset();
    resumePiecesLock_.reset();
}

namespace {

void ShowChanged(const std::string& path) {
    ShowTaskNoLongerMatches(path, " has changed since the task was saved.");
}

// The data length piece 1's header holds; -1 when the piece cannot be read as a first piece.
int64_t LengthInFirstPiece(const std::string& piece) {
    if (FileSizeBF(piece) < 0 || platform::bigfileOpen(piece, kTaskSlotRead, "rb") == 0) return -1;
    int64_t length = -1;
    try {
        ReadCommonHeader(kTaskSlotRead);
        length = ReadFormat4Header(kTaskSlotRead).sourceLength;
    } catch (const KbError&) {
    }
    platform::bigfileClose(kTaskSlotRead);
    return length;
}

// Whether `path` was written to after the file `than` was.
bool WrittenAfter(const std::string& path, const std::string& than) {
    namespace fs = std::filesystem;
    std::error_code a, b;
    const fs::file_time_type written = fs::last_write_time(path, a);
    const fs::file_time_type saved = fs::last_write_time(than, b);
    return !a && !b && written > saved;
}

}  // namespace

// A source changed since the task was saved would give a series of two versions that joins
// into neither: pieces written before the stop carry the old length in piece 1's header and
// the old bytes in the piece in progress. Piece 1 is looked at only where the task wrote it
// into the destination (not on another disk, not left to another range's split).
// The saved range never went past the series' last piece, so a source that now ends before it
// has changed. A range that stops short of the last piece may be one the user chose, or that
// of a source grown past it since, whose pieces would end inside its data: it is the source's
// only while the source has not been written to since the task was saved.
bool ActiveSplitter::SourceMatchesTask(const std::string& taskFile, int32_t piece,
                                       int64_t sourcePos, int64_t bytesLeft, uint32_t crc) const {
    const int64_t count = CountPieces();
    bool same = FragLast <= count && (FragLast == count || !WrittenAfter(bigFile_, taskFile));
    if (same && fileFormat_ == aftTarnwolde && !SpanDisks && FragFirst == 1 &&
        (piece > 1 || bytesLeft > 0)) {
        const int64_t stored = LengthInFirstPiece(PiecePath(1));
        same = stored < 0 || stored == bigFileLength_;
    }
    if (same && bytesLeft > 0) {
        const int64_t from = PieceDataOffset(piece);
        uint32_t now = 0;
        same = Crc32OfFileSpan(bigFile_, from, sourcePos - from, now) && now == crc;
    }
    if (!same) ShowChanged(bigFile_);
    return same;
}

// The piece the task had begun is continued at its end, so it must hold what the task wrote:
// at least as many bytes, and the data the saved CRC was taken over. One found longer (left by
// a run that ended without a word, or a finished piece of a set a copy of this task completed)
// is cut back only once the run goes on with it, after the question about the pieces still to
// come. On disks it is on a disk that is not in the drive yet.
bool ActiveSplitter::PieceInProgressMatchesTask(int32_t piece, int64_t bytesLeft, uint32_t crc) const {
    if (bytesLeft == 0 || SpanDisks) return true;
    const std::string path = PiecePath(piece);
    const int64_t length = SavedPieceLength(piece, bytesLeft);
    if (!ResumedFileMatchesTask(path, [length] { return length; }, LongerFile::LeaveToTheRun))
        return false;
    const int64_t data = PieceDataSize(piece, CountPieces()) - bytesLeft;
    uint32_t now = 0;
    if (Crc32OfFileSpan(path, length - data, data, now) && now == crc) return true;
    ShowChanged(path);
    return false;
}

void ActiveSplitter::SaveTask(const std::string& path, int32_t piece, int64_t sourcePos,
                              int64_t bytesLeft, uint32_t crc) {
    std::string head, middle, tail;
    AppendLE<int16_t>(head, kSplitTaskKind);
    AppendLE<int32_t>(head, fileFormat_);
    AppendLE<int64_t>(head, fragmentSize_ * kScale);
    AppendLE<int64_t>(head, fragmentSizeAtStart_ * kScale);
    AppendLE<int32_t>(middle, CompressionID);
    AppendLE<int32_t>(middle, EncryptionID);
    AppendLE<int16_t>(middle, SpanDisks ? -1 : 0);
    AppendLE<int16_t>(middle, static_cast<int16_t>(SegmentSize & 0xFFFF));
    AppendLE<int32_t>(middle, piece);
    AppendLE<int32_t>(middle, FragFirst);
    AppendLE<int32_t>(middle, FragLast);
    AppendLE<int64_t>(middle, sourcePos * kScale);
    AppendLE<int64_t>(middle, bytesLeft * kScale);
    AppendLE<uint32_t>(middle, crc);

    const std::string texts[] = {bigFile_, destinationFolder_, FilenameToStore, FragNamingTemplate};
    SaveTaskFile(path, kTaskSlotWrite, [&]() -> int64_t {
        bool ok = bigfileWrite(head.data(), static_cast<int32_t>(head.size()), kTaskSlotWrite) ==
                  static_cast<int32_t>(head.size());
        for (const std::string& t : texts)
            ok = ok && WriteStringBF(t, kTaskSlotWrite) == static_cast<int32_t>(t.size());
        ok = ok && bigfileWrite(middle.data(), static_cast<int32_t>(middle.size()), kTaskSlotWrite) ==
                       static_cast<int32_t>(middle.size());
        int64_t length = kFixedRecordBytes;
        for (const std::string& t : texts) length += static_cast<int64_t>(t.size());
        return ok ? length : -1;
    }, WriteFailed(path));
}

void ActiveSplitter::SetResumeInfo(const std::string& Filename) {
    // Loading a task drops whatever was pending, and its lock with it.
    ClearResumeInfo();
    auto lock = std::make_shared<TaskLock>();
    if (!lock->Take(Filename)) throw TaskInUse(Filename);
    OpenBF(Filename, kTaskSlotRead, "rb");
    LoadedTask t;
    try {
        t = ReadTask(Filename);
    } catch (const KbError&) {
        platform::bigfileClose(kTaskSlotRead);
        RefuseDamagedTask(Filename);
    }
    CloseBF(kTaskSlotRead);
    if (!Plausible(t)) RefuseDamagedTask(Filename);

    // The task is tried on a copy: nothing changes before the source and the saved position
    // have passed their checks.
    ActiveSplitter next(*this);
    next.SetBigFile(t.bigFile);
    next.fileFormat_ = t.fileFormat;
    next.fragmentSize_ = t.fragmentSize;
    next.fragmentSizeAtStart_ = t.fragmentSizeAtStart;
    next.differentSizeAtStart_ = t.fragmentSize != t.fragmentSizeAtStart;
    next.SetDestinationFolder(t.destination);
    next.FilenameToStore = t.filenameToStore;
    next.FragNamingTemplate = t.namingTemplate;
    next.CompressionID = t.compressionID;
    next.EncryptionID = t.encryptionID;
    next.SpanDisks = t.spanDisks;
    next.FragFirst = t.fragFirst;
    next.FragLast = t.fragLast;
    // The stored bounds are always the real ones (1..N for a whole split).
    next.FragUseRange = true;
    if (!next.PositionFitsSeries(t.piece, t.sourcePos, t.bytesLeft)) RefuseDamagedTask(Filename);
    // The pieces are held too: a copy of this task, resumed at the same time, would write
    // into the same pieces. Held is the piece the task had begun, else the last it finished.
    auto piecesLock = std::make_shared<TaskLock>();
    const int32_t heldPiece = t.bytesLeft > 0 ? t.piece : t.piece - 1;
    if (!t.spanDisks && heldPiece >= t.fragFirst &&
        !piecesLock->TakeOutput(next.PiecePath(heldPiece))) {
        ClearResumeInfo();
        throw TaskInUse(Filename);
    }
    if (!next.SourceMatchesTask(Filename, t.piece, t.sourcePos, t.bytesLeft, t.crc) ||
        !next.PieceInProgressMatchesTask(t.piece, t.bytesLeft, t.crc))
        RefuseMismatchedTask(Filename);
    next.resumePiece_ = t.piece;
    next.resumeSourcePos_ = t.sourcePos;
    next.resumeBytesLeft_ = t.bytesLeft;
    next.resumeCrc_ = t.crc;
    next.resumePending_ = true;
    next.resumeTask_ = Filename;
    next.resumeLock_ = std::move(lock);
    next.resumePiecesLock_ = std::move(piecesLock);
    *this = next;
}

}  // namespace kb
