#pragma once
// How a run of the assembler wizard ended, as the last page tells it: whether every piece was
// joined and checked, and what became of the joined data. The page says "Finished!" only for
// a whole result; otherwise a line or two of what happened and where the data is.

#include <cstdint>
#include <string>

#include "app/core/join_flaws.h"

namespace kb {

// Where the data of a join that ran to its end went.
struct Placement {
    enum class Kind {
        InPlace,            // `path` is the joined file, under its own name
        Unpacked,           // the archive's files were unpacked into the folder `path`
        NoDecryptor,        // kept, still encrypted, as `path`: no plug-in has its identifier
        NotDecrypted,       // kept, still encrypted, as `path`: the passphrase was refused
        NoRoomToDecrypt,    // kept, still encrypted, as `path`: no room in the folder `to`
        UnknownCompressor,  // kept as the archive `path`, which nothing here unpacks
        NotUnpacked,        // kept as the archive `path`: not all of it could be unpacked
        NotReplaced,        // kept as `path`: the user kept the file `to`
        NotMoved,           // kept as `path`: it could not be moved to `to`
        NotProcessed,       // kept as `path`: an error stopped the work on it
    };
    Kind kind = Kind::InPlace;
    std::string path;
    std::string to;
    // `path` is still in the temporary folder, which the system may empty: the data could
    // not be moved out of it.
    bool temporary = false;
};

struct AssembleOutcome {
    enum class Join {
        Joined,       // every piece was joined; `placement` says where the data went
        SavedAsTask,  // stopped by the user and saved as the unfinished task `task`
        Stopped,      // stopped by the user without saving: nothing is kept
        BackToTask,   // a resumed join stopped without saving: its task `task` is kept as it was
        Error,        // stopped by an error, `reason`
        NotJoined,    // the join stopped after a message of its own (a refusal, a No)
    };
    Join join = Join::NotJoined;
    std::string task;
    std::string reason;
    // Joined: what the join found wrong with its result.
    JoinFlaws flaws;
    Placement placement;

    bool Whole() const {
        return join == Join::Joined && flaws.None() &&
               (placement.kind == Placement::Kind::InPlace ||
                placement.kind == Placement::Kind::Unpacked);
    }
};

struct LastPage {
    std::string heading;
    std::string text;  // "" for a whole result
};

// The last page for an outcome; the one place that says each outcome in words.
LastPage LastPageOf(const AssembleOutcome& outcome);

}  // namespace kb
