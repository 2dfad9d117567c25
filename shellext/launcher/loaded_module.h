#pragma once
// An in-process server loaded from its file, with its four exports. It is unloaded at the end
// only when the server says no object or lock of it is alive; otherwise it stays loaded.

#include <string>

#include "shellext/com/server_exports.h"

namespace kb::shellhost {

class LoadedModule {
public:
    explicit LoadedModule(const std::string& path);
    ~LoadedModule();
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    // True when the file was loaded and exports all four functions.
    bool Loaded() const { return handle_ && canUnloadNow_ && getClassObject_ && registerServer_ && unregisterServer_; }
    // What went wrong when it is not loaded.
    const std::string& Error() const { return error_; }

    kb::com::DllCanUnloadNowFn DllCanUnloadNow() const { return canUnloadNow_; }
    kb::com::DllGetClassObjectFn DllGetClassObject() const { return getClassObject_; }
    kb::com::DllRegisterServerFn DllRegisterServer() const { return registerServer_; }
    kb::com::DllUnregisterServerFn DllUnregisterServer() const { return unregisterServer_; }

private:
    void* handle_ = nullptr;
    std::string error_;
    kb::com::DllCanUnloadNowFn canUnloadNow_ = nullptr;
    kb::com::DllGetClassObjectFn getClassObject_ = nullptr;
    kb::com::DllRegisterServerFn registerServer_ = nullptr;
    kb::com::DllUnregisterServerFn unregisterServer_ = nullptr;
};

}  // namespace kb::shellhost
