#include "app/core/series_checks.h"

#include <cstdio>
#include <cstring>

#include "app/core/big_file.h"
#include "app/core/kb_error.h"
#include "app/core/little_endian.h"
#include "app/core/paths.h"
#include "app/core/prompter.h"
#include "platform/crc32.h"

namespace kb {

namespace {

constexpr const char* kMayNotMatch = "You may continue, but the assembled file(s) may not match the original.";
// A text that differs in more bytes than this is taken for data that merely starts alike.
constexpr int kMostDamagedBytes = 4;
// How many numbers past a missing piece of a bare series are looked at for a later piece.
constexpr int32_t kPiecesLookedAhead = 16;
constexpr int16_t kReadSlot = 1;

// How many bytes of the counted format text at the start of the piece differ from it; -1 when
// the piece does not open with the text's length, or is shorter than the text.
int DamagedMagicBytes(const std::string& piece) {
    const std::string magic = kFragmentMagic;
    std::string head(2 + magic.size(), '\0');
    FILE* f = std::fopen(piece.c_str(), "rb");
    if (!f) return -1;
    const size_t got = std::fread(head.data(), 1, head.size(), f);
    std::fclose(f);
    if (got != head.size()) return -1;
    if (LoadLE<int16_t>(reinterpret_cast<const uint8_t*>(head.data())) !=
        static_cast<int16_t>(magic.size()))
        return -1;
    int differing = 0;
    for (size_t i = 0; i < magic.size(); ++i) differing += head[2 + i] != magic[i];
    return differing;
}

// Whether the piece opens with an intact record of piece 2: its number, a count that has room
// for it, and the CRC-32 of all the bytes after it. Bare data almost never does; the data is
// read only when the number and count fit.
bool OpensWithSecondRecord(const std::string& piece) {
    if (piece.empty() || FileSizeBF(piece) < kPieceRecordSize ||
        platform::bigfileOpen(piece, kReadSlot, "rb") == 0)
        return false;
    bool intact = false;
    try {
        const PieceRecord record = ReadPieceRecord(kReadSlot);
        if (record.pieceNumber == 2 && record.pieceCount >= 2) {
            uint32_t crc = 0;
            uint8_t* chunk = nullptr;
            for (int32_t got; (got = bigfileReadChunk(kReadSlot, 1 << 20, chunk)) > 0;)
                crc = platform::Crc32(chunk, static_cast<size_t>(got), crc);
            intact = crc == record.crc;
        }
    } catch (const KbError&) {
    }
    platform::bigfileClose(kReadSlot);
    return intact;
}

void ShowDamagedHeader(const std::string& why) {
    MsgBox(why + " Joining it as bare data would put the headers and records into the "
           "assembled file, so the series cannot be assembled.",
           mb::OKOnly | mb::Critical, "Unable to assemble - damaged header");
}

}  // namespace

bool IsUnfinishedRecord(const PieceRecord& record) {
    const std::string placeholder = kPieceRecordPlaceholder;
    const int32_t word = LoadLE<int32_t>(reinterpret_cast<const uint8_t*>(placeholder.data()));
    return record.pieceNumber == word && record.pieceCount == word &&
           record.crc == static_cast<uint32_t>(word);
}

bool RecordNamesPiece(const PieceRecord& record, int32_t number, int32_t count) {
    return record.pieceNumber == number && record.pieceCount == count;
}

bool CheckPieceRecord(const std::string& piece, const PieceRecord& record, int32_t number,
                      int32_t count, uint32_t crc) {
    if (IsUnfinishedRecord(record)) {
        MsgBox("The piece " + piece + " was never finished: its record still holds the "
               "placeholder written while the piece was being written. " + kMayNotMatch,
               mb::OKOnly | mb::Critical, "Validation error - piece out of place");
        return false;
    }
    const bool crcMatches = crc == record.crc;
    if (!crcMatches) {
        MsgBox("The CRC-32 values are incorrect for piece " + std::to_string(number) +
                   " indicating corruption. You may continue, but the assembled file(s) may not "
                   "match the original.",
               mb::OKOnly | mb::Critical, "Validation error - CRC32 Mismatch");
    }
    const bool inPlace = RecordNamesPiece(record, number, count);
    if (!inPlace) {
        MsgBox("The piece " + piece + " was joined as piece " + std::to_string(number) + " of " +
                   std::to_string(count) + ", but its record says it is piece " +
                   std::to_string(record.pieceNumber) + " of " + std::to_string(record.pieceCount) +
                   ": it may be out of place or belong to another series. " + kMayNotMatch,
               mb::OKOnly | mb::Critical, "Validation error - piece out of place");
    }
    return crcMatches && inPlace;
}

bool CheckJoinedLength(const std::string& output, int64_t length, int64_t expected) {
    if (length == expected) return true;
    MsgBox("The assembled file " + output + " holds " + std::to_string(length) +
               " bytes, but the series' header gives its length as " + std::to_string(expected) +
               " bytes: pieces may be missing, out of place or from another series. The "
               "assembled file(s) may not match the original.",
           mb::OKOnly | mb::Critical, "Validation error - length mismatch");
    return false;
}

bool RefuseDamagedHeader(const std::string& firstPiece, const std::string& secondPiece) {
    const int differing = DamagedMagicBytes(firstPiece);
    if (differing > 0 && differing <= kMostDamagedBytes) {
        ShowDamagedHeader("The first piece " + firstPiece + " begins with a damaged header: its "
                          "format text differs from \"" + std::string(kFragmentMagic) + "\" in " +
                          std::to_string(differing) + " byte(s).");
        return true;
    }
    if (!OpensWithSecondRecord(secondPiece)) return false;
    ShowDamagedHeader("The first piece " + firstPiece + " has a damaged header: it does not read "
                      "as a piece of Kestrelbinder format, but the piece after it, " +
                      secondPiece + ", begins with an intact record of piece 2 of that format.");
    return true;
}

bool StopAtMissingPiece(int32_t count, const std::function<std::string(int32_t)>& piece,
                        int32_t& missing) {
    missing = 0;
    for (int32_t i = count + 2; i <= count + 1 + kPiecesLookedAhead; ++i) {
        const std::string later = piece(i);
        if (!FileExists(later)) continue;
        missing = count + 1;
        return MsgBox("Piece " + std::to_string(missing) + " of this series, " + piece(missing) +
                          ", is missing, but a later piece, " + later + ", is there. Only "
                          "pieces 1 to " + std::to_string(count) + " can be joined, and the "
                          "assembled file would lack the rest. Click OK to join them anyway, or "
                          "Cancel to stop and bring the missing piece into the folder first.",
                      mb::OKCancel | mb::Exclamation | mb::DefaultButton2,
                      "Missing piece") != Answer::OK;
    }
    return false;
}

bool PiecesAfter(int32_t count, const std::function<std::string(int32_t)>& piece) {
    for (int32_t i = count + 1; i <= count + 1 + kPiecesLookedAhead; ++i)
        if (FileExists(piece(i))) return true;
    return false;
}

}  // namespace kb
