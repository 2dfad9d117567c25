// The menu side of KXShlExt: the one entry, its help text, and starting the program.
#include <cstdio>
#include <cstring>
#include <string>

#include "shellext/detached_start.h"
#include "shellext/kx_shl_ext.h"

namespace kb::shellext {

namespace {

constexpr char kHelpText[] = "Splits the selection using Tarnwolde's Kestrelbinder";
constexpr char kSplitSwitch[] = "-split";

int Box(HWND owner, const char* text, const char* caption, UINT type) {
    if (owner) return owner->MessageBoxA(text, caption, type);
    std::fprintf(stderr, "%s: %s\n", caption, text);
    return IDOK;
}

}  // namespace

HRESULT KXShlExt::QueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT, UINT uFlags) noexcept {
    if (uFlags & CMF_DEFAULTONLY) return 0;
    if (!hmenu) return E_INVALIDARG;
    hmenu->InsertMenuA(indexMenu, MF_STRING | MF_BYPOSITION, idCmdFirst, "Split");
    return 1;
}

HRESULT KXShlExt::GetCommandString(UINT_PTR idCmd, UINT uType, UINT*, char* pszName, UINT cchMax) noexcept {
    if ((uType & ~GCS_UNICODE) != GCS_HELPTEXTA) return S_OK;
    if (idCmd != 0) return E_INVALIDARG;
    if (!pszName || cchMax == 0) return S_OK;
    const size_t length = sizeof kHelpText - 1;
    const size_t n = length < cchMax - 1 ? length : cchMax - 1;
    if (uType & GCS_UNICODE) {
        // The text is plain ASCII, whose characters are the same code units in UTF-16. The
        // buffer is the caller's 16-bit one; it is written unit by unit, whatever its alignment.
        for (size_t i = 0; i <= n; ++i) {
            const WCHAR unit = i < n ? static_cast<WCHAR>(kHelpText[i]) : u'\0';
            std::memcpy(pszName + i * sizeof unit, &unit, sizeof unit);
        }
    } else {
        std::memcpy(pszName, kHelpText, n);
        pszName[n] = '\0';
    }
    return S_OK;
}

HRESULT KXShlExt::InvokeCommand(CMINVOKECOMMANDINFO* pici) noexcept {
    if (!pici) return E_INVALIDARG;
    const auto verb = reinterpret_cast<uintptr_t>(pici->lpVerb);
    if ((verb >> 16) != 0 || (verb & 0xFFFF) != 0) return E_INVALIDARG;
    try {
        if (!refusal_.empty()) {
            Box(pici->hwnd, refusal_.c_str(), "Unable to split the selection", MB_OK | MB_ICONERROR);
            return E_INVALIDARG;
        }
        // Without a selection there is nothing to split; the program would only show its usage.
        if (itemCount_ == 0) return E_UNEXPECTED;
        // Built per call: the line prepared by Initialize stays as it was for the next command.
        const std::string line = std::string(commandLine_, lineLength_) + kSplitSwitch;
        const int error = StartDetached(SplitCommandLine(line));
        if (error == 0) return S_OK;
        ShowLaunchFailure(pici->hwnd, error, line.c_str());
        return E_NOTIMPL;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

void KXShlExt::ShowLaunchFailure(HWND owner, int error, const char* line) const {
    Box(owner,
        "Unable to launch Kestrelbinder, you may need to reinstall. Debugging information will "
        "appear on the next two dialogs, please contact Tarnwolde with this if you continue to "
        "experience problems.",
        "Problem launching executable", MB_OK | MB_ICONERROR);
    const std::string code = std::to_string(error);
    Box(owner, code.c_str(), "Errorcode", MB_OK | MB_ICONINFORMATION);
    Box(owner, line, "Commandline", MB_OK | MB_ICONINFORMATION);
}

}  // namespace kb::shellext
