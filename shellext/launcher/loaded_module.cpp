#include "shellext/launcher/loaded_module.h"

#include <dlfcn.h>

namespace kb::shellhost {

namespace {
template <typename Fn>
Fn Symbol(void* handle, const char* name) {
    return reinterpret_cast<Fn>(dlsym(handle, name));
}
}  // namespace

LoadedModule::LoadedModule(const std::string& path) {
    // RTLD_LOCAL: the server's own copies of shared code must not stand in for ours.
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = dlerror();
        error_ = why ? why : "cannot load " + path;
        return;
    }
    canUnloadNow_ = Symbol<kb::com::DllCanUnloadNowFn>(handle_, "DllCanUnloadNow");
    getClassObject_ = Symbol<kb::com::DllGetClassObjectFn>(handle_, "DllGetClassObject");
    registerServer_ = Symbol<kb::com::DllRegisterServerFn>(handle_, "DllRegisterServer");
    unregisterServer_ = Symbol<kb::com::DllUnregisterServerFn>(handle_, "DllUnregisterServer");
    if (!Loaded()) error_ = path + " is not an in-process server";
}

LoadedModule::~LoadedModule() {
    if (!handle_) return;
    if (!canUnloadNow_ || canUnloadNow_() == kb::com::S_OK) dlclose(handle_);
}

}  // namespace kb::shellhost
