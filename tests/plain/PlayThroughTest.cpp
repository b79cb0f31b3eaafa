// The ball game's rules over whole games, in-process and headless: a level of every game type with
// every weapon is started, played to the end with scripted pointer moves and clicks, and checked
// on every tick (time, score, the end of the game, balls finite and inside the field); the same
// seed must give the same state dumps twice.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "Balls.h"
#include "Dump.h"
#include "Particles.h"
#include "TempFolder.h"
#include "WindUse.h"
#include "Zodav.h"

namespace {

namespace fs = std::filesystem;

// Float rounding of the last correction.
constexpr double kFieldSlack = 1e-4;
constexpr int kMaxGameTicks = 60000;
// The player is busy for this long, then lets go and watches the game run down.
constexpr int kActiveTicks = 2500;

// Runs the game in a fresh folder with an empty content folder, so no file of the tree is read.
class ZodavRules : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directory(folder / "garbage"); }
    TempFolder folder{true};
};

void Send(MessageType type, int key = 0) {
    WindowProcedure(Message{type, key});
}

// The scripted player: circles the pointer, parks it on the screen centre (the beam's anchor)
// and throws it far off now and then, and clicks or holds both buttons in overlapping rhythms.
void Play(int t) {
    int x = 512 + static_cast<int>(std::lround(350 * std::cos(t / 40.0)));
    int y = 384 + static_cast<int>(std::lround(250 * std::sin(t / 55.0)));
    if (t % 500 >= 100 && t % 500 < 110) x = 512, y = 384;
    if (t % 700 == 3) x = -1000000, y = 1000000;
    SetReplayCursorPos(x, y);
    if (t >= kActiveTicks) {
        if (t == kActiveTicks) Send(MessageType::LButtonUp), Send(MessageType::RButtonUp);
        return;
    }
    if (t % 60 == 0) Send(MessageType::LButtonDown);
    if (t % 60 == 25) Send(MessageType::LButtonUp);
    if (t % 90 == 40) Send(MessageType::RButtonDown);
    if (t % 90 == 70) Send(MessageType::RButtonUp);
}

int NextBonus(int bonus) {
    return bonus >= 100 ? static_cast<int>(bonus * 0.98L) : 100;
}

// Whether `delta` is a sum of exactly `matches` awards.
bool SumOfAwards(int delta, int matches) {
    if (matches == 0) return delta == 0;
    for (int award : {10, 40, 70, 100})
        if (delta >= award && SumOfAwards(delta - award, matches - 1)) return true;
    return false;
}

struct Before {
    int timeLeft, score, bonus, ticksPlayed;
};

// Checks one tick of play against the time and score rules; returns false once the game ended.
bool CheckPlayTick(const Before& b, int tick) {
    int time = b.timeLeft, bonus = b.bonus, matches = 0;
    // Find how many matches this tick made from the rise of the time.
    while (matches < 12) {
        const int expected = time > 0 ? time - 1 : time;
        if (gameState.timeLeft == expected && gameState.timeBonus == bonus) break;
        time += bonus;
        bonus = NextBonus(bonus);
        ++matches;
    }
    EXPECT_LT(matches, 12) << "time rose by something other than the bonus, tick " << tick;
    EXPECT_TRUE(SumOfAwards(gameState.score - b.score, matches))
        << "score " << b.score << " -> " << gameState.score << " with " << matches
        << " matches, tick " << tick;
    EXPECT_EQ(gameState.ticksPlayed, b.ticksPlayed + 1);
    const bool ends = time == 0;
    EXPECT_EQ(gameState.screenState, ends ? kScreenGameOver : kScreenPlay) << "tick " << tick;
    EXPECT_EQ(spine.gameInProgress, ends ? 0 : 1);
    return !ends;
}

void CheckBallsAndSparks(int tick) {
    for (const Ball& ball : balls.BallPool) {
        if (!ball.alive) continue;
        ASSERT_TRUE(std::isfinite(ball.position.x) && std::isfinite(ball.position.y) &&
                    std::isfinite(ball.velocity.x) && std::isfinite(ball.velocity.y))
            << "tick " << tick;
        const double r = ball.radius;
        ASSERT_GE(ball.position.x - r, spine.fieldLeft - kFieldSlack) << "tick " << tick;
        ASSERT_LE(ball.position.x + r, spine.fieldRight + kFieldSlack) << "tick " << tick;
        ASSERT_GE(ball.position.y - r, spine.fieldBottom - kFieldSlack) << "tick " << tick;
        ASSERT_LE(ball.position.y + r, spine.fieldTop + kFieldSlack) << "tick " << tick;
    }
    for (const Particle& p : particles.ParticlePool)
        ASSERT_TRUE(!p.alive || (std::isfinite(p.position.x) && std::isfinite(p.position.y)));
}

