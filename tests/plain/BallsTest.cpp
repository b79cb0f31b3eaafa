// The ball rules: spawning, walls, contacts, the sweep line, matches with their bonus ladder,
// bursts and the picture choice. Every expectation is worked out by hand from the rules.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "Balls.h"
#include "Content.h"
#include "FreshProgram.h"
#include "Particles.h"
#include "Random.h"
#include "Screens.h"
#include "Zodav.h"

namespace {

// A fresh program on a 1024 x 768 screen: a 26 x 19 field, no balls, no sparks.
class BallsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        FreshProgram();
        gameState.particleLevel = 0;
        Randomize(7);
    }

    static Ball& Put(int slot, float x, float y, float vx = 0, float vy = 0,
                     std::uint8_t colour = 0) {
        Ball& b = balls.BallPool[slot];
        b = Ball{};
        b.alive = 1;
        b.position = {x, y};
        b.velocity = {vx, vy};
        b.radius = 1.0f;
        b.colour = colour;
        return b;
    }

    static int LiveBalls() {
        int n = 0;
        for (const Ball& b : balls.BallPool)
            n += b.alive;
        return n;
    }
};

// ---- Spawning ----

TEST_F(BallsTest, SpawnStopsAtMaxBallsAndBurstingBallsStillCount) {
    for (int i = 0; i < 30; ++i)
        SpawnBall();
    EXPECT_EQ(LiveBalls(), 20);
    for (int i = 0; i < 5; ++i)
        balls.BallPool[i].burst = 7;
    SpawnBall();
    EXPECT_EQ(LiveBalls(), 20) << "bursting balls are live until they vanish";
    balls.BallPool[3].alive = 0;
    SpawnBall();
    EXPECT_EQ(LiveBalls(), 20);
    EXPECT_EQ(balls.BallPool[3].alive, 1) << "the freed slot is taken again";
}

TEST_F(BallsTest, SpawnDrawsPositionSpeedsAndColourInOrder) {
    for (std::uint64_t seed : {1u, 2u, 99u, 12345u}) {
        Randomize(seed);
        const double x = Random(100) / 100.0 * 26;
        const double y = Random(100) / 100.0 * 19;
        const double sx = 1.0 - 2.0 * Random(2);
        const double vx = sx * Random(20) / 100.0;
        const double sy = 1.0 - 2.0 * Random(2);
        const double vy = sy * Random(20) / 100.0;
        const unsigned colour = Random(8);
        balls = BallState{};
        Randomize(seed);
        SpawnBall();
        const Ball& b = balls.BallPool[0];
        ASSERT_EQ(b.alive, 1);
        EXPECT_FLOAT_EQ(b.position.x, static_cast<float>(x)) << seed;
        EXPECT_FLOAT_EQ(b.position.y, static_cast<float>(y)) << seed;
        EXPECT_FLOAT_EQ(b.velocity.x, static_cast<float>(vx)) << seed;
        EXPECT_FLOAT_EQ(b.velocity.y, static_cast<float>(vy)) << seed;
        EXPECT_EQ(b.colour, colour) << seed;
        EXPECT_FLOAT_EQ(b.radius, 1.0f);
        EXPECT_EQ(b.mark, 0);
        EXPECT_EQ(b.burst, 0);
    }
}

TEST_F(BallsTest, AddBallTakesTheFirstFreeSlotAndAFullPoolAddsNothing) {
    for (int i = 0; i < 3; ++i)
        AddBall(1, 5, 5, 0, 0, 1);
    balls.BallPool[1].alive = 0;
    balls.BallPool[1].mark = 9;
    balls.BallPool[1].burst = 22;
    AddBall(4, 8, 9, 0.1f, 0.2f, 1);
    const Ball& b = balls.BallPool[1];
    EXPECT_EQ(b.alive, 1);
    EXPECT_EQ(b.colour, 4);
    EXPECT_EQ(b.mark, 0) << "a new ball clears the old mark";
    EXPECT_EQ(b.burst, 0);
    EXPECT_FLOAT_EQ(b.position.x, 8);

    gameState.particleLevel = 1;
    for (Ball& slot : balls.BallPool)
        slot.alive = 1;
    const Ball before = balls.BallPool[40];
    AddBall(2, 1, 1, 0, 0, 1);
    EXPECT_EQ(LiveParticleCount(), 0) << "no ball, no puff";
    EXPECT_EQ(balls.BallPool[40].colour, before.colour);
}

