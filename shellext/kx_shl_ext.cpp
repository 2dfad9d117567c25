#include "shellext/kx_shl_ext.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "shellext/com/drop_files.h"
#include "shellext/com/guids.h"
#include "shellext/module_state.h"
#include "platform/registry.h"

namespace kb::shellext {

namespace {
constexpr char kSplitSwitch[] = "-split";
constexpr char kProgramKey[] = "Software\\Tarnwolde\\Kestrelbinder";
}  // namespace

KXShlExt::KXShlExt(IUnknown* outer) : inner_(*this), outer_(outer ? outer : &inner_) {
    ModuleObjectCreated();
}

KXShlExt::~KXShlExt() { ModuleObjectDestroyed(); }

HRESULT KXShlExt::Create(IUnknown* outer, REFIID riid, void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    // An outer object may only ask for the inner unknown, which it keeps to itself.
    if (outer && !IsEqualGUID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    auto* object = new (std::nothrow) KXShlExt(outer);
    if (!object) return E_OUTOFMEMORY;
    object->inner_.AddRef();
    const HRESULT hr = object->inner_.QueryInterface(riid, ppv);
    object->inner_.Release();
    return hr;
}

HRESULT KXShlExt::Inner::QueryInterface(REFIID riid, void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualGUID(riid, IID_IUnknown)) {
        *ppv = this;
    } else if (IsEqualGUID(riid, IID_IShellExtInit)) {
        *ppv = static_cast<IShellExtInit*>(&self_);
    } else if (IsEqualGUID(riid, IID_IContextMenu)) {
        *ppv = static_cast<IContextMenu*>(&self_);
    } else if (IsEqualGUID(riid, IID_IKXShlExt) || IsEqualGUID(riid, IID_IDispatch)) {
        *ppv = static_cast<IKXShlExt*>(&self_);
    } else {
        return E_NOINTERFACE;
    }
    static_cast<IUnknown*>(*ppv)->AddRef();
    return S_OK;
}

ULONG KXShlExt::Inner::AddRef() noexcept { return ++self_.refs_; }

ULONG KXShlExt::Inner::Release() noexcept {
    const ULONG left = --self_.refs_;
    if (left == 0) delete &self_;
    return left;
}

HRESULT KXShlExt::QueryInterface(REFIID riid, void** ppv) noexcept { return outer_->QueryInterface(riid, ppv); }
ULONG KXShlExt::AddRef() noexcept { return outer_->AddRef(); }
ULONG KXShlExt::Release() noexcept { return outer_->Release(); }

// "InstallationDir" is taken only as text that fits the buffer whole: a cut folder would start
// some other program, and a folder holding a double quote cannot stand in the quoted line.
bool KXShlExt::ReadProgramFolder(char (&folder)[kFolderSize]) const {
    using namespace kb::platform;
    RegKey key;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, kProgramKey, KEY_QUERY_VALUE, key) != ERROR_SUCCESS)
        return false;
    uint32_t type = 0;
    uint32_t size = kFolderSize;
    const int32_t rc = RegQueryValueEx(key, "InstallationDir", &type, folder, &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    if (!std::memchr(folder, '\0', kFolderSize)) return false;
    return folder[0] != '\0' && !std::strchr(folder, '"');
}

HRESULT KXShlExt::Initialize(const ITEMIDLIST*, IDataObject* pdtobj, ShellKey*) noexcept {
    itemCount_ = 0;
    lineLength_ = 0;
    commandLine_[0] = '\0';
    try {
        refusal_.clear();
        char folder[kFolderSize] = {};
        if (!ReadProgramFolder(folder)) return E_NOTIMPL;
        const int n = std::snprintf(commandLine_, kCommandLineSize, "\"%s/Kestrelbinder\" ", folder);
        lineLength_ = static_cast<size_t>(n);
        return AddItems(pdtobj);
    } catch (...) {
        itemCount_ = 0;
        lineLength_ = 0;
        commandLine_[0] = '\0';
        refusal_.clear();
        return E_OUTOFMEMORY;
    }
}

HRESULT KXShlExt::AddItems(IDataObject* pdtobj) {
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (!pdtobj || FAILED(pdtobj->GetData(&format, &medium))) return E_INVALIDARG;
    const void* drop = GlobalLock(medium.hGlobal);
    if (!drop) {
        ReleaseStgMedium(&medium);
        return E_INVALIDARG;
    }
    const size_t size = GlobalSize(medium.hGlobal);
    const UINT count = DragQueryFileA(drop, size, 0xFFFFFFFFu, nullptr, 0);
    bool fits = true;
    for (UINT i = 0; i < count && fits && refusal_.empty(); ++i) {
        const UINT length = DragQueryFileA(drop, size, i, nullptr, 0);
        if (length == 0) continue;
        std::string path(length + 1, '\0');
        if (DragQueryFileA(drop, size, i, path.data(), length + 1) != length) continue;
        path.resize(length);
        refusal_ = WhyNotPassable(path);
        if (refusal_.empty()) fits = AppendItem(path.c_str());
    }
    GlobalUnlock(medium.hGlobal);
    ReleaseStgMedium(&medium);
    // Starting the program with part of the selection would split less than was chosen.
    if (!fits || !refusal_.empty()) {
        itemCount_ = 0;
        lineLength_ = 0;
        commandLine_[0] = '\0';
    }
    if (!fits) return E_INVALIDARG;
    // The entry stays on the menu, so that picking it can say which item stands in the way.
    if (!refusal_.empty()) return S_OK;
    return itemCount_ > 0 ? S_OK : E_INVALIDARG;
}

// A path that does not fit its buffer whole would be cut into the name of another file; one
// holding a double quote cannot be quoted. Either is named in the box that refuses the
// selection; "" for a path that can be passed.
std::string KXShlExt::WhyNotPassable(const std::string& path) {
    std::string why;
    if (path.find('"') != std::string::npos)
        why = "its path holds a double quote.";
    else if (path.size() >= kPathSize)
        why = "its path is " + std::to_string(path.size()) + " bytes long, and at most " +
              std::to_string(kPathSize - 1) + " bytes can be passed.";
    if (why.empty()) return why;
    return "Kestrelbinder was not started, because one item of the selection cannot be passed "
           "to it: " + why + "\n\n" + path;
}

// Appends "<path>" and a blank, keeping room for "-split" and the NUL.
bool KXShlExt::AppendItem(const char* path) {
    const size_t length = std::strlen(path);
    if (lineLength_ + length + 3 + (sizeof kSplitSwitch - 1) + 1 > kCommandLineSize) return false;
    char* at = commandLine_ + lineLength_;
    *at++ = '"';
    std::memcpy(at, path, length);
    at += length;
    *at++ = '"';
    *at++ = ' ';
    *at = '\0';
    lineLength_ += length + 3;
    ++itemCount_;
    return true;
}

HRESULT KXShlExt::GetTypeInfoCount(UINT* pctinfo) noexcept {
    if (!pctinfo) return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

HRESULT KXShlExt::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) noexcept {
    if (ppTInfo) *ppTInfo = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT KXShlExt::GetIDsOfNames(REFIID, WCHAR**, UINT, LCID, DISPID*) noexcept {
    return DISP_E_UNKNOWNNAME;
}

HRESULT KXShlExt::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) noexcept {
    return DISP_E_MEMBERNOTFOUND;
}

}  // namespace kb::shellext
