#include "app/ui/assembler/assembler_flow_outcome.h"

#include <algorithm>
#include <vector>

namespace kb {
namespace {

// A list of piece numbers on the page stays short: the boxes named each one already.
constexpr size_t kPiecesNamed = 10;

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// "Piece 3 failed its CRC-32 check", "Pieces 2, 3 and 5 failed their CRC-32 checks": the
// pieces and what is said of one piece or of several.
std::string PiecesSentence(const std::vector<int32_t>& pieces, const std::string& one,
                           const std::string& several) {
    if (pieces.size() == 1) return "Piece " + std::to_string(pieces[0]) + " " + one;
    const size_t named = std::min(pieces.size(), kPiecesNamed);
    std::string list;
    for (size_t i = 0; i < named; ++i) {
        if (i > 0) list += (i + 1 == named && named == pieces.size()) ? " and " : ", ";
        list += std::to_string(pieces[i]);
    }
    if (named < pieces.size()) list += " and " + std::to_string(pieces.size() - named) + " more";
    return "Pieces " + list + " " + several;
}

// What is wrong with a joined result, one sentence without its full stop for each flaw, in
// the order a join meets them.
std::vector<std::string> FlawSentences(const JoinFlaws& f) {
    std::vector<std::string> said;
    if (!f.unreadPieces.empty())
        said.push_back(PiecesSentence(f.unreadPieces, "could not be read in full",
                                      "could not be read in full") +
                       ", and zeros stand in for what could not be read");
    if (!f.failedPieces.empty())
        said.push_back(
            PiecesSentence(f.failedPieces, "failed its CRC-32 check", "failed their CRC-32 checks"));
    if (f.joinedLength != f.headerLength)
        said.push_back("The joined data holds " + std::to_string(f.joinedLength) +
                       " bytes, but the series' header gives " + std::to_string(f.headerLength) +
                       " bytes");
    if (f.missingPiece > 0) said.push_back("Piece " + std::to_string(f.missingPiece) + " is missing");
    return said;
}

// What the joined file holds of a series joined without the pieces from `missing` on.
std::string PiecesHeld(int32_t missing) {
    return missing == 2 ? "piece 1" : "pieces 1 to " + std::to_string(missing - 1);
}

// Where data that did not reach its place was kept; "" for data that did.
std::string KeptAs(const Placement& p) {
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

// What became of data that did not reach its place; "" for data that did.
std::string KeptSentence(const Placement& p) {
    const std::string kept = KeptAs(p);
    if (kept.empty() || !p.temporary) return kept;
    return kept + " It is still in the temporary folder, which the system may empty, so move it "
                  "elsewhere before you end this session.";
}

std::string JoinedText(const AssembleOutcome& o) {
    const Placement& p = o.placement;
    const std::string kept = KeptSentence(p);
    const std::vector<std::string> flaws = FlawSentences(o.flaws);
    if (flaws.empty()) return kept;
    std::string said;
    for (size_t i = 0; i + 1 < flaws.size(); ++i) said += flaws[i] + ". ";
    said += flaws.back();
    const bool onlyMissing = flaws.size() == 1 && o.flaws.missingPiece > 0;
    if (p.kind == Placement::Kind::InPlace && onlyMissing)
        return said + ", so the file " + Quoted(p.path) + " holds only " +
               PiecesHeld(o.flaws.missingPiece) + ".";
    if (p.kind == Placement::Kind::InPlace)
        return said + ", so the file " + Quoted(p.path) + " does not match the original.";
    if (p.kind == Placement::Kind::Unpacked)
        return said + ", so the files unpacked into " + Quoted(p.path) +
               " may not match the original.";
    return said + ", so the data does not match the original.\n" + kept;
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
    case J::BackToTask:
        return {"Stopped", "The assemble was stopped: the unfinished task " + Quoted(o.task) +
                               " is kept as it was, to be resumed later."};
    case J::Error: return {"Stopped", "An error stopped the assemble: " + Sentence(o.reason)};
    case J::NotJoined:
        return {"Stopped", "The assemble did not complete: the message shown before this one says why."};
    }
    return {"Stopped", ""};
}

}  // namespace kb