// ---- Walls ----

struct WallCase {
    const char* name;
    TVec2 start, velocity;
    TVec2 flipped;  // the velocity after one step
    TVec2 settled;  // the position after the separation phase
};

TEST_F(BallsTest, WallsNegateTheVelocityWhileOverlappingAndSeparationPushesBack) {
    gameState.damping = 1.0f;
    const WallCase cases[] = {
        {"left", {0.5f, 9}, {0.1f, 0}, {-0.1f, 0}, {1, 9}},
        {"left moving out", {0.5f, 9}, {-0.1f, 0}, {0.1f, 0}, {1, 9}},
        {"bottom", {9, 0.5f}, {0, 0.1f}, {0, -0.1f}, {9, 1}},
        {"right", {25.5f, 9}, {-0.1f, 0}, {0.1f, 0}, {25, 9}},
        {"top", {9, 18.5f}, {0, -0.1f}, {0, 0.1f}, {9, 18}},
        {"corner flips both", {0.5f, 18.5f}, {0.1f, -0.1f}, {-0.1f, 0.1f}, {1, 18}},
    };
    for (const WallCase& c : cases) {
        balls = BallState{};
        Put(0, c.start.x, c.start.y, c.velocity.x, c.velocity.y);
        StepBalls();
        const Ball& b = balls.BallPool[0];
        EXPECT_FLOAT_EQ(b.velocity.x, c.flipped.x) << c.name;
        EXPECT_FLOAT_EQ(b.velocity.y, c.flipped.y) << c.name;
        EXPECT_NEAR(b.position.x, c.settled.x, 1e-5) << c.name;
        EXPECT_NEAR(b.position.y, c.settled.y, 1e-5) << c.name;
    }
}

TEST_F(BallsTest, ABallStillOverlappingIsNegatedAgainOnEveryStep) {
    gameState.damping = 1.0f;
    // A swelling burst ball on the left wall overlaps it again after every separation, so its
    // velocity flips on every step whichever way it moves.
    Ball& b = Put(0, 0.55f, 9, 0.01f, 0);
    b.radius = 0.55f;
    b.burst = 10;
    float expected = -0.01f;
    for (int step = 1; step <= 5; ++step) {
        StepBalls();
        EXPECT_FLOAT_EQ(b.velocity.x, expected) << step;
        EXPECT_NEAR(b.position.x, b.radius, 1e-5) << "pushed back to touch the wall, step " << step;
        expected = -expected;
    }
    // Far outside (spawned over a wall), it is put back inside in one step.
    b = Ball{};
    Put(0, -3.0f, 9, 0.5f, 0);
    StepBalls();
    EXPECT_FLOAT_EQ(b.velocity.x, -0.5f);
    EXPECT_NEAR(b.position.x, 1.0, 1e-6);
    StepBalls();
    EXPECT_FLOAT_EQ(b.velocity.x, 0.5f) << "x - r = -0.5: overlapping again";
}

// ---- The order of the phases of one step ----

struct PhaseCase {
    const char* name;
    std::function<void()> setUp;
    std::function<void()> check;
};

