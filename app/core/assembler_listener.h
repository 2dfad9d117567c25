#pragma once
// The events of the joining engine. The engine raises them synchronously from inside
// Assemble(); the by-reference arguments carry the handler's answer back. Cancel and
// SaveStateFile are one pair for all events of one Assemble() call.

#include <cstdint>
#include <string>

namespace kb {

class AssemblerListener {
public:
    virtual ~AssemblerListener() = default;

    // Once, at a fresh start (never on a resumed run). PBMax is always 100.
    virtual void AssembleStart(int16_t PBMax) { (void)PBMax; }

    // After every chunk, unless Cancel is already set.
    virtual void AssembleInterval(int32_t PBCurrent, int32_t FragPercent, bool& Cancel,
                                  std::string& SaveStateFile) {
        (void)PBCurrent;
        (void)FragPercent;
        (void)Cancel;
        (void)SaveStateFile;
    }

    // Before piece DiskNumber while pieces are requested disk by disk; repeated until the
    // piece's file exists. Nobody listening means nobody can change the disk: cancel.
    virtual void RequireNextDisk(int32_t& DiskNumber, bool& Cancel, std::string& SaveStateFile) {
        (void)DiskNumber;
        (void)SaveStateFile;
        Cancel = true;
    }

    // The user chose to stop where a piece cannot be found or the output cannot be written:
    // Cancel comes in true; the handler decides whether to save the progress (SaveStateFile
    // names the task file, "" keeps none) or to go on after all (Cancel false: the piece is
    // looked for, or the chunk written, again). Nobody listening: stop, keeping nothing.
    virtual void ConfirmStop(bool& Cancel, std::string& SaveStateFile) {
        (void)Cancel;
        (void)SaveStateFile;
    }

    // An enciphered set of the older format, before any data is read: first with
    // FirstRequest true, then with false after every refused passphrase. Nobody listening
    // means nobody can type one: cancel, rather than ask forever.
    virtual void RequirePassphrase(std::string& Passphrase, bool& Cancel, bool FirstRequest) {
        (void)Passphrase;
        (void)FirstRequest;
        Cancel = true;
    }
};

}  // namespace kb
