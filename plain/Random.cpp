// The one generator: 64-bit Mersenne Twister (its output is fixed by the standard) with our own
// unbiased reduction to 0..n-1.
#include "Random.h"

#include <random>

namespace {
std::mt19937_64 generator;
std::uint64_t lastSeed = std::mt19937_64::default_seed;
}  // namespace

void Randomize(std::uint64_t seed) {
    lastSeed = seed;
    generator.seed(seed);
}

std::uint64_t RandomSeed() {
    return lastSeed;
}

std::uint32_t Random(std::uint32_t n) {
    if (n == 0) return 0;
    // Reject the top partial block so every value is equally likely.
    const std::uint64_t limit = UINT64_MAX - UINT64_MAX % n;
    std::uint64_t r;
    do {
        r = generator();
    } while (r >= limit);
    return static_cast<std::uint32_t>(r % n);
}