TEST_F(BallsTest, StepPhasesRunInOrder) {
    const PhaseCase cases[] = {
        {"the ball moves before it is damped",
         [] {
             gameState.damping = 0.98f;
             Put(0, 10, 9, 0.5f, 0);
         },
         [] {
             EXPECT_FLOAT_EQ(balls.BallPool[0].position.x, 10.5f);
             EXPECT_FLOAT_EQ(balls.BallPool[0].velocity.x, 0.49f);
         }},
        {"the sparks step before a vanishing ball throws new ones",
         [] {
             gameState.particleLevel = 1;
             Put(0, 10, 9).burst = 21;
         },
         [] {
             ASSERT_GE(LiveParticleCount(), 20);
             for (const Particle& p : particles.ParticlePool) {
                 if (!p.alive) continue;
                 EXPECT_EQ(p.fade, 0);
                 EXPECT_FLOAT_EQ(p.position.x, 10);
                 EXPECT_FLOAT_EQ(p.position.y, 9);
             }
         }},
        {"a ball bounces off the wall before it hands on its velocity",
         [] {
             // Ball 0 reaches past the left wall at 0.6 and touches the standing ball 1: its
             // velocity, already turned to +0.2, goes to ball 1.
             Put(0, 0.8f, 9, -0.2f, 0);
             Put(1, 2.4f, 9);
         },
         [] {
             EXPECT_NEAR(balls.BallPool[0].velocity.x, 0, 1e-6);
             EXPECT_NEAR(balls.BallPool[1].velocity.x, 0.2, 1e-6);
         }},
    };
    for (const PhaseCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        gameState.damping = 1.0f;
        c.setUp();
        StepBalls();
        c.check();
    }
}

TEST_F(BallsTest, ABallExactlyTouchingAWallDoesNotBounce) {
    gameState.damping = 1.0f;
    Put(0, 1.0f, 9, 0, 0.1f);
    Put(1, 25.0f, 4, 0, -0.1f);
    Put(2, 9, 1.0f, 0.1f, 0);
    Put(3, 5, 18.0f, -0.1f, 0);
    StepBalls();
    EXPECT_FLOAT_EQ(balls.BallPool[0].velocity.y, 0.1f);
    EXPECT_FLOAT_EQ(balls.BallPool[0].position.x, 1.0f);
    EXPECT_FLOAT_EQ(balls.BallPool[1].position.x, 25.0f);
    EXPECT_FLOAT_EQ(balls.BallPool[2].velocity.x, 0.1f);
    EXPECT_FLOAT_EQ(balls.BallPool[2].position.y, 1.0f);
    EXPECT_FLOAT_EQ(balls.BallPool[3].position.y, 18.0f);
}

