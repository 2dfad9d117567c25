#pragma once
// The engine's access to pieces, sources and task files: the slot functions of
// platform/twlib.h with their failure results turned into errors (number 57, the wrapper's
// name as source). Chunks of data are moved with bigfileReadChunk (or bigfileRead) and
// bigfileWrite directly; they report byte counts and raise nothing.
//
// Slots have fixed roles: a split reads its source in slot 1 and writes pieces and its task
// file in slot 2; an assemble writes its output and task file in slot 1 and reads pieces in
// slot 2; header and task-file readers use slot 1.

#include <cstdint>
#include <string>

#include "platform/twlib.h"

namespace kb {

using platform::bigfileRead;
using platform::bigfileReadChunk;
using platform::bigfileWrite;

// The file's length in bytes (-1 when it cannot be examined). Raises nothing.
int64_t FileSizeBF(const std::string& path);

// Opens the file in the slot, mode "rb", "wb", "wbx" or "ab" (see platform/twlib.h).
// Raises 57, "OpenBF", "Unable to open file: <path>".
void OpenBF(const std::string& path, int16_t slot, const std::string& mode);

// Raises 57, "CloseBF", "Unable to close file.".
void CloseBF(int16_t slot);

// Raises 57, "GetPosBF", "Unable to get file position.".
int64_t GetPosBF(int16_t slot);

// Raises 57, "SetPosBF", "Unable to set file position.".
void SetPosBF(int16_t slot, int64_t position);

// The length of the next chunk of a piece or an output: at most `segment` of the `left`
// bytes, to be written at `writeAt`. A chunk that is not the last ends where the file's
// offset is a whole multiple of 64 KiB, when segments are such multiples: the page cache keeps
// a block that a chunk ended inside in small pieces when the next chunk fills it, which
// made every chunk of a piece whose data starts after a header about a quarter slower.
int32_t ChunkLength(int32_t segment, int64_t left, int64_t writeAt);

// Writes a counted string: its byte count as a 16-bit little-endian value, then its bytes.
// Returns the count of text bytes written (0 for the empty text, and 0 when the length could
// not be written, in which case the text is not written either). A text longer than 32767
// bytes cannot be counted in 16 bits and raises the overflow error 6, "WriteStringBF".
int32_t WriteStringBF(const std::string& text, int16_t slot);

// Reads a counted string at the slot's position. A negative length, or a file that ends
// before the length or the text, raises 57, "ReadStringBF", with a description saying which.
std::string ReadStringBF(int16_t slot);

}  // namespace kb
