#pragma once
// What each stage of the splitter wizard shows, as plain values: a stage frame loads one of
// these into its controls and stores its controls back into it. The wizard's flow works only on
// these, so that it needs no toolkit and its decisions can be tested on their own.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/ui/splitter/size_units.h"

namespace kb {

// The stage frames, in the order the wizard passes them.
enum class SplitFrame {
    Intro,
    SourceSingle,
    SourceMulti,
    CmpEnc,
    SelDest,
    FragSize,
    FragRange,
};
inline constexpr int kSplitFrameCount = 7;

struct SplitIntroSettings {
    bool multiFile = false;
};

struct SplitSourceSingleSettings {
    std::string drive;     // the volume shown in the drive list
    std::string folder;    // the folder list's path
    std::string filePath;  // the folder the file list shows
    std::string fileName;  // the chosen file's bare name, "" for none
    std::string info = "Nothing selected.";
};

struct SplitCmpEncSettings {
    int fileFormatting = 0;  // 0 own piece format, 1 bare pieces
    bool useCompression = false;
    bool useEnc = false;
    bool useEncEnabled = true;
    std::vector<std::string> encryptionTypes;
    int encryptionIndex = -1;
    bool encryptionEnabled = false;
    std::string password;
    bool passwordEnabled = false;
};

struct SplitSelDestSettings {
    std::string drive;
    std::string folder;
    bool toDisks = false;
    bool toDisksEnabled = true;
    bool useFreespace = false;
    bool useFreespaceEnabled = false;
    std::string driveInfo = "Unable to display drive information";
};

// Which piece-size option is chosen.
enum class SizeMode { None, Preset, Custom, FillDisk, NumPieces };

struct SplitFragSizeSettings {
    SizeMode mode = SizeMode::Preset;
    int preset = kDefaultPreset;
    std::string customSize = "100";
    int customUnit = -1;
    std::string fillDiskTag;
    bool fillDiskEnabled = true;
    bool formatWhenFillingDisk = false;
    bool formatWhenFillingDiskEnabled = false;
    std::string numPieces;
    bool numPiecesEnabled = true;
    bool firstOverride = false;
    bool firstOverrideEnabled = true;
    std::string firstOverrideCaption = "Use a different size for the first fragment:";
    std::string firstSize = "100";
    std::vector<std::string> firstUnits;
    int firstUnit = -1;
    std::string namingTemplate;
    std::string templateExample;
    bool presetEnabled = true;
    bool customSizeEnabled = false;
    bool numPiecesTextEnabled = false;
    bool firstSizeEnabled = false;
};

// Which pieces are made.
enum class RangeMode { All, Single, Range };

// A piece-number spinner.
struct PieceSpinner {
    std::string text = "1";
    int32_t lower = 1;
    int32_t upper = 1;
    int32_t value = 1;
};

// One generator plug-in offered for extra files: key "P" and its slot, text its name.
struct ExtraFileRow {
    std::string key;
    std::string text;
    bool ticked = false;
};

struct SplitFragRangeSettings {
    RangeMode mode = RangeMode::All;
    PieceSpinner single;
    PieceSpinner from;
    PieceSpinner to;
    bool singleEnabled = false;
    bool rangeEnabled = false;
    bool extraFilesOn = false;
    bool extraFilesListEnabled = false;
    std::vector<ExtraFileRow> extraFiles;
    // The reduced first-piece size for the split run, "0" when generators are off, "" unset.
    std::string extraFilesTag;
};

// The wizard's buttons and which frames are shown.
struct SplitNavSettings {
    std::array<bool, kSplitFrameCount> shown{true, false, false, false, false, false, false};
    bool nextEnabled = true;
    bool backEnabled = false;
    bool resetEnabled = true;
};

}  // namespace kb
