// After a whole set was joined: decryption through the encryption plug-in the set names,
// unpacking of CAB data, or a move of the joined file into the destination; then the
// temporary files go. The joined data may exist only once, in a temporary file: every step
// that could lose it keeps it instead and says where it is.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include "app/core/active_assembler.h"
#include "app/core/kb_error.h"
#include "app/core/paths.h"
#include "app/core/progress_view.h"
#include "app/core/prompter.h"
#include "app/core/temp_manager.h"
#include "app/core/wizard_windows.h"
#include "app/pluginhost/kbplugin.h"
#include "app/pluginhost/plugin_output_room.h"
#include "app/pluginhost/plugin_sys.h"
#include "app/pluginhost/plugin_text.h"
#include "app/ui/assembler/assembler_flow.h"
#include "platform/move_file.h"
#include "platform/numbered_name.h"

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

constexpr const char* kAskPassphrase =
    "These file(s) are encrypted. Please supply the decryption passphrase.";

// The destination without a trailing "/".
std::string FolderOf(const std::string& dest) {
    std::string folder = dest;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

// What the name of data kept still encrypted ends in: Report.doc with identifier 2 is kept as
// Report.doc.eid2.enc.
std::string EncryptedSuffix(int32_t encryptionId) {
    return ".eid" + std::to_string(encryptionId) + ".enc";
}

}  // namespace

// An error part way (no temporary file could be made, say) keeps the data.
Placement AssemblerFlow::SafePostProcess(const std::string& dest) {
    try {
        return PostProcessAssembled(dest);
    } catch (const ProgramEnded&) {
        throw;
    } catch (const std::exception& e) {
        const bool encrypted =
            assembler.EncryptionID > 0 && KeyHolding(assembler.BigFile) == "AssEncArchive";
        return KeepAfterFailure(
            std::string("The assembled data could not be processed: ") + e.what(), dest,
            UsableStoredName(), encrypted ? EncryptedSuffix(assembler.EncryptionID) : "",
            {Placement::Kind::NotProcessed, "", ""});
    }
}

Placement AssemblerFlow::PostProcessAssembled(const std::string& dest) {
    // Which join just ran decides, not piece 1 read again: after a resume or a disk-spanned
    // join piece 1 may be elsewhere.
    const int32_t format = assembler.LastFileFormatUsed;
    if (format == FragmentFormatCode::Raw) {
        assembler.EncryptionID = 0;
        assembler.CompressionID = 0;
    }
    if (assembler.EncryptionID > 0) {
        if (std::optional<Placement> kept = Decrypt(dest)) return *kept;
    }
    Placement placed{Placement::Kind::InPlace, assembler.BigFile, ""};
    if (assembler.CompressionID > 0) {
        if (assembler.CompressionID > 2) {
            MsgBox("An unknown compressor has been used on these files. The archive will not be "
                   "decompressed.");
            placed = MoveData(dest, "", {Placement::Kind::UnknownCompressor, "", ""});
        } else {
            placed = Unpack(dest);
        }
    } else if (format != FragmentFormatCode::Raw) {
        placed = MoveData(dest, "", {Placement::Kind::InPlace, "", ""});
    }
    Temps().RemoveTempFile("AssEncArchive", true);
    Temps().RemoveTempFile("AssArchive", true);
    return placed;
}

// Nothing once the data is decrypted; otherwise where it was kept, still encrypted.
std::optional<Placement> AssemblerFlow::Decrypt(const std::string& dest) {
    const int16_t slot = FindDecryptor();
    if (slot < 0) {
        MsgBox("Unable to find appropriate decryption plug-in with ID:" +
               std::to_string(assembler.EncryptionID) + ". The file(s) will not be decrypted.");
        const Placement placed = MoveData(dest, "", {Placement::Kind::NoDecryptor, "", ""});
        Temps().RemoveTempFile("AssArchive", true);
        Temps().RemoveTempFile("AssEncArchive", true);
        return placed;
    }
    Temps().RemoveTempFile("AssArchive", true);
    std::string passphrase = windows_.ConfirmPassword(kAskPassphrase);
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
        if (std::optional<Placement> kept = AnswerRefusal(dest, src)) return kept;
        panel_.StartTimings();
        passphrase = windows_.ConfirmPassword(kAskPassphrase);
    }
    panel_.StopTimings();
    assembler.BigFile = Temps().GetTempFilePath("AssArchive");
    Temps().RemoveTempFile("AssEncArchive", true);
    return std::nullopt;
}

