#include "plugins/tea/tea_cipher.h"

namespace kb::tea {

void TeaEncryptBlock(const uint32_t in[2], uint32_t out[2], const uint32_t key[4]) {
    uint32_t y = in[0], z = in[1], sum = 0;
    const uint32_t k0 = key[0], k1 = key[1], k2 = key[2], k3 = key[3];
    for (int i = 0; i < kCycles; ++i) {
        sum += kDelta;
        y += ((z << 4) + k0) ^ (z + sum) ^ ((z >> 5) + k1);
        z += ((y << 4) + k2) ^ (y + sum) ^ ((y >> 5) + k3);
    }
    out[0] = y;
    out[1] = z;
}

void TeaDecryptBlock(const uint32_t in[2], uint32_t out[2], const uint32_t key[4]) {
    uint32_t y = in[0], z = in[1], sum = kDelta * static_cast<uint32_t>(kCycles);  // C6EF3720
    const uint32_t k0 = key[0], k1 = key[1], k2 = key[2], k3 = key[3];
    for (int i = 0; i < kCycles; ++i) {
        z -= ((y << 4) + k2) ^ (y + sum) ^ ((y >> 5) + k3);
        y -= ((z << 4) + k0) ^ (z + sum) ^ ((z >> 5) + k1);
        sum -= kDelta;
    }
    out[0] = y;
    out[1] = z;
}

}  // namespace kb::tea
