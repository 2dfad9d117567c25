#include "app/ui/assembler/assembler_flow_outcome.h"

#include <algorithm>

namespace kb {
namespace {

// A list of piece numbers on the page stays short: the boxes named each one already.
constexpr size_t kPiecesNamed = 10;

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// "Piece 3 failed its CRC-32 check", "Pieces 2, 3 and 5 failed their CRC-32 checks".
std::string FailedPiecesSentence(const std::vector<int32_t>& pieces) {
    if (pieces.size() == 1) return "Piece " + std::to_string(pieces[0]) + " failed its CRC-32 check";
    const size_t named = std::min(pieces.size(), kPiecesNamed);
    std::string list;
    for (size_t i = 0; i < named; ++i) {
        if (i > 0) list += (i + 1 == named && named == pieces.size()) ? " and " : ", ";
        list += std::to_string(pieces[i]);
    }
    if (named < pieces.size()) list += " and " + std::to_string(pieces.size() - named) + " more";
    return "Pieces " + list + " failed their CRC-32 checks";
}

// What became of data that did not reach its place; "" for data that did.
std::string KeptSentence(const Placement& p) {
    using K = Placement::Kind;
    const std::string at = Quoted(p.path);
    switch (p.kind) {
    case K::InPlace:
    case K::Unpacked: return "";
    case K::NoDecryptor:
        return "No plug-in could decrypt the data: it is kept, still encrypted, as " + at + ".";
    case K::NotDecrypted:
        return "The data was not decrypted: it is kept, still encrypted, as " + at + ".";
    case K::NoRoomToDecrypt:
        return "The temporary folder " + Quoted(p.to) + " had no room to decrypt the data: it is "
               "kept, still encrypted, as " + at + ".";
    case K::UnknownCompressor:
        return "The data was packed by an unknown compressor: it is kept as the archive " + at + ".";
    case K::NotUnpacked:
        return "The archive could not be unpacked in full: it is kept as the archive " + at + ".";
    case K::NotReplaced: return Quoted(p.to) + " was not replaced: the data is kept as " + at + ".";
    case K::NotMoved:
        return "The data could not be moved to " + Quoted(p.to) + ": it is kept as " + at + ".";
    case K::NotProcessed: return "The data could not be processed: it is kept as " + at + ".";
    }
    return "";
}

std::string JoinedText(const AssembleOutcome& o) {
    const Placement& p = o.placement;
    const std::string kept = KeptSentence(p);
    if (o.failedPieces.empty()) return kept;
    const std::string failed = FailedPiecesSentence(o.failedPieces);
    if (p.kind == Placement::Kind::InPlace)
        return failed + ", so the file " + Quoted(p.path) + " does not match the original.";
    if (p.kind == Placement::Kind::Unpacked)
        return failed + ", so the files unpacked into " + Quoted(p.path) +
               " may not match the original.";
    return failed + ", so the data does not match the original.\n" + kept;
}

std::string Sentence(std::string s) {
    if (!s.empty() && s.back() != '.') s += '.';
    return s;
}

}  // namespace

LastPage LastPageOf(const AssembleOutcome& o) {
    using J = AssembleOutcome::Join;
    if (o.Whole()) return {"Finished!", ""};
    switch (o.join) {
    case J::Joined: return {"Not completed", JoinedText(o)};
    case J::SavedAsTask:
        return {"Stopped", "The progress has been saved as the unfinished task " + Quoted(o.task) + "."};
    case J::Stopped: return {"Stopped", "The assemble was stopped, and nothing has been kept."};
    case J::Error: return {"Stopped", "An error stopped the assemble: " + Sentence(o.reason)};
    case J::NotJoined:
        return {"Stopped", "The assemble did not complete: the message shown before this one says why."};
    }
    return {"Stopped", ""};
}

}  // namespace kb
