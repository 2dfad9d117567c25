#pragma once
// What a join that ran to its end found wrong with its result: each a reason why the joined
// file is not the original, though every piece there was joined. Worked out by each run of
// the joining engine for itself, and told on the wizard's last page.

#include <cstdint>
#include <vector>

namespace kb {

struct JoinFlaws {
    // Pieces whose data, number or count did not match their CRC-32 record, in the order
    // joined.
    std::vector<int32_t> failedPieces;
    // Pieces of which some bytes could not be read: zeros stand in the output in their place.
    std::vector<int32_t> unreadPieces;
    // A bare series joined without this piece and the ones after it, though a later piece is
    // there (the user chose to join the pieces before it); 0 when none is missing.
    int32_t missingPiece = 0;
    // The joined length and the one the series' header gives, when they differ; -1 otherwise.
    int64_t joinedLength = -1;
    int64_t headerLength = -1;

    bool None() const {
        return failedPieces.empty() && unreadPieces.empty() && missingPiece == 0 &&
               joinedLength == headerLength;
    }
};

}  // namespace kb
