// Particles: the spark pool, the spark step and the spark recipes of balls and weapons.
#pragma once

#include <array>
#include <cstdint>

#include "GeomUse.h"
#include "Zodav.h"

struct Particle {
    bool alive = false;
    TVec2 position;
    TVec2 velocity;         // never changes
    std::uint8_t fade = 0;  // brightness 0..7, drawn with opacity fade / 6
    std::uint8_t life = 0;  // ticks left
};

constexpr int kParticleSlots = 1501;

struct ParticleState {
    std::array<Particle, kParticleSlots> ParticlePool{};
    // No slot below this index is free (a search hint only; the spark step recomputes it, so a
    // slot emptied from outside is found again by the next step).
    int firstFreeHint = 0;
};

extern ParticleState particles;

// Takes the first free slot; a full pool drops the spark.
void AddParticle(std::uint8_t life, float x, float y, float vx, float vy);
// Moves and fades every live spark by one tick.
void StepParticles();
// The number of live sparks.
int LiveParticleCount();

// The recipes, scaled by the particle option: the puff of a new ball at its centre, and the
// sparks of a weapon effect at point (x, y) (the beams take the screen-centre point and the
// line through it and (x, y)).
void EmitBallSparks(float x, float y);
void EmitEffectSparks(WeaponEffect effect, float x, float y);
