#include "app/core/active_assembler.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

#include "app/core/big_file.h"
#include "app/core/debug_log.h"
#include "app/core/fatal_error.h"
#include "app/core/kb_error.h"
#include "app/core/paths.h"
#include "app/core/prompter.h"
#include "app/core/text.h"

namespace kb {

namespace {

constexpr const char* kSource = "ActiveAssembler";
constexpr const char* kMagic = "Tarnwolde Extendable Fragment Format";

// Digits only: "001" and "7" are numbers, "", "-1" and " 1" are not.
bool IsNumeric(const std::string& s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
}

bool EndsWithNoCase(const std::string& s, const std::string& tail) {
    if (s.size() < tail.size()) return false;
    for (size_t i = 0; i < tail.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(s[s.size() - tail.size() + i])) !=
            std::tolower(static_cast<unsigned char>(tail[i])))
            return false;
    }
    return true;
}

// The runtime's Mid$ with a 1-based start: a start below 1 is an invalid argument, a start
// past the end gives "".
std::string Mid(const std::string& s, int64_t start, int64_t len) {
    if (start < 1) throw KbError(err::InvalidArgument, kSource);
    if (start > static_cast<int64_t>(s.size())) return "";
    return s.substr(static_cast<size_t>(start - 1), static_cast<size_t>(len));
}

// The template a bare series' piece `s` is named with and the base it expands ("" when none
// fits: then `failure` says why).
struct NamingGuess {
    std::string tmpl;
    std::string base;
    std::optional<KbError> failure;
};

NamingGuess GuessNaming(const std::string& s) {
    // The path keeps its own case: on a case-sensitive file system a lower-cased base would
    // name pieces that do not exist. Only the "frg" ending is compared without case.
    const int64_t n = static_cast<int64_t>(s.size());
    NamingGuess g;
    try {
        if (n >= 4 && IsNumeric(s.substr(n - 3)) && s[n - 4] == '.') {
            g.tmpl = "%f.%N";
            g.base = s.substr(0, n - 4);
        } else if (n >= 2 && IsNumeric(s.substr(n - 1)) && s[n - 2] == '.') {
            g.tmpl = "%f.%n";
            g.base = s.substr(0, n - 2);
        } else if (size_t dot = s.find('.'); dot != std::string::npos) {
            const int64_t d = static_cast<int64_t>(dot) + 1;  // 1-based, as the tests count
            const bool frg = EndsWithNoCase(s, "frg");
            // Both halves of the three-digit test are taken before either is judged.
            std::string digits3 = Mid(s, d - 3, 3);
            std::string sep3 = Mid(s, d - 6, 3);
            if (IsNumeric(digits3) && digits3.size() == 3 && sep3 == " - " && frg) {
                g.tmpl = "%f - %N.frg";
                g.base = s.substr(0, d - 7);
            } else {
                std::string digit1 = Mid(s, d - 1, 1);
                std::string sep1 = Mid(s, d - 4, 3);
                if (IsNumeric(digit1) && sep1 == " - " && frg) {
                    g.tmpl = "%f - %n.frg";
                    g.base = s.substr(0, d - 5);
                }
            }
        }
    } catch (const KbError& e) {
        return {"", "", e};
    }
    if (g.tmpl.empty())
        return {"", "",
                KbError(err::UnableToDetermineTemplate, kSource,
                        "Unable to determine fragment naming template.")};
    return g;
}

}  // namespace

ActiveAssembler::ActiveAssembler() = default;

void ActiveAssembler::TakeFirstPiece(const std::string& path) {
    fileToAssemble_ = path;
    NamingGuess g = GuessNaming(path);
    guessedTemplate_ = g.tmpl;
    guessFailure_ = std::move(g.failure);
    mstrRawFilenameComponentInTemplate = g.base;
}

