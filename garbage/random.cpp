// The program's one random generator and the uniform draw below n.
#include "random.h"

std::mt19937_64 RandomGenerator;

void SeedRandom(uint64_t seed) {
    RandomGenerator.seed(seed);
}

int32_t Random(int32_t n) {
    if (n <= 0) return 0;
    const uint64_t range = static_cast<uint64_t>(n);
    // Draws at or above the largest multiple of n would favour the small results: skip them.
    const uint64_t limit = UINT64_MAX - UINT64_MAX % range;
    uint64_t draw = RandomGenerator();
    while (draw >= limit)
        draw = RandomGenerator();
    return static_cast<int32_t>(draw % range);
}
