// The program's one random generator. The spine seeds it (from the clock, or from a replay's
// seed); every random draw of the game goes through Random so a seed replays the same game.
#pragma once

#include <cstdint>
#include <random>

extern std::mt19937_64 RandomGenerator;

// Restarts the generator from a seed.
void SeedRandom(uint64_t seed);

// A uniformly distributed integer from 0 to n - 1, the same for a seed on every platform
// (our own rejection sampling, not the standard library's distributions). Returns 0 when
// n <= 0, so an empty range (a window too narrow to spawn in) still gives a position.
int32_t Random(int32_t n);
