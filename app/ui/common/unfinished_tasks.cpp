#include "app/ui/common/unfinished_tasks.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/core/find_files.h"
#include "app/core/paths.h"

namespace kb {

int16_t ReadTaskKind(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char b[2];
    if (!in.read(reinterpret_cast<char*>(b), 2)) return 0;
    return static_cast<int16_t>(b[0] | (b[1] << 8));
}

std::vector<UnfinishedTask> ListUnfinishedTasks(const std::vector<std::string>& folders) {
    std::vector<UnfinishedTask> tasks;
    std::vector<std::string> seen;
    for (std::string folder : folders) {
        std::error_code ec;
        if (folder.empty() || !std::filesystem::is_directory(folder, ec)) continue;
        std::vector<std::string> files;
        FindFiles(folder, "*", "*.uft", files);
        for (const std::string& file : files) {
            std::string canonical = std::filesystem::weakly_canonical(file, ec).string();
            if (ec) canonical = file;
            if (std::find(seen.begin(), seen.end(), canonical) != seen.end()) continue;
            seen.push_back(canonical);
            const int16_t kind = ReadTaskKind(file);
            if (kind != 1 && kind != 2) continue;
            const std::string name = StripFolder(file);
            tasks.push_back({file, name.substr(0, name.size() - 4), kind});
        }
    }
    return tasks;
}

}  // namespace kb
