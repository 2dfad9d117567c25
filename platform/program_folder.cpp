#include "platform/program_folder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace kb::platform {

namespace {
std::string WithoutTrailingSlash(std::string p) {
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return p;
}
}  // namespace

std::string ProgramFolder() {
    if (const char* home = std::getenv("KESTRELBINDER_HOME"); home && *home)
        return WithoutTrailingSlash(home);
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return WithoutTrailingSlash(std::filesystem::current_path(ec).string());
    return WithoutTrailingSlash(exe.parent_path().string());
}

}  // namespace kb::platform
