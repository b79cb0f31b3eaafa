// The weapons: the six effects at known distances, the beam's band and side test, which buttons
// fire on which ticks, and finite results wherever the pointer is.
#include <gtest/gtest.h>

#include <cmath>

#include "Balls.h"
#include "FreshProgram.h"
#include "Particles.h"
#include "Random.h"
#include "Weapons.h"
#include "WindUse.h"
#include "Zodav.h"

namespace {

constexpr double kHalf = 0.70710678118654752;  // cos 45

class WeaponsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        FreshProgram();
        gameState.particleLevel = 0;
        gameState.screenState = kScreenPlay;
        Randomize(5);
    }

    static Ball& Put(int slot, float x, float y) {
        Ball& b = balls.BallPool[slot];
        b = Ball{};
        b.alive = 1;
        b.position = {x, y};
        b.radius = 1.0f;
        return b;
    }

    // The field point (x, y) as the screen pixel nearest to it.
    static void PointAt(float x, float y) {
        const double px = (x - 13.0) * 0.3 / 0.0083 + 512;
        const double py = 384 - (y - 9.6) * 0.3 / 0.0083;
        SetReplayCursorPos(static_cast<int>(std::lround(px)), static_cast<int>(std::lround(py)));
    }
};

struct EffectCase {
    const char* name;
    WeaponEffect effect;
    float reach;
    TVec2 offset;  // the ball relative to P = (10, 10)
    TVec2 change;  // the expected velocity change
};

TEST_F(WeaponsTest, EffectsAtKnownDistances) {
    const EffectCase cases[] = {
        {"blast at the centre goes down", WeaponEffect::Blast, 4, {0, 0}, {0, -4.0f / 7}},
        {"blast at 2 pushes away", WeaponEffect::Blast, 4, {2, 0}, {2.0f / 7, 0}},
        {"blast of a vanishing ball", WeaponEffect::Blast, 6, {0, -3}, {0, -3.0f / 7}},
        {"blast at its reach does nothing", WeaponEffect::Blast, 4, {4, 0}, {0, 0}},
        {"implosion at 3.9 pulls 0.1375", WeaponEffect::Implosion, 5, {3.9f, 0}, {-0.1375f, 0}},
        {"implosion from above pulls down", WeaponEffect::Implosion, 5, {0, 1}, {0, -0.5f}},
        {"implosion beyond its reach", WeaponEffect::Implosion, 5, {0, 5.5f}, {0, 0}},
        {"whirl turns clockwise and inwards",
         WeaponEffect::Whirl,
         4,
         {2, 0},
         {static_cast<float>(-0.05 * kHalf), static_cast<float>(-0.05 * kHalf)}},
        {"counter-whirl turns anticlockwise",
         WeaponEffect::CounterWhirl,
         4,
         {2, 0},
         {static_cast<float>(-0.05 * kHalf), static_cast<float>(0.05 * kHalf)}},
        {"whirl above P",
         WeaponEffect::Whirl,
         4,
         {0, 3},
         {static_cast<float>(0.025 * kHalf), static_cast<float>(-0.025 * kHalf)}},
    };
    for (const EffectCase& c : cases) {
        balls = BallState{};
        Put(0, 10 + c.offset.x, 10 + c.offset.y);
        ApplyWeapon(c.effect, 10, 10, c.reach);
        EXPECT_NEAR(balls.BallPool[0].velocity.x, c.change.x, 1e-6) << c.name;
        EXPECT_NEAR(balls.BallPool[0].velocity.y, c.change.y, 1e-6) << c.name;
    }
}

TEST_F(WeaponsTest, EffectsChangeVelocityOnlyAndSkipEmptySlots) {
    Ball& b = Put(3, 11, 10);
    b.mark = 7;
    Ball& dead = Put(4, 10.5f, 10);
    dead.alive = 0;
    for (int effect = 0; effect < 6; ++effect)
        ApplyWeapon(static_cast<WeaponEffect>(effect), 10, 10, 4);
    EXPECT_FLOAT_EQ(b.position.x, 11);
    EXPECT_EQ(b.mark, 7);
    EXPECT_EQ(b.burst, 0);
    EXPECT_FLOAT_EQ(dead.velocity.x, 0);
    EXPECT_FLOAT_EQ(dead.velocity.y, 0);
}

// The pointer at the right edge at mid-height: P = (13 + 512 * 0.0083 / 0.3, 9.6).
struct BeamCase {
    const char* name;
    TVec2 ball;
    float outX;  // velocity x after the outward beam (effect 4)
    float inX;   // velocity x after the inward beam (effect 5)
};

