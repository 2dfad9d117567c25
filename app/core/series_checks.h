#pragma once
// Checks of a series that the per-piece CRC cannot make: whether a piece sits where its record
// says, whether the joined file has the length the header gives, whether a first piece that
// reads as bare data is in fact the program's own first piece with a damaged header, and
// whether a bare series goes on past a missing piece. Each reports in a box of its own; what
// to do next is the caller's.

#include <cstdint>
#include <functional>
#include <string>

#include "app/core/fragment_format.h"

namespace kb {

// A record still holding the placeholder written while its piece was being written.
bool IsUnfinishedRecord(const PieceRecord& record);

// Whether the record names its piece as piece `number` of `count`.
bool RecordNamesPiece(const PieceRecord& record, int32_t number, int32_t count);

// After piece `number` of `count` has been joined from `piece`, with `crc` the CRC-32 of its
// data: a record left unfinished, a CRC that differs and a record naming another place or
// another count each show a critical box. Joining goes on; false when the piece failed.
bool CheckPieceRecord(const std::string& piece, const PieceRecord& record, int32_t number,
                      int32_t count, uint32_t crc);

// A joined file whose length differs from the header's shows a critical box; false then.
bool CheckJoinedLength(const std::string& output, int64_t length, int64_t expected);

// True, after a box saying so, when `firstPiece`, which does not read as the program's own
// first piece, is one with a damaged header, which would be joined as bare data with its
// headers and records inside the output. It is one when it opens with the counted format text
// differing from it in at most a few bytes, or when `secondPiece` (the next piece by name; ""
// or a missing file for none) opens with a record of piece 2 whose CRC-32 matches the data
// after it. The second piece is read through slot 1, which must be free.
bool RefuseDamagedHeader(const std::string& firstPiece, const std::string& secondPiece);

// A bare series is counted up to the first missing name. When piece `count` + 1 is missing
// but one of the next few numbers of the same names exists (`piece` names piece i), a box
// names the missing piece; true when the user stops there rather than join the `count` pieces.
// `missing` becomes the number of that piece, 0 when no later piece is there.
bool StopAtMissingPiece(int32_t count, const std::function<std::string(int32_t)>& piece,
                        int32_t& missing);

// Whether one of the few pieces numbered after `count` (`piece` names piece i) is there: a
// resumed bare series whose count was fixed with such a gap lacks them.
bool PiecesAfter(int32_t count, const std::function<std::string(int32_t)>& piece);

}  // namespace kb
