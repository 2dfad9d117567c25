#pragma once
// The joining engine: takes the first piece of a series, recognises its format, counts and
// names its pieces, and joins them into one file (Assemble), checking every piece of the own
// format against its CRC-32. A join stopped part way can be saved as an unfinished task and
// resumed by another object (SetResumeInfo).

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/core/active_splitter.h"  // FragmentFileFormat, shared with the splitter
#include "app/core/assembler_listener.h"
#include "app/core/assembler_task_record.h"
#include "app/core/fragment_format.h"
#include "app/core/join_flaws.h"
#include "app/core/kb_error.h"
#include "app/core/legacy_header.h"
#include "app/core/task_lock.h"

namespace kb {

// What kind of set a join handled (also stored in the assemble task file).
namespace FragmentFormatCode {
constexpr int32_t Raw = 1;
constexpr int32_t Legacy = 10;
constexpr int32_t Format4 = 11;
}  // namespace FragmentFormatCode

class ActiveAssembler {
public:
    ActiveAssembler();

    // Public variables, written by the object itself except SegmentSize.
    int32_t LastFileFormatUsed = 0;
    int32_t SegmentSize = 262144;
    std::string BigFile;
    std::string OrigFile;
    // The base that the pieces of a bare series are named from (the first piece's path without
    // its ending: "/d/Movie.avi" of "/d/Movie.avi.001"), guessed with the template whenever the
    // first piece is set; "" when no template fits its name.
    std::string mstrRawFilenameComponentInTemplate;
    int32_t CompressionID = 0;
    int32_t EncryptionID = 0;

    // Events go to this listener (none: the default answers of AssemblerListener).
    void SetListener(AssemblerListener* l) { listener_ = l; }

    const std::string& FileToAssemble() const { return fileToAssemble_; }
    // Raises 53 for a missing file and 321 for an empty one; the stored path is then unchanged.
    void SetFileToAssemble(const std::string& path);

    const std::string& DestinationFolder() const { return destinationFolder_; }
    // Stored with exactly one trailing "/".
    void SetDestinationFolder(const std::string& folder);

    bool FormatCouldBe(int32_t frmt);
    int32_t FileFormat();

    int32_t FormatForUnknowns() const { return formatForUnknowns_; }
    void SetFormatForUnknowns(int32_t v) { formatForUnknowns_ = v; }

    int32_t FragmentCount();
    std::string AssembledFilename();
    // The naming template of a bare series that the first piece's name fits ("%f.%N" for
    // "Movie.avi.001"), guessed when the first piece was set; raises 0x80040200 when none fits.
    std::string GuessFragnameTemplate() const;

    const std::string& DecryptionKey() const { return decryptionKey_; }
    void SetDecryptionKey(const std::string& k) { decryptionKey_ = k; }

    // Joins the set; 0 when every piece was written, 1 otherwise. A resumed run sets
    // FinalDestDir to the destination stored in the task.
    int16_t Assemble(std::string& FinalDestDir);
    // What the last Assemble() call found wrong with what it joined (none for a whole
    // result). A resumed join's result also holds what the sessions before it joined: the
    // pieces among those that failed their check are counted again.
    const JoinFlaws& Flaws() const { return flaws_; }
    // The pieces in the last Assemble() call's result whose data, number or count did not
    // match their CRC-32 record, in the order joined (a resumed join's begin with those that
    // failed in the sessions before); empty when every one matched or the set has no records.
    const std::vector<int32_t>& FailedPieces() const { return flaws_.failedPieces; }

