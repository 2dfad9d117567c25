#pragma once
// An encryption plug-in answers every failure with a bare non-zero result, so a temporary
// folder too full for what it writes looks like a wrong passphrase or a fault of the plug-in.
// The host looks at the room itself before it says which.

#include <string>

#include "app/core/prompter.h"

namespace kb {

// After a plug-in refused to write the temporary file registered as `outputKey` from `input`:
// removes what the attempt left there, and tells whether the temporary folder has room for a
// file as long as `input` and a plug-in's header (encrypting or decrypting writes about as
// much as it reads). True
// when the input's length cannot be read, as nothing then says the folder is full.
bool TempRoomForPluginOutput(const std::string& outputKey, const std::string& input);

// The "Temporary folder full" box for a refusal that found no room: the `data` ("decrypted")
// could not be written; Retry tries again, Cancel does what `onCancel` says ("leave the data
// encrypted").
Answer AskTempFolderFull(const std::string& data, const std::string& onCancel);

}  // namespace kb
