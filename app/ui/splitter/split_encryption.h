#pragma once
// Encrypting the data of a split through an encryption plug-in: choosing the plug-in by the
// name the user picked, and having it write the encrypted copy into the temporary file
// "EncArchive".

#include <cstdint>
#include <string>

namespace kb {

class PluginHost;

// The slot of the first enabled encryptor (ticked in the manager, type 4) whose name is
// exactly `name`, or -1.
int16_t FindEncryptor(PluginHost& host, const std::string& name);

struct EncryptionOutcome {
    bool ok = false;
    // The encrypted copy (registered as "EncArchive") and the plug-in's identifier.
    std::string path;
    int32_t encryptionId = 0;
};

// Has the encryptor in `slot` encrypt `source` with `passphrase` into a fresh "EncArchive",
// with the broadcasts 317 before and 319 after. A plug-in that reports a failure gets the
// "Problem encrypting" box, or the "Temporary folder full" box when the temporary folder has
// no room for the encrypted copy (its Retry encrypts again); a partial output is deleted and
// the key forgotten, so a partial file is never split as if it were the data.
EncryptionOutcome EncryptForSplit(PluginHost& host, int16_t slot, const std::string& source,
                                  const std::string& passphrase);

}  // namespace kb
