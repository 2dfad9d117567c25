#pragma once
// The component-object basics the shell extension and its host speak: result codes, GUIDs and
// the IUnknown, IClassFactory and IDispatch interfaces, declared here as C++ abstract classes
// with the usual methods and result codes. Module and host are built by the same compiler, so
// the virtual tables agree. No method lets an exception out: they are all noexcept.

#include <cstdint>

namespace kb::com {

using HRESULT = int32_t;
using ULONG = uint32_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using LONG = int32_t;
using WORD = uint16_t;
using BOOL = int32_t;
using LCID = uint32_t;
using DISPID = int32_t;
using WCHAR = char16_t;
using UINT_PTR = uintptr_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
constexpr HRESULT DV_E_FORMATETC = static_cast<HRESULT>(0x80040064u);
constexpr HRESULT SELFREG_E_TYPELIB = static_cast<HRESULT>(0x80040200u);
constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201u);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003u);
constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006u);
constexpr HRESULT DISP_E_BADINDEX = static_cast<HRESULT>(0x8002000Bu);

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

bool IsEqualGUID(const GUID& a, const GUID& b);

extern const IID IID_IUnknown;
extern const IID IID_IClassFactory;
extern const IID IID_IDispatch;

class IUnknown {
public:
    virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) noexcept = 0;
    virtual ULONG AddRef() noexcept = 0;
    virtual ULONG Release() noexcept = 0;

protected:
    ~IUnknown() = default;  // objects go with their last Release, never with delete
};

class IClassFactory : public IUnknown {
public:
    virtual HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) noexcept = 0;
    virtual HRESULT LockServer(BOOL fLock) noexcept = 0;

protected:
    ~IClassFactory() = default;
};

// Automation parts that no caller here fills in; they only complete IDispatch's methods.
struct ITypeInfo;
struct DISPPARAMS;
struct VARIANT;
struct EXCEPINFO;

class IDispatch : public IUnknown {
public:
    virtual HRESULT GetTypeInfoCount(UINT* pctinfo) noexcept = 0;
    virtual HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) noexcept = 0;
    virtual HRESULT GetIDsOfNames(REFIID riid, WCHAR** rgszNames, UINT cNames, LCID lcid,
                                  DISPID* rgDispId) noexcept = 0;
    virtual HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                           DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                           UINT* puArgErr) noexcept = 0;

protected:
    ~IDispatch() = default;
};

}  // namespace kb::com
