#pragma once
// The dropped-files list (clipboard format CF_HDROP) inside a global memory block:
//
//   offset 0   pFiles  32-bit   offset of the first name from the block's start (20 here)
//   offset 4   pt      2 x 32-bit   drop point (0, 0)
//   offset 12  fNC     32-bit   drop point in the non-client area (0)
//   offset 16  fWide   32-bit   0: names are 8-bit text (the only kind written or read here)
//   offset 20  names   each name followed by a NUL, the list ended by one more NUL

#include <string>
#include <vector>

#include "shellext/com/com_base.h"
#include "shellext/com/global_memory.h"

namespace kb::com {

struct DROPFILES {
    DWORD pFiles;
    LONG ptX;
    LONG ptY;
    BOOL fNC;
    BOOL fWide;
};

// A locked dropped-files block (the pointer GlobalLock gave).
using HDROP = const void*;

// A block holding the names, or nullptr when out of memory or a name holds a NUL.
HGLOBAL MakeDropFiles(const std::vector<std::string>& names) noexcept;

// With iFile 0xFFFFFFFF: the number of names. Otherwise the length of name iFile without its
// NUL; with a buffer, the name is also copied into it, cut to cch - 1 characters and
// NUL-terminated, and the number of characters copied is returned. 0 for a name that does not
// exist or a list that cannot be read. `size` bounds every read inside the block.
UINT DragQueryFileA(HDROP drop, size_t size, UINT iFile, char* buffer, UINT cch) noexcept;

}  // namespace kb::com