    // Loads an assemble task file; the next Assemble() continues it. False (after a box) for
    // a set that cannot be resumed or a task that another resume holds; errors for a file that
    // cannot be read or is damaged. The task stays locked until that Assemble() ends or the
    // resume is dropped. The task file stays until the resumed join has joined every piece
    // (then Assemble() removes it) or is saved again under another name (then the new task
    // replaces it); stopped without saving, or by an error, the join goes back to the task as
    // it was, its output kept (longer now, to be cut back when the task is resumed again).
    bool SetResumeInfo(const std::string& Filename);
    bool ResumePending() const { return resumePending_; }
    // The task loaded by SetResumeInfo, while a resume is pending.
    const AssemblerTaskRecord& ResumeTask() const { return task_; }
    // May the pending resume start? Its checks, in the order their boxes can appear:
    //   1. the names the own format's header stores are usable ("Unable to assemble");
    //   2. no other join writes the output ("Unfinished task in use"), which from here on is
    //      held until the resumed run ends or the resume is dropped;
    //   3. the output is the file the task implies and still holds what the task wrote, the
    //      series' own data up to the saved position ("Unable to resume"; an unfinished output
    //      found longer, left by a resume stopped without saving, is cut back);
    //   4. the task's segment size lies within `segments`, and its output can be read (both
    //      "Unable to resume": the task "cannot be resumed").
    // False after the box of the first that fails: the resume is dropped, its task file and
    // output are as they were. A caller that wants the refusal before it starts the join (the
    // wizard, which keeps the task file then) asks this between SetResumeInfo and Assemble();
    // otherwise Assemble() asks it, with the engine's range. Either way it runs once a resume.
    bool MayResume(SegmentRange segments = kEngineSegments);
    // Drops a pending resume, so that the next Assemble() joins afresh.
    void CancelResume() {
        resumePending_ = false;
        resumeChecked_ = false;
        earlierFailures_.clear();
        resumeTaskFile_.clear();
        resumeLock_.Release();
        outputLock_.Release();
    }

    // The headers of a formatted first piece (opened in slot 1 and closed again).
    struct Headers {
        FragmentCommonHeader Common;
        LegacyFragmentHeader Legacy;
        LegacyEncryptionRecord LegacyEncryption;
        Format4Header Format4;
    };
    Headers ReadFragmentHeaders();

    // Path of piece i of the set whose base name is `name` (see the .cpp on how the base of a
    // bare series is expanded).
    std::string PiecePath(const std::string& name, int32_t i, const std::string& tmpl,
                          bool nameIsBase) const;
    // The first piece of the bare series guessed with `tmpl` that is there: its number 0, else
    // its number 1, else the chosen piece itself (a series without its first piece counts none).
    std::string SeriesStart(const std::string& tmpl) const;
    // Takes a piece that reads as bare data from the first piece of its series (SeriesStart),
    // whichever piece was chosen; true when that is another file, whose format is then to be
    // told again (an own-format piece 1 for a chosen later piece).
    bool ChooseSeriesStart();

private:
    struct Run;  // the working state of one Assemble() call
    // Sets the first piece and works out what its name tells: the template and base of a
    // bare series it would belong to.
    void TakeFirstPiece(const std::string& path);
    AssemblerListener& Events();
    int16_t AssembleBody(Run& r, std::string& FinalDestDir);
    bool PrepareFresh(Run& r);
    bool MeasureFirstPiece(Run& r);
    std::string RawPiecePath(int32_t i);
    int32_t FirstNumber(const std::string& base, const std::string& tmpl) const;
    void ReadFirstHeaders(Run& r);
    bool AcceptFirstPiece(Run& r);
    bool PrepareResume(Run& r, std::string& FinalDestDir, bool checked);
    bool ResumeMatchesFiles();
    bool AskPassphrase(Run& r);
    void SetPieceNaming(Run& r);
    bool RefuseUnsafeNames(const std::string& name, const std::string* tmpl);
    bool OpenPiece(Run& r);
    bool AskForDisk(Run& r);
    bool FindPiece(Run& r);
    bool StopAsked(Run& r);
    bool OpenOutput(Run& r);
    bool CreateUnfinished(const std::string& part);
    void PositionInPiece(Run& r, bool pending);
    bool OutputIsAPiece(const Run& r, const std::string& out) const;
    bool JoinChunks(Run& r);
    bool WriteChunk(Run& r, const uint8_t* chunk, int32_t k);
    void StopBeforeChunk(Run& r, int64_t from);
    bool ReportChunk(Run& r);
    bool GiveFinalName(Run& r);
    void SaveState(Run& r);
    void FinishTask(const Run& r);

