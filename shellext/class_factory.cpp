#include "shellext/class_factory.h"

#include "shellext/kx_shl_ext.h"
#include "shellext/module_state.h"

namespace kb::shellext {

namespace {

class Factory final : public IClassFactory {
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) noexcept override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualGUID(riid, IID_IUnknown) && !IsEqualGUID(riid, IID_IClassFactory))
            return E_NOINTERFACE;
        *ppv = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    ULONG AddRef() noexcept override { return 2; }
    ULONG Release() noexcept override { return 1; }

    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept override {
        return KXShlExt::Create(outer, riid, ppv);
    }
    HRESULT LockServer(BOOL lock) noexcept override {
        ModuleLock(lock != 0);
        return S_OK;
    }
};

}  // namespace

IClassFactory& KXShlExtFactory() noexcept {
    static Factory factory;
    return factory;
}

}  // namespace kb::shellext