// After the plug-in refused: nothing when the user tries again, otherwise where the data was
// kept, still encrypted.
std::optional<Placement> AssemblerFlow::AnswerRefusal(const std::string& dest,
                                                      const std::string& encrypted) {
    // The decrypted data is no longer than the encrypted data.
    const bool room = TempRoomForPluginOutput("AssArchive", encrypted);
    const Answer again =
        room ? MsgBox("Invalid passphrase. Click retry to try again, or cancel to leave the data "
                      "encrypted.",
                      mb::RetryCancel | mb::Critical, "Decryption passphrase rejected")
             : AskTempFolderFull("decrypted", "leave the data encrypted");
    if (again == Answer::Retry) return std::nullopt;
    const std::string suffix = EncryptedSuffix(assembler.EncryptionID);
    if (room)
        MsgBox("Since you are unable to provide the correct passphrase, the data shall remain as "
               "a single encrypted file with a special extension. Please do not remove the " +
               suffix + " extension if you wish to decrypt it later.");
    const Placement placed =
        MoveData(dest, suffix,
                 room ? Placement{Placement::Kind::NotDecrypted, "", ""}
                      : Placement{Placement::Kind::NoRoomToDecrypt, "", GetTempDir()});
    Temps().RemoveTempFile("AssArchive", true);
    Temps().RemoveTempFile("AssEncArchive", true);
    return placed;
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

Placement AssemblerFlow::Unpack(const std::string& dest) {
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
        return KeepAfterFailure(std::string("The assembled archive could not be unpacked into ") +
                                    dest + ": " + e.what(),
                                dest, UsableStoredName(), "", {Placement::Kind::NotUnpacked, "", ""});
    }
    panel_.SetPB1Visible(false);
    panel_.SetBottomText("Removing temporary files");
    return {Placement::Kind::Unpacked, dest, ""};
}

// The stored name cut to its file name; "" when it cannot name a file in the destination.
std::string AssemblerFlow::UsableStoredName() const {
    const std::string name = StoredFileName(assembler.OrigFile);
    return IsUsableFileName(name) ? name : "";
}

// Moves the joined data into the destination under its stored name and `suffix`; `arrived`
// is where it is then. On failure, or when the user keeps a file already there, the data is
// kept under a name of its own.
Placement AssemblerFlow::MoveData(const std::string& dest, const std::string& suffix,
                                  Placement arrived) {
    const std::string folder = FolderOf(dest);
    std::string name = UsableStoredName();
    if (name.empty()) {
        name = StripFolder(assembler.BigFile);
        MsgBox("The file name \"" + assembler.OrigFile + "\" stored in this set cannot be used. "
               "The assembled data will be kept as " + folder + "/" + name + suffix + ".",
               mb::OKOnly | mb::Exclamation, "Unusable file name");
    }
    const std::string to = folder + "/" + name + suffix;
    arrived.path = to;
    std::string error;
    std::error_code ec;
    // A set joined straight into the destination is there already.
    if (std::filesystem::equivalent(assembler.BigFile, to, ec)) return arrived;
    if (StandsThere(to)) {
        if (!ConfirmReplace(to)) {
            return KeepAfterFailure("The assembled data was not moved to " + to +
                                        ", which already exists.",
                                    dest, name, suffix, {Placement::Kind::NotReplaced, "", to});
        }
        if (ReplaceWithData(to, error) && Arrived(to)) return arrived;
    } else if (platform::MoveFileNoReplace(assembler.BigFile, to, error) && Arrived(to)) {
        return arrived;
    }
    return KeepAfterFailure("The assembled data could not be moved to " + to + ": " + error, dest,
                            name, suffix, {Placement::Kind::NotMoved, "", to});
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

// The joined data must survive the clean-up. Kept in a temporary file, it would go with the
// next clean-up of the system's temporary folder: it moves into the destination as `name`
// and `suffix`, numbered when that is taken ("backup (2).cab"), and stays where it is only
// when it cannot be moved (the destination is full), and then the box says that the user
// must move it. `kept` is told where it is.
Placement AssemblerFlow::KeepAfterFailure(const std::string& what, const std::string& dest,
                                          const std::string& name, const std::string& suffix,
                                          Placement kept) {
    kept.path = assembler.BigFile;
    const std::string key = KeyHolding(kept.path);
    if (!key.empty()) {
        const std::string folder = FolderOf(dest);
        const std::string free = platform::NumberedName(
            name.empty() ? StripFolder(kept.path) : name, true,
            [&](const std::string& n) { return StandsThere(folder + "/" + n + suffix); });
        const std::string to = folder + "/" + free + suffix;
        std::string error;
        if (platform::MoveFileNoReplace(kept.path, to, error) && Arrived(to)) {
            kept.path = to;
            assembler.BigFile = to;
        } else {
            kept.temporary = true;
        }
        Temps().UnmarkTempFile(key);
    }
    Temps().RemoveTempFile("AssEncArchive", true);
    Temps().RemoveTempFile("AssArchive", true);
    const std::string where =
        kept.temporary ? "The data is still in the temporary folder, as " + kept.path +
                             ". The system may empty that folder, so move the file elsewhere "
                             "before you end this session."
                       : "The data has been kept as " + kept.path + ".";
    // Two paragraphs, as the reason may end in a list of names, which only an empty line ends;
    // the space keeps the sentences apart where a reader of the text drops the line breaks.
    MsgBox(what + " \r\r" + where, mb::OKOnly | mb::Critical, "Assembled data kept");
    return kept;
}

}  // namespace kb
