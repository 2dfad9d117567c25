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

#include <cstring>
#include <string>

#include "app/core/active_splitter.h"
#include "app/core/big_file.h"
#include "app/core/general.h"
#include "app/core/globals.h"
#include "app/core/kb_error.h"
#include "app/core/little_endian.h"

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
    const Globals& g = Globals::Instance();
    auto sizeOk = [&](int64_t v) {
        return v >= g.MinFragSizeSupported() && v <= g.MaxFragSizeSupported();
    };
    // A NUL ends a path where the system reads it: the split would read or write other files
    // than the ones named (every piece over the one before, with a template cut short).
    for (const std::string* text : {&t.bigFile, &t.destination, &t.filenameToStore, &t.namingTemplate})
        if (text->find('\0') != std::string::npos) return false;
    return sizeOk(t.fragmentSize) && sizeOk(t.fragmentSizeAtStart) && t.fragFirst >= 1 &&
           t.fragLast >= t.fragFirst && t.piece >= 1 && t.sourcePos >= 0 && t.bytesLeft >= 0;
}

}  // namespace

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
    OpenBF(path, kTaskSlotWrite, "wb");
    bool ok = bigfileWrite(head.data(), static_cast<int32_t>(head.size()), kTaskSlotWrite) ==
              static_cast<int32_t>(head.size());
    for (const std::string& t : texts) ok = ok && WriteStringBF(t, kTaskSlotWrite) == static_cast<int32_t>(t.size());
    ok = ok && bigfileWrite(middle.data(), static_cast<int32_t>(middle.size()), kTaskSlotWrite) ==
                   static_cast<int32_t>(middle.size());
    CloseBF(kTaskSlotWrite);

    // A task that was not saved whole must not be reported as saved.
    int64_t expected = kFixedRecordBytes;
    for (const std::string& t : texts) expected += static_cast<int64_t>(t.size());
    if (!ok || FileSizeBF(path) != expected) throw WriteFailed(path);
}

void ActiveSplitter::SetResumeInfo(const std::string& Filename) {
    OpenBF(Filename, kTaskSlotRead, "rb");
    LoadedTask t;
    try {
        t = ReadTask(Filename);
    } catch (...) {
        platform::bigfileClose(kTaskSlotRead);
        throw;
    }
    CloseBF(kTaskSlotRead);
    if (!Plausible(t)) throw Damaged(Filename);

    // The source is the one check that can still fail; nothing changes before it passed.
    const std::string oldSource = bigFile_;
    try {
        SetBigFile(t.bigFile);
    } catch (...) {
        bigFile_ = oldSource;
        throw;
    }
    fileFormat_ = t.fileFormat;
    fragmentSize_ = t.fragmentSize;
    fragmentSizeAtStart_ = t.fragmentSizeAtStart;
    differentSizeAtStart_ = t.fragmentSize != t.fragmentSizeAtStart;
    SetDestinationFolder(t.destination);
    FilenameToStore = t.filenameToStore;
    FragNamingTemplate = t.namingTemplate;
    CompressionID = t.compressionID;
    EncryptionID = t.encryptionID;
    SpanDisks = t.spanDisks;
    FragFirst = t.fragFirst;
    FragLast = t.fragLast;
    // The stored bounds are always the real ones (1..N for a whole split).
    FragUseRange = true;
    resumePiece_ = t.piece;
    resumeSourcePos_ = t.sourcePos;
    resumeBytesLeft_ = t.bytesLeft;
    resumeCrc_ = t.crc;
    resumePending_ = true;
}

}  // namespace kb
