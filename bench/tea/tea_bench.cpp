// Usage: tea_bench [MiB, default 1024] [folder, default $TMPDIR or /tmp] [rounds, default 3]
//
// Each round times pairs of runs over the same bytes, the two sides of a pair taking turns at
// going first from round to round:
//   the one-block cipher against the vector path (the widest this processor offers) in memory,
//   encrypting and decrypting;
//   the file code on the one-block path, called directly, against the plug-in through
//   PluginMain (which takes the vector path), encrypting and decrypting the file with a
//   progress callback that counts the reports;
//   the plug-in encrypting with that callback against the plug-in with no callback.
// Each pair gives a ratio (first side's time / second side's), so that load that comes and goes
// on a shared machine falls on both sides of it; the medians of rates and ratios are printed,
// of wall time and of the process's CPU time (user + system).

#include <dlfcn.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/pluginhost/include/kb_plugin.h"
#include "plugins/tea/tea_file.h"
#include "plugins/tea/tea_key.h"
#include "plugins/tea/tea_lanes.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t kMemoryBuffer = size_t{16} << 20;
constexpr char kPassphrase[] = "bench passphrase";

int64_t g_reports = 0;
int32_t CountingCallback(int32_t, PluginBstr*, PluginBstr*, int32_t*, int32_t*) {
    ++g_reports;
    return PLUGIN_OK;
}
void CountingReport(int32_t, void*) { ++g_reports; }

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Wall and CPU seconds of one timed run.
struct Timing {
    double wall = 0, cpu = 0;
};

class Stopwatch {
public:
    Stopwatch() : wall_(Clock::now()), cpu_(CpuSeconds()) {}
    Timing Stop() const {
        return {std::chrono::duration<double>(Clock::now() - wall_).count(), CpuSeconds() - cpu_};
    }

private:
    Clock::time_point wall_;
    double cpu_;
};

void Fill(uint8_t* p, size_t n, uint64_t& state) {
    for (size_t i = 0; i + 8 <= n; i += 8) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        std::memcpy(p + i, &state, 8);
    }
}

bool MakeSource(const std::string& path, uint64_t bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::vector<uint8_t> chunk(1 << 20);
    uint64_t state = 88172645463325252ull;
    for (uint64_t done = 0; done < bytes; done += chunk.size()) {
        Fill(chunk.data(), chunk.size(), state);
        const size_t n = static_cast<size_t>(std::min<uint64_t>(chunk.size(), bytes - done));
        if (std::fwrite(chunk.data(), 1, n, f) != n) {
            std::fclose(f);
            return false;
        }
    }
    return std::fclose(f) == 0;
}

// The cipher over `bytes` bytes, a 16 MiB buffer at a time, windows in turn as in a file.
Timing MemoryRun(std::vector<uint8_t>& buffer, const kb::tea::KeyWindows& windows, uint64_t bytes,
                 bool encrypt, size_t lanes) {
    const Stopwatch watch;
    uint64_t block = 0;
    for (uint64_t done = 0; done < bytes; done += buffer.size()) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(buffer.size(), bytes - done));
        kb::tea::CryptBlocks(buffer.data(), n / 8, windows, block, encrypt, lanes);
        block += n / 8;
    }
    return watch.Stop();
}

// The file code called directly on the one-block path, reports counted as through the plug-in.
Timing OneBlockFileRun(int32_t cmd, const std::string& from, const std::string& to,
                       int32_t& result) {
    const kb::tea::TeaProgress progress{&CountingReport, nullptr};
    const Stopwatch watch;
    result = cmd == PLUGIN_CMD_ENCRYPT_FILE
                 ? kb::tea::TeaEncryptFile(from.c_str(), to.c_str(), kPassphrase, progress, 1)
                 : kb::tea::TeaDecryptFile(from.c_str(), to.c_str(), kPassphrase, progress, 1);
    return watch.Stop();
}

Timing FileRun(PluginMainProc main, PluginHostCallbackProc callback, int32_t cmd,
               const std::string& from, const std::string& to, int32_t& result) {
    PluginBstr a = PluginBstrAllocText(from.c_str()), b = PluginBstrAllocText(to.c_str()),
               c = PluginBstrAllocText(kPassphrase);
    int32_t zero = 0;
    const Stopwatch watch;
    result = main(cmd, callback, &a, &b, &c, &zero);
    const Timing t = watch.Stop();
    PluginBstrFree(a);
    PluginBstrFree(b);
    PluginBstrFree(c);
    return t;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The pairs of one kind over all rounds.
struct Pairs {
    std::vector<double> firstWall, secondWall, wallRatio, cpuRatio;
    void Add(const Timing& first, const Timing& second) {
        firstWall.push_back(first.wall);
        secondWall.push_back(second.wall);
        wallRatio.push_back(first.wall / second.wall);
        cpuRatio.push_back(first.cpu / second.cpu);
    }
    void Print(const char* what, double mb) const {
        std::printf("%-46s %7.1f MB/s %7.1f MB/s  ratio wall %6.3f cpu %6.3f\n", what,
                    mb / Median(firstWall), mb / Median(secondWall), Median(wallRatio),
                    Median(cpuRatio));
    }
};

// Times the two sides of a pair, the first side first in even rounds and second in odd ones.
template <typename First, typename Second>
void TimePair(Pairs& pairs, int round, First first, Second second) {
    Timing a, b;
    if (round % 2 == 0) {
        a = first();
        b = second();
    } else {
        b = second();
        a = first();
    }
    pairs.Add(a, b);
}

}  // namespace

