#pragma once
// CAB archives, built and unpacked through GCab. The split side gathers or compresses a
// selection into one archive; the join side unpacks the archive a set carried into the chosen
// destination. Both calls block the calling thread for the whole archive, so a window runs
// them on a worker thread; their progress is reported on that thread.

#include <atomic>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kb::platform {

// Any failure of building or unpacking an archive; what() says what and where.
class CabError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// How the data is stored: the values of the series' compression identifier.
enum class CabKind : int32_t { Stored = 1, MsZip = 2 };

// One file to store: where it is read from and the name it gets inside the archive ("\"
// between folders, as archives name them).
struct CabEntry {
    std::string sourcePath;
    std::string nameInside;
    uint64_t size = 0;
};

// Entry name and whole percent of the archive's data done when that entry starts (0..100).
using CabProgress = std::function<void(const std::string& name, int percent)>;

// The bytes the entries hold together.
uint64_t TotalSize(const std::vector<CabEntry>& entries);

// GCab writes one folder with a 16-bit block count, so more than this much input gives a
// broken archive without an error.
inline constexpr uint64_t kCabMaxTotalBytes = 2147450880ULL;

// The entries for a selection: each file under its own name, each folder under its own name
// with everything it holds below it. A name already taken at the top of the archive gets a
// number: the second "readme.txt" becomes "readme (2).txt", the second "docs" folder
// "docs (2)". Symbolic links to folders are not followed; FIFOs,
// devices and sockets are left out. A file or folder that cannot be read raises CabError.
std::vector<CabEntry> CollectCabEntries(const std::vector<std::string>& files,
                                        const std::vector<std::string>& folders);

// Writes the archive (replacing the file at archivePath), each file with its modification time
// as local date and time (clamped to the years 1980 to 2107 an archive can hold). Raises
// CabError when the entries hold more than kCabMaxTotalBytes (before anything is written), when
// two entries share a name, or when GCab fails. Each byte read from the entries' files is added
// to *bytesRead (when given) as it is read, so that another thread can follow the build against
// the entries' total size.
void BuildCab(const std::string& archivePath, const std::vector<CabEntry>& entries, CabKind kind,
              std::atomic<uint64_t>* bytesRead = nullptr);

// Unpacks every entry into destFolder, "\" in names becoming "/"; each file written gets the
// modification time stored with it (nothing else of what the entry carries). Entries whose
// names are absolute, hold "..", or would be written through a symbolic link are left out, and
// so are entries whose name is already taken in the destination (the file there is kept). An
// entry that cannot be unpacked whole (its data breaks off, say) leaves no file behind, and the
// entries after it are still written. All that was left out is reported by a CabError after
// the other entries are written; an archive that cannot be read at all raises CabError at once.
void ExtractCab(const std::string& archivePath, const std::string& destFolder,
                const CabProgress& progress = {});

// The relative path an entry name unpacks to, or "" when the name is unsafe: empty, absolute,
// or holding an empty, "." or ".." component.
std::string SafeEntryPath(const std::string& nameInside);

}  // namespace kb::platform
