#include "shellext/launcher/drop_data_object.h"

#include <new>

#include "shellext/com/drop_files.h"

namespace kb::shellhost {

DropDataObject* DropDataObject::Create(const std::vector<std::string>& paths) noexcept {
    try {
        return new DropDataObject(paths);
    } catch (...) {
        return nullptr;
    }
}

HRESULT DropDataObject::QueryInterface(REFIID riid, void** ppv) noexcept {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualGUID(riid, IID_IUnknown) && !IsEqualGUID(riid, IID_IDataObject)) return E_NOINTERFACE;
    *ppv = static_cast<IDataObject*>(this);
    AddRef();
    return S_OK;
}

ULONG DropDataObject::AddRef() noexcept { return ++refs_; }

ULONG DropDataObject::Release() noexcept {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

HRESULT DropDataObject::QueryGetData(FORMATETC* format) noexcept {
    if (!format) return E_INVALIDARG;
    const bool ours = format->cfFormat == CF_HDROP && format->dwAspect == DVASPECT_CONTENT &&
                      (format->tymed & TYMED_HGLOBAL);
    return ours ? S_OK : DV_E_FORMATETC;
}

HRESULT DropDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) noexcept {
    if (!medium) return E_INVALIDARG;
    const HRESULT hr = QueryGetData(format);
    if (FAILED(hr)) return hr;
    HGLOBAL block = MakeDropFiles(paths_);
    if (!block) return E_OUTOFMEMORY;
    *medium = STGMEDIUM{TYMED_HGLOBAL, block, nullptr};
    return S_OK;
}

HRESULT DropDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) noexcept {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
}

}  // namespace kb::shellhost
