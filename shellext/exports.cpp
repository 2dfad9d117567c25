// The module's four exports, the only symbols it shows (see shellext.map).
#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <string>

#include "shellext/class_factory.h"
#include "shellext/com/guids.h"
#include "shellext/menu_entries.h"
#include "shellext/module_state.h"
#include "shellext/registration.h"

using namespace kb::com;

namespace {

// The module's own file, as the registration's InprocServer32 names it.
std::string ModulePath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ModulePath), &info) == 0 || !info.dli_fname) return "";
    char resolved[PATH_MAX];
    return realpath(info.dli_fname, resolved) ? std::string(resolved) : std::string(info.dli_fname);
}

// The file managers' entries run the launcher that is installed beside the module.
std::string LauncherPath(const std::string& modulePath) {
    return modulePath.substr(0, modulePath.rfind('/') + 1) + "kestrelbinder-shell";
}

}  // namespace

// Everything else of the module is hidden; these four are what a host looks up.
#define KB_EXPORT __attribute__((visibility("default")))

extern "C" {

KB_EXPORT HRESULT DllCanUnloadNow() { return kb::shellext::ModuleIdle() ? S_OK : S_FALSE; }

KB_EXPORT HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualGUID(rclsid, CLSID_KXShlExt)) return CLASS_E_CLASSNOTAVAILABLE;
    return kb::shellext::KXShlExtFactory().QueryInterface(riid, ppv);
}

KB_EXPORT HRESULT DllRegisterServer() {
    try {
        const std::string module = ModulePath();
        if (module.empty()) return SELFREG_E_CLASS;
        const HRESULT hr = kb::shellext::RegisterServer(module);
        if (FAILED(hr)) return hr;
        return kb::shellext::InstallMenuEntries(LauncherPath(module)) ? S_OK : SELFREG_E_CLASS;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

KB_EXPORT HRESULT DllUnregisterServer() {
    try {
        const HRESULT hr = kb::shellext::UnregisterServer();
        const bool removed = kb::shellext::RemoveMenuEntries();
        if (FAILED(hr)) return hr;
        return removed ? S_OK : SELFREG_E_CLASS;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

}  // extern "C"
