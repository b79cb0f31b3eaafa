// Sparks: how many sparks each source throws, where they start, how they fly and how long they
// live. Every value is drawn from the one generator in the order written here, so a seed gives
// the same sparks (and, since they share the generator, the same balls) on every run.
#include <cstdint>

#include "Particles.h"
#include "Random.h"
#include "Zodav.h"

namespace {

constexpr float kSparkSpeed = 0.4f;

// s * random(n) / divisor with a random sign s: the sign is drawn first, then the magnitude.
double SignedDraw(std::uint32_t n, double divisor) {
    const double sign = 1.0 - 2.0 * Random(2);
    const double magnitude = Random(n);
    return sign * magnitude / divisor;
}

// The number of sparks of one event: random(spread * L) + base * L, kept in a byte as the count
// always was (with L at most 3 it never exceeds 134).
std::uint8_t SparkCount(std::uint32_t spread, std::uint32_t base) {
    const std::uint32_t level = gameState.particleLevel;
    return static_cast<std::uint8_t>(Random(spread * level) + base * level);
}

// A puff: sparks flying from one point in random directions (a new ball, a blast).
void Puff(std::uint8_t count, float x, float y) {
    for (int i = 0; i < count; ++i) {
        const auto vx = static_cast<float>(SignedDraw(40, 100.0));
        const auto vy = static_cast<float>(SignedDraw(40, 100.0));
        const auto life = static_cast<std::uint8_t>(10 + Random(15));
        AddParticle(life, x, y, vx, vy);
    }
}

// Implosion: sparks rushing from a square around P towards it.
void Implosion(float px, float py) {
    const std::uint8_t count = SparkCount(20, 20);
    const TVec2 p{px, py};
    for (int i = 0; i < count; ++i) {
        const double dx = SignedDraw(50, 10.0);
        const double dy = SignedDraw(50, 10.0);
        const TVec2 start{static_cast<float>(px + dx), static_cast<float>(py + dy)};
        TVec2 v;
        VecFromAngle(v, DirectionAngle(start, p), kSparkSpeed);
        const auto life = static_cast<std::uint8_t>(2 + Random(7));
        AddParticle(life, start.x, start.y, v.x, v.y);
    }
}

// Whirls: sparks on a ring 1.4 to 2.8 around P, flying 55 degrees off the way to P.
void Whirl(std::uint8_t count, float px, float py, float turn) {
    const TVec2 p{px, py};
    for (int i = 0; i < count; ++i) {
        const auto a = static_cast<float>(Random(360));
        const auto l = static_cast<float>(1.4 + 1.4 * Random(100) / 100.0);
        TVec2 offset;
        VecFromAngle(offset, a, l);
        TVec2 start;
        VecAdd(p, offset, start);
        TVec2 v;
        VecFromAngle(v, NormalizeAngle(DirectionAngle(start, p) + turn), kSparkSpeed);
        const auto life = static_cast<std::uint8_t>(5 + Random(10));
        AddParticle(life, start.x, start.y, v.x, v.y);
    }
}

// Beams: sparks scattered over a narrow fan from S, all flying along `flight`; `fan` is the
// fan's middle direction.
void Beam(double fan, float flight) {
    const std::uint8_t count = SparkCount(5, 2);
    const TVec2 s{-spine.viewOffsetX, -spine.viewOffsetY};
    const double width = static_cast<double>(spine.fieldRight) - spine.fieldLeft;
    for (int i = 0; i < count; ++i) {
        const auto l = static_cast<float>(Random(100) * width / 200.0);
        const double delta = 12.0 - Random(24);
        TVec2 offset;
        VecFromAngle(offset, static_cast<float>(fan + delta), l);
        TVec2 start;
        VecAdd(s, offset, start);
        TVec2 v;
        VecFromAngle(v, flight, kSparkSpeed);
        const auto life = static_cast<std::uint8_t>(5 + Random(10));
        AddParticle(life, start.x, start.y, v.x, v.y);
    }
}

}  // namespace

void EmitBallSparks(float x, float y) {
    Puff(static_cast<std::uint8_t>(10 * gameState.particleLevel), x, y);
}

void EmitEffectSparks(WeaponEffect effect, float x, float y) {
    const TVec2 s{-spine.viewOffsetX, -spine.viewOffsetY};
    const TVec2 p{x, y};
    switch (effect) {
        case WeaponEffect::Blast:
            Puff(SparkCount(25, 20), x, y);
            break;
        case WeaponEffect::Implosion:
            Implosion(x, y);
            break;
        case WeaponEffect::Whirl:
            Whirl(SparkCount(3, 2), x, y, 55.0f);
            break;
        case WeaponEffect::CounterWhirl:
            Whirl(SparkCount(3, 1), x, y, -55.0f);
            break;
        case WeaponEffect::BeamOut: {
            const float theta = DirectionAngle(s, p);
            Beam(theta, theta);
            break;
        }
        case WeaponEffect::BeamIn: {
            const float thetaIn = DirectionAngle(p, s);
            Beam(thetaIn - 180.0, thetaIn);
            break;
        }
        default:
            break;
    }
}
