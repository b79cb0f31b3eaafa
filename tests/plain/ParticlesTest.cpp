// Sparks: the pool, the step with its fade, and every recipe's count, start, flight and life at
// each particle level.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "Balls.h"
#include "FreshProgram.h"
#include "Particles.h"
#include "Random.h"
#include "Weapons.h"
#include "Zodav.h"

namespace {

class ParticlesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        FreshProgram();
        Randomize(11);
    }

    static std::vector<Particle> Live() {
        std::vector<Particle> live;
        for (const Particle& p : particles.ParticlePool)
            if (p.alive) live.push_back(p);
        return live;
    }

    // Emits one source's sparks at P = (10, 10).
    static void Emit(int source) {
        if (source < 0)
            EmitBallSparks(10, 10);
        else
            EmitEffectSparks(static_cast<WeaponEffect>(source), 10, 10);
    }
};

// ---- The pool and the step ----

TEST_F(ParticlesTest, ASparkOfLifeTwoLivesTwoSteps) {
    AddParticle(2, 1, 1, 0.5f, -0.25f);
    StepParticles();
    const Particle& p = particles.ParticlePool[0];
    EXPECT_EQ(p.alive, 1);
    EXPECT_EQ(p.fade, 1);
    EXPECT_EQ(p.life, 1);
    EXPECT_FLOAT_EQ(p.position.x, 1.5f);
    EXPECT_FLOAT_EQ(p.position.y, 0.75f);
    StepParticles();
    EXPECT_EQ(p.alive, 0);
    EXPECT_EQ(LiveParticleCount(), 0);
}

TEST_F(ParticlesTest, ASparkBrightensToSevenThenFadesOverItsLastSix) {
    AddParticle(12, 0, 0, 0, 0);
    // From life 6 down the fade copies the life: 1..6 up, then 5..1 as the life runs out.
    const int fades[] = {1, 2, 3, 4, 5, 6, 5, 4, 3, 2, 1};
    for (int step = 0; step < 11; ++step) {
        StepParticles();
        ASSERT_EQ(particles.ParticlePool[0].fade, fades[step]) << step;
    }
    StepParticles();
    EXPECT_EQ(particles.ParticlePool[0].alive, 0);
    particles = ParticleState{};
    AddParticle(30, 0, 0, 0, 0);
    for (int step = 0; step < 10; ++step)
        StepParticles();
    EXPECT_EQ(particles.ParticlePool[0].fade, 7) << "brightness stops at 7";
}

TEST_F(ParticlesTest, FirstFreeSlotAndAFullPoolDropsSparks) {
    for (int i = 0; i < kParticleSlots; ++i)
        AddParticle(i == 700 ? 1 : 50, static_cast<float>(i), 0, 0, 0);
    EXPECT_EQ(LiveParticleCount(), kParticleSlots);
    AddParticle(9, -1, -1, 0, 0);
    EXPECT_EQ(LiveParticleCount(), kParticleSlots) << "a full pool drops the spark";
    StepParticles();  // slot 700 runs out
    EXPECT_EQ(particles.ParticlePool[700].alive, 0);
    AddParticle(9, -1, -1, 0, 0);
    EXPECT_EQ(particles.ParticlePool[700].alive, 1);
    EXPECT_FLOAT_EQ(particles.ParticlePool[700].position.x, -1);
    EXPECT_EQ(particles.ParticlePool[700].fade, 0);
    AddParticle(9, -2, -2, 0, 0);
    EXPECT_EQ(LiveParticleCount(), kParticleSlots);
    // Lower slots emptied later are taken first again.
    particles = ParticleState{};
    for (int i = 0; i < 5; ++i)
        AddParticle(i == 1 || i == 3 ? 1 : 9, 0, 0, 0, 0);
    StepParticles();
    AddParticle(9, 5, 5, 0, 0);
    EXPECT_FLOAT_EQ(particles.ParticlePool[1].position.x, 5);
    EXPECT_EQ(particles.ParticlePool[3].alive, 0);
}

