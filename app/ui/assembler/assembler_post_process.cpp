// After a whole set was joined: decryption through the encryption plug-in the set names,
// unpacking of CAB data, or a move of the joined file into the destination; then the
// temporary files go. The joined data may exist only once, in a temporary file: every step
// that could lose it keeps it instead and says where it is.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "app/core/active_assembler.h"
#include "app/core/kb_error.h"
#include "app/core/paths.h"
#include "app/core/progress_view.h"
#include "app/core/prompter.h"
#include "app/core/temp_manager.h"
#include "app/core/wizard_windows.h"
#include "app/pluginhost/kbplugin.h"
#include "app/pluginhost/plugin_sys.h"
#include "app/pluginhost/plugin_text.h"
#include "app/ui/assembler/assembler_flow.h"
#include "platform/move_file.h"

namespace kb {
namespace {

TempManager& Temps() { return TempManager::Instance(); }

std::string RegisteredPath(const std::string& key) {
    try {
        return Temps().GetTempFilePath(key);
    } catch (...) {
        return "";
    }
}

}  // namespace

// An error part way (no temporary file could be made, say) keeps the data where it is.
void AssemblerFlow::SafePostProcess(const std::string& dest) {
    try {
        PostProcessAssembled(dest);
    } catch (const ProgramEnded&) {
        throw;
    } catch (const std::exception& e) {
        KeepAfterFailure(std::string("The assembled data could not be processed: ") + e.what(),
                         assembler.BigFile);
    }
}

void AssemblerFlow::PostProcessAssembled(const std::string& dest) {
    // Which join just ran decides, not piece 1 read again: after a resume or a disk-spanned
    // join piece 1 may be elsewhere.
    const int32_t format = assembler.LastFileFormatUsed;
    if (format == FragmentFormatCode::Raw) {
        assembler.EncryptionID = 0;
        assembler.CompressionID = 0;
    }
    if (assembler.EncryptionID > 0 && !Decrypt(dest)) return;
    if (assembler.CompressionID > 0) {
        if (assembler.CompressionID > 2) {
            MsgBox("An unknown compressor has been used on these files. The archive will not be "
                   "decompressed.");
            if (!MoveData(FinalPath(dest, ""))) return;
        } else {
            Unpack(dest);
        }
    } else if (format != FragmentFormatCode::Raw) {
        if (!MoveData(FinalPath(dest, ""))) return;
    }
    Temps().RemoveTempFile("AssEncArchive", true);
    Temps().RemoveTempFile("AssArchive", true);
}

// False when post-processing ends here (the data stays encrypted, or was kept elsewhere).
bool AssemblerFlow::Decrypt(const std::string& dest) {
    const int16_t slot = FindDecryptor();
    if (slot < 0) {
        MsgBox("Unable to find appropriate decryption plug-in with ID:" +
               std::to_string(assembler.EncryptionID) + ". The file(s) will not be decrypted.");
        if (MoveData(FinalPath(dest, ""))) {
            Temps().RemoveTempFile("AssArchive", true);
            Temps().RemoveTempFile("AssEncArchive", true);
        }
        return false;
    }
    Temps().RemoveTempFile("AssArchive", true);
    std::string passphrase =
        windows_.ConfirmPassword("These file(s) are encrypted. Please supply the decryption passphrase.");
    panel_.SetCaption("Decrypting....");
    panel_.SetCancelVisible(false);
    panel_.SetPB1Caption("Decrypting:");
    panel_.SetPB1Visible(true);
    panel_.SetBottomText("");
    panel_.SetPB2Visible(false);
    panel_.SetPB1Percent(0);
    plugins_.UseForPluginProgress(panel_);
    panel_.StartTimings();
    while (true) {
        const std::string src = assembler.BigFile;
        const std::string dst = Temps().CreateTempFile("AssArchive", "kbt");
        PluginTextArg a1(src), a2(dst), a3(passphrase);
        int32_t zero = 0;
        const int32_t r = plugins_.CallPluginMain(slot, PLUGIN_CMD_DECRYPT_FILE, a1.Var(), a2.Var(),
                                                   a3.Var(), &zero);
        if (r == 0) break;
        if (MsgBox("Invalid passphrase. Click retry to try again, or cancel to leave the data "
                   "encrypted.",
                   mb::RetryCancel | mb::Critical, "Decryption passphrase rejected") != Answer::Retry) {
            const std::string id = std::to_string(assembler.EncryptionID);
            MsgBox("Since you are unable to provide the correct passphrase, the data shall remain as "
                   "a single encrypted file with a special extension. Please do not remove the .eid" +
                   id + ".enc extension if you wish to decrypt it later.");
            if (MoveData(FinalPath(dest, ".eid" + id + ".enc"))) {
                Temps().RemoveTempFile("AssArchive", true);
                Temps().RemoveTempFile("AssEncArchive", true);
            }
            return false;
        }
        panel_.StartTimings();
        passphrase = windows_.ConfirmPassword(
            "These file(s) are encrypted. Please supply the decryption passphrase.");
    }
    panel_.StopTimings();
    assembler.BigFile = Temps().GetTempFilePath("AssArchive");
    Temps().RemoveTempFile("AssEncArchive", true);
    return true;
}

// The first loaded plug-in, enabled or not, that is an encryptor of the set's identifier.
int16_t AssemblerFlow::FindDecryptor() const {
    int32_t type = 0;  // one variable for every slot, as each answers into it
    for (int16_t slot = 0; slot < plugins_.PluginCount; ++slot) {
        plugins_.SendPluginCommand(slot, PLUGIN_CMD_GET_TYPE, type);
        if (type == PLUGIN_TYPE_ENCRYPTOR && plugins_.GetPluginEncryptionID(slot) == assembler.EncryptionID)
            return slot;
    }
    return -1;
}

void AssemblerFlow::Unpack(const std::string& dest) {
    const bool compressed = assembler.CompressionID == 2;
    panel_.SetBottomText("Initializing....");
    panel_.SetPB2Visible(false);
    panel_.SetPB1Percent(0);
    panel_.SetCancelVisible(false);
    panel_.SetCaption(compressed ? "Decompressing...." : "Separating individual files....");
    panel_.SetPB1Caption(compressed ? "Decompressing:" : "Separating:");
    try {
        unpack_(assembler.BigFile, dest, [this](const std::string& name, int percent) {
            ecExtractor_Progress(name, percent);
        });
    } catch (const std::exception& e) {
        KeepAfterFailure(std::string("The assembled archive could not be unpacked into ") + dest +
                             ": " + e.what(),
                         assembler.BigFile);
        return;
    }
    panel_.SetPB1Visible(false);
    panel_.SetBottomText("Removing temporary files");
}

// The joined data's name in the destination: the stored name cut to its file name.
std::string AssemblerFlow::FinalPath(const std::string& dest, const std::string& suffix) {
    std::string folder = dest;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    const std::string name = StoredFileName(assembler.OrigFile);
    if (IsUsableFileName(name)) return folder + "/" + name + suffix;
    const std::string safe = folder + "/" + StripFolder(assembler.BigFile) + suffix;
    MsgBox("The file name \"" + assembler.OrigFile + "\" stored in this set cannot be used. The "
           "assembled data will be kept as " + safe + ".",
           mb::OKOnly | mb::Exclamation, "Unusable file name");
    return safe;
}

// Moves the joined data to `to`; on failure, or when the user keeps a file already there, it
// stays where it is, no longer temporary.
bool AssemblerFlow::MoveData(const std::string& to) {
    std::string error;
    std::error_code ec;
    // A set joined straight into the destination is there already.
    if (std::filesystem::equivalent(assembler.BigFile, to, ec)) return true;
    if (StandsThere(to)) {
        if (MsgBox(to + " already exists. Replace it with the joined file?",
                   mb::YesNo | mb::Exclamation | mb::DefaultButton2,
                   "File already exists") != Answer::Yes) {
            KeepAfterFailure("The assembled data was not moved to " + to + ", which already exists.",
                             assembler.BigFile);
            return false;
        }
        if (ReplaceWithData(to, error)) return Arrived(to);
    } else if (platform::MoveFileNoReplace(assembler.BigFile, to, error)) {
        return Arrived(to);
    }
    KeepAfterFailure("The assembled data could not be moved to " + to + ": " + error,
                     assembler.BigFile);
    return false;
}

// The data came from a temporary file, made for the owner alone; in the destination it gets
// the mode of any file the user makes there.
bool AssemblerFlow::Arrived(const std::string& to) {
    platform::GiveNewFileMode(to);
    return true;
}

// The user's file goes only when the data has arrived beside it in whole: across file systems
// the data is first moved in under an unfinished name.
bool AssemblerFlow::ReplaceWithData(const std::string& to, std::string& error) {
    if (std::rename(assembler.BigFile.c_str(), to.c_str()) == 0) return true;
    if (errno != EXDEV) {
        error = std::strerror(errno);
        return false;
    }
    const std::string staged = to + kUnfinishedSuffix;
    if (StandsThere(staged)) {
        error = staged + " already exists";
        return false;
    }
    if (!platform::MoveFileNoReplace(assembler.BigFile, staged, error)) return false;
    if (std::rename(staged.c_str(), to.c_str()) == 0) return true;
    error = std::strerror(errno);
    assembler.BigFile = staged;  // the data is here now, and is kept here
    return false;
}

std::string AssemblerFlow::KeyHolding(const std::string& path) const {
    for (const char* key : {"AssArchive", "AssEncArchive"})
        if (RegisteredPath(key) == path) return key;
    return "";
}

// The data at `path` must survive the clean-up: its key is dropped, the file stays.
void AssemblerFlow::KeepAfterFailure(const std::string& what, const std::string& path) {
    const std::string key = KeyHolding(path);
    if (!key.empty()) Temps().UnmarkTempFile(key);
    Temps().RemoveTempFile("AssEncArchive", true);
    Temps().RemoveTempFile("AssArchive", true);
    MsgBox(what + "\r\rThe data has been kept as " + path + ".", mb::OKOnly | mb::Critical,
           "Assembled data kept");
}

}  // namespace kb
