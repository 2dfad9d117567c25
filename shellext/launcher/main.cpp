// kestrelbinder-shell: what the file managers' "Split" entries run, with the selected files and
// folders. It does what the shell does with the context-menu extension: finds the handler
// registered for the selection, loads it and runs its "Split" command. The installer also runs
// it once with --register (and an uninstaller with --unregister), which records the program
// folder and registers the extension that lies beside it.
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "shellext/com/com_base.h"
#include "shellext/launcher/desktop_window.h"
#include "shellext/launcher/loaded_module.h"
#include "shellext/launcher/shell_host.h"

namespace {

using namespace kb::shellhost;

constexpr char kProgramKey[] = "Software\\Tarnwolde\\Kestrelbinder";

std::string OwnFolder() {
    char path[PATH_MAX];
    if (!realpath("/proc/self/exe", path)) return ".";
    std::string exe = path;
    return exe.substr(0, exe.rfind('/'));
}

std::string Absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd)) return path;
    const std::string folder = cwd;
    return (folder == "/" ? "" : folder) + "/" + path;
}

bool WriteInstallationDir(const std::string& folder) {
    using namespace kb::platform;
    RegKey key;
    if (RegCreateKeyEx(HKEY_LOCAL_MACHINE, kProgramKey, KEY_ALL_ACCESS, key) != ERROR_SUCCESS) return false;
    const bool ok = RegSetValueEx(key, "InstallationDir", REG_SZ, folder.data(),
                                  static_cast<uint32_t>(folder.size())) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

int Registration(bool add) {
    const std::string folder = OwnFolder();
    if (add && !WriteInstallationDir(folder)) {
        std::fprintf(stderr, "kestrelbinder-shell: cannot record the program folder in the settings\n");
        return 1;
    }
    LoadedModule module(folder + "/KestrelbinderShellExt.so");
    if (!module.Loaded()) {
        std::fprintf(stderr, "kestrelbinder-shell: %s\n", module.Error().c_str());
        return 1;
    }
    const kb::com::HRESULT hr = add ? module.DllRegisterServer()() : module.DllUnregisterServer()();
    if (kb::com::FAILED(hr)) {
        std::fprintf(stderr, "kestrelbinder-shell: %s failed (0x%08X)\n",
                     add ? "registration" : "unregistration", static_cast<unsigned>(hr));
        return 1;
    }
    return 0;
}

int Split(const std::vector<std::string>& paths) {
    DesktopWindow window;
    const SplitOutcome outcome = RunSplitEntry(paths, &window);
    if (outcome.result == SplitResult::Started) return 0;
    if (outcome.result != SplitResult::Failed)
        std::fprintf(stderr, "kestrelbinder-shell: %s (0x%08X)\n", outcome.detail.c_str(),
                     static_cast<unsigned>(outcome.hr));
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--register" || args[0] == "--unregister"))
        return Registration(args[0] == "--register");
    // The file managers' entries put "--" before the selection, so no file is taken for an option.
    if (!args.empty() && args[0] == "--") args.erase(args.begin());
    if (args.empty()) {
        std::fprintf(stderr, "usage: kestrelbinder-shell [--] FILE-OR-FOLDER...\n"
                             "       kestrelbinder-shell --register | --unregister\n");
        return 2;
    }
    try {
        for (std::string& a : args) a = Absolute(a);
        return Split(args);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kestrelbinder-shell: %s\n", e.what());
        return 1;
    }
}
