#include "app/pluginhost/plugin_output_room.h"

#include <cstdint>
#include <filesystem>

#include "app/core/paths.h"
#include "app/core/temp_manager.h"
#include "platform/disk_queries.h"

namespace kb {

namespace {

// What a plug-in may write beyond the input's length: its header and the padding of its last
// block (a few hundred bytes for ours), with room to spare.
constexpr uint64_t kPluginOverhead = 64 * 1024;

}  // namespace

bool TempRoomForPluginOutput(const std::string& outputKey, const std::string& input) {
    TempManager::Instance().RemoveTempFile(outputKey, true);  // what the attempt left takes no room
    std::error_code ec;
    const auto length = std::filesystem::file_size(input, ec);
    return ec || platform::RoomForFile(GetTempDir(), length + kPluginOverhead);
}

Answer AskTempFolderFull(const std::string& data, const std::string& onCancel) {
    return MsgBox("The " + data + " data could not be written: the temporary folder " +
                      GetTempDir() + " has no room for it. Make room there and click Retry to "
                      "try again, or click Cancel to " + onCancel + ".",
                  mb::RetryCancel | mb::Critical, "Temporary folder full");
}

}  // namespace kb
