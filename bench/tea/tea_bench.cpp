// Usage: tea_bench [MiB, default 1024] [folder, default $TMPDIR or /tmp] [rounds, default 3]
//
// Each round times, alternating: the bare cipher encrypting the same number of bytes in
// memory, the plug-in encrypting the file, the bare cipher decrypting, the plug-in decrypting,
// and the plug-in encrypting with no progress callback. Medians and ratios are printed.

#include <dlfcn.h>

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

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

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
double MemoryRun(std::vector<uint8_t>& buffer, const kb::tea::KeyWindows& windows, uint64_t bytes,
                 bool encrypt) {
    const auto start = Clock::now();
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
    return Seconds(start);
}

double FileRun(PluginMainProc main, PluginHostCallbackProc callback, int32_t cmd,
               const std::string& from, const std::string& to, int32_t& result) {
    PluginBstr a = PluginBstrAllocText(from.c_str()), b = PluginBstrAllocText(to.c_str()),
               c = PluginBstrAllocText("bench passphrase");
    int32_t zero = 0;
    const auto start = Clock::now();
    result = main(cmd, callback, &a, &b, &c, &zero);
    const double s = Seconds(start);
    PluginBstrFree(a);
    PluginBstrFree(b);
    PluginBstrFree(c);
    return s;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
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

    std::vector<double> memEnc, fileEnc, memDec, fileDec, fileEncQuiet;
    int64_t reports = 0;
    bool ok = true;
    for (int r = 0; r < rounds && ok; ++r) {
        int32_t res = 0;
        memEnc.push_back(MemoryRun(buffer, windows, bytes, true));
        g_reports = 0;
        fileEnc.push_back(FileRun(main, &CountingCallback, PLUGIN_CMD_ENCRYPT_FILE, src, enc, res));
        reports = g_reports;
        ok = ok && res == 0;
        memDec.push_back(MemoryRun(buffer, windows, bytes, false));
        fileDec.push_back(FileRun(main, &CountingCallback, PLUGIN_CMD_DECRYPT_FILE, enc, dec, res));
        ok = ok && res == 0;
        fileEncQuiet.push_back(FileRun(main, nullptr, PLUGIN_CMD_ENCRYPT_FILE, src, enc, res));
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
    const double me = Median(memEnc), fe = Median(fileEnc), md = Median(memDec), fd = Median(fileDec),
                 fq = Median(fileEncQuiet);
    std::printf("bytes %llu, rounds %d, progress reports per encryption %lld\n",
                static_cast<unsigned long long>(bytes), rounds, static_cast<long long>(reports));
    std::printf("in-memory encrypt   %8.1f MB/s\n", mb / me);
    std::printf("file encrypt        %8.1f MB/s  ratio %.3f\n", mb / fe, me / fe);
    std::printf("in-memory decrypt   %8.1f MB/s\n", mb / md);
    std::printf("file decrypt        %8.1f MB/s  ratio %.3f\n", mb / fd, md / fd);
    std::printf("file encrypt, no progress callback %8.1f MB/s  ratio %.3f\n", mb / fq, me / fq);
    dlclose(lib);
    return 0;
}
