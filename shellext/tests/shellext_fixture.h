#pragma once
// A settings registry, a data folder and a stand-in program in a temporary folder, and the
// built extension loaded as the launcher loads it.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/core/testing/temp_folder.h"
#include "platform/registry.h"
#include "shellext/com/guids.h"
#include "shellext/com/shell_interfaces.h"
#include "shellext/launcher/drop_data_object.h"
#include "shellext/launcher/loaded_module.h"
#include "shellext/launcher/shell_host.h"

namespace kb::shelltest {

using namespace kb::com;
using kb::testing::ScopedEnv;

// Boxes shown by a handler, in order.
struct Box {
    std::string text, caption;
    UINT type;
    bool operator==(const Box&) const = default;
};

class RecordingWindow final : public IWindow {
public:
    int MessageBoxA(const char* text, const char* caption, UINT type) noexcept override {
        boxes.push_back({text, caption, type});
        return IDOK;
    }
    std::vector<Box> boxes;
};

// What the stand-in program recorded.
struct StandInRecord {
    std::vector<std::string> args;  // argv[0] first
    std::vector<int> fds;
    int ppid = 0;
};

class ShellExtTest : public ::testing::Test {
protected:
    kb::testing::TempFolder root;
    ScopedEnv registry{"KESTRELBINDER_REGISTRY", root.File("registry")};
    ScopedEnv data{"XDG_DATA_HOME", root.File("data")};
    ScopedEnv record{"KB_STAND_IN_RECORD", root.File("record")};
    ScopedEnv display{"DISPLAY", ""};
    ScopedEnv wayland{"WAYLAND_DISPLAY", ""};
    kb::shellhost::LoadedModule module{KB_SHELLEXT_MODULE};

    void SetUp() override { ASSERT_TRUE(module.Loaded()) << module.Error(); }

    // Sets "InstallationDir" (default: the stand-in's folder) as text or another type.
    static void SetInstallationDir(const std::string& folder = KB_STAND_IN_DIR,
                                   uint32_t type = kb::platform::REG_SZ) {
        using namespace kb::platform;
        RegKey key;
        ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "Software\\Tarnwolde\\Kestrelbinder", KEY_ALL_ACCESS, key),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueEx(key, "InstallationDir", type, folder.data(), static_cast<uint32_t>(folder.size())),
                  ERROR_SUCCESS);
    }

    // A handler fresh from the module's class factory.
    template <typename T>
    T* Create(REFIID iid) {
        IClassFactory* factory = nullptr;
        EXPECT_EQ(module.DllGetClassObject()(CLSID_KXShlExt, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
        T* object = nullptr;
        EXPECT_EQ(factory->CreateInstance(nullptr, iid, reinterpret_cast<void**>(&object)), S_OK);
        factory->Release();
        return object;
    }

    static HRESULT Initialize(IShellExtInit* init, const std::vector<std::string>& paths) {
        auto* data = kb::shellhost::DropDataObject::Create(paths);
        const HRESULT hr = init->Initialize(nullptr, data, nullptr);
        data->Release();
        return hr;
    }

    static HRESULT Invoke(IContextMenu* menu, IWindow* owner, uintptr_t verb = 0) {
        CMINVOKECOMMANDINFO info{};
        info.cbSize = sizeof info;
        info.hwnd = owner;
        info.lpVerb = reinterpret_cast<const char*>(verb);
        return menu->InvokeCommand(&info);
    }

    // Waits for the stand-in's record and takes it away, so that the next start makes a new one.
    StandInRecord TakeRecord() {
        const std::string path = root.File("record");
        for (int i = 0; i < 500 && !std::filesystem::exists(path); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        StandInRecord r;
        std::string text = kb::testing::ReadAll(path);
        std::filesystem::remove(path);
        size_t at = 0;
        while (at < text.size()) {
            const size_t end = text.find('\n', at);
            const std::string line = text.substr(at, end - at);
            at = end == std::string::npos ? text.size() : end + 1;
            if (line.rfind("arg ", 0) == 0) r.args.push_back(line.substr(4));
            if (line.rfind("fd ", 0) == 0) r.fds.push_back(std::stoi(line.substr(3)));
            if (line.rfind("ppid ", 0) == 0) r.ppid = std::stoi(line.substr(5));
        }
        return r;
    }
};

}  // namespace kb::shelltest