void ActiveAssembler::SetFileToAssemble(const std::string& path) {
    if (!FileExists(path)) {
        throw KbError(err::FileNotFound, kSource,
                      "The file " + path + " does not exist. Therefore it cannot be assembled.");
    }
    if (FileSizeBF(path) == 0) {
        throw KbError(err::InvalidFileFormat, kSource,
                      path + " is zero-length! It cannot be assembled.");
    }
    TakeFirstPiece(path);
}

void ActiveAssembler::SetDestinationFolder(const std::string& folder) {
    std::string f = folder;
    destinationFolder_ = RemoveTrailingBackslash(f, true) + "/";
}

bool ActiveAssembler::FormatCouldBe(int32_t frmt) {
    if (frmt == aftRaw) return true;
    // The first 300 bytes; a shorter piece simply gives fewer.
    std::string head;
    {
        FILE* f = std::fopen(fileToAssemble_.c_str(), "rb");
        if (f) {
            char buf[300];
            size_t got = std::fread(buf, 1, sizeof buf, f);
            head.assign(buf, got);
            std::fclose(f);
        }
    }
    if (frmt == aftTarnwolde) {
        if (head.find(kMagic) != std::string::npos) return true;
        if (head.rfind("Tarnwolde Fragment 1.0", 0) == 0) {
            MsgBox("Old version of Tarnwolde fragment format", mb::OKOnly | mb::Critical,
                   "Format unsupported");
            return false;
        }
        if (head.rfind("Tarnwolde", 0) == 0) {
            MsgBox("Old Tarnwolde file", mb::OKOnly | mb::Critical, "Format unsupported");
            return false;
        }
        return false;
    }
    if (frmt == aftLegacy) {
        MsgBox("The host file splitter is scanning for Kestrelbinder 1.x headers. Kestrelbinder 1.x "
               "fragments are NOT supported in this version. Assembled file could be corrupted.",
               mb::OKOnly | mb::Exclamation, "Warning");
    }
    return false;
}

int32_t ActiveAssembler::FileFormat() { return FormatCouldBe(aftTarnwolde) ? aftTarnwolde : aftRaw; }

std::string ActiveAssembler::PiecePath(const std::string& name, int32_t i, const std::string& tmpl,
                                       bool nameIsBase) const {
    // A guessed base ("Movie.avi" of "Movie.avi.001") already lacks the pieces' own ending;
    // expanding it as it is would split its last extension off again ("Movie.001"). With a
    // final "." the whole base is "%f", so piece 1 is the first piece again.
    std::string file = GetFileNameFromPath(name);
    if (!nameIsBase) return GetFolderFromPath(fileToAssemble_) + ExpandNamingTemplate(file, i, tmpl);
    file += ".";
    return GetFolderFromPath(fileToAssemble_) +
           ExpandNamingTemplate(file, i - 1 + FirstNumber(file, tmpl), tmpl);
}

// The program numbers pieces from 1; coreutils' split numbers them from 0 ("big.bin.000"). A
// series guessed from a first piece that carries the number 0 counts on from there.
int32_t ActiveAssembler::FirstNumber(const std::string& base, const std::string& tmpl) const {
    return GetFileNameFromPath(fileToAssemble_) == ExpandNamingTemplate(base, 0, tmpl) ? 0 : 1;
}

std::string ActiveAssembler::SeriesStart(const std::string& tmpl) const {
    const std::string base = GetFileNameFromPath(mstrRawFilenameComponentInTemplate) + ".";
    const std::string folder = GetFolderFromPath(fileToAssemble_);
    for (int32_t first : {0, 1}) {
        const std::string piece = folder + ExpandNamingTemplate(base, first, tmpl);
        if (FileExists(piece)) return piece;
    }
    return fileToAssemble_;
}

bool ActiveAssembler::ChooseSeriesStart() {
    std::string start;
    try {
        start = SeriesStart(GuessFragnameTemplate());
    } catch (const KbError&) {
        return false;  // a name that fits no template names no series
    }
    if (start == fileToAssemble_) return false;
    DebugLog("Taking the series of " + fileToAssemble_ + " from its first piece, " + start);
    TakeFirstPiece(start);
    return true;
}

