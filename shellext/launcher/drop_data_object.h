#pragma once
// The data object the launcher hands a context-menu handler: the selected paths in the
// dropped-files format, a fresh block for every request (the receiver frees it).

#include <string>
#include <vector>

#include "shellext/com/shell_interfaces.h"

namespace kb::shellhost {

using namespace kb::com;

class DropDataObject final : public IDataObject {
public:
    // A new object holding one reference; nullptr when out of memory.
    static DropDataObject* Create(const std::vector<std::string>& paths) noexcept;

    HRESULT QueryInterface(REFIID riid, void** ppv) noexcept override;
    ULONG AddRef() noexcept override;
    ULONG Release() noexcept override;

    HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) noexcept override;
    HRESULT GetDataHere(FORMATETC*, STGMEDIUM*) noexcept override { return E_NOTIMPL; }
    HRESULT QueryGetData(FORMATETC* format) noexcept override;
    HRESULT GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) noexcept override;
    HRESULT SetData(FORMATETC*, STGMEDIUM*, BOOL) noexcept override { return E_NOTIMPL; }
    HRESULT EnumFormatEtc(DWORD, IEnumFORMATETC**) noexcept override { return E_NOTIMPL; }
    HRESULT DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) noexcept override { return E_NOTIMPL; }
    HRESULT DUnadvise(DWORD) noexcept override { return E_NOTIMPL; }
    HRESULT EnumDAdvise(IEnumSTATDATA**) noexcept override { return E_NOTIMPL; }

private:
    explicit DropDataObject(std::vector<std::string> paths) : paths_(std::move(paths)) {}
    ~DropDataObject() = default;

    std::vector<std::string> paths_;
    ULONG refs_ = 1;
};

}  // namespace kb::shellhost