TEST_F(WeaponsTest, BeamDrivesTheBandOnThePointersSideOnly) {
    const float px = static_cast<float>(13 + 512 * 0.0083 / 0.3);
    const BeamCase cases[] = {
        {"on the line", {20, 9.6f}, 0.05f, -0.05f},
        {"one unit off the line", {20, 10.6f}, 0.0375f, -0.0375f},
        {"below the line", {24, 8.1f}, 0.03125f, -0.03125f},
        {"outside the band", {20, 12.0f}, 0, 0},
        {"left of S", {6, 9.6f}, 0, 0},
        {"in the band but outside the fan", {14, 11.5f}, 0, 0},
        {"on the band's edge", {24, 11.6f}, 0, 0},
        {"23 degrees off the beam seen from S", {16, 10.9f}, 0.03375f, -0.03375f},
        {"28 degrees off the beam seen from S", {16, 11.2f}, 0, 0},
        {"past the pointer", {27, 9.6f}, 0.05f, -0.05f},
    };
    for (const BeamCase& c : cases) {
        for (WeaponEffect effect : {WeaponEffect::BeamOut, WeaponEffect::BeamIn}) {
            balls = BallState{};
            Ball& b = Put(0, c.ball.x, c.ball.y);
            ApplyWeapon(effect, px, 9.6f, 2);
            EXPECT_NEAR(b.velocity.x, effect == WeaponEffect::BeamOut ? c.outX : c.inX, 1e-6)
                << c.name << ", effect " << static_cast<int>(effect);
            EXPECT_NEAR(b.velocity.y, 0, 1e-6) << c.name << ", effect " << static_cast<int>(effect);
        }
    }
}

TEST_F(WeaponsTest, DiagonalBeamFollowsTheLine) {
    // P up and to the right of S at 45 degrees; a ball on the line beyond S is driven along it.
    Ball& b = Put(0, 15, 11.6f);
    ApplyWeapon(WeaponEffect::BeamOut, 17, 13.6f, 2);
    EXPECT_NEAR(b.velocity.x, 0.05 * kHalf, 1e-6);
    EXPECT_NEAR(b.velocity.y, 0.05 * kHalf, 1e-6);
    b.velocity = {0, 0};
    ApplyWeapon(WeaponEffect::BeamIn, 17, 13.6f, 2);
    EXPECT_NEAR(b.velocity.x, -0.05 * kHalf, 1e-6);
    EXPECT_NEAR(b.velocity.y, -0.05 * kHalf, 1e-6);
}

TEST_F(WeaponsTest, BeamWithThePointerOnTheCentreChangesNothing) {
    gameState.particleLevel = 3;
    Ball& b = Put(0, 13, 9.6f);
    Ball& c = Put(1, 14, 10);
    for (WeaponEffect effect : {WeaponEffect::BeamOut, WeaponEffect::BeamIn})
        ApplyWeapon(effect, 13, 9.6f, 2);
    EXPECT_EQ(b.velocity.x, 0);
    EXPECT_EQ(b.velocity.y, 0);
    EXPECT_EQ(c.velocity.x, 0);
    EXPECT_EQ(c.velocity.y, 0);
    EXPECT_EQ(LiveParticleCount(), 0);
    // The centre pixel maps exactly onto S, so a held vacuum cleaner there does nothing either.
    gameState.weapon = Weapon::VacuumCleaner;
    spine.leftHeld = 1;
    spine.rightHeld = 1;
    SetReplayCursorPos(512, 384);
    UpdatePointerAndWeapons();
    EXPECT_EQ(spine.pointerX, 13.0f);
    EXPECT_EQ(spine.pointerY, 9.6f);
    EXPECT_EQ(b.velocity.x, 0);
    EXPECT_EQ(c.velocity.y, 0);
}

TEST_F(WeaponsTest, EveryEffectStaysFiniteWithThePointerFarAway) {
    gameState.particleLevel = 3;
    const int pixels[][2] = {{-1000000, 1000000}, {1000000, -1000000}, {513, 384},
                             {512, 385},          {-2147483, 0},       {0, 2147483}};
    for (const auto& pixel : pixels) {
        for (Weapon weapon : {Weapon::Vacuum, Weapon::Whirlwind, Weapon::VacuumCleaner}) {
            balls = BallState{};
            particles = ParticleState{};
            for (int i = 0; i < 20; ++i)
                Put(i, 1.0f + i * 1.2f, 1.0f + (i % 9) * 2.0f);
            gameState.weapon = weapon;
            SetReplayCursorPos(pixel[0], pixel[1]);
            for (int tick = 0; tick < 3; ++tick) {
                spine.leftHeld = 1;
                spine.rightHeld = 1;
                UpdatePointerAndWeapons();
                StepBalls();
            }
            for (const Ball& b : balls.BallPool) {
                ASSERT_TRUE(std::isfinite(b.position.x) && std::isfinite(b.position.y));
                ASSERT_TRUE(std::isfinite(b.velocity.x) && std::isfinite(b.velocity.y));
            }
            for (const Particle& p : particles.ParticlePool) {
                ASSERT_TRUE(std::isfinite(p.position.x) && std::isfinite(p.position.y));
                ASSERT_TRUE(std::isfinite(p.velocity.x) && std::isfinite(p.velocity.y));
            }
        }
    }
}

// ---- The buttons ----