// Piece i of a bare series, named as the first piece's name is guessed; "" when it fits no
// template.
std::string ActiveAssembler::RawPiecePath(int32_t i) {
    try {
        const std::string tmpl = GuessFragnameTemplate();
        return PiecePath(mstrRawFilenameComponentInTemplate, i, tmpl, true);
    } catch (const KbError&) {
        return "";
    }
}

int32_t ActiveAssembler::FragmentCount() {
    if (FileFormat() == aftRaw) {
        // A name that fits no template counts no pieces.
        int32_t i = 1;
        while (FileExists(RawPiecePath(i))) ++i;
        return i - 1;
    }
    Headers h = ReadFragmentHeaders();
    return h.Common.version > 3 ? h.Format4.pieceCount : h.Legacy.FragmentCount;
}

std::string ActiveAssembler::AssembledFilename() {
    if (FileFormat() == aftRaw) return GetFileNameFromPath(RemoveExtension(fileToAssemble_) + ".unk");
    Headers h = ReadFragmentHeaders();
    return StoredFileName(h.Common.version > 3 ? h.Format4.storedName : h.Legacy.OrigFilename);
}

std::string ActiveAssembler::GuessFragnameTemplate() const {
    if (guessFailure_) throw *guessFailure_;
    return guessedTemplate_;
}

}  // namespace kb

namespace kb {

std::string StoredFileName(const std::string& stored) {
    size_t slash = stored.rfind('/');
    return slash == std::string::npos ? stored : stored.substr(slash + 1);
}

bool IsUsableFileName(const std::string& name) {
    // A NUL would end the name where the system reads it, so the file used would not be the
    // one named.
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string("/\0", 2)) == std::string::npos;
}

ActiveAssembler::Headers ActiveAssembler::ReadFragmentHeaders() {
    Headers h;
    OpenBF(fileToAssemble_, 1, "rb");
    try {
        h.Common = ReadCommonHeader(1);
        if (h.Common.version < 4)
            ReadLegacyHeader(1, h.Legacy, h.LegacyEncryption);
        else
            h.Format4 = ReadFormat4Header(1);
    } catch (...) {
        // A damaged header must not keep the first piece open after the join has given up.
        platform::bigfileClose(1);
        throw;
    }
    CloseBF(1);
    return h;
}

bool ActiveAssembler::SetResumeInfo(const std::string& Filename) {
    // Nothing changes and nothing is pending until the whole record has been read and found
    // sound: a task that fails to load must not send the next fresh join down the resume
    // branch, nor leave the object half-loaded.
    AssemblerTaskRecord t;
    // Loading a task drops whatever was pending, its lock and its checks' verdict with it.
    CancelResume();
    TaskLock lock;
    if (!lock.Take(Filename)) {
        resumePending_ = false;
        return false;
    }
    OpenBF(Filename, 1, "rb");
    try {
        const bool known = ReadAssemblerTaskHead(1, t);
        if (!known) {
            TakeFirstPiece(t.FirstPiece);
            MsgBox("Error loading unfinished task - invalid format codes", mb::OKOnly | mb::Critical,
                   "Unable to resume");
            resumePending_ = false;
            CloseBF(1);
            return false;
        }
        ReadAssemblerTaskTail(1, t);
        CheckAssemblerTaskRecord(t, Filename);
    } catch (...) {
        platform::bigfileClose(1);
        throw;
    }
    CloseBF(1);
    TakeFirstPiece(t.FirstPiece);
    if (t.FormatCode == FragmentFormatCode::Format4) {
        CompressionID = t.Header.compressionId;
        EncryptionID = t.Header.encryptionId;
    }
    task_ = t;
    resumeTaskFile_ = Filename;
    resumePending_ = true;
    resumeLock_ = std::move(lock);
    return true;
}

