#include "app/core/split_resume_source.h"

#include "app/core/kb_error.h"
#include "app/core/paths.h"
#include "app/core/temp_manager.h"

namespace kb {

bool IsTemporaryArchiveOfSplit(const std::string& source, const std::string& filenameToStore) {
    return filenameToStore != StripFolder(source) && IsTempFileName(source, "kbt");
}

void TakeOverTemporarySource(const std::string& source, const std::string& filenameToStore) {
    if (!IsTemporaryArchiveOfSplit(source, filenameToStore)) return;
    TempManager& temps = TempManager::Instance();
    for (const char* key : {"Archive", "EncArchive"}) {
        std::string registered;
        try {
            registered = temps.GetTempFilePath(key);
        } catch (const KbError&) {
            continue;  // nothing registered under this key
        }
        // The source itself may still be registered here: forget it, never delete it.
        if (registered == source) temps.UnmarkTempFile(key);
        else temps.RemoveTempFile(key, true);
    }
    temps.MarkTempFile("Archive", source);
}

}  // namespace kb
