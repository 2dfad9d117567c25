#include "platform/temp_names.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace kb::platform {

std::string CreateTempFileName(const std::string& folder, const std::string& prefix) {
    static std::mt19937 gen(std::random_device{}());
    const std::string stem = folder + "/" + prefix.substr(0, 3);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        char digits[9];
        std::snprintf(digits, sizeof digits, "%08X", static_cast<unsigned>(gen()));
        std::string path = stem + digits + ".tmp";
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST && errno != EINTR) return "";
    }
    errno = EEXIST;
    return "";
}

}  // namespace kb::platform
