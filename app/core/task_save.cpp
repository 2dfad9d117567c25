#include "app/core/task_save.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "app/core/big_file.h"

namespace kb {

void SaveTaskFile(const std::string& path, int16_t slot, const std::function<int64_t()>& write,
                  const KbError& failed) {
    std::string temp = path + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) throw failed;
    // The mode a file created in place would have had.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    int64_t length = -1;
    try {
        OpenBF(temp, slot, "wb");
        length = write();
        CloseBF(slot);
    } catch (...) {
        platform::bigfileClose(slot);
        std::remove(temp.c_str());
        throw;
    }
    // A task that was not saved whole must not be reported as saved.
    if (length < 0 || FileSizeBF(temp) != length || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        throw failed;
    }
}

}  // namespace kb