TEST_F(ParticlesTest, SparksPassThroughWallsAndBalls) {
    gameState.particleLevel = 0;
    AddBall(0, 5, 5, 0, 0, 1);
    AddParticle(20, 5.5f, 5, 0, 0);
    AddParticle(20, 25.9f, 5, 0.5f, 0);
    gameState.damping = 1.0f;
    for (int i = 0; i < 4; ++i)
        StepBalls();
    EXPECT_FLOAT_EQ(particles.ParticlePool[0].position.x, 5.5f);
    EXPECT_NEAR(particles.ParticlePool[1].position.x, 27.9, 1e-5);
    EXPECT_FLOAT_EQ(balls.BallPool[0].velocity.x, 0);
}

// ---- Counts ----

struct CountCase {
    const char* name;
    int source;  // -1 new ball, else the effect
    std::uint32_t spread, base;
};

const CountCase kCounts[] = {
    {"new ball", -1, 0, 10},    {"blast", 0, 25, 20},  {"implosion", 1, 20, 20}, {"whirl", 2, 3, 2},
    {"counter-whirl", 3, 3, 1}, {"beam out", 4, 5, 2}, {"beam in", 5, 5, 2},
};

TEST_F(ParticlesTest, EachRecipeCountsRandomSpreadPlusBaseTimesLevel) {
    for (const CountCase& c : kCounts) {
        for (std::uint32_t level = 0; level <= 3; ++level) {
            for (std::uint64_t seed : {1u, 2u, 3u, 40u}) {
                particles = ParticleState{};
                gameState.particleLevel = static_cast<std::uint8_t>(level);
                Randomize(seed);
                const int expected = static_cast<int>(Random(c.spread * level) + c.base * level);
                Randomize(seed);
                Emit(c.source);
                EXPECT_EQ(LiveParticleCount(), expected) << c.name << " level " << level;
            }
        }
    }
}

TEST_F(ParticlesTest, ABlastAtManyEmitsSixtyTo134) {
    gameState.particleLevel = 3;
    int least = 1000, most = 0;
    for (std::uint64_t seed = 1; seed <= 400; ++seed) {
        particles = ParticleState{};
        Randomize(seed);
        ApplyWeapon(WeaponEffect::Blast, 10, 10, 4);
        least = std::min(least, LiveParticleCount());
        most = std::max(most, LiveParticleCount());
    }
    EXPECT_GE(least, 60);
    EXPECT_LE(most, 134);
    EXPECT_LT(least, 70) << "the spread reaches down";
    EXPECT_GT(most, 124) << "and up";
}

TEST_F(ParticlesTest, NoSparksAtLevelNone) {
    gameState.particleLevel = 0;
    AddBall(1, 5, 5, 0, 0, 1);
    for (int effect = 0; effect < 6; ++effect)
        ApplyWeapon(static_cast<WeaponEffect>(effect), 20, 12, 4);
    EXPECT_EQ(LiveParticleCount(), 0);
}

TEST_F(ParticlesTest, TheCountIsKeptInAByte) {
    gameState.particleLevel = 26;  // 10 x 26 = 260 wraps to 4
    EmitBallSparks(1, 1);
    EXPECT_EQ(LiveParticleCount(), 4);
}

// ---- What each spark gets ----

TEST_F(ParticlesTest, NewBallSparksDrawSignSizeSignSizeLife) {
    gameState.particleLevel = 1;
    Randomize(77);
    struct Expected {
        double vx, vy;
        int life;
    };
    std::vector<Expected> expected;
    for (int i = 0; i < 10; ++i) {
        const double sx = 1.0 - 2.0 * Random(2);
        const double vx = sx * Random(40) / 100.0;
        const double sy = 1.0 - 2.0 * Random(2);
        const double vy = sy * Random(40) / 100.0;
        expected.push_back({vx, vy, static_cast<int>(10 + Random(15))});
    }
    Randomize(77);
    AddBall(2, 4, 6, 0, 0, 1);
    ASSERT_EQ(LiveParticleCount(), 10);
    for (int i = 0; i < 10; ++i) {
        const Particle& p = particles.ParticlePool[i];
        EXPECT_FLOAT_EQ(p.position.x, 4);
        EXPECT_FLOAT_EQ(p.position.y, 6);
        EXPECT_FLOAT_EQ(p.velocity.x, static_cast<float>(expected[i].vx)) << i;
        EXPECT_FLOAT_EQ(p.velocity.y, static_cast<float>(expected[i].vy)) << i;
        EXPECT_EQ(p.life, expected[i].life) << i;
        EXPECT_EQ(p.fade, 0);
    }
}

