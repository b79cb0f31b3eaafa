// Particles: the spark pool and the spark step. The recipes live in Sparks.cpp.
#include "Particles.h"

ParticleState particles;

void AddParticle(std::uint8_t life, float x, float y, float vx, float vy) {
    auto& pool = particles.ParticlePool;
    for (int i = particles.firstFreeHint; i < kParticleSlots; ++i) {
        Particle& p = pool[i];
        if (p.alive) continue;
        p.position = {x, y};
        p.velocity = {vx, vy};
        p.life = life;
        p.fade = 0;
        p.alive = true;
        particles.firstFreeHint = i + 1;
        return;
    }
    particles.firstFreeHint = kParticleSlots;  // full: later sparks are dropped at once
}

void StepParticles() {
    int firstFree = kParticleSlots;
    for (int i = 0; i < kParticleSlots; ++i) {
        Particle& p = particles.ParticlePool[i];
        if (p.alive) {
            VecAdd(p.position, p.velocity, p.position);
            if (p.fade <= 6) p.fade += 1;
            p.life -= 1;
            // Fades out over its last six ticks.
            if (p.life <= 6) p.fade = p.life;
            if (p.life == 0) p.alive = false;
        }
        if (!p.alive && firstFree == kParticleSlots) firstFree = i;
    }
    particles.firstFreeHint = firstFree;
}

int LiveParticleCount() {
    int count = 0;
    for (const Particle& p : particles.ParticlePool)
        count += p.alive ? 1 : 0;
    return count;
}
