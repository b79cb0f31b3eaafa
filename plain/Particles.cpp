// Particles: spark pool, step and recipes.
#include "Particles.h"

ParticleState particles;

void AddParticle(std::uint8_t, float, float, float, float) {}

void StepParticles() {}

int LiveParticleCount() {
    int count = 0;
    for (const Particle& p : particles.ParticlePool)
        count += p.alive ? 1 : 0;
    return count;
}
