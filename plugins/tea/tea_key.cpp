#include "plugins/tea/tea_key.h"

#include <sys/random.h>

#include <cerrno>
#include <cstring>

#include "plugins/tea/le32.h"

namespace kb::tea {

int32_t PassphraseChecksum(const char* text, size_t length) {
    uint32_t sum = 0;
    for (size_t i = 0; i < length; ++i) {
        const auto value = static_cast<int32_t>(static_cast<int8_t>(text[i]));
        sum += static_cast<uint32_t>(i + 1) * static_cast<uint32_t>(value);
    }
    return static_cast<int32_t>(sum);
}

void MixPassphraseIntoKey(uint8_t* key, const char* passphrase, size_t length) {
    const size_t passLength = std::strlen(passphrase);
    if (passLength == 0) return;
    for (size_t i = 0; i < length; ++i) {
        const uint8_t k = key[i];
        const auto c = static_cast<uint8_t>(passphrase[i % passLength]);
        const uint8_t mixed = k ^ c;
        if (k != 0 && k != c && k != ' ' && mixed != ' ') key[i] = mixed;
    }
}

KeyWindows CutKeyWindows(const KeyBlock& mixed) {
    KeyWindows windows{};
    for (size_t w = 0; w < kWindowCount; ++w) {
        for (size_t j = 0; j < 4; ++j) windows[w][j] = LoadLe32(mixed.data() + 16 * w + 4 * j);
    }
    return windows;
}

bool DrawKeyBlock(KeyBlock& block) {
    size_t filled = 0;
    while (filled < block.size()) {
        const ssize_t n = getrandom(block.data() + filled, block.size() - filled, 0);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        filled += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace kb::tea
