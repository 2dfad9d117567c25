#pragma once
// The server's registry entries under HKEY_CLASSES_ROOT:
//
//   KestrelbinderShellExt.KXShlExt.1          = "KXShlExt Class"
//     CLSID                                   = {class}
//   KestrelbinderShellExt.KXShlExt            = "KXShlExt Class"
//     CLSID                                   = {class}
//     CurVer                                  = KestrelbinderShellExt.KXShlExt.1
//   CLSID\{class}                             = "KXShlExt Class"
//     ProgID                                  = KestrelbinderShellExt.KXShlExt.1
//     VersionIndependentProgID                = KestrelbinderShellExt.KXShlExt
//     Programmable                            (no value)
//     InprocServer32                          = the module's path; ThreadingModel = "Apartment"
//     TypeLib                                 = {type library}
//   *\shellex\ContextMenuHandlers\Kestrelbinder        = {class}
//   Folder\shellex\ContextMenuHandlers\Kestrelbinder   = {class}
//   TypeLib\{type library}\1.0                = "KestrelbinderShellExt 1.0 Type Library"
//     FLAGS = "0"; HELPDIR = the module's folder; 0\linux = the module's path
//
// Every value is the key's default value (REG_SZ) unless named. Unregistering removes the two
// ProgID keys, the class key, the two handler keys and the type library's key; the shared
// parents (CLSID, *, Folder, shellex, ContextMenuHandlers, TypeLib) stay.

#include <string>

#include "shellext/com/com_base.h"

namespace kb::shellext {

kb::com::HRESULT RegisterServer(const std::string& modulePath);
kb::com::HRESULT UnregisterServer();

}  // namespace kb::shellext
