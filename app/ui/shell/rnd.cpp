#include "app/ui/shell/rnd.h"

#include <chrono>
#include <random>

namespace kb {

namespace {
std::mt19937& Generator() {
    static std::mt19937 generator(1);
    return generator;
}
}  // namespace

void Randomize() {
    Randomize(static_cast<uint32_t>(
        std::chrono::system_clock::now().time_since_epoch().count()));
}

void Randomize(uint32_t seed) { Generator().seed(seed); }

double Rnd() { return std::uniform_real_distribution<double>(0.0, 1.0)(Generator()); }

}  // namespace kb
