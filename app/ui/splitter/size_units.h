#pragma once
// The units a piece size is typed in, and the preset sizes. One table fills both unit lists of
// the piece-size stage, in its order, and gives each unit its bytes; another fills the preset
// list and gives each preset its bytes. What the stage keeps is a position in a list, so the
// order of a table is the meaning of what was chosen.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kb {

// The units, in list order: a unit's value is its position in the custom-size list.
enum class SizeUnit { Bytes, KB, MB, GB, Kbits };

struct SizeUnitEntry {
    const char* caption;
    int64_t bytes;
};

inline constexpr std::array<SizeUnitEntry, 5> kSizeUnits{{
    {"bytes", 1},
    {"KB", 1024},
    {"MB", 1048576},
    {"GB", 1073741824},
    {"kbits", 128},  // 1024 bits
}};

constexpr int ListIndex(SizeUnit u) { return static_cast<int>(u); }

constexpr int64_t BytesPer(SizeUnit u) { return kSizeUnits[static_cast<size_t>(u)].bytes; }

// The unit at a list position; none outside the list (-1 is a list with nothing chosen).
constexpr std::optional<SizeUnit> UnitAt(int index) {
    if (index < 0 || index >= static_cast<int>(kSizeUnits.size())) return std::nullopt;
    return static_cast<SizeUnit>(index);
}

// The preset sizes, in list order: a preset's value is its position in the preset list.
struct SizePreset {
    const char* caption;
    int64_t bytes;
};

inline constexpr std::array<SizePreset, 5> kSizePresets{{
    {"720KB DSDD", 730112},
    {"1.38MB DSHD", 1457664},
    {"1 Mb", 1048576},
    {"2 Mb", 2097152},
    {"100 Mb", 104857600},
}};

// The preset a new or reset wizard shows: "1 Mb".
inline constexpr int kDefaultPreset = 2;

// The first piece's amount is either its size or how much smaller than a piece it is.
enum class FirstPieceMeaning { Absolute, SmallerThanPiece };

struct FirstPieceChoice {
    FirstPieceMeaning meaning;
    SizeUnit unit;
    bool operator==(const FirstPieceChoice&) const = default;
};

// With a folder destination the first piece's list holds every unit as an absolute size, then
// every unit as "smaller". On disks the amount is always space reserved on the first disk: the
// list holds the units once, under their plain captions, and stands for the folder list's
// second half, so that a disk position counts from there.
namespace first_piece {

inline constexpr int kUnits = static_cast<int>(kSizeUnits.size());

constexpr int Offset(bool toDisks) { return toDisks ? kUnits : 0; }

inline std::vector<std::string> Captions(bool toDisks) {
    std::vector<std::string> captions;
    for (const SizeUnitEntry& u : kSizeUnits) captions.emplace_back(u.caption);
    if (!toDisks)
        for (const SizeUnitEntry& u : kSizeUnits)
            captions.push_back(std::string(u.caption) + " smaller");
    return captions;
}

// The choice at a list position; none for a position that reaches outside the folder list.
constexpr std::optional<FirstPieceChoice> ChoiceAt(int index, bool toDisks) {
    const int choice = index + Offset(toDisks);
    if (choice < 0 || choice >= 2 * kUnits) return std::nullopt;
    if (choice < kUnits)
        return FirstPieceChoice{FirstPieceMeaning::Absolute, static_cast<SizeUnit>(choice)};
    return FirstPieceChoice{FirstPieceMeaning::SmallerThanPiece,
                            static_cast<SizeUnit>(choice - kUnits)};
}

// The list position of a choice; -1 for an absolute size on disks, which their list lacks.
constexpr int IndexOf(FirstPieceChoice c, bool toDisks) {
    const int choice = ListIndex(c.unit) + (c.meaning == FirstPieceMeaning::Absolute ? 0 : kUnits);
    const int index = choice - Offset(toDisks);
    return index < 0 ? -1 : index;
}

}  // namespace first_piece

}  // namespace kb
