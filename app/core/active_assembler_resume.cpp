// Taking up a saved join. A task file is a plain file that users copy and keep, and it can be
// stale: before a resumed join cuts back or appends to anything, the output must be the file
// its task implies and must still hold the series' own data up to the saved position.

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>
#include <vector>

#include "app/core/active_assembler.h"
#include "app/core/active_assembler_run.h"
#include "app/core/big_file.h"
#include "app/core/kb_error.h"
#include "app/core/paths.h"
#include "app/core/series_checks.h"
#include "app/core/temp_manager.h"
#include "platform/crc32.h"

namespace kb {

namespace {

constexpr int32_t kCheckChunk = 1 << 20;

// One piece's share of the output a task had written.
struct SavedSpan {
    int32_t number = 0;
    std::string piece;
    int64_t start = 0;   // where the piece's data begins in the piece file
    int64_t length = 0;  // how much of it the output holds
    // Own format: the CRC-32 of those bytes, from the piece's record for a whole piece and the
    // saved running CRC for the piece in progress.
    uint32_t crc = 0;
    bool whole = true;
    // A whole piece's record names it by its place in the series.
    bool inPlace = true;
};

// What the task had written, piece by piece; nullopt when it cannot be told here (pieces on
// other disks), and a problem (" ...") when a piece it needs cannot be read.
struct SavedOutput {
    std::vector<SavedSpan> spans;
    std::string problem;
    int64_t Length() const {
        int64_t total = 0;
        for (const SavedSpan& s : spans) total += s.length;
        return total;
    }
};

// The CRC-32 of `length` bytes of the slot's file from `from`; nullopt when it holds fewer.
std::optional<uint32_t> SpanCrc(int16_t slot, int64_t from, int64_t length) {
    SetPosBF(slot, from);
    uint32_t crc = 0;
    for (int32_t k; length > 0; length -= k) {
        k = static_cast<int32_t>(std::min<int64_t>(length, kCheckChunk));
        uint8_t* data = nullptr;
        if (bigfileReadChunk(slot, k, data) != k) return std::nullopt;
        crc = platform::Crc32(data, static_cast<size_t>(k), crc);
    }
    return crc;
}

// Whether `length` bytes of the output from `at` are those of the piece from `from`.
bool SameBytes(int64_t at, int64_t from, int64_t length) {
    SetPosBF(kOutSlot, at);
    SetPosBF(kPieceSlot, from);
    for (int32_t k; length > 0; length -= k) {
        k = static_cast<int32_t>(std::min<int64_t>(length, kCheckChunk));
        uint8_t* out = nullptr;
        uint8_t* piece = nullptr;
        if (bigfileReadChunk(kOutSlot, k, out) != k || bigfileReadChunk(kPieceSlot, k, piece) != k ||
            std::memcmp(out, piece, static_cast<size_t>(k)) != 0)
            return false;
    }
    return true;
}

// What a span of the output holds.
enum class SpanHolds {
    Other,        // not the piece's data
    Piece,        // the piece's data, which passed its check when it was joined
    FailedPiece,  // the piece's data, which failed its check when it was joined
};

// What the span of the output from `at` holds: for the own format the piece's data when its
// CRC-32 is the one saved for it, or, for a whole piece that failed its CRC check and was
// joined as it is, the CRC-32 of the piece's bytes; for bare data when the bytes are the
// piece's.
SpanHolds SpanHoldsPiece(const SavedSpan& s, int64_t at, bool own) {
    if (!own) {
        OpenBF(s.piece, kPieceSlot, "rb");
        return SameBytes(at, s.start, s.length) ? SpanHolds::Piece : SpanHolds::Other;
    }
    const std::optional<uint32_t> crc = SpanCrc(kOutSlot, at, s.length);
    if (!crc) return SpanHolds::Other;
    if (*crc == s.crc) return s.inPlace ? SpanHolds::Piece : SpanHolds::FailedPiece;
    if (!s.whole) return SpanHolds::Other;
    OpenBF(s.piece, kPieceSlot, "rb");
    return SpanCrc(kPieceSlot, s.start, s.length) == crc ? SpanHolds::FailedPiece : SpanHolds::Other;
}

// What is wrong with the output's first bytes ("" when they are the series' own data); `failed`
// gets the pieces among them that failed their check when they were joined.
std::string ForeignBytes(const std::string& output, const SavedOutput& saved, bool own,
                         std::vector<int32_t>& failed) {
    std::string problem;
    failed.clear();
    try {
        OpenBF(output, kOutSlot, "rb");
        int64_t at = 0;
        for (const SavedSpan& s : saved.spans) {
            const SpanHolds holds = SpanHoldsPiece(s, at, own);
            if (holds == SpanHolds::Other) {
                problem = " no longer holds what the task joined from piece " +
                          std::to_string(s.number) + ", " + s.piece + ".";
                break;
            }
            if (holds == SpanHolds::FailedPiece) failed.push_back(s.number);
            at += s.length;
        }
    } catch (const KbError&) {
        problem = " cannot be read.";
    }
    platform::bigfileClose(kOutSlot);
    platform::bigfileClose(kPieceSlot);
    return problem;
}

// The length of the headers of an own-format first piece; -1 when they cannot be read.
int64_t HeaderLength(const std::string& firstPiece) {
    if (FileSizeBF(firstPiece) < 0) return -1;
    int64_t header = -1;
    try {
        OpenBF(firstPiece, kOutSlot, "rb");
        ReadCommonHeader(kOutSlot);
        ReadFormat4Header(kOutSlot);
        header = GetPosBF(kOutSlot);
    } catch (const KbError&) {
    }
    platform::bigfileClose(kOutSlot);
    return header;
}

// The record of an own-format piece, its data starting at `start`.
std::optional<PieceRecord> RecordOf(const std::string& piece, int64_t start) {
    std::optional<PieceRecord> record;
    try {
        OpenBF(piece, kPieceSlot, "rb");
        SetPosBF(kPieceSlot, start - kPieceRecordSize);
        record = ReadPieceRecord(kPieceSlot);
    } catch (const KbError&) {
    }
    platform::bigfileClose(kPieceSlot);
    return record;
}

// Piece by piece, what the task had written; nullopt when its pieces are on other disks, which
// are not at hand.
std::optional<SavedOutput> SavedSpans(const ActiveAssembler& a, const AssemblerTaskRecord& t,
                                      bool own, const std::string& name, const std::string& tmpl) {
    if (t.AskDisk) return std::nullopt;
    SavedOutput saved;
    const int64_t record = own ? kPieceRecordSize : 0;
    const int64_t header = own ? HeaderLength(t.FirstPiece) : 0;
    const int32_t last = t.Position > 0 ? t.PieceNumber : t.PieceNumber - 1;
    for (int32_t i = 1; i <= last && saved.problem.empty(); ++i) {
        SavedSpan s;
        s.number = i;
        s.piece = i == 1 ? t.FirstPiece : a.PiecePath(name, i, tmpl, !own);
        s.whole = i < t.PieceNumber;
        s.start = (i == 1 ? header : 0) + record;
        const int64_t size = FileSizeBF(s.piece);
        bool readable = header >= 0;
        if (s.whole) {
            s.length = size - s.start;
            const std::optional<PieceRecord> record =
                own ? RecordOf(s.piece, s.start) : std::nullopt;
            readable = readable && s.length >= 0 && (record || !own);
            if (record) {
                s.crc = record->crc;
                s.inPlace = RecordNamesPiece(*record, i, t.PieceCount);
            }
        } else {
            // The own format checks the piece in progress against the saved CRC alone.
            s.length = t.PieceLength - s.start - t.BytesLeft;
            s.crc = t.RunningCrc;
            readable = readable && s.length >= 0 && (own || size >= s.start + s.length);
        }
        if (!readable)
            saved.problem = " cannot be checked against the series: its piece " + s.piece +
                            " cannot be read.";
        saved.spans.push_back(s);
    }
    return saved;
}

// A set whose join goes into the program's temporary archive.
bool Packed(const AssemblerTaskRecord& t) {
    return t.FormatCode == FragmentFormatCode::Format4 &&
           (t.Header.compressionId > 0 || t.Header.encryptionId > 0);
}

// The output a task implies: its destination, the set's stored name and ".part" (or the final
// name, for tasks saved before unfinished names); for a packed set the program's temporary
// archive. What is wrong with `t.OutputPath` ("" when it is that file).
std::string NotTheTasksOutput(const AssemblerTaskRecord& t, const std::string& storedName) {
    if (Packed(t))
        return IsTempFileName(t.OutputPath, "kbt")
                   ? ""
                   : " is not a temporary archive of the program, which this task joins into.";
    std::string destination = t.Destination;
    const std::string folder = RemoveTrailingBackslash(destination, true);
    const std::string unfinished = folder + "/" + storedName + kUnfinishedSuffix;
    const size_t slash = t.OutputPath.rfind('/');
    const std::string name = slash == std::string::npos ? t.OutputPath : t.OutputPath.substr(slash + 1);
    std::error_code ec;
    const bool inFolder =
        slash != std::string::npos &&
        (t.OutputPath.substr(0, slash) == folder ||
         std::filesystem::equivalent(t.OutputPath.substr(0, slash + 1), folder + "/", ec));
    if (inFolder && (name == storedName || name == storedName + kUnfinishedSuffix)) return "";
    return " is not the file this task joins into, which is " + unfinished + ".";
}

// Only the program's own files, the unfinished one and the temporary archive, are cut back to
// what the task wrote: under the final name a longer file may be the finished one, or another
// the user has put there. What is wrong with the task's output of `length` bytes, whose first
// `saved` bytes are what the task wrote ("" when it may be cut back to them).
std::string LongerThanLeft(const AssemblerTaskRecord& t, const std::string& storedName,
                           int64_t length, int64_t saved) {
    if (length <= saved || Packed(t) || GetFileNameFromPath(t.OutputPath) != storedName) return "";
    return " is longer than the task left it, so it may be a finished file or another one; it "
           "has been left as it is.";
}

}  // namespace

bool ActiveAssembler::MayResume(SegmentRange segments) {
    const AssemblerTaskRecord& t = task_;
    bool may = true;
    if (t.FormatCode == FragmentFormatCode::Format4) {
        // Checked first, so that the check of the files never follows a template that leaves
        // the pieces' folder.
        const std::string& tmpl = t.Header.namingTemplate;
        may = !RefuseUnsafeNames(GetFileNameFromPath(StoredFileName(t.Header.storedName)), &tmpl);
    }
    const auto refuse = [&](const std::string& problem) {
        ShowTaskKept(resumeTaskFile_, problem);
        may = false;
    };
    // The output is held before anything is looked at or cut: another join may be writing it
    // (a resume of a copy of this task, say). The check of the files may cut it back, so every
    // check that touches no file comes before it: a refused task changes nothing.
    may = may && outputLock_.TakeOutput(t.OutputPath);
    if (may && !segments.Holds(t.SegmentSize))
        refuse("its segment size of " + std::to_string(t.SegmentSize) + " bytes lies outside " +
               std::to_string(segments.min) + " to " + std::to_string(segments.max) + " bytes.");
    may = may && ResumeMatchesFiles();
    if (may && !FileExists(t.OutputPath))
        refuse("the file it was writing, " + t.OutputPath + ", no longer exists.");
    if (!may) CancelResume();  // else every later join of the object would refuse again
    resumeChecked_ = may;
    return may;
}

bool ActiveAssembler::ResumeMatchesFiles() {
    const AssemblerTaskRecord& t = task_;
    const bool own = t.FormatCode == FragmentFormatCode::Format4;
    std::string name, tmpl;
    if (own) {
        name = StoredFileName(t.Header.storedName);
        tmpl = t.Header.namingTemplate;
    } else {
        tmpl = GuessFragnameTemplate();
        name = mstrRawFilenameComponentInTemplate;
    }
    std::optional<SavedOutput> saved;
    const auto expectedLength = [&]() -> int64_t {
        saved = SavedSpans(*this, t, own, name, tmpl);
        return saved && saved->problem.empty() ? saved->Length() : -1;
    };
    earlierFailures_.clear();
    const std::string storedName = GetFileNameFromPath(name);
    const auto notItsOwn = [&](int64_t length) -> std::string {
        std::string problem = NotTheTasksOutput(t, storedName);
        if (problem.empty() && saved)
            problem = !saved->problem.empty()
                          ? saved->problem
                          : ForeignBytes(t.OutputPath, *saved, own, earlierFailures_);
        if (problem.empty() && saved) problem = LongerThanLeft(t, storedName, length, saved->Length());
        return problem;
    };
    return ResumedFileMatchesTask(t.OutputPath, expectedLength, LongerFile::CutBack, notItsOwn);
}

}  // namespace kb
