// The ball game's one random generator. Every random draw of the rules goes through Random(n), in
// the order the rules make them, so that a seed gives the same game on every machine.
#pragma once

#include <cstdint>

// Seeds the generator (from the clock, --seed or a replay's seed line).
void Randomize(std::uint64_t seed);
// The seed last given to Randomize.
std::uint64_t RandomSeed();
// A uniform integer in 0..n-1 (0 when n is 0), computed by our own code, not by the standard
// library's distributions, whose results differ between implementations.
std::uint32_t Random(std::uint32_t n);
