#include "app/core/wizard_windows.h"

namespace kb {

std::string DiskRequestText(int32_t diskNumber) {
    return "Please insert disk " + std::to_string(diskNumber) + " and click OK.";
}

}  // namespace kb
