#include "shellext/registration.h"

#include <initializer_list>

#include "platform/registry.h"
#include "shellext/com/guids.h"

namespace kb::shellext {

using namespace kb::com;
using namespace kb::platform;

namespace {

constexpr char kProgId[] = "KestrelbinderShellExt.KXShlExt.1";
constexpr char kIndependentProgId[] = "KestrelbinderShellExt.KXShlExt";
constexpr char kClassName[] = "KXShlExt Class";

std::string ClassKey() { return "CLSID\\" + GuidText(CLSID_KXShlExt); }
std::string TypeLibKey() { return "TypeLib\\" + GuidText(LIBID_KESTRELBINDERSHELLEXTLib); }
std::string HandlerKey(const char* type) {
    return std::string(type) + "\\shellex\\ContextMenuHandlers\\Kestrelbinder";
}

// Creates the key and, with a name or a value, sets that string value.
bool Set(const std::string& key, const std::string& name, const std::string& value, bool withValue = true) {
    RegKey k;
    if (RegCreateKeyEx(HKEY_CLASSES_ROOT, key, KEY_ALL_ACCESS, k) != ERROR_SUCCESS) return false;
    const bool ok = !withValue ||
                    RegSetValueEx(k, name, REG_SZ, value.data(), static_cast<uint32_t>(value.size())) == ERROR_SUCCESS;
    RegCloseKey(k);
    return ok;
}

bool Remove(const std::string& key) {
    const int32_t rc = RegDeleteKey(HKEY_CLASSES_ROOT, key);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

bool WriteClass(const std::string& modulePath) {
    const std::string clsid = GuidText(CLSID_KXShlExt);
    const std::string cls = ClassKey();
    bool ok = Set(kProgId, "", kClassName) && Set(std::string(kProgId) + "\\CLSID", "", clsid) &&
              Set(kIndependentProgId, "", kClassName) &&
              Set(std::string(kIndependentProgId) + "\\CLSID", "", clsid) &&
              Set(std::string(kIndependentProgId) + "\\CurVer", "", kProgId);
    ok = ok && Set(cls, "", kClassName) && Set(cls + "\\ProgID", "", kProgId) &&
         Set(cls + "\\VersionIndependentProgID", "", kIndependentProgId) &&
         Set(cls + "\\Programmable", "", "", false) && Set(cls + "\\InprocServer32", "", modulePath) &&
         Set(cls + "\\InprocServer32", "ThreadingModel", "Apartment") &&
         Set(cls + "\\TypeLib", "", GuidText(LIBID_KESTRELBINDERSHELLEXTLib));
    for (const char* type : {"*", "Folder"}) ok = ok && Set(HandlerKey(type), "", clsid);
    return ok;
}

bool WriteTypeLib(const std::string& modulePath) {
    const std::string key = TypeLibKey() + "\\1.0";
    const std::string folder = modulePath.substr(0, modulePath.rfind('/') + 1);
    return Set(key, "", "KestrelbinderShellExt 1.0 Type Library") && Set(key + "\\FLAGS", "", "0") &&
           Set(key + "\\HELPDIR", "", folder.empty() ? "." : folder) &&
           Set(key + "\\0\\linux", "", modulePath);
}

}  // namespace

HRESULT RegisterServer(const std::string& modulePath) {
    // The class and the handlers are written afresh, so nothing of an older registration stays.
    bool ok = true;
    for (const std::string& key : {ClassKey(), HandlerKey("*"), HandlerKey("Folder")}) ok = Remove(key) && ok;
    if (!ok || !WriteClass(modulePath)) return SELFREG_E_CLASS;
    return WriteTypeLib(modulePath) ? S_OK : SELFREG_E_TYPELIB;
}

HRESULT UnregisterServer() {
    bool ok = true;
    for (const std::string& key : {HandlerKey("Folder"), HandlerKey("*"), ClassKey(),
                                   std::string(kIndependentProgId), std::string(kProgId)})
        ok = Remove(key) && ok;
    if (!ok) return SELFREG_E_CLASS;
    return Remove(TypeLibKey()) ? S_OK : SELFREG_E_TYPELIB;
}

}  // namespace kb::shellext
