// Assemble()'s preparation: recognising the series and reading its first piece for a fresh
// join, or taking up a saved task for a resumed one.

#include <string>

#include "app/core/active_assembler.h"
#include "app/core/active_assembler_run.h"
#include "app/core/big_file.h"
#include "app/core/crc32.h"
#include "app/core/kb_error.h"
#include "app/core/paths.h"
#include "app/core/prompter.h"
#include "app/core/series_checks.h"
#include "app/core/system_queries.h"
#include "app/core/text.h"

namespace kb {

// Names from a header come from whoever made the series: only a plain file name is used.
bool ActiveAssembler::RefuseUnsafeNames(const std::string& name, const std::string* tmpl) {
    // A stored template must number its pieces, or every piece would be the same file, read
    // again as often as the header's count says.
    const bool tmplOk = !tmpl || (tmpl->find_first_of(std::string("/\0", 2)) == std::string::npos &&
                                  TemplateNumbersPieces(*tmpl));
    if (IsUsableFileName(name) && tmplOk) return false;
    MsgBox("This fragment series cannot be assembled: the file name \"" + name +
               "\" or the naming template \"" + (tmpl ? *tmpl : std::string()) +
                   "\" it names is not usable.",
           mb::OKOnly | mb::Critical, "Unable to assemble");
    return true;
}

bool ActiveAssembler::PrepareFresh(Run& r) {
    r.format = FileFormat();
    // Joined from a later piece, a series would lack its first pieces.
    if (r.format == aftRaw && ChooseSeriesStart()) r.format = FileFormat();
    LastFileFormatUsed = r.format;
    if (r.format == aftRaw && RefuseDamagedHeader(fileToAssemble_, RawPiecePath(2)))
        return false;
    if (!MeasureFirstPiece(r)) return false;
    if (r.format == aftRaw &&
        StopAtMissingPiece(r.count, [this](int32_t i) { return RawPiecePath(i); },
                           r.flaws.missingPiece))
        return false;
    Events().AssembleStart(100);
    OpenBF(fileToAssemble_, kPieceSlot, "rb");
    ReadFirstHeaders(r);
    if (!AcceptFirstPiece(r)) {
        CloseBF(kPieceSlot);
        return false;
    }
    r.headerLength = r.code == FragmentFormatCode::Raw ? 0 : GetPosBF(kPieceSlot);
    SetPieceNaming(r);
    r.n = 1;
    r.askDisk =
        DiskRemovable(fileToAssemble_) && !FileExists(r.Piece(*this, 2));
    return true;
}

bool ActiveAssembler::MeasureFirstPiece(Run& r) {
    try {
        r.count = FragmentCount();
    } catch (const KbError&) {
        r.count = 0;
    }
    if (r.count < 1) {
        MsgBox("An unknown problem occurred in FragmentCount() - source drive may be inaccessible");
        return false;
    }
    r.pieceLength = FileSizeBF(fileToAssemble_);
    if (r.pieceLength < 0) {
        MsgBox("An unknown problem occurred getting the first fragment's length");
        return false;
    }
    return true;
}

// Reads the first piece's headers, which leaves its slot at the first data byte.
void ActiveAssembler::ReadFirstHeaders(Run& r) {
    if (r.format == aftRaw) {
        r.code = FragmentFormatCode::Raw;
        OrigFile = mstrRawFilenameComponentInTemplate;
        r.tmpl = GuessFragnameTemplate();
        // Bare data names no compressor or encryptor; values left from an earlier join of this
        // object would make the output look like a temporary archive to the wizard.
        CompressionID = 0;
        EncryptionID = 0;
        return;
    }
    r.h.Common = ReadCommonHeader(kPieceSlot);
    if (r.h.Common.version < 4) {
        r.code = FragmentFormatCode::Legacy;
        ReadLegacyHeader(kPieceSlot, r.h.Legacy, r.h.LegacyEncryption);
        OrigFile = StoredFileName(r.h.Legacy.OrigFilename);
        CompressionID = r.h.Legacy.IsCab ? 2 : 0;
        EncryptionID = 0;
    } else {
        r.code = FragmentFormatCode::Format4;
        r.h.Format4 = ReadFormat4Header(kPieceSlot);
        OrigFile = StoredFileName(r.h.Format4.storedName);
        CompressionID = r.h.Format4.compressionId;
        EncryptionID = r.h.Format4.encryptionId;
    }
    r.tmpl = r.code == FragmentFormatCode::Format4 ? r.h.Format4.namingTemplate
                                                   : GuessFragnameTemplate();
}

// Usable names, and the passphrase of an enciphered older series.
bool ActiveAssembler::AcceptFirstPiece(Run& r) {
    if (RefuseUnsafeNames(GetFileNameFromPath(OrigFile),
                          r.code == FragmentFormatCode::Format4 ? &r.tmpl : nullptr))
        return false;
    return !(r.code == FragmentFormatCode::Legacy && r.h.Legacy.Encrypted != 0) ||
           AskPassphrase(r);
}

// Pieces of the own format are named as their header says; a bare or older series is named
// from the base its first piece's name was guessed from, so piece 1 is that piece again.
void ActiveAssembler::SetPieceNaming(Run& r) {
    if (r.code == FragmentFormatCode::Format4) {
        r.pieceName = OrigFile;
        r.pieceNameIsBase = false;
    } else {
        r.pieceName = mstrRawFilenameComponentInTemplate;
        r.pieceNameIsBase = true;
    }
}

bool ActiveAssembler::AskPassphrase(Run& r) {
    r.cancel = false;
    Events().RequirePassphrase(r.passphrase, r.cancel, true);
    while (!r.cancel && GetCheckValue(r.passphrase) != r.h.LegacyEncryption.CheckValue) {
        Events().RequirePassphrase(r.passphrase, r.cancel, false);
    }
    return !r.cancel;
}

// Takes up the task; false when it may not start (MayResume, unless `checked` says the caller
// has asked it already).
bool ActiveAssembler::PrepareResume(Run& r, std::string& FinalDestDir, bool checked) {
    const AssemblerTaskRecord& t = task_;
    r.code = t.FormatCode;
    r.count = t.PieceCount;
    r.n = t.PieceNumber;
    r.chunk = t.ChunkCounter;
    r.pieceLength = t.PieceLength;
    r.bytesLeft = t.BytesLeft;
    SegmentSize = t.SegmentSize;
    r.lastChunk = t.LastChunkSize;
    r.crc = t.RunningCrc;
    SetCrc32State(t.RunningCrc);
    r.position = t.Position;
    FinalDestDir = t.Destination;
    r.finalDestDir = t.Destination;
    r.askDisk = t.AskDisk;
    LastFileFormatUsed = r.code;
    if (r.code == FragmentFormatCode::Format4) {
        r.h.Format4 = t.Header;
        OrigFile = StoredFileName(t.Header.storedName);
        r.tmpl = t.Header.namingTemplate;
        CompressionID = t.Header.compressionId;
        EncryptionID = t.Header.encryptionId;
        if (CompressionID == 0 && EncryptionID == 0) r.finalOutput = FinalNameOf(t.OutputPath, OrigFile);
    } else {
        // A bare set is found under the same names as on a fresh start, and its output is
        // never the temporary archive of an earlier join of the object.
        r.tmpl = GuessFragnameTemplate();
        OrigFile = mstrRawFilenameComponentInTemplate;
        CompressionID = 0;
        EncryptionID = 0;
        r.finalOutput = FinalNameOf(t.OutputPath, OrigFile);
    }
    if (!checked && !MayResume(kEngineSegments)) return false;
    r.outputLock = std::move(outputLock_);
    // The output still holds the pieces that failed their check in the sessions before.
    r.flaws.failedPieces = earlierFailures_;
    // Only the task's own output is taken up; a temporary archive stays the task's until the
    // join is done (FinishTask).
    BigFile = t.OutputPath;
    SetPieceNaming(r);
    // The count of a bare series was fixed when its join began, also when the user then chose
    // to join the pieces before a gap: the result lacks the pieces after it.
    if (r.code == FragmentFormatCode::Raw &&
        PiecesAfter(r.count, [&](int32_t i) { return r.Piece(*this, i); }))
        r.flaws.missingPiece = r.count + 1;
    return true;
}

}  // namespace kb
