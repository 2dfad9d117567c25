#pragma once
// The program's one pseudo-random generator, seeded from the clock at start-up. Only the
// about box draws from it (its slogan).

#include <cstdint>

namespace kb {

// Seeds the generator from the clock.
void Randomize();
// Seeds it with a fixed value (tests).
void Randomize(uint32_t seed);
// A uniform number in [0, 1).
double Rnd();

}  // namespace kb
