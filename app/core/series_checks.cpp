#include "app/core/series_checks.h"

#include <cstdio>
#include <cstring>

#include "app/core/little_endian.h"
#include "app/core/prompter.h"

namespace kb {

namespace {

constexpr const char* kMayNotMatch = "You may continue, but the assembled file(s) may not match the original.";
// A text that differs in more bytes than this is taken for data that merely starts alike.
constexpr int kMostDamagedBytes = 4;

}  // namespace

bool IsUnfinishedRecord(const PieceRecord& record) {
    const std::string placeholder = kPieceRecordPlaceholder;
    const int32_t word = LoadLE<int32_t>(reinterpret_cast<const uint8_t*>(placeholder.data()));
    return record.pieceNumber == word && record.pieceCount == word &&
           record.crc == static_cast<uint32_t>(word);
}

void CheckPieceRecord(const std::string& piece, const PieceRecord& record, int32_t number,
                      int32_t count, uint32_t crc) {
    if (IsUnfinishedRecord(record)) {
        MsgBox("The piece " + piece + " was never finished: its record still holds the "
               "placeholder written while the piece was being written. " + kMayNotMatch,
               mb::OKOnly | mb::Critical, "Validation error - piece out of place");
        return;
    }
    if (crc != record.crc) {
        MsgBox("The CRC-32 values are incorrect for piece " + std::to_string(number) +
                   " indicating corruption. You may continue, but the assembled file(s) may not "
                   "match the original.",
               mb::OKOnly | mb::Critical, "Validation error - CRC32 Mismatch");
    }
    if (record.pieceNumber != number || record.pieceCount != count) {
        MsgBox("The piece " + piece + " was joined as piece " + std::to_string(number) + " of " +
                   std::to_string(count) + ", but its record says it is piece " +
                   std::to_string(record.pieceNumber) + " of " + std::to_string(record.pieceCount) +
                   ": it may be out of place or belong to another series. " + kMayNotMatch,
               mb::OKOnly | mb::Critical, "Validation error - piece out of place");
    }
}

void CheckJoinedLength(const std::string& output, int64_t length, int64_t expected) {
    if (length == expected) return;
    MsgBox("The assembled file " + output + " holds " + std::to_string(length) +
               " bytes, but the series' header gives its length as " + std::to_string(expected) +
               " bytes: pieces may be missing, out of place or from another series. The "
               "assembled file(s) may not match the original.",
           mb::OKOnly | mb::Critical, "Validation error - length mismatch");
}

bool RefuseDamagedHeader(const std::string& firstPiece) {
    const std::string magic = kFragmentMagic;
    std::string head(2 + magic.size(), '\0');
    FILE* f = std::fopen(firstPiece.c_str(), "rb");
    if (!f) return false;
    const size_t got = std::fread(head.data(), 1, head.size(), f);
    std::fclose(f);
    if (got != head.size()) return false;
    if (LoadLE<int16_t>(reinterpret_cast<const uint8_t*>(head.data())) !=
        static_cast<int16_t>(magic.size()))
        return false;
    int differing = 0;
    for (size_t i = 0; i < magic.size(); ++i) differing += head[2 + i] != magic[i];
    if (differing == 0 || differing > kMostDamagedBytes) return false;
    MsgBox("The first piece " + firstPiece + " begins with a damaged header: its format text "
           "differs from \"" + magic + "\" in " + std::to_string(differing) +
           " byte(s). Joining it as bare data would put the headers and records into the "
           "assembled file, so the series cannot be assembled.",
           mb::OKOnly | mb::Critical, "Unable to assemble - damaged header");
    return true;
}

}  // namespace kb
