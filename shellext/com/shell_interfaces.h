#pragma once
// The shell's side of a context-menu handler: the data object that carries the selection, the
// handler's IShellExtInit and IContextMenu, and the two things of the shell's own that a
// handler is handed: the menu it adds its entries to and the window that owns the menu (and
// any box the handler shows).

#include <cstddef>

#include "shellext/com/com_base.h"
#include "shellext/com/global_memory.h"

namespace kb::com {

extern const IID IID_IDataObject;
extern const IID IID_IShellExtInit;
extern const IID IID_IContextMenu;

using CLIPFORMAT = uint16_t;
constexpr CLIPFORMAT CF_HDROP = 15;  // the dropped-files list (shellext/com/drop_files.h)
constexpr DWORD DVASPECT_CONTENT = 1;
constexpr DWORD TYMED_HGLOBAL = 1;

struct DVTARGETDEVICE;
struct FORMATETC {
    CLIPFORMAT cfFormat;
    DVTARGETDEVICE* ptd;
    DWORD dwAspect;
    LONG lindex;
    DWORD tymed;
};

struct STGMEDIUM {
    DWORD tymed;
    HGLOBAL hGlobal;
    IUnknown* pUnkForRelease;  // when set, releasing the medium releases this instead
};

// Frees the medium's memory, or hands it back to its owner.
void ReleaseStgMedium(STGMEDIUM* medium) noexcept;

struct IEnumFORMATETC;
struct IAdviseSink;
struct IEnumSTATDATA;

class IDataObject : public IUnknown {
public:
    // The caller owns the medium it gets and releases it with ReleaseStgMedium.
    virtual HRESULT GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium) noexcept = 0;
    virtual HRESULT GetDataHere(FORMATETC* pformatetc, STGMEDIUM* pmedium) noexcept = 0;
    virtual HRESULT QueryGetData(FORMATETC* pformatetc) noexcept = 0;
    virtual HRESULT GetCanonicalFormatEtc(FORMATETC* pformatectIn, FORMATETC* pformatetcOut) noexcept = 0;
    virtual HRESULT SetData(FORMATETC* pformatetc, STGMEDIUM* pmedium, BOOL fRelease) noexcept = 0;
    virtual HRESULT EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc) noexcept = 0;
    virtual HRESULT DAdvise(FORMATETC* pformatetc, DWORD advf, IAdviseSink* pAdvSink,
                            DWORD* pdwConnection) noexcept = 0;
    virtual HRESULT DUnadvise(DWORD dwConnection) noexcept = 0;
    virtual HRESULT EnumDAdvise(IEnumSTATDATA** ppenumAdvise) noexcept = 0;

protected:
    ~IDataObject() = default;
};

// Menu item flags and the flags of a menu request.
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT CMF_NORMAL = 0x0000;
constexpr UINT CMF_DEFAULTONLY = 0x0001;

// The shell's menu, as far as a handler adds to it.
class IMenu {
public:
    // Inserts an item before `position` (with MF_BYPOSITION); false when it could not.
    virtual bool InsertMenuA(UINT position, UINT flags, UINT_PTR id, const char* text) noexcept = 0;

protected:
    ~IMenu() = default;
};
using HMENU = IMenu*;

// Message box kinds and the answer of an OK box.
constexpr UINT MB_OK = 0x0000;
constexpr UINT MB_ICONERROR = 0x0010;
constexpr UINT MB_ICONINFORMATION = 0x0040;
constexpr int IDOK = 1;

// The window that owns the menu; boxes are shown over it.
class IWindow {
public:
    virtual int MessageBoxA(const char* text, const char* caption, UINT type) noexcept = 0;

protected:
    ~IWindow() = default;
};
using HWND = IWindow*;

// The command chosen from the menu. lpVerb is either text or, when its value is below 65536,
// the command's offset from the first identifier the handler was given.
struct CMINVOKECOMMANDINFO {
    DWORD cbSize;
    DWORD fMask;
    HWND hwnd;
    const char* lpVerb;
    const char* lpParameters;
    const char* lpDirectory;
    int nShow;
    DWORD dwHotKey;
    void* hIcon;
};

// Kinds of command text.
constexpr UINT GCS_VERBA = 0x0000;
constexpr UINT GCS_HELPTEXTA = 0x0001;
constexpr UINT GCS_VALIDATEA = 0x0002;
constexpr UINT GCS_UNICODE = 0x0004;
constexpr UINT GCS_HELPTEXTW = GCS_HELPTEXTA | GCS_UNICODE;

struct ITEMIDLIST;
// An open registry key of the shell's; handlers here receive none.
struct ShellKey;

class IShellExtInit : public IUnknown {
public:
    virtual HRESULT Initialize(const ITEMIDLIST* pidlFolder, IDataObject* pdtobj,
                               ShellKey* hkeyProgID) noexcept = 0;

protected:
    ~IShellExtInit() = default;
};

class IContextMenu : public IUnknown {
public:
    // Returns the number of items added (a success code), or a failure.
    virtual HRESULT QueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                     UINT uFlags) noexcept = 0;
    virtual HRESULT InvokeCommand(CMINVOKECOMMANDINFO* pici) noexcept = 0;
    // cchMax counts characters of the buffer: bytes, or 16-bit units with GCS_UNICODE.
    virtual HRESULT GetCommandString(UINT_PTR idCmd, UINT uType, UINT* pReserved, char* pszName,
                                     UINT cchMax) noexcept = 0;

protected:
    ~IContextMenu() = default;
};

}  // namespace kb::com
