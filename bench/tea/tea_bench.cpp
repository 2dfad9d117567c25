// Usage: tea_bench [MiB, default 1024] [folder, default $TMPDIR or /tmp] [rounds, default 3]
//
// Each round times three pairs, each a run of the bare cipher over the same number of bytes in
// memory and, right after it, the plug-in on the file: encrypting, decrypting, and encrypting
// with no progress callback. Each pair gives a ratio (cipher time / file time), so that load
// that comes and goes on a shared machine falls on both sides of it; the medians of rates and
// ratios are printed, of wall time and of the process's CPU time (user + system).

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
#include "plugins/tea/tea_cipher.h"
#include "plugins/tea/tea_key.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t kMemoryBuffer = size_t{16} << 20;

int64_t g_reports = 0;
int32_t CountingCallback(int32_t, PluginBstr*, PluginBstr*, int32_t*, int32_t*) {
    ++g_reports;
    return PLUGIN_OK;
}

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

// The bare cipher over `bytes` bytes, a 16 MiB buffer at a time, windows in turn as in a file.
Timing MemoryRun(std::vector<uint8_t>& buffer, const kb::tea::KeyWindows& windows, uint64_t bytes,
                 bool encrypt) {
    const Stopwatch watch;
    uint64_t block = 0;
    for (uint64_t done = 0; done < bytes; done += buffer.size()) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(buffer.size(), bytes - done));
        for (size_t i = 0; i + 8 <= n; i += 8) {
            uint32_t words[2];
            std::memcpy(words, buffer.data() + i, 8);
            const uint32_t* key = windows[block++ % 16].data();
            if (encrypt) kb::tea::TeaEncryptBlock(words, words, key);
            else kb::tea::TeaDecryptBlock(words, words, key);
            std::memcpy(buffer.data() + i, words, 8);
        }
    }
    return watch.Stop();
}

Timing FileRun(PluginMainProc main, PluginHostCallbackProc callback, int32_t cmd,
               const std::string& from, const std::string& to, int32_t& result) {
    PluginBstr a = PluginBstrAllocText(from.c_str()), b = PluginBstrAllocText(to.c_str()),
               c = PluginBstrAllocText("bench passphrase");
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
    std::vector<double> peerWall, fileWall, wallRatio, cpuRatio;
    void Add(const Timing& peer, const Timing& file) {
        peerWall.push_back(peer.wall);
        fileWall.push_back(file.wall);
        wallRatio.push_back(peer.wall / file.wall);
        cpuRatio.push_back(peer.cpu / file.cpu);
    }
    void Print(const char* what, double mb) const {
        std::printf("%-36s cipher %6.1f MB/s  file %6.1f MB/s  ratio wall %.3f cpu %.3f\n", what,
                    mb / Median(peerWall), mb / Median(fileWall), Median(wallRatio),
                    Median(cpuRatio));
    }
};

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

    Pairs encrypt, decrypt, quiet;
    int64_t reports = 0;
    bool ok = true;
    for (int r = 0; r < rounds && ok; ++r) {
        int32_t res = 0;
        Timing peer = MemoryRun(buffer, windows, bytes, true);
        g_reports = 0;
        encrypt.Add(peer, FileRun(main, &CountingCallback, PLUGIN_CMD_ENCRYPT_FILE, src, enc, res));
        reports = g_reports;
        ok = ok && res == 0;
        peer = MemoryRun(buffer, windows, bytes, false);
        decrypt.Add(peer, FileRun(main, &CountingCallback, PLUGIN_CMD_DECRYPT_FILE, enc, dec, res));
        ok = ok && res == 0;
        peer = MemoryRun(buffer, windows, bytes, true);
        quiet.Add(peer, FileRun(main, nullptr, PLUGIN_CMD_ENCRYPT_FILE, src, enc, res));
        ok = ok && res == 0;
    }
    std::remove(src.c_str());
    std::remove(enc.c_str());
    std::remove(dec.c_str());
    if (!ok) {
        std::fprintf(stderr, "a plug-in command failed\n");
        return 1;
    }

    const double mb = static_cast<double>(bytes) / 1e6;
    std::printf("bytes %llu, rounds %d, progress reports per encryption %lld\n",
                static_cast<unsigned long long>(bytes), rounds, static_cast<long long>(reports));
    encrypt.Print("encrypt", mb);
    decrypt.Print("decrypt", mb);
    quiet.Print("encrypt, no progress callback", mb);
    dlclose(lib);
    return 0;
}
