#pragma once
// The working half of the assembler wizard, free of the toolkit: describing a chosen set, the
// join with its event handlers, saving and resuming an unfinished join, and turning the joined
// data into the user's files (decryption through an encryption plug-in, unpacking, moving).
// The wizard's widget owns the pages and buttons and calls in here; the flow drives the
// progress panel, the small windows and the prompter it is given.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/core/active_assembler.h"
#include "app/core/assembler_listener.h"
#include "app/ui/assembler/assembler_flow_outcome.h"

namespace kb {

class PluginHost;
class ProgressView;
class WizardWindows;

class AssemblerFlow : public AssemblerListener {
public:
    // Unpacks a CAB archive into a folder, calling progress(entry name, percent) as it goes;
    // failures are thrown.
    using Unpacker = std::function<void(const std::string& archive, const std::string& dest,
                                        const std::function<void(const std::string&, int)>&)>;

    AssemblerFlow(ProgressView& panel, WizardWindows& windows, PluginHost& plugins, Unpacker unpack);
    ~AssemblerFlow() override;

    ActiveAssembler assembler;

    // What choosing a first piece shows, and what it does to the Next button.
    struct SourceDescription {
        std::string text;
        enum class Next { Keep, Enable, Disable } next = Next::Keep;
    };
    // Nothing at all for a source that does not exist. Errors of the assembler (an empty
    // piece) are thrown to the caller.
    std::optional<SourceDescription> DescribeSource(const std::string& src);

    // The join of page 3 into `dest`, then its post-processing; how they ended.
    AssembleOutcome Run(const std::string& dest);

    // Loads an unfinished join and, when it can be resumed, calls beforeRun and runs it. `dest`
    // becomes the task's own destination. Nothing when the task was not loaded. The task file
    // is the engine's to keep or remove.
    std::optional<AssembleOutcome> Resume(const std::string& taskFile, std::string& dest,
                                          const std::function<void()>& beforeRun = {});

    // Bytes per read and write. A change while a join runs applies to the next one.
    int32_t SegmentSize() const { return segmentSize_; }
    void SetSegmentSize(int32_t bytes);
    bool Busy() const { return busy_; }

    // Assembler events.
    void AssembleInterval(int32_t PBCurrent, int32_t FragPercent, bool& Cancel,
                          std::string& SaveStateFile) override;
    void RequireNextDisk(int32_t& DiskNumber, bool& Cancel, std::string& SaveStateFile) override;
    void RequirePassphrase(std::string& Passphrase, bool& Cancel, bool FirstRequest) override;
    void ConfirmStop(bool& Cancel, std::string& SaveStateFile) override;

    // The extraction's progress for one entry.
    void ecExtractor_Progress(const std::string& FileName, int Percent);

private:
    AssembleOutcome Join(std::string& dest, const char* caption, bool resetBars);
    AssembleOutcome::Join HowJoinEnded(int16_t result) const;
    bool RefuseTask(const std::string& taskFile);
    // The cancel question; returns the answer.
    int AskCancelQuestion();
    // The cancel question and what its answer does to the join: Yes saves the progress, No
    // stops, Cancel goes on.
    void AnswerCancelQuestion(bool& Cancel, std::string& SaveStateFile);
    void SaveAssembleProgress(bool& Cancel, std::string& SaveStateFile);
    bool TemporaryFileWarning();

    // Post-processing (assembler_post_process.cpp); each step says where the data went.
    Placement SafePostProcess(const std::string& dest);
    Placement PostProcessAssembled(const std::string& dest);
    std::optional<Placement> Decrypt(const std::string& dest);
    std::optional<Placement> AnswerRefusal(const std::string& dest, const std::string& encrypted);
    int16_t FindDecryptor() const;
    Placement Unpack(const std::string& dest);
    Placement MoveData(const std::string& dest, const std::string& suffix, Placement arrived);
    bool ReplaceWithData(const std::string& to, std::string& error);
    bool Arrived(const std::string& to);
    std::string UsableStoredName() const;
    std::string KeyHolding(const std::string& path) const;
    Placement KeepAfterFailure(const std::string& what, const std::string& dest,
                               const std::string& name, const std::string& suffix,
                               Placement kept);

    ProgressView& panel_;
    WizardWindows& windows_;
    PluginHost& plugins_;
    Unpacker unpack_;
    int32_t segmentSize_;
    bool busy_ = false;
    // The task file of the join being resumed, "" for a fresh join.
    std::string resumeTaskFile_;
    // How the user answered the cancel question of the join now running, when the answer
    // stops it: with the task file to save into, or "" for none. Each join starts without.
    std::optional<std::string> stopSavingTo_;
};

}  // namespace kb