// The start and life each spark of a weapon recipe should get, drawn from the generator in the
// order the recipe draws them (the count first).
struct DrawnSpark {
    double x, y;
    int life;
};

struct DrawOrderCase {
    const char* name;
    WeaponEffect effect;
    float px, py;
    std::function<std::vector<DrawnSpark>()> draw;
};

double Sign() {
    return 1.0 - 2.0 * Random(2);
}

// Whirl sparks: the angle before the length, then the life.
std::vector<DrawnSpark> WhirlDraws(std::uint32_t base) {
    std::vector<DrawnSpark> out(Random(3) + base);
    for (DrawnSpark& d : out) {
        const double a = Random(360) * M_PI / 180;
        const double l = 1.4 + 1.4 * Random(100) / 100.0;
        d = {10 + l * std::cos(a), 10 + l * std::sin(a), static_cast<int>(5 + Random(10))};
    }
    return out;
}

// Beam sparks (pointer straight above S): the length before the turn, then the life.
std::vector<DrawnSpark> BeamDraws() {
    std::vector<DrawnSpark> out(Random(5) + 2);
    for (DrawnSpark& d : out) {
        const double l = Random(100) * 26 / 200.0;
        const double a = (90 + 12.0 - Random(24)) * M_PI / 180;
        d = {13 + l * std::cos(a), 9.6 + l * std::sin(a), static_cast<int>(5 + Random(10))};
    }
    return out;
}

TEST_F(ParticlesTest, WeaponRecipesDrawTheirValuesInOrder) {
    const DrawOrderCase cases[] = {
        {"implosion: sign, size, sign, size, life", WeaponEffect::Implosion, 10, 10,
         [] {
             std::vector<DrawnSpark> out(Random(20) + 20);
             for (DrawnSpark& d : out) {
                 const double sx = Sign();
                 const double dx = sx * Random(50) / 10;
                 const double sy = Sign();
                 const double dy = sy * Random(50) / 10;
                 d = {10 + dx, 10 + dy, static_cast<int>(2 + Random(7))};
             }
             return out;
         }},
        {"whirl: angle, length, life", WeaponEffect::Whirl, 10, 10, [] { return WhirlDraws(2); }},
        {"counter-whirl: angle, length, life", WeaponEffect::CounterWhirl, 10, 10,
         [] { return WhirlDraws(1); }},
        {"beam out: length, turn, life", WeaponEffect::BeamOut, 13, 15, BeamDraws},
        {"beam in: length, turn, life", WeaponEffect::BeamIn, 13, 15, BeamDraws},
    };
    gameState.particleLevel = 1;
    for (const DrawOrderCase& c : cases) {
        particles = ParticleState{};
        Randomize(23);
        const std::vector<DrawnSpark> expected = c.draw();
        Randomize(23);
        EmitEffectSparks(c.effect, c.px, c.py);
        const std::vector<Particle> live = Live();
        ASSERT_EQ(live.size(), expected.size()) << c.name;
        for (std::size_t i = 0; i < live.size(); ++i) {
            EXPECT_NEAR(live[i].position.x, expected[i].x, 1e-4) << c.name << " spark " << i;
            EXPECT_NEAR(live[i].position.y, expected[i].y, 1e-4) << c.name << " spark " << i;
            EXPECT_EQ(live[i].life, expected[i].life) << c.name << " spark " << i;
        }
    }
}

