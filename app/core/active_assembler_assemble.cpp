// Assemble(): joining the pieces of a recognised series into one file.

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <utility>

#include "app/core/active_assembler.h"
#include "app/core/active_assembler_run.h"
#include "app/core/big_file.h"
#include "app/core/crc32.h"
#include "app/core/debug_log.h"
#include "app/core/fatal_error.h"
#include "app/core/kb_error.h"
#include "app/core/paths.h"
#include "app/core/prompter.h"
#include "app/core/series_checks.h"
#include "app/core/task_save.h"
#include "app/core/temp_manager.h"
#include "platform/move_file.h"

namespace kb {

namespace {

constexpr int64_t kTrailerSize = 4;

void CloseQuietly(int16_t slot) { platform::bigfileClose(slot); }

// Halves to even, as the runtime's conversion to an integer rounds.
double RoundHalfEven(double v) { return std::nearbyint(v); }

// What the piece did not hold is written as zeros, never as bytes of an earlier chunk; the
// chunk's memory always has room for k bytes. False when the user stops the join there.
bool FillUnreadable(uint8_t*& chunk, int32_t got, int32_t k, std::vector<uint8_t>& unread) {
    if (!chunk) {
        unread.assign(static_cast<size_t>(k), 0);
        chunk = unread.data();
    }
    std::fill(chunk + std::max(got, 0), chunk + k, uint8_t{0});
    Answer a = MsgBox(
        "Unable to read from the media, your disk is probably corrupt. If you continue, the "
        "assembled file(s) will not match the original. Click cancel to abort the "
        "assembling.",
        mb::OKCancel | mb::Critical, "Unable to read media");
    if (a != Answer::Cancel) return true;
    CloseBF(kOutSlot);
    CloseBF(kPieceSlot);
    return false;
}

}  // namespace

bool StandsThere(const std::string& path) {
    std::error_code ec;
    return std::filesystem::symlink_status(path, ec).type() != std::filesystem::file_type::not_found &&
           !ec;
}

bool ConfirmReplace(const std::string& path) {
    return MsgBox(path + " already exists. Replace it with the joined file?",
                  mb::YesNo | mb::Exclamation | mb::DefaultButton2,
                  "File already exists") == Answer::Yes;
}

int16_t ActiveAssembler::Assemble(std::string& FinalDestDir) {
    // A resumed task is held until this run ends.
    const TaskLock held = std::move(resumeLock_);
    Run r;
    r.finalDestDir = FinalDestDir;
    flaws_ = {};
    try {
        const int16_t result = AssembleBody(r, FinalDestDir);
        flaws_ = r.flaws;
        return result;
    } catch (...) {
        // Whatever stopped the run, its files are not left open in their slots.
        CloseQuietly(kOutSlot);
        CloseQuietly(kPieceSlot);
        r.RemovePartialOutput(BigFile);
        FatalErrorBox("Assemble()", 0);
    }
}

int16_t ActiveAssembler::AssembleBody(Run& r, std::string& FinalDestDir) {
    r.resumed = resumePending_;
    // A verdict holds for one run: a resume that stops before it takes anything up is asked
    // again when it is started again.
    const bool checked = std::exchange(resumeChecked_, false);
    if (r.resumed) {
        r.taskFile = resumeTaskFile_;
        if (!PrepareResume(r, FinalDestDir, checked)) return 1;
    } else {
        if (!PrepareFresh(r)) return 1;
    }
    // A chunk of no bytes would never finish a piece.
    if (SegmentSize < 1) {
        throw KbError(err::InvalidArgument, "ActiveAssembler",
                      "The segment size must be at least 1 byte.");
    }
    for (; r.n <= r.count; ++r.n) {
        if (!OpenPiece(r)) return 1;
        if (!JoinChunks(r)) return 1;
        // End of piece.
        CloseBF(kPieceSlot);
        if (r.code == FragmentFormatCode::Format4 &&
            !CheckPieceRecord(r.Piece(*this, r.n), r.record, r.n, r.count, r.crc))
            r.flaws.failedPieces.push_back(r.n);
    }
    // Writes into a file whose folder was removed all succeed; only its missing name tells.
    if (platform::bigfileLinkCount(kOutSlot) == 0) {
        CloseBF(kOutSlot);
        MsgBox("The assembled file " + BigFile + " was removed while it was being written (its "
               "folder may have been deleted). The file was not written.",
               mb::OKOnly | mb::Critical, "Problem writing data");
        return 1;
    }
    CloseBF(kOutSlot);
    FinishTask(r);
    const int64_t joined = FileSizeBF(BigFile);
    if (r.code == FragmentFormatCode::Format4 &&
        !CheckJoinedLength(r.finalOutput.empty() ? BigFile : r.finalOutput, joined,
                           r.h.Format4.sourceLength)) {
        r.flaws.joinedLength = joined;
        r.flaws.headerLength = r.h.Format4.sourceLength;
    }
    if (!GiveFinalName(r)) return 1;
    LastFileFormatUsed = r.code;
    return 0;
}

// The whole file takes its own name only now, and replaces nothing the user has not agreed to
// replace (a resumed join, or a file that appeared meanwhile, asks here).
bool ActiveAssembler::GiveFinalName(Run& r) {
    if (r.finalOutput.empty()) return true;
    std::string error;
    if (!r.replaceFinal && StandsThere(r.finalOutput)) r.replaceFinal = ConfirmReplace(r.finalOutput);
    if (StandsThere(r.finalOutput) && !r.replaceFinal) {
        MsgBox("The assembled file has been kept as " + BigFile + ", since " + r.finalOutput +
                   " was not replaced.",
               mb::OKOnly | mb::Exclamation, "Assembled data kept");
        return false;
    }
    const bool moved = r.replaceFinal
                           ? std::rename(BigFile.c_str(), r.finalOutput.c_str()) == 0
                           : platform::MoveFileNoReplace(BigFile, r.finalOutput, error);
    if (!moved) {
        throw KbError(err::DeviceIO, "Assemble",
                      "Unable to rename " + BigFile + " to " + r.finalOutput + ".");
    }
    DebugLog("Renamed " + BigFile + " to " + r.finalOutput);
    BigFile = r.finalOutput;
    return true;
}

AssemblerListener& ActiveAssembler::Events() {
    static AssemblerListener nobody;
    return listener_ ? *listener_ : nobody;
}

bool ActiveAssembler::OpenPiece(Run& r) {
    const bool pending = resumePending_;
    if (r.n > 1 || pending) {
        // Only a disk request or a missing piece stops the join here. A cancel given on the
        // last chunk of the piece before takes effect after this piece's first chunk (or not
        // at all, when that chunk ends the set).
        if (!(r.askDisk ? AskForDisk(r) : FindPiece(r))) {
            if (!pending) {
                r.position = 0;
                CloseBF(kOutSlot);
            }
            SaveState(r);
            return false;
        }
        if (!pending || r.position == 0) r.pieceLength = FileSizeBF(r.Piece(*this, r.n));
        OpenBF(r.Piece(*this, r.n), kPieceSlot, "rb");
    }
    if (!r.resumed && r.n == 1 && !OpenOutput(r)) return false;
    PositionInPiece(r, pending);
    return true;
}

// False when the user stops at the request.
bool ActiveAssembler::AskForDisk(Run& r) {
    while (true) {
        int32_t disk = r.n;
        Events().RequireNextDisk(disk, r.cancel, r.saveStateFile);
        if (r.cancel) return false;
        if (FileExists(r.Piece(*this, r.n))) return true;
    }
}

// A piece that is not there, with no disk to ask for, is asked for until it is there or the
// user stops (StopAsked). False when the join stops.
bool ActiveAssembler::FindPiece(Run& r) {
    const std::string piece = r.Piece(*this, r.n);
    while (!FileExists(piece)) {
        if (r.cancel) return false;  // the user has already chosen to stop
        if (MsgBox("Piece " + std::to_string(r.n) + " of " + std::to_string(r.count) + " (" +
                       piece + ") cannot be found. Put it in the folder and click Retry, or "
                       "click Cancel to stop.",
                   mb::RetryCancel | mb::Exclamation, "Missing piece") == Answer::Retry)
            continue;
        if (StopAsked(r)) return false;
    }
    return true;
}

// Cancel in a box that offers to try again: stopping is then the listener's question, whether
// to save the progress or to go on after all (then the box's step is tried again). True when
// the join stops.
bool ActiveAssembler::StopAsked(Run& r) {
    // No task of the older format can be resumed: there is no progress to save.
    if (r.code == FragmentFormatCode::Legacy) {
        r.saveStateFile.clear();
        return true;
    }
    r.cancel = true;
    Events().ConfirmStop(r.cancel, r.saveStateFile);
    return r.cancel;
}

bool ActiveAssembler::OpenOutput(Run& r) {
    std::string out;
    if (r.code != FragmentFormatCode::Raw && (CompressionID > 0 || EncryptionID > 0)) {
        TempManager::Instance().RemoveTempFile("AssEncArchive", true);
        out = TempManager::Instance().CreateTempFile("AssEncArchive", "kbt");
    } else {
        out = RemoveTrailingBackslash(destinationFolder_, true) + "/" +
              GetFileNameFromPath(OrigFile);
        if (OutputIsAPiece(r, out)) {
            MsgBox("The assembled file " + out +
                       " would replace a piece of the series it is assembled from. Please "
                       "choose another destination folder.",
                   mb::OKOnly | mb::Critical, "Unable to assemble");
            CloseBF(kPieceSlot);
            return false;
        }
        // Only the user replaces a file of theirs; the name comes from whoever made the series.
        r.replaceFinal = StandsThere(out);
        if (r.replaceFinal && !ConfirmReplace(out)) {
            CloseBF(kPieceSlot);
            return false;
        }
        r.finalOutput = out;
        out += kUnfinishedSuffix;
    }
    DebugLog("Opening " + out + " for output");
    if (r.finalOutput.empty()) {
        OpenBF(out, kOutSlot, "wb");
    } else if (!CreateUnfinished(out)) {
        CloseBF(kPieceSlot);
        return false;
    }
    // Held while it is written. One that a resume took up the moment it was made is that
    // resume's to refuse.
    if (!r.outputLock.TakeNewOutput(out)) {
        CloseBF(kOutSlot);
        std::remove(out.c_str());
        CloseBF(kPieceSlot);
        return false;
    }
    BigFile = out;
    r.outputOpened = true;
    return true;
}

// The unfinished file is made new, so that two joins into one folder never share one: a
// ".part" already there (left over from an earlier run) goes only after the user's Yes, and
// one that another join is writing not at all.
bool ActiveAssembler::CreateUnfinished(const std::string& part) {
    if (platform::bigfileOpen(part, kOutSlot, "wbx") != 0) return true;
    if (StandsThere(part)) {
        // Held until it is gone, so that no resume takes it up meanwhile.
        TaskLock leftover;
        if (!leftover.TakeNewOutput(part) || !ConfirmReplace(part)) return false;
        std::error_code ec;
        std::filesystem::remove(part, ec);  // a link goes itself; its target stays
    }
    OpenBF(part, kOutSlot, "wbx");  // what stops it now is an error
    return true;
}

void ActiveAssembler::PositionInPiece(Run& r, bool pending) {
    // Every piece's chain starts afresh, also for a piece that holds no data.
    if (!pending || r.position == 0) {
        r.crc = 0;
        SetCrc32State(0);
    }
    if (pending) {
        if (r.code == FragmentFormatCode::Format4) {
            if (r.n == 1) {
                ReadCommonHeader(kPieceSlot);
                ReadFormat4Header(kPieceSlot);
            }
            r.record = ReadPieceRecord(kPieceSlot);
        }
        if (r.position > 0) {
            SetPosBF(kPieceSlot, r.position);
        } else {
            r.bytesLeft = r.pieceLength -
                          (r.code == FragmentFormatCode::Format4 ? kPieceRecordSize : 0);
            r.chunk = 0;
        }
        OpenBF(BigFile, kOutSlot, "ab");
        resumePending_ = false;
    } else {
        r.bytesLeft = r.pieceLength - (r.n == 1 ? r.headerLength : 0);
        if (r.code == FragmentFormatCode::Format4) {
            r.record = ReadPieceRecord(kPieceSlot);
            r.bytesLeft -= kPieceRecordSize;
        }
        // The older format's trailer is not part of the file; it is never read, so it cannot
        // fall into a chunk of its own.
        if (r.code == FragmentFormatCode::Legacy && r.h.Legacy.Trailer != 0)
            r.bytesLeft -= kTrailerSize;
        r.chunk = 0;
    }
}

// Opening the output would empty the piece being read when it is one of the set's pieces (a
// set joined into its own folder whose stored name is a piece's name).
bool ActiveAssembler::OutputIsAPiece(const Run& r, const std::string& out) const {
    std::error_code ec;
    if (!std::filesystem::exists(out, ec)) return false;
    std::string previous;
    for (int32_t i = 1; i <= r.count; ++i) {
        const std::string piece = r.Piece(*this, i);
        // A template without a number names every piece alike: one look is enough. A piece
        // that is missing says nothing of the ones after it.
        if (piece == previous) break;
        if (std::filesystem::equivalent(piece, out, ec)) return true;
        previous = piece;
    }
    return false;
}

bool ActiveAssembler::JoinChunks(Run& r) {
    const bool enciphered = r.code == FragmentFormatCode::Legacy && r.h.Legacy.Encrypted != 0;
    const bool checked = r.code == FragmentFormatCode::Format4;
    std::vector<uint8_t> unread;  // stands in for a chunk the slot could not give at all
    while (r.bytesLeft > 0) {
        ++r.chunk;
        const int32_t k = ChunkLength(SegmentSize, r.bytesLeft, GetPosBF(kOutSlot));
        uint8_t* chunk = nullptr;
        uint32_t chunkCrc = 0;
        const int64_t from = GetPosBF(kPieceSlot);
        const int32_t got = bigfileReadChunk(kPieceSlot, k, chunk, checked ? &chunkCrc : nullptr);
        if (got < k) {
            if (!FillUnreadable(chunk, got, k, unread)) {
                r.RemovePartialOutput(BigFile);
                return false;
            }
            std::vector<int32_t>& unreadPieces = r.flaws.unreadPieces;
            if (unreadPieces.empty() || unreadPieces.back() != r.n) unreadPieces.push_back(r.n);
            // The next chunk is read from its own place, not from where this one failed.
            SetPosBF(kPieceSlot, from + k);
        }
        if (enciphered) platform::xcrypt(chunk, r.passphrase, k);
        if (!WriteChunk(r, chunk, k)) {
            StopBeforeChunk(r, from);
            return false;
        }
        r.lastChunk = k;
        // A chunk made up with zeros is checked as written.
        if (checked) {
            r.crc = got == k ? AddCrc32(chunkCrc, k, r.chunk == 1)
                             : UpdateCrc32(chunk, static_cast<size_t>(k), r.chunk == 1);
        }
        r.bytesLeft -= k;
        if (!ReportChunk(r)) return false;
    }
    return true;
}

// A write of the output that fails for want of room (a full disk or quota, a file-size limit)
// or by a fault of the disk is asked about: Retry writes the chunk again at the same place (a
// failed write leaves the slot where the chunk started), Cancel stops as at a missing piece.
// Any other failure is an error. False when the join stops.
bool ActiveAssembler::WriteChunk(Run& r, const uint8_t* chunk, int32_t k) {
    for (;;) {
        errno = 0;
        if (bigfileWrite(chunk, k, kOutSlot) == k) return true;
        const int error = errno;
        if (error != ENOSPC && error != EDQUOT && error != EFBIG && error != EIO) {
            throw KbError(err::DiskFull, "Assemble",
                          "Unable to write to " + BigFile + ": " +
                              (error != 0 ? std::strerror(error) : "the disk may be full") + ".");
        }
        if (r.cancel) return false;  // the user has already chosen to stop
        // Only a full disk or quota is mended by freeing space.
        const bool full = error == ENOSPC || error == EDQUOT;
        if (MsgBox("An error occurred while writing part of the assembled file " + BigFile + ": " +
                       std::strerror(error) + (full ? ". Free some space and click Retry" :
                                                      ". Click Retry to try again") +
                       ", or click Cancel to stop.",
                   mb::RetryCancel | mb::Exclamation, "Problem writing data") == Answer::Retry)
            continue;
        if (StopAsked(r)) return false;
    }
}

// The chunk that read from `from` in the piece was not written: a task saved now goes on with
// it.
void ActiveAssembler::StopBeforeChunk(Run& r, int64_t from) {
    --r.chunk;
    r.position = from;
    CloseBF(kPieceSlot);
    CloseBF(kOutSlot);
    SaveState(r);
}

// Progress after every chunk, and a cancel there; false when the run stops.
bool ActiveAssembler::ReportChunk(Run& r) {
    const int64_t done = r.pieceLength - r.bytesLeft;
    const int32_t pbCurrent = GetPercentDone(r.n, r.count, done, r.pieceLength);
    const auto fragPercent =
        static_cast<int32_t>(RoundHalfEven(GetPercentDoneThisFrag(done, r.pieceLength)));
    if (!r.cancel) Events().AssembleInterval(pbCurrent, fragPercent, r.cancel, r.saveStateFile);
    DoEvents();
    if (r.cancel && r.code != FragmentFormatCode::Raw && r.code != FragmentFormatCode::Format4) {
        MsgBox("State saving is only supported for unformatted and Kestrelbinder 4.0 and later "
               "pieces",
               mb::OKOnly | mb::Critical, "Unable to save state");
        r.cancel = false;
    }
    if (r.cancel && r.bytesLeft > 0) {
        r.position = GetPosBF(kPieceSlot);
        CloseBF(kPieceSlot);
        CloseBF(kOutSlot);
        SaveState(r);
        return false;
    }
    return true;
}

// Every piece is in: a resumed task is done, and its file goes while the task is still held,
// so that no other resume can take it up meanwhile. A temporary archive it was joining into is
// the program's again, to be removed with the other temporary files once it is unpacked.
void ActiveAssembler::FinishTask(const Run& r) {
    if (!r.resumed) return;
    if (r.code == FragmentFormatCode::Format4 && (CompressionID > 0 || EncryptionID > 0))
        TempManager::Instance().MarkTempFile("AssEncArchive", BigFile);
    DebugLog("Removing the finished task " + r.taskFile);
    std::remove(r.taskFile.c_str());
}

void ActiveAssembler::SaveState(Run& r) {
    if (r.saveStateFile.empty()) {
        // Stopped without saving, a resumed join goes back to its task, which stays: its
        // output, now longer than the task says, is cut back when the task is resumed again.
        if (!r.resumed) std::remove(BigFile.c_str());
        return;
    }
    AssemblerTaskRecord t;
    t.FirstPiece = fileToAssemble_;
    t.FormatCode = r.code;
    t.PieceCount = r.count;
    t.Header = r.h.Format4;
    t.Header.pieceCount = r.count;
    t.PieceNumber = r.n;
    t.ChunkCounter = r.chunk;
    t.PieceLength = r.pieceLength;
    t.BytesLeft = r.bytesLeft;
    t.SegmentSize = SegmentSize;
    t.LastChunkSize = r.lastChunk;
    t.OutputPath = BigFile;
    t.RunningCrc = r.crc;
    t.Position = r.position;
    t.Destination = r.finalDestDir;
    t.AskDisk = r.askDisk;
    // A task saved again under its own name is the one a stop goes back to, kept should
    // this save fail.
    SaveTaskFile(r.saveStateFile, kOutSlot, [&] {
        WriteAssemblerTaskRecord(kOutSlot, t);
        return GetPosBF(kOutSlot);
    }, KbError(err::DeviceIO, "ActiveAssembler", "Unable to write the task file: " + r.saveStateFile));
    // Saved again under another name, the new task replaces the one this run resumed.
    std::error_code ec;
    if (r.resumed && !std::filesystem::equivalent(r.taskFile, r.saveStateFile, ec)) {
        DebugLog("Removing the task " + r.taskFile + ", saved again as " + r.saveStateFile);
        std::remove(r.taskFile.c_str());
    }
}

}  // namespace kb