struct Outcome {
    std::vector<std::string> dumps;
    int gameTicks = 0;
    int finalScore = 0;
    int matches = 0;
};

// Attract screen, then the level, played to its end, then a few ticks of the game-over screen.
Outcome RunLevel(std::uint64_t seed, std::uint8_t weapon, std::uint8_t gameType) {
    Outcome out;
    ResetAllState();
    spine.screenWidth = 1024;
    spine.screenHeight = 768;
    SetReplayCursorPos(512, 384);
    GameInitialisation(seed);
    for (int i = 0; i < 60; ++i) {
        Tick();
        out.dumps.push_back(DumpState());
        CheckBallsAndSparks(-60 + i);
    }
    StartNewGame(weapon, gameType);
    for (int t = 0; t < kMaxGameTicks; ++t) {
        Play(t);
        const Before before{gameState.timeLeft, gameState.score, gameState.timeBonus,
                            gameState.ticksPlayed};
        Tick();
        out.dumps.push_back(DumpState());
        out.gameTicks = t + 1;
        if (gameState.score != before.score) ++out.matches;
        CheckBallsAndSparks(t);
        if (::testing::Test::HasFatalFailure() || !CheckPlayTick(before, t)) break;
        if (::testing::Test::HasFailure()) break;
    }
    out.finalScore = gameState.score;
    Send(MessageType::LButtonUp);
    Send(MessageType::RButtonUp);
    for (int i = 0; i < 40; ++i) {
        Tick();
        out.dumps.push_back(DumpState());
        CheckBallsAndSparks(out.gameTicks + i);
    }
    return out;
}

TEST_F(ZodavRules, EveryLevelPlaysToItsEndByTheRules) {
    for (std::uint8_t gameType = 1; gameType <= 3; ++gameType) {
        for (std::uint8_t weapon = 0; weapon < 3; ++weapon) {
            const Outcome out = RunLevel(1000 + gameType * 10 + weapon, weapon, gameType);
            ASSERT_FALSE(HasFailure()) << "type " << int(gameType) << " weapon " << int(weapon);
            EXPECT_EQ(gameState.screenState, kScreenGameOver);
            EXPECT_LT(out.gameTicks, kMaxGameTicks) << "the game must end";
            EXPECT_GE(out.gameTicks, 1001);
            std::printf("type %d weapon %d: %d ticks, %d scoring ticks, score %d\n", gameType,
                        weapon, out.gameTicks, out.matches, out.finalScore);
        }
    }
}

TEST_F(ZodavRules, TheSameSeedGivesTheSameDumps) {
    for (std::uint8_t gameType = 1; gameType <= 3; ++gameType) {
        const std::uint8_t weapon = gameType - 1;
        const Outcome first = RunLevel(77, weapon, gameType);
        const Outcome second = RunLevel(77, weapon, gameType);
        ASSERT_EQ(first.dumps.size(), second.dumps.size()) << int(gameType);
        for (size_t i = 0; i < first.dumps.size(); ++i)
            ASSERT_EQ(first.dumps[i], second.dumps[i]) << "type " << int(gameType) << " tick " << i;
        const Outcome other = RunLevel(78, weapon, gameType);
        EXPECT_NE(first.dumps[30], other.dumps[30]) << "another seed, other balls";
    }
}

TEST_F(ZodavRules, APausedGameIsFrozenAndResumes) {
    ResetAllState();
    spine.screenWidth = 1024;
    spine.screenHeight = 768;
    GameInitialisation(5);
    for (int i = 0; i < 30; ++i)
        Tick();
    StartNewGame(1, 1);
    for (int t = 0; t < 200; ++t) {
        Play(t);
        Tick();
    }
    Send(MessageType::LButtonUp);
    Send(MessageType::RButtonUp);
    Send(MessageType::KeyDown, kVkEscape);
    ASSERT_EQ(gameState.screenState, kScreenMainMenu);
    const BallState ballsBefore = balls;
    const int timeBefore = gameState.timeLeft;
    for (int i = 0; i < 50; ++i)
        Tick();
    EXPECT_EQ(gameState.timeLeft, timeBefore);
    for (int i = 0; i < kBallSlots; ++i) {
        EXPECT_EQ(balls.BallPool[i].position.x, ballsBefore.BallPool[i].position.x) << i;
        EXPECT_EQ(balls.BallPool[i].position.y, ballsBefore.BallPool[i].position.y) << i;
    }
    Send(MessageType::KeyDown, kVkEscape);
    ASSERT_EQ(gameState.screenState, kScreenPlay);
    const int played = gameState.ticksPlayed;
    Tick();
    EXPECT_EQ(gameState.ticksPlayed, played + 1) << "time runs again";
}

}  // namespace
