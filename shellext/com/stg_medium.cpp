#include "shellext/com/shell_interfaces.h"

namespace kb::com {

void ReleaseStgMedium(STGMEDIUM* medium) noexcept {
    if (!medium) return;
    if (medium->pUnkForRelease) {
        medium->pUnkForRelease->Release();
    } else if (medium->tymed == TYMED_HGLOBAL) {
        GlobalFree(medium->hGlobal);
    }
    medium->hGlobal = nullptr;
    medium->pUnkForRelease = nullptr;
}

}  // namespace kb::com