TEST_F(ParticlesTest, BlastSparksFlyFromThePoint) {
    gameState.particleLevel = 3;
    EmitEffectSparks(WeaponEffect::Blast, 10, 10);
    for (const Particle& p : Live()) {
        EXPECT_FLOAT_EQ(p.position.x, 10);
        EXPECT_LE(std::fabs(p.velocity.x), 0.39f + 1e-6f);
        EXPECT_NEAR(p.velocity.y * 100, std::round(p.velocity.y * 100), 1e-4);
        EXPECT_GE(p.life, 10);
        EXPECT_LE(p.life, 24);
    }
}

TEST_F(ParticlesTest, ImplosionSparksRushTowardsThePoint) {
    gameState.particleLevel = 3;
    EmitEffectSparks(WeaponEffect::Implosion, 10, 10);
    ASSERT_GE(Live().size(), 60u);
    for (const Particle& p : Live()) {
        EXPECT_LE(std::fabs(p.position.x - 10), 4.9 + 1e-5);
        EXPECT_LE(std::fabs(p.position.y - 10), 4.9 + 1e-5);
        EXPECT_NEAR(std::hypot(p.velocity.x, p.velocity.y), 0.4, 1e-5);
        // The flight points at P: the velocity is parallel to P - start.
        const double cross =
            p.velocity.x * (10 - p.position.y) - p.velocity.y * (10 - p.position.x);
        const double dot = p.velocity.x * (10 - p.position.x) + p.velocity.y * (10 - p.position.y);
        EXPECT_NEAR(cross, 0, 1e-4);
        EXPECT_GE(dot, -1e-6);
        EXPECT_GE(p.life, 2);
        EXPECT_LE(p.life, 8);
    }
}

TEST_F(ParticlesTest, WhirlSparksCircleThePointAtFiftyFiveDegrees) {
    gameState.particleLevel = 3;
    for (WeaponEffect effect : {WeaponEffect::Whirl, WeaponEffect::CounterWhirl}) {
        particles = ParticleState{};
        for (int i = 0; i < 20; ++i)
            EmitEffectSparks(effect, 10, 10);
        for (const Particle& p : Live()) {
            const TVec2 P{10, 10};
            const double r = Distance(P, p.position);
            EXPECT_GE(r, 1.4 - 1e-5);
            EXPECT_LE(r, 2.8 + 1e-5);
            const float toP = DirectionAngle(p.position, P);
            const float flight = DirectionAngle({0, 0}, p.velocity);
            const float turn = NormalizeAngle(flight - toP);
            EXPECT_NEAR(turn, effect == WeaponEffect::Whirl ? 55 : 305, 1e-2)
                << static_cast<int>(effect);
            EXPECT_GE(p.life, 5);
            EXPECT_LE(p.life, 14);
        }
    }
}

TEST_F(ParticlesTest, BeamSparksStreamAlongTheBeamFromTheCentre) {
    gameState.particleLevel = 3;
    const TVec2 s{13, 9.6f};
    // The pointer straight above S: theta = 90, theta' = 270.
    for (WeaponEffect effect : {WeaponEffect::BeamOut, WeaponEffect::BeamIn}) {
        particles = ParticleState{};
        for (int i = 0; i < 20; ++i)
            EmitEffectSparks(effect, 13, 15);
        ASSERT_GT(Live().size(), 100u);
        for (const Particle& p : Live()) {
            EXPECT_NEAR(p.velocity.x, 0, 1e-5);
            EXPECT_NEAR(p.velocity.y, effect == WeaponEffect::BeamOut ? 0.4 : -0.4, 1e-5);
            EXPECT_LE(Distance(s, p.position), 99 * 26 / 200.0 + 1e-4);
            if (Distance(s, p.position) > 1e-3) {
                // Both fans open from S towards the pointer's side: 12 - random(24) turns the
                // start from 11 degrees one way to 12 the other.
                const float seen = DirectionAngle(s, p.position);
                EXPECT_GE(seen - 90, -11 - 1e-3) << static_cast<int>(effect);
                EXPECT_LE(seen - 90, 12 + 1e-3) << static_cast<int>(effect);
            }
        }
    }
}

}  // namespace