int main(int argc, char** argv) {
    const uint64_t mib = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1024;
    const char* tmp = std::getenv("TMPDIR");
    const std::string folder = argc > 2 ? argv[2] : (tmp && *tmp ? tmp : "/tmp");
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
    const uint64_t bytes = mib << 20;
    const std::string src = folder + "/tea_bench.src", enc = folder + "/tea_bench.enc",
                      dec = folder + "/tea_bench.dec";

    void* lib = dlopen(KB_TEA_PLUGIN, RTLD_NOW | RTLD_LOCAL);
    auto main = lib ? reinterpret_cast<PluginMainProc>(dlsym(lib, PLUGIN_MAIN_SYMBOL)) : nullptr;
    if (!main) {
        std::fprintf(stderr, "cannot load %s\n", KB_TEA_PLUGIN);
        return 1;
    }
    if (!MakeSource(src, bytes)) {
        std::fprintf(stderr, "cannot write %s\n", src.c_str());
        return 1;
    }

    std::vector<uint8_t> buffer(kMemoryBuffer);
    uint64_t state = 1;
    Fill(buffer.data(), buffer.size(), state);
    kb::tea::KeyBlock key{};
    kb::tea::DrawKeyBlock(key);
    const kb::tea::KeyWindows windows = kb::tea::CutKeyWindows(key);
    const size_t lanes = kb::tea::WidestLanes();

    Pairs cipherEncrypt, cipherDecrypt, fileEncrypt, fileDecrypt, quiet;
    int64_t reports = -1;
    bool ok = true;
    auto memory = [&](bool encrypt, size_t n) {
        return [&, encrypt, n] { return MemoryRun(buffer, windows, bytes, encrypt, n); };
    };
    // A file run; its result must be 0, and every run with the callback reports as often.
    auto check = [&](int32_t result, bool counted) {
        ok = ok && result == 0;
        if (counted && reports >= 0) ok = ok && g_reports == reports;
        if (counted) reports = g_reports;
    };
    auto oneBlock = [&](int32_t cmd, const std::string& from, const std::string& to) {
        return [&, cmd] {
            int32_t res = 0;
            g_reports = 0;
            const Timing t = OneBlockFileRun(cmd, from, to, res);
            check(res, true);
            return t;
        };
    };
    auto plugin = [&](int32_t cmd, const std::string& from, const std::string& to,
                      PluginHostCallbackProc callback) {
        return [&, cmd, callback] {
            int32_t res = 0;
            g_reports = 0;
            const Timing t = FileRun(main, callback, cmd, from, to, res);
            check(res, callback != nullptr);
            return t;
        };
    };
    for (int r = 0; r < rounds && ok; ++r) {
        TimePair(cipherEncrypt, r, memory(true, 1), memory(true, lanes));
        TimePair(cipherDecrypt, r, memory(false, 1), memory(false, lanes));
        // Encryption runs first within a round, so that decryption always finds a whole file.
        TimePair(fileEncrypt, r, oneBlock(PLUGIN_CMD_ENCRYPT_FILE, src, enc),
                 plugin(PLUGIN_CMD_ENCRYPT_FILE, src, enc, &CountingCallback));
        TimePair(fileDecrypt, r, oneBlock(PLUGIN_CMD_DECRYPT_FILE, enc, dec),
                 plugin(PLUGIN_CMD_DECRYPT_FILE, enc, dec, &CountingCallback));
        TimePair(quiet, r, plugin(PLUGIN_CMD_ENCRYPT_FILE, src, enc, &CountingCallback),
                 plugin(PLUGIN_CMD_ENCRYPT_FILE, src, enc, nullptr));
    }
    std::remove(src.c_str());
    std::remove(enc.c_str());
    std::remove(dec.c_str());
    if (!ok) {
        std::fprintf(stderr, "a file run failed\n");
        return 1;
    }

    const double mb = static_cast<double>(bytes) / 1e6;
    std::printf("bytes %llu, rounds %d, vector path %zu lanes, progress reports per run %lld\n",
                static_cast<unsigned long long>(bytes), rounds, lanes,
                static_cast<long long>(reports));
    std::printf("%-46s %12s %12s  ratio = first time / second time\n", "", "first", "second");
    cipherEncrypt.Print("cipher encrypt: one-block, vector", mb);
    cipherDecrypt.Print("cipher decrypt: one-block, vector", mb);
    fileEncrypt.Print("file encrypt: one-block, PluginMain (vector)", mb);
    fileDecrypt.Print("file decrypt: one-block, PluginMain (vector)", mb);
    quiet.Print("PluginMain encrypt: callback, no callback", mb);
    dlclose(lib);
    return 0;
}
