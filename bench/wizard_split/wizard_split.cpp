// Usage:
//   wizard_split split SOURCE DESTFOLDER SIZE SEGMENT
//       a format 0 split of SOURCE through the main window's SplitFromWizard, offscreen;
//   wizard_split encrypt SOURCE
//       Next on the wizard's third stage with "Password-protect" and the Tea plug-in: the
//       encrypted copy is made in the temporary folder and removed again;
//   wizard_split tea SOURCE
//       the Tea plug-in's PluginMain encrypting SOURCE directly, with a callback that does
//       nothing.
// Boxes are answered with their default button (a box repeated in a row is given up on after a
// few Retry answers, and printed once with its count); events run as in the program. Last line:
// {"seconds": S, "rss_before_kib": B, "peak_kib": P}: the timed work alone (the window's start
// is not counted), the resident memory just before it and the process's peak afterwards.

#include <dlfcn.h>
#include <sys/resource.h>

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/core/active_splitter.h"
#include "app/core/paths.h"
#include "app/core/temp_manager.h"
#include "app/core/wizard_windows.h"
#include "app/pluginhost/include/kb_plugin.h"
#include "app/pluginhost/plugin_rows.h"
#include "app/pluginhost/plugin_sys.h"
#include "app/pluginhost/plugin_text.h"
#include "app/ui/shell/frm_main.h"
#include "app/ui/splitter/split_runner.h"
#include "app/ui/splitter/split_wizard.h"
#include "bench/default_answers.h"
#include "platform/file_size_limit.h"

namespace {

using Clock = std::chrono::steady_clock;

class TypedPassword : public kb::WizardWindows {
public:
    explicit TypedPassword(std::string pw) : pw_(std::move(pw)) {}
    std::string ConfirmPassword(const std::string&) override { return pw_; }
    bool RequestDisk(int32_t) override { return true; }

private:
    std::string pw_;
};

double Since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

long ResidentKib() {
    long kib = 0;
    if (FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "VmRSS: %ld", &kib) == 1) break;
        std::fclose(f);
    }
    return kib;
}

// Times `work` and prints the closing line.
template <class Work>
void Timed(Work work) {
    const long before = ResidentKib();
    const auto t0 = Clock::now();
    work();
    const double seconds = Since(t0);
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    std::printf("{\"seconds\": %.6f, \"rss_before_kib\": %ld, \"peak_kib\": %ld}\n", seconds, before,
                u.ru_maxrss);
}

int Split(const std::string& source, const std::string& dest, int64_t size, int32_t segment) {
    kb::frmMain window;
    kb::ActiveSplitter& s = window.Splitter();
    s.SetFileFormat(0);
    s.SegmentSize = segment;
    s.FilenameToStore = kb::StripFolder(source);
    s.SetBigFile(source);
    s.SetDestinationFolder(dest);
    s.SetFragmentSize(size);
    Timed([&] { window.SplitterWizard().Runner().SplitFromWizard(); });
    return s.LastSplitCompleted() ? 0 : 1;
}

int Encrypt(const std::string& source) {
    kb::frmMain window;
    kb::PluginHost& plugins = window.Plugins();
    const int16_t slot = plugins.LoadPluginSlot(KB_TEA_PLUGIN);
    if (slot < 0) return 1;
    plugins.PluginList.Add(slot + 1, kb::PluginRow{"", "", KB_TEA_PLUGIN, "", "", "", 0, true});
    plugins.SendPluginCommand(slot, PLUGIN_EVT_ENABLED);
    TypedPassword windows("bench passphrase");
    kb::SplitWizard& wizard = window.SplitterWizard();
    wizard.SetWizardWindows(&windows);
    kb::SplitWizardFlow& flow = wizard.Flow();
    const std::filesystem::path p(source);
    flow.single.filePath = p.parent_path().string();
    flow.single.fileName = p.filename().string();
    flow.cmpEnc.useEnc = true;
    flow.chkUseEnc_Click();
    flow.cmpEnc.password = "bench passphrase";
    flow.SplitWizStage = 3;
    Timed([&] { flow.cmdSplitWizNext_Click(); });
    const bool ok = flow.SplitWizStage == 4 && window.Splitter().EncryptionID != 0;
    kb::TempManager::Instance().RemoveAllTempFiles();
    return ok ? 0 : 1;
}

int32_t Silent(int32_t, PluginBstr*, PluginBstr*, int32_t*, int32_t*) { return PLUGIN_OK; }

int Tea(const std::string& source) {
    void* lib = dlopen(KB_TEA_PLUGIN, RTLD_NOW);
    auto* main = lib ? reinterpret_cast<PluginMainProc>(dlsym(lib, "PluginMain")) : nullptr;
    if (main == nullptr) return 1;
    const std::string out = source + ".tea";
    kb::PluginTextArg a1(source), a2(out), a3("bench passphrase");
    int32_t zero = 0;
    int32_t r = 1;
    Timed([&] { r = main(PLUGIN_CMD_ENCRYPT_FILE, Silent, a1.Var(), a2.Var(), a3.Var(), &zero); });
    std::remove(out.c_str());
    return r == PLUGIN_OK ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    kb::platform::IgnoreFileSizeLimitSignal();
    QApplication app(argc, argv);
    kb::bench::DefaultAnswers prompter;
    kb::ScopedPrompter scoped(prompter);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "split" && argc == 6)
        return Split(argv[2], argv[3], std::atoll(argv[4]), std::atoi(argv[5]));
    if (mode == "encrypt" && argc == 3) return Encrypt(argv[2]);
    if (mode == "tea" && argc == 3) return Tea(argv[2]);
    std::fprintf(stderr, "usage: wizard_split split SOURCE DEST SIZE SEGMENT | encrypt SOURCE | tea SOURCE\n");
    return 2;
}