// Ball 1 replaces ball 0's correction (wall push included) with its own push: ball 0 stays past
// the wall, where the step leaves it, and comes back on the next step once they part. A clamp
// that put it back at once moved every later position of a game.
TEST_F(BallsTest, ABallInACrowdStaysPastTheWallForAStepAndComesBack) {
    struct Case {
        const char* fault;
        TVec2 wallBall, pusher;
        TVec2 after, pusherAfter, next;  // ball 0 after one step, ball 1 too, ball 0 after two
    } cases[] = {
        {"floor: put back at once", {9, 0.8f}, {9, 2.3f}, {9, 0.55f}, {9, 2.55f}, {9, 1}},
        {"right wall: put back at once", {25.2f, 9}, {23.7f, 9}, {25.45f, 9}, {23.45f, 9}, {25, 9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        balls = BallState{};
        gameState.damping = 1.0f;
        Put(0, c.wallBall.x, c.wallBall.y);
        Put(1, c.pusher.x, c.pusher.y);
        StepBalls();
        EXPECT_NEAR(balls.BallPool[0].position.x, c.after.x, 1e-5);
        EXPECT_NEAR(balls.BallPool[0].position.y, c.after.y, 1e-5);
        EXPECT_NEAR(balls.BallPool[1].position.x, c.pusherAfter.x, 1e-5);
        EXPECT_NEAR(balls.BallPool[1].position.y, c.pusherAfter.y, 1e-5);
        StepBalls();
        EXPECT_NEAR(balls.BallPool[0].position.x, c.next.x, 1e-5);
        EXPECT_NEAR(balls.BallPool[0].position.y, c.next.y, 1e-5);
    }
}

// The design never pushes a centre out of the field, but should a crowd do so, the ball is put
// back against the wall instead of being lost outside.
TEST_F(BallsTest, ACentrePushedOutOfTheFieldIsPutBackAgainstTheWall) {
    struct Case {
        const char* fault;
        TVec2 wallBall, pusher, after;
    } cases[] = {
        {"left", {0.3f, 9}, {1.5f, 9}, {1, 9}},
        {"floor", {9, 0.3f}, {9, 1.5f}, {9, 1}},
        {"right", {25.7f, 9}, {24.5f, 9}, {25, 9}},
        {"top", {9, 18.7f}, {9, 17.5f}, {9, 18}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        balls = BallState{};
        gameState.damping = 1.0f;
        Put(0, c.wallBall.x, c.wallBall.y);
        Put(1, c.pusher.x, c.pusher.y);
        StepBalls();
        EXPECT_NEAR(balls.BallPool[0].position.x, c.after.x, 1e-3);
        EXPECT_NEAR(balls.BallPool[0].position.y, c.after.y, 1e-3);
    }
}

// ---- Contacts ----

TEST_F(BallsTest, TouchingBallsExchangeTheirVelocityAlongTheLineOfCentres) {
    gameState.damping = 1.0f;
    // After moving: (5.3, 5.1) and (6.4, 5.1), a horizontal line of centres 1.1 apart.
    Put(0, 5, 5, 0.3f, 0.1f);
    Put(1, 6.6f, 5, -0.2f, 0.1f);
    StepBalls();
    const Ball& a = balls.BallPool[0];
    const Ball& b = balls.BallPool[1];
    EXPECT_NEAR(a.velocity.x, -0.2, 1e-6);
    EXPECT_NEAR(a.velocity.y, 0.1, 1e-6) << "the cross component is kept";
    EXPECT_NEAR(b.velocity.x, 0.3, 1e-6);
    EXPECT_NEAR(b.velocity.y, 0.1, 1e-6);
    // The overlap 0.9 is split: each moves 0.45 apart.
    EXPECT_NEAR(a.position.x, 4.85, 1e-5);
    EXPECT_NEAR(b.position.x, 6.85, 1e-5);
    EXPECT_NEAR(a.position.y, 5.1, 1e-5);
}

TEST_F(BallsTest, ADiagonalContactKeepsMomentumAndEnergy) {
    gameState.damping = 1.0f;
    Put(0, 5, 5, 0.2f, -0.05f);
    Put(1, 6.2f, 6.1f, -0.1f, 0.03f);
    const double px = 0.2 - 0.1, py = -0.05 + 0.03;
    const double energy = 0.2 * 0.2 + 0.05 * 0.05 + 0.1 * 0.1 + 0.03 * 0.03;
    StepBalls();
    const Ball& a = balls.BallPool[0];
    const Ball& b = balls.BallPool[1];
    EXPECT_NEAR(a.velocity.x + b.velocity.x, px, 1e-6);
    EXPECT_NEAR(a.velocity.y + b.velocity.y, py, 1e-6);
    EXPECT_NEAR(a.velocity.x * a.velocity.x + a.velocity.y * a.velocity.y +
                    b.velocity.x * b.velocity.x + b.velocity.y * b.velocity.y,
                energy, 1e-6);
    EXPECT_NEAR(Distance(a.position, b.position), 2.0, 1e-5) << "separated to just touching";
}

TEST_F(BallsTest, CollisionsGameMarksBothButBurstsOnlyWithAThird) {
    gameState.gameType = GameType::Collisions;
    gameState.damping = 1.0f;
    Put(0, 5, 5, 0, 0, 3);
    Put(1, 6.5f, 5, 0, 0, 3);
    Put(2, 15, 5, 0, 0, 4);
    Put(3, 16.5f, 5, 0, 0, 3);  // touches ball 2 of another colour
    StepBalls();
    EXPECT_EQ(balls.BallPool[0].mark, 80);
    EXPECT_EQ(balls.BallPool[1].mark, 80);
    EXPECT_EQ(balls.BallPool[2].mark, 0) << "different colours do not mark";
    EXPECT_EQ(balls.BallPool[3].mark, 0);
    ResolveMatches();
    EXPECT_EQ(balls.BallPool[0].burst, 0) << "two marked balls are no match";
    EXPECT_EQ(gameState.score, 0);
    balls.BallPool[3].mark = 40;  // a third one, far away, still within its 80 ticks
    ResolveMatches();
    for (int i : {0, 1, 3}) {
        EXPECT_EQ(balls.BallPool[i].burst, 1) << i;
        EXPECT_EQ(balls.BallPool[i].mark, 0) << i;
    }
    EXPECT_EQ(balls.BallPool[2].burst, 0);
    EXPECT_EQ(gameState.score, 10);
}

TEST_F(BallsTest, BallsExactlyTouchingNeitherExchangeNorMark) {
    gameState.gameType = GameType::Collisions;
    gameState.damping = 1.0f;
    // After moving the centres are (5, 5) and (7, 5): exactly two radii apart.
    Put(0, 4.5f, 5, 0.5f, 0, 3);
    Put(1, 7.5f, 5, -0.5f, 0, 3);
    StepBalls();
    EXPECT_FLOAT_EQ(balls.BallPool[0].velocity.x, 0.5f);
    EXPECT_FLOAT_EQ(balls.BallPool[1].velocity.x, -0.5f);
    EXPECT_EQ(balls.BallPool[0].mark, 0);
    EXPECT_EQ(balls.BallPool[1].mark, 0);
    EXPECT_FLOAT_EQ(balls.BallPool[0].position.x, 5.0f);
    EXPECT_FLOAT_EQ(balls.BallPool[1].position.x, 7.0f);
}

TEST_F(BallsTest, SeparationPushOfALaterBallReplacesTheEarlierOne) {
    gameState.damping = 1.0f;
    // Ball 2 sits between balls 0 and 1, overlapping each by 0.2. Ball 0 sets its push to 0.1
    // rightwards, then ball 1 replaces it with 0.1 leftwards; summed, the pushes would cancel.
    Put(0, 5, 9);
    Put(1, 8.6f, 9);
    Put(2, 6.8f, 9);
    StepBalls();
    EXPECT_NEAR(balls.BallPool[2].position.x, 6.7, 1e-5);
    EXPECT_NEAR(balls.BallPool[0].position.x, 4.9, 1e-5);
    EXPECT_NEAR(balls.BallPool[1].position.x, 8.7, 1e-5);
}

TEST_F(BallsTest, ContactsMarkNothingOutsideTheCollisionsGame) {
    for (GameType type : {GameType::None, GameType::Vertical, GameType::Horizontal}) {
        balls = BallState{};
        gameState.gameType = type;
        spine.sweepA = {0, 0};
        spine.sweepB = {26, 0};
        Put(0, 5, 9, 0, 0, 3);
        Put(1, 6.5f, 9, 0, 0, 3);
        StepBalls();
        EXPECT_EQ(balls.BallPool[0].mark, 0) << static_cast<int>(type);
    }
}

// ---- The sweep line ----

TEST_F(BallsTest, VerticalGameLineClimbsAndJumpsBack) {
    gameState.gameType = GameType::Vertical;
    for (int tick = 1; tick <= 126; ++tick) {
        ResolveMatches();
        ASSERT_NEAR(spine.sweepA.y, 0.15 * tick, 1e-4) << tick;
    }
    EXPECT_FLOAT_EQ(spine.sweepA.x, 0);
    EXPECT_FLOAT_EQ(spine.sweepB.x, 26);
    EXPECT_FLOAT_EQ(spine.sweepB.y, spine.sweepA.y);
    ResolveMatches();  // 18.9 is past 19 - 0.14
    EXPECT_FLOAT_EQ(spine.sweepA.y, 0);
    ResolveMatches();
    EXPECT_NEAR(spine.sweepA.y, 0.15, 1e-6);
}

TEST_F(BallsTest, HorizontalGameLineMovesRightAndJumpsBack) {
    gameState.gameType = GameType::Horizontal;
    for (int tick = 1; tick <= 130; ++tick) {
        ResolveMatches();
        ASSERT_NEAR(spine.sweepA.x, 0.2 * tick, 1e-4) << tick;
    }
    EXPECT_FLOAT_EQ(spine.sweepA.y, 0);
    EXPECT_FLOAT_EQ(spine.sweepB.x, spine.sweepA.x);
    EXPECT_FLOAT_EQ(spine.sweepB.y, 19);
    ResolveMatches();  // 26 is past 26 - 0.19
    EXPECT_FLOAT_EQ(spine.sweepA.x, 0);
}

TEST_F(BallsTest, SweepLineCarriesOverFromGameToGame) {
    gameState.screenState = kScreenPlay;
    StartNewGame(Weapon::Whirlwind, GameType::Vertical);
    for (int i = 0; i < 10; ++i)
        ResolveMatches();
    EndGame();
    ResolveMatches();  // no game: the line stays
    EXPECT_NEAR(spine.sweepA.y, 1.5, 1e-5);
    StartNewGame(Weapon::Whirlwind, GameType::Vertical);
    ResolveMatches();
    EXPECT_NEAR(spine.sweepA.y, 1.65, 1e-5);
    StartNewGame(Weapon::Whirlwind, GameType::Horizontal);  // the horizontal game starts from x = 0
                                                            // and puts y back at the bottom
    ResolveMatches();
    EXPECT_NEAR(spine.sweepA.x, 0.2, 1e-6);
    EXPECT_FLOAT_EQ(spine.sweepA.y, 0);
}

TEST_F(BallsTest, BallsUnderTheLineAreMarkedTwo) {
    gameState.gameType = GameType::Vertical;
    gameState.damping = 1.0f;
    spine.sweepA = {0, 5};
    spine.sweepB = {26, 5};
    Put(0, 4, 5.5f);            // crossed
    Put(1, 8, 6.0f);            // exactly touching: not crossed
    Put(2, 12, 5.2f).mark = 5;  // already marked: counts down instead
    Put(3, 16, 4.1f);
    StepBalls();
    EXPECT_EQ(balls.BallPool[0].mark, 2);
    EXPECT_EQ(balls.BallPool[1].mark, 0);
    EXPECT_EQ(balls.BallPool[2].mark, 4);
    EXPECT_EQ(balls.BallPool[3].mark, 2);
    // While the line stays on it the mark runs 2, 1, 2, 1: always marked.
    const int expected[] = {1, 2, 1, 2};
    for (int m : expected) {
        StepBalls();
        EXPECT_EQ(balls.BallPool[0].mark, m);
    }
}

// ---- Matches ----

TEST_F(BallsTest, MatchSizesAwardTheirPoints) {
    struct Case {
        int balls;
        int award;
    } cases[] = {{3, 10}, {4, 40}, {5, 70}, {6, 100}, {9, 100}};
    for (const Case& c : cases) {
        SetUp();
        gameState.gameType = GameType::Collisions;
        balls.lastAward = 40;  // a five-ball match does not depend on the previous award
        for (int i = 0; i < c.balls; ++i)
            Put(i * 2, 2.0f + 2 * i, 5, 0, 0, 6).mark = 30;
        Put(30, 20, 15, 0, 0, 5).mark = 30;
        ResolveMatches();
        EXPECT_EQ(gameState.score, c.award) << c.balls;
        EXPECT_EQ(balls.lastAward, c.award) << c.balls;
        EXPECT_EQ(gameState.timeLeft, 1300) << c.balls;
        EXPECT_EQ(gameState.timeBonus, 294) << c.balls;
        EXPECT_EQ(screens.timeBonusText.text, "+ 300");
        EXPECT_EQ(screens.scoreBonusText.text, "+ " + std::to_string(c.award));
        EXPECT_EQ(screens.bonusShowTicks, 28);
        EXPECT_EQ(balls.colourCount[6], c.balls);
        for (int i = 0; i < c.balls; ++i)
            EXPECT_EQ(balls.BallPool[i * 2].burst, 1) << c.balls << " ball " << i;
        EXPECT_EQ(balls.BallPool[30].burst, 0) << "the lone marked ball of colour 5 waits";
        EXPECT_EQ(balls.BallPool[30].mark, 30);
    }
}

TEST_F(BallsTest, TwoColoursInOneTickEachAddTimeAndPoints) {
    gameState.gameType = GameType::Collisions;
    for (int i = 0; i < 3; ++i)
        Put(i, 2.0f + 2 * i, 5, 0, 0, 1).mark = 10;
    for (int i = 0; i < 4; ++i)
        Put(10 + i, 2.0f + 2 * i, 12, 0, 0, 4).mark = 10;
    ResolveMatches();
    EXPECT_EQ(gameState.score, 50);
    EXPECT_EQ(gameState.timeLeft, 1000 + 300 + 294);
    EXPECT_EQ(gameState.timeBonus, 288);
    EXPECT_EQ(screens.timeBonusText.text, "+ 294") << "the popups show the last match";
    EXPECT_EQ(screens.scoreBonusText.text, "+ 40");
}

TEST_F(BallsTest, BonusLadderOverThirtyMatchesThenAlternatesAt100And98) {
    const int ladder[] = {300, 294, 288, 282, 276, 270, 264, 258, 252, 246,
                          241, 236, 231, 226, 221, 216, 211, 206, 201, 196,
                          192, 188, 184, 180, 176, 172, 168, 164, 160, 156};
    gameState.gameType = GameType::Collisions;
    int time = gameState.timeLeft;
    for (int added : ladder) {
        for (int i = 0; i < 3; ++i)
            Put(i, 2.0f + 2 * i, 5, 0, 0, 2).mark = 10;
        ResolveMatches();
        time += added;
        ASSERT_EQ(gameState.timeLeft, time);
        ASSERT_EQ(screens.timeBonusText.text, "+ " + std::to_string(added));
    }
    EXPECT_EQ(gameState.timeBonus, 152);
    gameState.timeBonus = 103;
    const int tail[] = {103, 100, 98, 100, 98, 100};
    for (int added : tail) {
        for (int i = 0; i < 3; ++i)
            Put(i, 2.0f + 2 * i, 5, 0, 0, 2).mark = 10;
        const int before = gameState.timeLeft;
        ResolveMatches();
        EXPECT_EQ(gameState.timeLeft - before, added);
    }
}

TEST_F(BallsTest, DeadSlotsKeepTheirMarksAndCountTowardsAMatch) {
    gameState.gameType = GameType::Collisions;
    Ball& dead = Put(5, 9, 9, 0, 0, 7);
    dead.alive = 0;
    dead.burst = 22;
    dead.mark = 2;
    Put(0, 3, 3, 0, 0, 7).mark = 50;
    Put(1, 6, 3, 0, 0, 7).mark = 50;
    ResolveMatches();
    EXPECT_EQ(balls.colourCount[7], 3);
    EXPECT_EQ(gameState.score, 10);
    EXPECT_EQ(balls.BallPool[0].burst, 1);
    EXPECT_EQ(dead.mark, 2) << "the dead slot's burst is not 0, so its mark stays";
    // The step counts down live balls only.
    StepBalls();
    EXPECT_EQ(dead.mark, 2);
}

TEST_F(BallsTest, AVanishingBallUnderTheLineLeavesAMarkedSlot) {
    gameState.gameType = GameType::Vertical;
    gameState.damping = 1.0f;
    spine.sweepA = {0, 5};
    spine.sweepB = {26, 5};
    Put(0, 4, 5.5f).burst = 21;
    StepBalls();
    EXPECT_EQ(balls.BallPool[0].alive, 0);
    EXPECT_EQ(balls.BallPool[0].mark, 2);
}

TEST_F(BallsTest, BurstingBallsCountButAreNotBurstAgain) {
    gameState.gameType = GameType::Collisions;
    Put(0, 3, 3, 0, 0, 1).mark = 5;
    balls.BallPool[0].burst = 8;
    Put(1, 6, 3, 0, 0, 1).mark = 5;
    Put(2, 9, 3, 0, 0, 1).mark = 5;
    ResolveMatches();
    EXPECT_EQ(gameState.score, 10);
    EXPECT_EQ(balls.BallPool[0].burst, 8);
    EXPECT_EQ(balls.BallPool[0].mark, 5);
    EXPECT_EQ(balls.BallPool[1].burst, 1);
}

// ---- Bursts ----

TEST_F(BallsTest, BurstShrinksSwellsVanishesAndBlasts) {
    gameState.damping = 1.0f;
    Put(0, 10, 9.6f);  // a standing ball 3 units to the left, in a lower slot
    Put(1, 13, 9.6f).burst = 1;
    Put(2, 16, 9.6f);  // and one 3 units to the right, in a higher slot
    float smallest = 2, largest = 0;
    int steps = 0;
    while (balls.BallPool[1].alive && steps < 40) {
        StepBalls();
        ++steps;
        if (balls.BallPool[1].alive) {
            smallest = std::min(smallest, balls.BallPool[1].radius);
            largest = std::max(largest, balls.BallPool[1].radius);
        }
        if (steps == 9) {
            EXPECT_NEAR(balls.BallPool[1].radius, 0.55, 1e-5);
        }
        if (steps == 20) {
            EXPECT_NEAR(balls.BallPool[1].radius, 1.10, 1e-5);
        }
    }
    EXPECT_EQ(steps, 21);
    EXPECT_NEAR(smallest, 0.55, 1e-5);
    EXPECT_NEAR(largest, 1.10, 1e-5);
    // The blast of reach 6 at distance 3: (6 - 3) / 7 away from the centre.
    EXPECT_NEAR(balls.BallPool[0].velocity.x, -3.0 / 7, 1e-5);
    EXPECT_NEAR(balls.BallPool[0].velocity.y, 0, 1e-5);
    EXPECT_FLOAT_EQ(balls.BallPool[0].position.x, 10) << "it had already moved this step";
    EXPECT_NEAR(balls.BallPool[2].velocity.x, 3.0 / 7, 1e-5);
    EXPECT_NEAR(balls.BallPool[2].position.x, 16 + 3.0 / 7, 1e-5) << "it moves in the same step";
}

TEST_F(BallsTest, ABlastThrowsSparksWhenABallVanishes) {
    gameState.particleLevel = 1;
    Put(0, 13, 9.6f).burst = 21;
    StepBalls();
    const int sparks = LiveParticleCount();
    EXPECT_GE(sparks, 20);
    EXPECT_LE(sparks, 44);
}

// ---- Pictures ----

TEST_F(BallsTest, ChoosePicturesWithNoPicturesGivesNill) {
    content.PictureList.clear();
    Randomize(3);
    ChoosePictures();
    for (const std::string& name : balls.pictureNames)
        EXPECT_EQ(name, "nill");
    const unsigned next = Random(1000000);
    Randomize(3);
    EXPECT_EQ(next, Random(1000000)) << "an empty list draws nothing";
}

TEST_F(BallsTest, ChoosePicturesWithOnePictureGivesItToColourZero) {
    content.PictureList = {"only.jpg"};
    ChoosePictures();
    EXPECT_EQ(balls.pictureNames[0], "only.jpg");
    for (int i = 1; i < kPictureCount; ++i)
        EXPECT_EQ(balls.pictureNames[i], "nill") << i;
    ChoosePictures();  // again (F2): the same result
    EXPECT_EQ(balls.pictureNames[0], "only.jpg");
}

TEST_F(BallsTest, ChoosePicturesComparesWithLaterEntriesAsTheyStand) {
    content.PictureList = {"b.bmp"};
    balls.pictureNames.fill("nill");
    balls.pictureNames[5] = "b.bmp";  // left from an earlier choice
    ChoosePictures();
    for (int i = 0; i < kPictureCount; ++i)
        EXPECT_EQ(balls.pictureNames[i], i == 5 ? "b.bmp" : "nill") << i;
}

TEST_F(BallsTest, ChoosePicturesNeverSharesAPicture) {
    // Appended rather than "p" + ...: GCC 12 at -O3 takes that sum for an overlapping copy
    // (a false -Wrestrict).
    for (int i = 0; i < 20; ++i)
        content.PictureList.push_back(std::string("p").append(std::to_string(i)).append(".jpg"));
    const std::set<std::string> all(content.PictureList.begin(), content.PictureList.end());
    for (std::uint64_t seed = 1; seed <= 50; ++seed) {
        Randomize(seed);
        ChoosePictures();
        std::set<std::string> seen;
        for (const std::string& name : balls.pictureNames) {
            if (name == "nill") continue;
            EXPECT_TRUE(all.count(name)) << name;
            EXPECT_TRUE(seen.insert(name).second) << "shared: " << name << " seed " << seed;
        }
    }
}

}  // namespace
