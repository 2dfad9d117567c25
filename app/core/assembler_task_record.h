#pragma once
// The unfinished-task file of a stopped join (task kind 2). Little-endian, texts counted
// (16-bit length, then the bytes); "x10000" marks a 64-bit signed byte count stored multiplied
// by 10000.
//
//    1  task kind            16-bit    2
//    2  first piece          text
//    3  format code          32-bit    1 bare, 11 own format 4.0 (10 older format, not resumable)
//    4  piece count          32-bit
//    5  original name        text      } fields 5 to 10 only for code 11: the rest of the
//    6  reserved             32-bit    } set's 4.0 header, as read
//    7  encryption id        32-bit    }
//    8  compression kind     32-bit    }
//    9  naming template      text      }
//   10  source length        64-bit    } plain byte count
//   11  piece number         32-bit    piece being read when the run stopped
//   12  chunk counter        32-bit    chunks already read from it
//   13  piece length         x10000
//   14  bytes left           x10000    data of that piece still to copy
//   15  segment size         32-bit
//   16  last chunk size      32-bit
//   17  output path          text      the file being written
//   18  running CRC-32       32-bit    of the piece's data so far
//   19  position             x10000    read position in the piece (0: not opened yet)
//   20  destination          text
//   21  ask-disk flag        16-bit    -1 pieces requested disk by disk, 0 not

#include <cstdint>
#include <string>

#include "app/core/fragment_format.h"

namespace kb {

inline constexpr int16_t kAssembleTaskKind = 2;

// The bytes a join reads and writes at a time (its segment), from `min` to `max`.
struct SegmentRange {
    int32_t min;
    int32_t max;
    constexpr bool Holds(int32_t bytes) const { return bytes >= min && bytes <= max; }
};
// What the engine joins with: any segment it can allocate (the program itself uses at most a
// few MiB). A stored task outside it is damaged.
inline constexpr SegmentRange kEngineSegments{1, 64 * 1024 * 1024};
// What the wizard resumes with: the range of the options page's slider (16 kb to 2048 kb),
// in which every task the program saved was joined. A task with another segment (made by the
// command-line tool, or by hand) would run with a size the user can neither see nor set, so
// the wizard refuses it, although the engine could join it.
inline constexpr SegmentRange kWizardSegments{16384, 2097152};

struct AssemblerTaskRecord {
    int16_t TaskKind = kAssembleTaskKind;
    std::string FirstPiece;
    int32_t FormatCode = 0;
    int32_t PieceCount = 0;
    // Code 11 only; its piece count is field 4.
    Format4Header Header;
    int32_t PieceNumber = 0;
    int32_t ChunkCounter = 0;
    int64_t PieceLength = 0;
    int64_t BytesLeft = 0;
    int32_t SegmentSize = 0;
    int32_t LastChunkSize = 0;
    std::string OutputPath;
    uint32_t RunningCrc = 0;
    int64_t Position = 0;
    std::string Destination;
    bool AskDisk = false;
};

// Writes the record at the slot's position. A failed write raises 61 ("Disk full").
void WriteAssemblerTaskRecord(int16_t slot, const AssemblerTaskRecord& t);

// Reads fields 1 to 4 (and 5 to 10 for code 11). Returns false, having read no further, when
// the code is neither 1 nor 11.
bool ReadAssemblerTaskHead(int16_t slot, AssemblerTaskRecord& t);
// Reads fields 11 to 21.
void ReadAssemblerTaskTail(int16_t slot, AssemblerTaskRecord& t);

// A record whose values no join can have (a piece number outside the count, a negative size,
// a size that is not a whole byte count, a segment size below 1 or too large to allocate, a
// path holding a NUL)
// raises 321, "SetResumeInfo", naming the file.
void CheckAssemblerTaskRecord(const AssemblerTaskRecord& t, const std::string& path);

}  // namespace kb
