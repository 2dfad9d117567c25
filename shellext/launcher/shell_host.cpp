#include "shellext/launcher/shell_host.h"

#include <sys/stat.h>

#include <cstring>

#include "platform/registry.h"
#include "shellext/com/guids.h"
#include "shellext/launcher/drop_data_object.h"
#include "shellext/launcher/loaded_module.h"

namespace kb::shellhost {

using namespace kb::com;

namespace {

constexpr UINT kFirstCommand = 1;
constexpr UINT kLastCommand = 0x7FFF;

std::optional<std::string> DefaultValue(const std::string& key) {
    using namespace kb::platform;
    RegKey k;
    if (RegOpenKeyEx(HKEY_CLASSES_ROOT, key, KEY_QUERY_VALUE, k) != ERROR_SUCCESS) return std::nullopt;
    uint32_t type = 0, size = 0;
    std::optional<std::string> text;
    if (RegQueryValueEx(k, "", &type, nullptr, &size) == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::string buffer(size, '\0');
        if (RegQueryValueEx(k, "", &type, buffer.data(), &size) == ERROR_SUCCESS)
            text = buffer.substr(0, buffer.find('\0'));
    }
    RegCloseKey(k);
    return text;
}

bool IsFolder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Releases an interface at the end of a scope.
template <typename T>
struct Ref {
    T* p = nullptr;
    ~Ref() {
        if (p) p->Release();
    }
    void** Out() { return reinterpret_cast<void**>(&p); }
};

SplitOutcome Run(IShellExtInit* init, const std::vector<std::string>& paths, IWindow* owner) {
    Ref<DropDataObject> data{DropDataObject::Create(paths)};
    if (!data.p) return {SplitResult::NotLoaded, E_OUTOFMEMORY, "out of memory"};
    HRESULT hr = init->Initialize(nullptr, data.p, nullptr);
    if (FAILED(hr)) return {SplitResult::NoEntry, hr, "the handler refused the selection"};
    Ref<IContextMenu> menu;
    hr = init->QueryInterface(IID_IContextMenu, menu.Out());
    if (FAILED(hr)) return {SplitResult::NotLoaded, hr, "the handler has no context menu"};
    RecordedMenu items;
    hr = menu.p->QueryContextMenu(&items, 0, kFirstCommand, kLastCommand, CMF_NORMAL);
    const MenuItem* split = nullptr;
    for (const MenuItem& item : items.items)
        if (item.text == "Split") split = &item;
    if (FAILED(hr) || !split) return {SplitResult::NoEntry, hr, "the handler offers no \"Split\""};
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.hwnd = owner;
    info.lpVerb = reinterpret_cast<const char*>(static_cast<uintptr_t>(split->id - kFirstCommand));
    info.nShow = 1;
    hr = menu.p->InvokeCommand(&info);
    if (FAILED(hr)) return {SplitResult::Failed, hr, "the command failed"};
    return {SplitResult::Started, hr, ""};
}

}  // namespace

bool RecordedMenu::InsertMenuA(UINT position, UINT flags, UINT_PTR id, const char* text) noexcept {
    try {
        items.push_back({position, flags, id, text ? text : ""});
        return true;
    } catch (...) {
        return false;
    }
}

std::optional<Handler> FindContextMenuHandler(const std::string& type) {
    const auto clsidText = DefaultValue(type + "\\shellex\\ContextMenuHandlers\\Kestrelbinder");
    if (!clsidText) return std::nullopt;
    const auto clsid = ParseGuid(*clsidText);
    if (!clsid) return std::nullopt;
    const auto module = DefaultValue("CLSID\\" + *clsidText + "\\InprocServer32");
    if (!module || module->empty()) return std::nullopt;
    return Handler{*clsid, *module};
}

SplitOutcome RunSplitEntry(const std::vector<std::string>& paths, IWindow* owner) {
    if (paths.empty()) return {SplitResult::NoEntry, E_INVALIDARG, "nothing selected"};
    const auto handler = FindContextMenuHandler(IsFolder(paths.front()) ? "Folder" : "*");
    if (!handler) return {SplitResult::NoHandler, E_FAIL, "no handler is registered"};
    LoadedModule module(handler->module);
    if (!module.Loaded()) return {SplitResult::NotLoaded, E_FAIL, module.Error()};
    SplitOutcome outcome;
    {
        Ref<IClassFactory> factory;
        HRESULT hr = module.DllGetClassObject()(handler->clsid, IID_IClassFactory, factory.Out());
        if (FAILED(hr)) return {SplitResult::NotLoaded, hr, "the server has no such class"};
        Ref<IShellExtInit> init;
        hr = factory.p->CreateInstance(nullptr, IID_IShellExtInit, init.Out());
        if (FAILED(hr)) return {SplitResult::NotLoaded, hr, "the server made no handler"};
        outcome = Run(init.p, paths, owner);
    }
    return outcome;
}

}  // namespace kb::shellhost
