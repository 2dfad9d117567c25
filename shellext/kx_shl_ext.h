#pragma once
// KXShlExt: the context-menu handler that offers "Split" on files and folders and starts the
// main program with the selection. It can be aggregated: its interfaces then pass IUnknown
// calls to the outer object, and only the inner unknown handed to the outer one counts its own
// references.

#include <cstddef>
#include <string>

#include "shellext/com/shell_interfaces.h"

namespace kb::shellext {

using namespace kb::com;

// The automation interface of the class; it adds no members of its own.
class IKXShlExt : public IDispatch {
protected:
    ~IKXShlExt() = default;
};

class KXShlExt final : public IShellExtInit, public IContextMenu, public IKXShlExt {
public:
    // Creates an object and hands out `riid` of it (of its inner unknown when aggregated).
    static HRESULT Create(IUnknown* outer, REFIID riid, void** ppv) noexcept;

    HRESULT QueryInterface(REFIID riid, void** ppv) noexcept override;
    ULONG AddRef() noexcept override;
    ULONG Release() noexcept override;

    HRESULT Initialize(const ITEMIDLIST* pidlFolder, IDataObject* pdtobj,
                       ShellKey* hkeyProgID) noexcept override;

    HRESULT QueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                             UINT uFlags) noexcept override;
    HRESULT InvokeCommand(CMINVOKECOMMANDINFO* pici) noexcept override;
    HRESULT GetCommandString(UINT_PTR idCmd, UINT uType, UINT* pReserved, char* pszName,
                             UINT cchMax) noexcept override;

    HRESULT GetTypeInfoCount(UINT* pctinfo) noexcept override;
    HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) noexcept override;
    HRESULT GetIDsOfNames(REFIID riid, WCHAR** rgszNames, UINT cNames, LCID lcid,
                          DISPID* rgDispId) noexcept override;
    HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                   DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                   UINT* puArgErr) noexcept override;

    static constexpr size_t kCommandLineSize = 32768;  // characters, NUL included
    static constexpr size_t kFolderSize = 256;         // bytes of "InstallationDir", NUL included
    static constexpr size_t kPathSize = 260;           // characters of one item, NUL included

private:
    // The non-delegating unknown: the object's own identity and reference count.
    class Inner final : public IUnknown {
    public:
        explicit Inner(KXShlExt& self) : self_(self) {}
        HRESULT QueryInterface(REFIID riid, void** ppv) noexcept override;
        ULONG AddRef() noexcept override;
        ULONG Release() noexcept override;

    private:
        KXShlExt& self_;
    };

    explicit KXShlExt(IUnknown* outer);
    ~KXShlExt();

    bool ReadProgramFolder(char (&folder)[kFolderSize]) const;
    HRESULT AddItems(IDataObject* pdtobj);
    bool AppendItem(const char* path);
    static std::string WhyNotPassable(const std::string& path);
    void ShowLaunchFailure(HWND owner, int error, const char* line) const;

    Inner inner_;
    IUnknown* outer_;  // the outer object, or inner_ when not aggregated
    ULONG refs_ = 0;

    // The program and the quoted items, each followed by one blank; "-split" is added per
    // command, so that the line itself never holds it.
    char commandLine_[kCommandLineSize] = {};
    size_t lineLength_ = 0;
    ULONG itemCount_ = 0;
    // Why the selection as a whole is refused (an item that cannot be passed), or "".
    std::string refusal_;
};

}  // namespace kb::shellext