std::string FinalNameOf(const std::string& working, const std::string& stored) {
    const std::string suffix = kUnfinishedSuffix;
    if (working.size() <= suffix.size() ||
        working.compare(working.size() - suffix.size(), suffix.size(), suffix) != 0)
        return "";
    std::string final = working.substr(0, working.size() - suffix.size());
    return GetFileNameFromPath(final) == GetFileNameFromPath(StoredFileName(stored)) ? final : "";
}

bool ResumedFileMatchesTask(const std::string& path, const std::function<int64_t()>& expectedLength,
                            LongerFile longer,
                            const std::function<std::string(int64_t)>& notItsOwn) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(path, ec);
    std::string problem;
    int64_t have = -1;
    if (ec || st.type() == fs::file_type::not_found) {
        problem = " is missing.";
    } else if (st.type() != fs::file_type::regular) {
        problem = " is not a plain file.";
    } else {
        have = static_cast<int64_t>(fs::file_size(path, ec));
        const int64_t expected = expectedLength();
        if (expected >= 0 && have < expected) {
            problem = " is shorter than the task expects.";
        } else {
            if (notItsOwn) problem = notItsOwn(have);
            const bool cut = longer == LongerFile::CutBack && expected >= 0 && have > expected;
            if (problem.empty() && cut) return CutBackForResume(path, expected);
        }
    }
    if (problem.empty()) return true;
    ShowTaskNoLongerMatches(path, problem);
    return false;
}

bool CutBack(const std::string& path, int64_t length) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::symlink_status(path, ec).type() != fs::file_type::regular ||
        static_cast<int64_t>(fs::file_size(path, ec)) <= length)
        return true;
    DebugLog("Cutting " + path + " back to " + std::to_string(length) + " bytes");
    fs::resize_file(path, static_cast<uintmax_t>(length), ec);
    return !ec;
}

bool CutBackForResume(const std::string& path, int64_t length) {
    if (CutBack(path, length)) return true;
    ShowTaskNoLongerMatches(path,
                            " could not be cut back to " + std::to_string(length) + " bytes.");
    return false;
}

void ShowTaskNoLongerMatches(const std::string& path, const std::string& problem) {
    MsgBox("The unfinished task no longer matches its files: " + path + problem,
           mb::OKOnly | mb::Critical, "Unable to resume");
}

void ShowTaskKept(const std::string& taskFile, const std::string& problem) {
    MsgBox("The unfinished task " + taskFile + " cannot be resumed: " + problem +
               " The task file has been kept.",
           mb::OKOnly | mb::Critical, "Unable to resume");
}

int32_t GetPercentDone(int32_t n, int32_t count, int64_t done, int64_t length) {
    int sector = 0;
    try {
        sector = 10;
        const double whole = static_cast<double>(count) * static_cast<double>(length);
        if (whole == 0) throw KbError(11, "ActiveAssembler", "Division by zero");
        const double q = ((static_cast<double>(n) - 1) * static_cast<double>(length) +
                          static_cast<double>(done)) / whole * 100;
        sector = 20;
        // Halves to even, as the runtime's conversion to an integer rounds.
        double p = std::nearbyint(q);
        if (p < 0) p = 0;
        if (p > 100) p = 100;
        return static_cast<int32_t>(p);
    } catch (...) {
        FatalErrorBox("Assembler.GetPercentDone()", sector);
    }
}

double GetPercentDoneThisFrag(int64_t done, int64_t length) {
    int sector = 0;
    try {
        sector = 1;
        if (length == 0) throw KbError(11, "ActiveAssembler", "Division by zero");
        return 100.0 * static_cast<double>(done) / static_cast<double>(length);
    } catch (...) {
        FatalErrorBox("Assembler.GetPercentDoneThisFrag()", sector);
    }
}

}  // namespace kb
