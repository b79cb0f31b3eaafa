// Particles: the spark pool, the spark step and the spark recipes of balls and weapons.
#pragma once

#include <array>
#include <cstdint>

#include "GeomUse.h"

struct Particle {
    std::uint8_t alive = 0;
    TVec2 position;
    TVec2 velocity;
    std::uint8_t fade = 0;  // brightness 0..7, drawn with opacity fade / 6
    std::uint8_t life = 0;  // ticks left
};

constexpr int kParticleSlots = 1501;

struct ParticleState {
    std::array<Particle, kParticleSlots> ParticlePool{};
};

extern ParticleState particles;

void AddParticle(std::uint8_t life, float x, float y, float vx, float vy);
// Moves and fades every live spark by one tick.
void StepParticles();
// The number of live sparks.
int LiveParticleCount();
