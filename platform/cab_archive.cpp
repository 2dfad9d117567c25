#include "platform/cab_archive.h"

#include <fcntl.h>
#include <libgcab.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>

#include "platform/counted_reads.h"
#include "platform/folder_entries.h"
#include "platform/numbered_name.h"

namespace kb::platform {
namespace {

namespace fs = std::filesystem;

struct GObjectUnref {
    void operator()(gpointer p) const {
        if (p != nullptr) g_object_unref(p);
    }
};
template <class T>
using GPtr = std::unique_ptr<T, GObjectUnref>;

// Takes the message out of a GLib error and frees it.
[[noreturn]] void Fail(const std::string& what, GError* error) {
    std::string text = what;
    if (error != nullptr) {
        text += ": ";
        text += error->message;
        g_error_free(error);
    }
    throw CabError(text);
}

std::string BaseName(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Archives keep a file's time as local date and time fields from 1980 to 2107, two seconds
// apart; a time outside that range is stored as its nearest end.
void StoreModificationTime(GCabFile* file, const std::string& sourcePath) {
    struct stat st {};
    if (stat(sourcePath.c_str(), &st) != 0) return;  // adding the file reports it
    GDateTime* dt = g_date_time_new_from_unix_local(st.st_mtim.tv_sec);
    if (dt != nullptr && (g_date_time_get_year(dt) < 1980 || g_date_time_get_year(dt) > 2107)) {
        const bool early = g_date_time_get_year(dt) < 1980;
        g_date_time_unref(dt);
        dt = early ? g_date_time_new_local(1980, 1, 1, 0, 0, 0)
                   : g_date_time_new_local(2107, 12, 31, 23, 59, 58);
    }
    if (dt == nullptr) return;
    gcab_file_set_date_time(file, dt);
    g_date_time_unref(dt);
}

// The entry's stored time read as local time, as it was stored; nullopt when it holds no
// valid date.
std::optional<time_t> StoredModificationTime(GCabFile* file) {
    GDateTime* stored = gcab_file_get_date_time(file);
    if (stored == nullptr) return std::nullopt;
    GDateTime* local = g_date_time_new_local(
        g_date_time_get_year(stored), g_date_time_get_month(stored),
        g_date_time_get_day_of_month(stored), g_date_time_get_hour(stored),
        g_date_time_get_minute(stored), g_date_time_get_second(stored));
    g_date_time_unref(stored);
    if (local == nullptr) return std::nullopt;
    const time_t t = static_cast<time_t>(g_date_time_to_unix(local));
    g_date_time_unref(local);
    return t;
}

// Sets the file's modification time and nothing else: its access time stays as it is.
void RestoreModificationTime(const std::string& path, time_t mtime) {
    const timespec times[2] = {{0, UTIME_OMIT}, {mtime, 0}};
    utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

// The entry's name, numbered when the archive holds it already; it is taken from then on.
std::string UniqueName(const std::string& name, bool keepExtension, std::set<std::string>& taken) {
    const std::string unique = NumberedName(
        name, keepExtension, [&taken](const std::string& n) { return taken.count(n) != 0; });
    taken.insert(unique);
    return unique;
}

uint64_t SizeOf(const std::string& path) {
    std::error_code ec;
    const uint64_t size = fs::file_size(path, ec);
    if (ec) throw CabError("Unable to read " + path + ": " + ec.message());
    return size;
}

void CollectFolder(const std::string& folder, const std::string& prefix,
                   std::vector<CabEntry>& out) {
    std::vector<FolderEntry> entries;
    if (!ListFolder(folder, entries)) throw CabError("Unable to read the folder " + folder);
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    for (const FolderEntry& e : entries) {
        const std::string path = folder + "/" + e.name;
        const std::string name = prefix.empty() ? e.name : prefix + "\\" + e.name;
        if (e.kind == FolderEntry::File) out.push_back({path, name, SizeOf(path)});
        if (e.kind == FolderEntry::Folder) CollectFolder(path, name, out);
    }
}

// Percent of all the data that lies before each entry, by its name inside.
class ProgressByName {
public:
    ProgressByName(const std::vector<uint64_t>& sizes, const std::vector<std::string>& names) {
        uint64_t total = 0;
        for (uint64_t s : sizes) total += s;
        uint64_t before = 0;
        for (size_t i = 0; i < sizes.size(); ++i) {
            percent_.emplace(names[i], total == 0 ? 0 : static_cast<int>(before * 100 / total));
            before += sizes[i];
        }
    }
    int Percent(const std::string& name) const {
        auto it = percent_.find(name);
        return it == percent_.end() ? 0 : it->second;
    }

private:
    std::map<std::string, int> percent_;
};

// What unpacking did with one entry. Entries are counted in the order GCab offers them, which
// is the same in every pass over one archive.
struct EntryOutcome {
    enum Fate { Written, Refused, Existing, Unreadable } fate = Written;
    std::string name;  // as stored
    std::string rel;   // where it goes below the destination
    std::optional<time_t> mtime;
    std::string why;   // Unreadable: what went wrong
};

struct ExtractContext {
    std::string dest;
    const ProgressByName* percents;
    const CabProgress* progress;
    std::vector<EntryOutcome> outcomes;
    size_t offered = 0;             // entries GCab offered in this pass
    std::optional<size_t> writing;  // the entry GCab is writing in this pass
};

bool IsLink(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// No folder on the way to the entry, nor the entry itself, may be a symbolic link: the data
// would land wherever the link points.
bool PassesThroughLink(const std::string& dest, const std::string& rel) {
    std::string path = dest;
    size_t start = 0;
    while (true) {
        const size_t slash = rel.find('/', start);
        path += '/';
        path.append(rel, start, slash == std::string::npos ? std::string::npos : slash - start);
        if (IsLink(path)) return true;
        if (slash == std::string::npos) return false;
        start = slash + 1;
    }
}

gboolean OnFileExtracting(GCabFile* file, gpointer data) {
    auto* ctx = static_cast<ExtractContext*>(data);
    ctx->writing.reset();  // GCab offers the next entry only once the one before is whole
    const size_t index = ctx->offered++;
    if (index < ctx->outcomes.size()) return FALSE;  // decided in an earlier pass
    EntryOutcome e;
    e.name = gcab_file_get_name(file);
    e.rel = SafeEntryPath(e.name);
    e.mtime = StoredModificationTime(file);
    struct stat st {};
    if (e.rel.empty() || PassesThroughLink(ctx->dest, e.rel))
        e.fate = EntryOutcome::Refused;
    else if (lstat((ctx->dest + "/" + e.rel).c_str(), &st) == 0)
        e.fate = EntryOutcome::Existing;  // the user's file stays
    ctx->outcomes.push_back(e);
    if (e.fate != EntryOutcome::Written) return FALSE;
    ctx->writing = index;
    gcab_file_set_extract_name(file, e.rel.c_str());
    if (*ctx->progress) (*ctx->progress)(e.name, ctx->percents->Percent(e.name));
    return TRUE;
}

// Owns the archive file's stream as long as the cabinet read from it.
struct LoadedCab {
    GPtr<GFileInputStream> stream;
    GPtr<GCabCabinet> cab;
};

LoadedCab LoadCab(const std::string& archivePath) {
    GError* error = nullptr;
    GPtr<GFile> in(g_file_new_for_path(archivePath.c_str()));
    LoadedCab loaded{GPtr<GFileInputStream>(g_file_read(in.get(), nullptr, &error)),
                     GPtr<GCabCabinet>(gcab_cabinet_new())};
    if (!loaded.stream) Fail("Unable to read " + archivePath, error);
    if (!gcab_cabinet_load(loaded.cab.get(), G_INPUT_STREAM(loaded.stream.get()), nullptr, &error))
        Fail(archivePath + " is not a readable archive", error);
    return loaded;
}

// An entry's name as the user would look for it in the destination: the path it unpacks to,
// or the name as stored when it unpacks to none.
std::string ShownName(const std::string& nameInside) {
    const std::string rel = SafeEntryPath(nameInside);
    return rel.empty() ? nameInside : rel;
}

// The box's text for the entries that were not written ("" when every entry was).
std::string NotWrittenReport(const std::vector<EntryOutcome>& outcomes,
                             const std::vector<std::string>& unreached) {
    struct Section {
        EntryOutcome::Fate fate;
        const char* heading;
    } sections[] = {
        {EntryOutcome::Refused, "These entries of the archive were not written, since their names "
                                "lead outside the destination folder:"},
        {EntryOutcome::Existing, "These files were not written, since files of the same names are "
                                 "already in the destination folder:"},
        {EntryOutcome::Unreadable, "These entries of the archive could not be unpacked and were "
                                   "not written:"},
    };
    std::string text;
    for (const Section& s : sections) {
        std::string lines;
        for (const EntryOutcome& e : outcomes) {
            if (e.fate != s.fate) continue;
            // A refused name leads nowhere in the destination: it is shown as the archive has it.
            lines += "\n" + (s.fate == EntryOutcome::Refused ? e.name : e.rel);
            if (s.fate == EntryOutcome::Unreadable) lines += " (" + e.why + ")";
        }
        if (s.fate == EntryOutcome::Unreadable)
            for (const std::string& name : unreached)
                lines += "\n" + ShownName(name) + " (not reached)";
        if (lines.empty()) continue;
        if (!text.empty()) text += "\n\n";
        text += s.heading + lines;
    }
    return text;
}

// The stored names no pass offered: what stays after taking away each name offered once.
std::vector<std::string> Unreached(std::vector<std::string> names,
                                   const std::vector<EntryOutcome>& outcomes) {
    for (const EntryOutcome& e : outcomes) {
        auto it = std::find(names.begin(), names.end(), e.name);
        if (it != names.end()) names.erase(it);
    }
    return names;
}

}  // namespace

uint64_t TotalSize(const std::vector<CabEntry>& entries) {
    uint64_t total = 0;
    for (const CabEntry& e : entries) total += e.size;
    return total;
}

std::vector<CabEntry> CollectCabEntries(const std::vector<std::string>& files,
                                        const std::vector<std::string>& folders) {
    std::vector<CabEntry> out;
    // Names at the top of the archive: selections often hold files of one name from
    // different folders, and an archive holds each name once.
    std::set<std::string> taken;
    for (const std::string& f : files) {
        std::error_code ec;
        if (!fs::is_regular_file(f, ec)) throw CabError("Not a readable file: " + f);
        out.push_back({f, UniqueName(BaseName(f), true, taken), SizeOf(f)});
    }
    for (const std::string& d : folders) {
        std::error_code ec;
        if (fs::is_symlink(d, ec) || !fs::is_directory(d, ec))
            throw CabError("Not a readable folder: " + d);
        const std::string name = BaseName(d);
        CollectFolder(d, name == "/" ? std::string() : UniqueName(name, false, taken), out);
    }
    return out;
}

void BuildCab(const std::string& archivePath, const std::vector<CabEntry>& entries, CabKind kind,
              std::atomic<uint64_t>* bytesRead) {
    const uint64_t total = TotalSize(entries);
    if (total > kCabMaxTotalBytes)
        throw CabError("The selection holds " + std::to_string(total) +
                       " bytes; an archive holds at most " + std::to_string(kCabMaxTotalBytes));

    GPtr<GCabCabinet> cab(gcab_cabinet_new());
    GPtr<GCabFolder> folder(gcab_folder_new(kind == CabKind::MsZip ? GCAB_COMPRESSION_MSZIP
                                                                   : GCAB_COMPRESSION_NONE));
    GError* error = nullptr;
    // GCab tells of a file only once it is done: its reads are counted as they go.
    std::atomic<uint64_t> uncounted{0};
    std::atomic<uint64_t>* count = bytesRead != nullptr ? bytesRead : &uncounted;
    for (const CabEntry& e : entries) {
        GPtr<GFile> source(NewCountedFile(e.sourcePath, count));
        GPtr<GCabFile> file(gcab_file_new_with_file(e.nameInside.c_str(), source.get()));
        StoreModificationTime(file.get(), e.sourcePath);
        if (!gcab_folder_add_file(folder.get(), file.get(), FALSE, nullptr, &error))
            Fail("Unable to add " + e.sourcePath + " to the archive", error);
    }
    if (!gcab_cabinet_add_folder(cab.get(), folder.get(), &error))
        Fail("Unable to start the archive", error);

    GPtr<GFile> out(g_file_new_for_path(archivePath.c_str()));
    GPtr<GFileOutputStream> stream(
        g_file_replace(out.get(), nullptr, FALSE, G_FILE_CREATE_PRIVATE, nullptr, &error));
    if (!stream) Fail("Unable to write " + archivePath, error);
    if (!gcab_cabinet_write(cab.get(), G_OUTPUT_STREAM(stream.get()), nullptr, nullptr, nullptr,
                            nullptr, &error))
        Fail("Unable to write " + archivePath, error);
    if (!g_output_stream_close(G_OUTPUT_STREAM(stream.get()), nullptr, &error))
        Fail("Unable to write " + archivePath, error);
}

void ExtractCab(const std::string& archivePath, const std::string& destFolder,
                const CabProgress& progress) {
    std::vector<uint64_t> sizes;
    std::vector<std::string> names;
    {
        const LoadedCab loaded = LoadCab(archivePath);
        GPtrArray* folders = gcab_cabinet_get_folders(loaded.cab.get());
        for (guint i = 0; i < folders->len; ++i) {
            auto* folder = static_cast<GCabFolder*>(g_ptr_array_index(folders, i));
            GSList* files = gcab_folder_get_files(folder);
            for (GSList* l = files; l != nullptr; l = l->next) {
                auto* file = static_cast<GCabFile*>(l->data);
                sizes.push_back(gcab_file_get_size(file));
                names.push_back(gcab_file_get_name(file));
            }
            g_slist_free(files);
        }
    }

    std::string dest = destFolder;
    while (dest.size() > 1 && dest.back() == '/') dest.pop_back();
    std::error_code ec;
    fs::create_directories(dest, ec);
    if (!fs::is_directory(dest, ec)) throw CabError("Unable to make the folder " + dest);
    const ProgressByName percents(sizes, names);
    ExtractContext ctx{dest, &percents, &progress, {}, 0, {}};
    GPtr<GFile> target(g_file_new_for_path(dest.c_str()));
    // GCab stops at the first entry it cannot write whole. That entry's half-written file goes
    // (nothing stood there before), and a new pass over the archive writes the entries after it.
    // A full or read-only file system would fail every later entry in turn: there it stops.
    std::string stopped;
    while (true) {
        const LoadedCab loaded = LoadCab(archivePath);
        ctx.offered = 0;
        ctx.writing.reset();
        GError* error = nullptr;
        if (gcab_cabinet_extract(loaded.cab.get(), target.get(), OnFileExtracting, nullptr, &ctx,
                                 nullptr, &error))
            break;
        if (!ctx.writing) {
            stopped = "Unable to unpack " + archivePath + " into " + dest + ": " + error->message;
            g_error_free(error);
            break;
        }
        EntryOutcome& failed = ctx.outcomes[*ctx.writing];
        failed.fate = EntryOutcome::Unreadable;
        failed.why = error->message;
        unlink((dest + "/" + failed.rel).c_str());
        const bool last = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_NO_SPACE) ||
                          g_error_matches(error, G_IO_ERROR, G_IO_ERROR_READ_ONLY);
        g_error_free(error);
        if (last) break;
    }
    for (const EntryOutcome& e : ctx.outcomes)
        if (e.fate == EntryOutcome::Written && e.mtime)
            RestoreModificationTime(dest + "/" + e.rel, *e.mtime);
    std::string text = NotWrittenReport(ctx.outcomes, Unreached(names, ctx.outcomes));
    if (!stopped.empty()) text = text.empty() ? stopped : stopped + "\n\n" + text;
    if (!text.empty()) throw CabError(text);
}

std::string SafeEntryPath(const std::string& nameInside) {
    std::string rel = nameInside;
    std::replace(rel.begin(), rel.end(), '\\', '/');
    if (rel.empty() || rel.front() == '/' || rel.find('\0') != std::string::npos) return "";
    size_t start = 0;
    while (true) {
        const size_t slash = rel.find('/', start);
        const std::string part = rel.substr(start, slash - start);
        if (part.empty() || part == "." || part == "..") return "";
        if (slash == std::string::npos) return rel;
        start = slash + 1;
    }
}

}  // namespace kb::platform
