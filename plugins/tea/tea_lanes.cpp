#include "plugins/tea/tea_lanes.h"

#include <cstring>
#include <utility>

#include "plugins/tea/le32.h"
#include "plugins/tea/tea_cipher.h"

// The vector paths exist on x86-64 only, where every processor has 128-bit lanes and the
// stored little-endian words load straight into them. Each wider path is compiled for its own
// instruction set through a target attribute and only ever called after the processor has
// been asked, so the library still loads and runs on any x86-64.
#if defined(__x86_64__) && defined(__GNUC__)
#define KB_TEA_VECTOR_LANES 1
#endif

namespace kb::tea {
namespace {

void CryptOneByOne(uint8_t* data, size_t count, const KeyWindows& windows, uint64_t first,
                   bool encrypt) {
    for (size_t i = 0; i < count; ++i, data += 8) {
        uint32_t words[2] = {LoadLe32(data), LoadLe32(data + 4)};
        const uint32_t* key = windows[(first + i) % kWindowCount].data();
        if (encrypt) TeaEncryptBlock(words, words, key);
        else TeaDecryptBlock(words, words, key);
        StoreLe32(data, words[0]);
        StoreLe32(data + 4, words[1]);
    }
}

#ifdef KB_TEA_VECTOR_LANES

// Key word w of window (first + m) % 16 at [w][m]: the N lanes of a vector that starts at
// block first + p (p a multiple of N) find their key words at [w][p % 16] onwards.
using LaneKeys = uint32_t[4][kWindowCount];

using V4 = uint32_t __attribute__((vector_size(16)));
using V8 = uint32_t __attribute__((vector_size(32)));
using V16 = uint32_t __attribute__((vector_size(64)));

// Vectors in flight per step: while one waits on its chain of dependent operations, the
// other's fill the gaps.
constexpr size_t kVectorsPerStep = 2;

template <size_t N>
constexpr size_t BlocksPerStep = N * kVectorsPerStep;

// `steps` steps of N * kVectorsPerStep blocks from `data`, the first under window `first`
// as laid out in `keys`. I is 0..N-1. Always inlined into the function compiled for the
// vector's instruction set, and never emitted on its own.
template <bool Encrypt, class V, size_t... I>
[[gnu::always_inline]] inline void CryptSteps(uint8_t* data, size_t steps, const LaneKeys& keys,
                                              std::index_sequence<I...>) {
    constexpr size_t N = sizeof...(I), M = kVectorsPerStep, kStep = BlocksPerStep<N>;
    static_assert(sizeof(V) == 4 * N && kWindowCount % N == 0);
    for (size_t s = 0; s < steps; ++s, data += 8 * kStep) {
        V y[M], z[M], k0[M], k1[M], k2[M], k3[M];
        for (size_t j = 0; j < M; ++j) {
            // Blocks are y, z pairs; even words go to the y vector, odd ones to z.
            V lo, hi;
            std::memcpy(&lo, data + 8 * N * j, sizeof lo);
            std::memcpy(&hi, data + 8 * N * j + sizeof lo, sizeof hi);
            y[j] = __builtin_shufflevector(lo, hi, (2 * I)...);
            z[j] = __builtin_shufflevector(lo, hi, (2 * I + 1)...);
            const size_t phase = (s * kStep + j * N) % kWindowCount;
            std::memcpy(&k0[j], &keys[0][phase], sizeof(V));
            std::memcpy(&k1[j], &keys[1][phase], sizeof(V));
            std::memcpy(&k2[j], &keys[2][phase], sizeof(V));
            std::memcpy(&k3[j], &keys[3][phase], sizeof(V));
        }
        if constexpr (Encrypt) {
            uint32_t sum = 0;
            for (int c = 0; c < kCycles; ++c) {
                sum += kDelta;
                for (size_t j = 0; j < M; ++j)
                    y[j] += ((z[j] << 4) + k0[j]) ^ (z[j] + sum) ^ ((z[j] >> 5) + k1[j]);
                for (size_t j = 0; j < M; ++j)
                    z[j] += ((y[j] << 4) + k2[j]) ^ (y[j] + sum) ^ ((y[j] >> 5) + k3[j]);
            }
        } else {
            uint32_t sum = kDelta * static_cast<uint32_t>(kCycles);
            for (int c = 0; c < kCycles; ++c) {
                for (size_t j = 0; j < M; ++j)
                    z[j] -= ((y[j] << 4) + k2[j]) ^ (y[j] + sum) ^ ((y[j] >> 5) + k3[j]);
                for (size_t j = 0; j < M; ++j)
                    y[j] -= ((z[j] << 4) + k0[j]) ^ (z[j] + sum) ^ ((z[j] >> 5) + k1[j]);
                sum -= kDelta;
            }
        }
        for (size_t j = 0; j < M; ++j) {
            // Back to y, z pairs: lane i of the pair vectors takes word i / 2 of y or z.
            const V lo = __builtin_shufflevector(y[j], z[j], (I % 2 * N + I / 2)...);
            const V hi = __builtin_shufflevector(y[j], z[j], (I % 2 * N + N / 2 + I / 2)...);
            std::memcpy(data + 8 * N * j, &lo, sizeof lo);
            std::memcpy(data + 8 * N * j + sizeof lo, &hi, sizeof hi);
        }
    }
}

template <class V>
[[gnu::always_inline]] inline void CryptStepsOf(uint8_t* data, size_t steps, const LaneKeys& keys,
                                                bool encrypt) {
    constexpr auto lanes = std::make_index_sequence<sizeof(V) / 4>{};
    if (encrypt) CryptSteps<true, V>(data, steps, keys, lanes);
    else CryptSteps<false, V>(data, steps, keys, lanes);
}

void CryptSteps4(uint8_t* data, size_t steps, const LaneKeys& keys, bool encrypt) {
    CryptStepsOf<V4>(data, steps, keys, encrypt);
}

[[gnu::target("avx2")]] void CryptSteps8(uint8_t* data, size_t steps, const LaneKeys& keys,
                                         bool encrypt) {
    CryptStepsOf<V8>(data, steps, keys, encrypt);
}

[[gnu::target("avx512f")]] void CryptSteps16(uint8_t* data, size_t steps, const LaneKeys& keys,
                                             bool encrypt) {
    CryptStepsOf<V16>(data, steps, keys, encrypt);
}

// The blocks of whole steps from `data`; the count of blocks done.
size_t CryptVectors(uint8_t* data, size_t count, const KeyWindows& windows, uint64_t first,
                    bool encrypt, size_t lanes) {
    alignas(64) LaneKeys keys;
    for (size_t m = 0; m < kWindowCount; ++m)
        for (size_t w = 0; w < 4; ++w) keys[w][m] = windows[(first + m) % kWindowCount][w];
    const size_t steps = count / (lanes * kVectorsPerStep);
    switch (lanes) {
        case 4: CryptSteps4(data, steps, keys, encrypt); break;
        case 8: CryptSteps8(data, steps, keys, encrypt); break;
        case 16: CryptSteps16(data, steps, keys, encrypt); break;
        default: return 0;
    }
    return steps * lanes * kVectorsPerStep;
}

#endif  // KB_TEA_VECTOR_LANES

}  // namespace

bool LanesSupported(size_t lanes) {
    switch (lanes) {
        case 1: return true;
#ifdef KB_TEA_VECTOR_LANES
        case 4: return true;
        case 8: __builtin_cpu_init(); return __builtin_cpu_supports("avx2");
        case 16: __builtin_cpu_init(); return __builtin_cpu_supports("avx512f");
#endif
        default: return false;
    }
}

size_t WidestLanes() {
    static const size_t widest = [] {
        size_t best = 1;
        for (size_t lanes : kLaneCounts)
            if (LanesSupported(lanes)) best = lanes;
        return best;
    }();
    return widest;
}

void CryptBlocks(uint8_t* data, size_t count, const KeyWindows& windows, uint64_t first,
                 bool encrypt, size_t lanes) {
    size_t done = 0;
#ifdef KB_TEA_VECTOR_LANES
    if (lanes > 1 && LanesSupported(lanes))
        done = CryptVectors(data, count, windows, first, encrypt, lanes);
#else
    (void)lanes;
#endif
    // What is left of a run is shorter than one step.
    CryptOneByOne(data + 8 * done, count - done, windows, first + done, encrypt);
}

}  // namespace kb::tea
