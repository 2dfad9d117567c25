#pragma once
// The four functions an in-process server exports with C linkage, as a host looks them up.

#include "shellext/com/com_base.h"

namespace kb::com {

using DllCanUnloadNowFn = HRESULT (*)();
using DllGetClassObjectFn = HRESULT (*)(REFCLSID rclsid, REFIID riid, void** ppv);
using DllRegisterServerFn = HRESULT (*)();
using DllUnregisterServerFn = HRESULT (*)();

}  // namespace kb::com
