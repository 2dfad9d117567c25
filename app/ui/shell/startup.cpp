#include "app/ui/shell/startup.h"

#include <chrono>
#include <ctime>
#include <thread>

#include "app/core/debug_log.h"
#include "app/core/kb_error.h"
#include "app/core/paths.h"
#include "app/core/prompter.h"
#include "app/core/reg_access.h"
#include "app/core/version.h"
#include "app/pluginhost/plugin_autoload.h"
#include "app/pluginhost/plugin_list_file.h"
#include "app/pluginhost/plugin_rows.h"
#include "app/pluginhost/plugin_sys.h"
#include "app/ui/shell/frm_main.h"
#include "app/ui/shell/frm_splash.h"
#include "app/ui/shell/rnd.h"
#include "platform/program_folder.h"

#include <QApplication>
#include <QDir>

namespace kb {

std::string DefaultNamingTemplate;
std::string ProgramCommandLine;

namespace {

// The date and time in the system's own format.
std::string Now() {
    std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    char text[128];
    if (std::strftime(text, sizeof text, "%x %X", &local) == 0) return "";
    return text;
}

}  // namespace

std::string CommandLineOf(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& a : arguments) {
        if (!line.empty()) line += ' ';
        line += a.find(' ') != std::string::npos ? "\"" + a + "\"" : a;
    }
    return line;
}

std::unique_ptr<frmMain> Main(const std::string& commandLine, int pauseMs) {
    ProgramCommandLine = commandLine;
    DebugLogEnabled = CommandLineAsksForDebugLog(commandLine);
    DebugLog("----Program startup " + Now() + "----");
    DebugLog("Running from: " + platform::ProgramFolder());
    DefaultNamingTemplate = "%f - %n.frg";

    auto splash = std::make_unique<frmSplash>();
    splash->show();
    splash->repaint();
    QCoreApplication::processEvents();

    std::string version = VersionText();
    RegWriteString(platform::HKEY_CURRENT_USER, "Software\\Tarnwolde Kestrelbinder\\Installation",
                   "Version", version);
    if (pauseMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    Randomize();

    auto window = std::make_unique<frmMain>();
    window->CloseOnSignals();

    // Plug-ins are loaded from inside their folder, so that a plug-in finds its own files
    // there. An installation without that folder simply starts without changing into it.
    const std::string pluginFolder = PluginFolder();
    const bool changed = QDir(QString::fromStdString(pluginFolder)).exists();
    if (changed) ChangeToFolder(pluginFolder);
    DebugLog("Performing plug-in subsystem initialization");
    PluginHost& plugins = window->Plugins();
    plugins.InitPluginSystem();
    DebugLog("Loading plug-ins");
    AutoloadPlugins(plugins);
    if (changed) RestoreFolder(false);

    splash.reset();
    window->show();

    DebugLog("Informing plugins of load completion");
    DoEvents();
    for (int n = 1; n <= plugins.PluginList.Count(); ++n)
        if (plugins.PluginList.Ticked(n)) plugins.SendPluginCommand(static_cast<int16_t>(n - 1), PLUGIN_EVT_LOAD_COMPLETE);

    DebugLog("Handling arguments");
    window->HandleArguments();
    DebugLog("Main() finished successfully");
    return window;
}

}  // namespace kb
