#pragma once
// Checks of a series that the per-piece CRC cannot make: whether a piece sits where its record
// says, whether the joined file has the length the header gives, and whether a first piece
// that reads as bare data is in fact the program's own first piece with a damaged header.
// Each reports in a box of its own; what to do next is the caller's.

#include <cstdint>
#include <string>

#include "app/core/fragment_format.h"

namespace kb {

// A record still holding the placeholder written while its piece was being written.
bool IsUnfinishedRecord(const PieceRecord& record);

// After piece `number` of `count` has been joined from `piece`, with `crc` the CRC-32 of its
// data: a record left unfinished, a CRC that differs and a record naming another place or
// another count each show a critical box. Joining goes on.
void CheckPieceRecord(const std::string& piece, const PieceRecord& record, int32_t number,
                      int32_t count, uint32_t crc);

// A joined file whose length differs from the header's shows a critical box.
void CheckJoinedLength(const std::string& output, int64_t length, int64_t expected);

// True, after a box saying so, when `firstPiece` opens with the counted format text but its
// text differs from the format text in a few bytes: a damaged header, which would be joined
// as bare data with its headers and records inside the output.
bool RefuseDamagedHeader(const std::string& firstPiece);

}  // namespace kb