TEST_F(WeaponsTest, VacuumFiresOncePerClickOthersEveryTick) {
    struct Case {
        const char* name;
        Weapon weapon;
        bool left;
        int firings;  // over three ticks with the button held down
    } cases[] = {
        {"vacuum left", Weapon::Vacuum, true, 1},
        {"vacuum right", Weapon::Vacuum, false, 1},
        {"whirlwind left", Weapon::Whirlwind, true, 3},
        {"whirlwind right", Weapon::Whirlwind, false, 3},
        {"cleaner left", Weapon::VacuumCleaner, true, 3},
        {"cleaner right", Weapon::VacuumCleaner, false, 3},
    };
    for (const Case& c : cases) {
        SetUp();
        gameState.weapon = c.weapon;
        PointAt(16, 9.6f);  // the ball lies between S and the pointer, within every reach
        Ball& b = Put(0, 15, 9.6f);
        // The first tick fires; its change is the unit for the next ones.
        (c.left ? spine.leftHeld : spine.rightHeld) = 1;
        UpdatePointerAndWeapons();
        const TVec2 once = b.velocity;
        ASSERT_TRUE(once.x != 0 || once.y != 0) << c.name;
        for (int tick = 1; tick < 3; ++tick) {
            // The button stays down; only a new button-down message sets the flag again.
            UpdatePointerAndWeapons();
        }
        EXPECT_NEAR(b.velocity.x, once.x * c.firings, 1e-6) << c.name;
        EXPECT_NEAR(b.velocity.y, once.y * c.firings, 1e-6) << c.name;
        const bool held = c.left ? spine.leftHeld : spine.rightHeld;
        EXPECT_EQ(held, c.weapon != Weapon::Vacuum) << c.name;
    }
}

TEST_F(WeaponsTest, ButtonsSelectTheirEffects) {
    struct Case {
        Weapon weapon;
        bool left;
        WeaponEffect effect;
        float reach;
    } cases[] = {{Weapon::Vacuum, true, WeaponEffect::Blast, 4},
                 {Weapon::Vacuum, false, WeaponEffect::Implosion, 5},
                 {Weapon::Whirlwind, true, WeaponEffect::Whirl, 4},
                 {Weapon::Whirlwind, false, WeaponEffect::CounterWhirl, 4},
                 {Weapon::VacuumCleaner, true, WeaponEffect::BeamOut, 2},
                 {Weapon::VacuumCleaner, false, WeaponEffect::BeamIn, 2}};
    for (const Case& c : cases) {
        SetUp();
        PointAt(16, 9.6f);
        UpdatePointerAndWeapons();  // map the pointer with no button down
        Put(0, 15, 9.6f);
        Put(1, 16, 11.1f);
        ApplyWeapon(c.effect, spine.pointerX, spine.pointerY, c.reach);
        const BallState expected = balls;
        balls.BallPool[0].velocity = {0, 0};
        balls.BallPool[1].velocity = {0, 0};
        gameState.weapon = c.weapon;
        (c.left ? spine.leftHeld : spine.rightHeld) = 1;
        UpdatePointerAndWeapons();
        for (int i = 0; i < 2; ++i) {
            EXPECT_FLOAT_EQ(balls.BallPool[i].velocity.x, expected.BallPool[i].velocity.x)
                << static_cast<int>(c.weapon) << (c.left ? " left" : " right") << " ball " << i;
            EXPECT_FLOAT_EQ(balls.BallPool[i].velocity.y, expected.BallPool[i].velocity.y)
                << static_cast<int>(c.weapon) << (c.left ? " left" : " right") << " ball " << i;
        }
    }
}

TEST_F(WeaponsTest, NothingFiresOnAMenuScreen) {
    for (std::uint8_t screen = kScreenHelp; screen <= kScreenLevelChoice; ++screen) {
        for (Weapon weapon : {Weapon::Vacuum, Weapon::Whirlwind, Weapon::VacuumCleaner}) {
            SetUp();
            gameState.screenState = screen;
            gameState.weapon = weapon;
            PointAt(16, 9.6f);
            Ball& b = Put(0, 15, 9.6f);
            spine.leftHeld = 1;
            spine.rightHeld = 1;
            UpdatePointerAndWeapons();
            EXPECT_EQ(b.velocity.x, 0) << int(screen) << " " << static_cast<int>(weapon);
            EXPECT_EQ(b.velocity.y, 0) << int(screen) << " " << static_cast<int>(weapon);
            EXPECT_EQ(spine.leftHeld, 1) << "the flags are the menus' to clear";
        }
    }
}

TEST_F(WeaponsTest, PointerMapsThroughTheViewTransform) {
    SetReplayCursorPos(512, 384);
    UpdatePointerAndWeapons();
    EXPECT_FLOAT_EQ(spine.pointerX, 13);
    EXPECT_FLOAT_EQ(spine.pointerY, 9.6f);
    SetReplayCursorPos(0, 0);
    UpdatePointerAndWeapons();
    EXPECT_EQ(spine.pointerPixelX, 0);
    EXPECT_NEAR(spine.pointerX, 13 - 512 * 0.0083 / 0.3, 1e-4);
    EXPECT_NEAR(spine.pointerY, 9.6 + 384 * 0.0083 / 0.3, 1e-4) << "y grows upwards";
}

}  // namespace
