#pragma once
// The records of the program's own piece format, written by the splitter and read back by the
// assembler. All integers are little-endian two's complement; the 16- and 32-bit fields are
// signed. A counted string is a 16-bit byte count n followed by n bytes of text, no
// terminator (the empty text is the two bytes 00 00). Records follow each other with no gaps.
//
// Piece 1:  offset 0        FragmentCommonHeader   50 bytes
//           offset 50       Format4Header          28 + n + m bytes (n, m: the two texts)
//           offset H        PieceRecord            12 bytes, H = 78 + n + m
//           offset H + 12   data
// Piece k:  offset 0        PieceRecord, then data from offset 12.
// While a piece is being written its record's place holds twelve "x" bytes; the record is
// written over them when the piece's data is complete.

#include <cstdint>
#include <string>

namespace kb {

inline constexpr const char* kFragmentMagic = "Tarnwolde Extendable Fragment Format";
inline constexpr int32_t kCommonHeaderSize = 50;
inline constexpr int32_t kPieceRecordSize = 12;
inline constexpr const char* kPieceRecordPlaceholder = "xxxxxxxxxxxx";

// Offset 0 of piece 1.
//   magic      counted string, 2 + 36 bytes: kFragmentMagic; identifies the format
//   version    16-bit: 4; below 4 an older header follows instead of Format4Header
//   reserved   five 16-bit values, written 0, 0, 4, 0, 0; readers ignore them
struct FragmentCommonHeader {
    std::string magic = kFragmentMagic;
    int16_t version = 4;
    int16_t reserved[5] = {0, 0, 4, 0, 0};
};

// Directly after the common header in piece 1 (version 4 and above).
//   pieceCount      32-bit: pieces of the whole series (also when only a range is written)
//   storedName      counted string: the name the joined file gets
//   reserved        32-bit: 0, read and ignored
//   encryptionId    32-bit: identifier of the encryption plug-in that made the data, 0 none
//   compressionId   32-bit: 0 none, 1 CAB archive without compression, 2 CAB-compressed
//   namingTemplate  counted string: the series' naming template ("%f.%N", ...)
//   sourceLength    64-bit: length of the split file in bytes
struct Format4Header {
    int32_t pieceCount = 0;
    std::string storedName;
    int32_t reserved = 0;
    int32_t encryptionId = 0;
    int32_t compressionId = 0;
    std::string namingTemplate;
    int64_t sourceLength = 0;
};

// At the start of every piece's data.
//   pieceNumber  32-bit: this piece's number, from 1
//   pieceCount   32-bit: pieces of the whole series when the record was written
//   crc          32-bit: CRC-32 of this piece's data bytes alone
struct PieceRecord {
    int32_t pieceNumber = 0;
    int32_t pieceCount = 0;
    uint32_t crc = 0;
};

// H: the bytes in front of piece 1's record, 78 + the byte lengths of the two texts.
int64_t FirstPieceHeaderSize(const std::string& storedName, const std::string& namingTemplate);

// The records as bytes. A text longer than 32767 bytes raises the overflow error 6.
std::string EncodeCommonHeader(const FragmentCommonHeader& h);
std::string EncodeFormat4Header(const Format4Header& h);
std::string EncodePieceRecord(const PieceRecord& r);

// Write at the slot's position, each record (both headers together) in one write. A write
// that fails raises 57 with the function's name as source, "Unable to write to file.".
void WriteFragmentHeader(int16_t slot, const FragmentCommonHeader& common, const Format4Header& h);
void WritePieceRecord(int16_t slot, const PieceRecord& r);

// Read one record at the slot's position. The magic is read, not compared. A file that ends
// inside the record, or a text with a negative length, raises 57 (source the reader's name
// or "ReadStringBF") and never reads past the end of the file.
FragmentCommonHeader ReadCommonHeader(int16_t slot);
Format4Header ReadFormat4Header(int16_t slot);
PieceRecord ReadPieceRecord(int16_t slot);

}  // namespace kb
