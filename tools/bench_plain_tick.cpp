// One tick of play, headless (no GL context): 20 balls, five of them bursting (one vanishing
// with its blast), a whirlwind held down, sparks at "many" and the spark pool full. Each
// iteration restores the same state first; BM_RestoreOnly measures that copy alone.
#include <benchmark/benchmark.h>

#include "Balls.h"
#include "Particles.h"
#include "Random.h"
#include "Screens.h"
#include "WindUse.h"
#include "Zodav.h"

namespace {

struct Snapshot {
    GameState game;
    Spine spine;
    BallState balls;
    ParticleState particles;
};

Snapshot MakeState() {
    ResetAllState();
    Randomize(2024);
    spine.screenWidth = 1024;
    spine.screenHeight = 768;
    SetViewAndField();
    gameState.ready = 1;
    gameState.particleLevel = 3;
    StartNewGame(Weapon::Whirlwind, GameType::Collisions);  // whirlwind, collisions game
    for (int i = 0; i < 20; ++i)
        SpawnBall();
    const std::uint8_t bursts[] = {1, 6, 12, 18, 21};
    for (int i = 0; i < 5; ++i)
        balls.BallPool[i].burst = bursts[i];
    for (int i = 5; i < 20; i += 3)
        balls.BallPool[i].mark = 40;
    while (LiveParticleCount() < kParticleSlots)
        AddParticle(60, 13, 9, 0.01f, 0.02f);
    SetReplayCursorPos(600, 300);
    spine.leftHeld = 1;
    return {gameState, spine, balls, particles};
}

void Restore(const Snapshot& s) {
    gameState = s.game;
    spine = s.spine;
    balls = s.balls;
    particles = s.particles;
}

void BM_PlayTick(benchmark::State& state) {
    const Snapshot snapshot = MakeState();
    for (auto _ : state) {
        Restore(snapshot);
        Tick();
        benchmark::DoNotOptimize(balls.BallPool[19].position.x);
    }
}
BENCHMARK(BM_PlayTick);

void BM_RestoreOnly(benchmark::State& state) {
    const Snapshot snapshot = MakeState();
    for (auto _ : state) {
        Restore(snapshot);
        benchmark::DoNotOptimize(balls.BallPool[19].position.x);
    }
}
BENCHMARK(BM_RestoreOnly);

// The ball step alone, without restoring: the balls settle into ordinary play.
void BM_StepBallsSteady(benchmark::State& state) {
    MakeState();
    for (auto _ : state) {
        StepBalls();
        benchmark::DoNotOptimize(balls.BallPool[19].position.x);
    }
}
BENCHMARK(BM_StepBallsSteady);

}  // namespace

BENCHMARK_MAIN();
