#pragma once
// A resumed split whose source is a temporary archive the program made for it (the gathered or
// enciphered selection) takes that file over as its temporary archive again, so that it is
// deleted when the program ends.

#include <string>

namespace kb {

// True when `source` is such an archive: it does not carry the stored name, and it lies in the
// temporary folder under the program's "kbt" prefix. A user's own file never is.
bool IsTemporaryArchiveOfSplit(const std::string& source, const std::string& filenameToStore);

// Registers `source` under the key "Archive" (dropping whatever "Archive" and "EncArchive" held)
// when IsTemporaryArchiveOfSplit; otherwise does nothing.
void TakeOverTemporarySource(const std::string& source, const std::string& filenameToStore);

}  // namespace kb