    std::string fileToAssemble_;
    // The template guessed from fileToAssemble_'s name, or why none fits.
    std::string guessedTemplate_;
    std::optional<KbError> guessFailure_;
    std::string destinationFolder_;
    int32_t formatForUnknowns_ = 1;
    std::string decryptionKey_ = "Fennelrow Sealingwarrant";
    bool resumePending_ = false;
    // The pending resume has passed MayResume (since it was loaded; the next Assemble() then
    // takes it up without asking again).
    bool resumeChecked_ = false;
    // Part of that verdict: the pieces the task had joined whole that failed their check then
    // (the output holds their bytes as they are, which their records do not match).
    std::vector<int32_t> earlierFailures_;
    AssemblerTaskRecord task_;
    std::string resumeTaskFile_;  // the file task_ was loaded from
    JoinFlaws flaws_;
    TaskLock resumeLock_;
    // The pending resume's output, held from its check (MayResume) until its run takes it over.
    TaskLock outputLock_;
    AssemblerListener* listener_ = nullptr;
};

// What a join's output is called until every piece is in.
inline constexpr const char* kUnfinishedSuffix = ".part";
// The final name of an unfinished output `working` of the set whose stored name is `stored`;
// "" when `working` is not such a name (a task saved before unfinished names, say).
std::string FinalNameOf(const std::string& working, const std::string& stored);
// True when anything at all, a dangling link too, has this name.
bool StandsThere(const std::string& path);
// Asks before joined data replaces what stands at `path` (No the default); true on Yes. Both
// the join and the wizard's move of the joined data into the destination ask it.
bool ConfirmReplace(const std::string& path);
// What a check of a resumed file does with one found longer than its task left it (by a resume
// stopped without saving): cut it back there and then, or leave that to the run, which may yet
// be stopped by a question before it writes.
enum class LongerFile { CutBack, LeaveToTheRun };
// Whether the unfinished file a resume continues at its end still holds what its task wrote
// (expectedLength() bytes, asked only of a plain file; -1 when that cannot be told): one found
// longer is dealt with as `longer` says; one shorter, missing or not a plain file is refused in
// the box "Unable to resume", and so is one of which notItsOwn (asked, with its length, of a
// plain file not shorter than expected, before anything is cut) tells what is wrong.
bool ResumedFileMatchesTask(const std::string& path, const std::function<int64_t()>& expectedLength,
                            LongerFile longer,
                            const std::function<std::string(int64_t)>& notItsOwn = {});
// Cuts the plain file `path` back to `length` bytes where it is longer (a link, or anything
// but a plain file, is left alone); false when it could not be cut.
bool CutBack(const std::string& path, int64_t length);
// The same, with the box "Unable to resume" when it could not be cut.
bool CutBackForResume(const std::string& path, int64_t length);
// The box "Unable to resume" that says what is wrong with `path` (" is missing.") for the
// resumed task, of a split or a join, whose files no longer hold what the task made.
void ShowTaskNoLongerMatches(const std::string& path, const std::string& problem);
// The box "Unable to resume" that says why the join's task `taskFile` "cannot be resumed"
// (`problem`, a sentence) and that the task file has been kept.
void ShowTaskKept(const std::string& taskFile, const std::string& problem);

// The file-name part of a name stored in a header (what follows its last "/").
std::string StoredFileName(const std::string& stored);
// A name that can be a file inside the destination: not empty, ".", ".." and without "/" or NUL.
bool IsUsableFileName(const std::string& name);

// Progress of the whole join in percent (0..100, halves to even); assumes pieces of equal size.
int32_t GetPercentDone(int32_t n, int32_t count, int64_t done, int64_t length);
// Progress within the current piece in percent.
double GetPercentDoneThisFrag(int64_t done, int64_t length);

}  // namespace kb
