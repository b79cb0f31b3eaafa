// The rules of play run without any window or engine: spawning and the level table, falling,
// misses, catches and payouts, throws and walls, the hop and the end states.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>
#include <vector>

#include "game_state.h"
#include "random.h"
#include "rules.h"

namespace {

constexpr int32_t kWidth = 500;
constexpr int32_t kHeight = 600;
constexpr int32_t kNever = INT32_MAX / 2;  // a clock reading no test reaches

// A fresh game at scale size/10 started at clock 0, as GameInit leaves it.
void NewGame(int32_t size = 10, int32_t width = kWidth, int32_t height = kHeight) {
    GameState = TGameState{};
    GameState.Size = size;
    GameState.Scale = static_cast<float>(size / 10.0);
    SetUpBins(width, height);
    StartPlay(0);
    SeedRandom(12345);
}

// Stops both spawners and the time score so a test sees only what it sets up.
void Quiet() {
    GameState.LastSpawn = {kNever, kNever};
    GameState.LastScoreTick = kNever;
}

// A piece of `kind` sitting still on the centre of bin b's circle.
TGarbageItem PieceOnBin(int b, int32_t kind) {
    const TBin& bin = GameState.Bins[b];
    const float r = GameState.ItemRadius;
    return TGarbageItem{bin.X - r, bin.Y - r, kind, 0};
}

TEST(Spawning, FirstPieceComesFourAndAHalfSecondsAfterTheStart) {
    NewGame();
    int32_t now = 0;
    while (GameState.Spawned == 0 && now < 10000)
        RunUpdateSteps(now += 20, kWidth, kHeight);
    EXPECT_EQ(now, 4500);
    ASSERT_EQ(GameState.Items.size(), 1u);
    const TGarbageItem& item = GameState.Items[0];
    EXPECT_EQ(item.Kind, 0);
    EXPECT_EQ(item.Speed, 1.0f);
    EXPECT_EQ(item.Y, 1.0f) << "the new piece falls in the update that made it";
}

TEST(Spawning, PiecesAppearAlongTheTopWithinTheSpawnRange) {
    NewGame();
    float lo = 1e9f, hi = -1e9f;
    for (int n = 0; n < 2000; ++n) {
        GameState.Items.clear();
        GameState.LastSpawn[0] = -100000;
        SpawnItems(0, kWidth, {1, 1});
        ASSERT_EQ(GameState.Items.size(), 1u);
        lo = std::min(lo, GameState.Items[0].X);
        hi = std::max(hi, GameState.Items[0].X);
    }
    EXPECT_EQ(lo, 64);
    EXPECT_EQ(hi, 403);
    // A window too narrow for the range still spawns at the left margin instead of failing.
    GameState.Items.clear();
    GameState.LastSpawn[0] = -100000;
    SpawnItems(0, 100, {1, 1});
    ASSERT_EQ(GameState.Items.size(), 1u);
    EXPECT_EQ(GameState.Items[0].X, 64);
}

TEST(Falling, APieceNeeds568UpdatesToReachTheFloor) {
    NewGame();
    Quiet();
    GameState.Items.push_back({400, 0, 0, 1});
    for (int n = 1; n <= 567; ++n)
        RunUpdateSteps(0, kWidth, kHeight);
    ASSERT_EQ(GameState.Items.size(), 1u);
    EXPECT_EQ(GameState.Items[0].Y, 567);
    EXPECT_EQ(GameState.Lives, 10);
    RunUpdateSteps(0, kWidth, kHeight);
    EXPECT_TRUE(GameState.Items.empty());
    EXPECT_EQ(GameState.Lives, 9);
    EXPECT_EQ(GameState.Score, -10);
}

// Runs a long game with lives to spare and notes the update of each milestone.
struct Timeline {
    int spawn10 = -1, level1 = -1, spawn21 = -1, level2 = -1, level5 = -1;
    int spawn111 = -1, victory = -1;
};

Timeline RunLongGame() {
    NewGame();
    GameState.Lives = 1000000;
    Timeline t;
    int32_t now = 0;
    for (int u = 1; u <= 20000 && t.victory < 0; ++u) {
        const int32_t level = GameState.Level;
        RunUpdateSteps(now += 20, kWidth, kHeight);
        if (t.spawn10 < 0 && GameState.Spawned >= 10) t.spawn10 = u;
        if (t.spawn21 < 0 && GameState.Spawned >= 21) t.spawn21 = u;
        if (t.spawn111 < 0 && GameState.Spawned >= 111) t.spawn111 = u;
        if (level == 0 && GameState.Level == 1) t.level1 = u;
        if (level == 1 && GameState.Level == 2) t.level2 = u;
        if (level == 4 && GameState.Level == 5) t.level5 = u;
        if (GameState.Victory && t.victory < 0) t.victory = u;
        // Bin 1 must wait for level 5.
        if (GameState.Level < 5 && level < 5) {
            EXPECT_FALSE(GameState.Bins[1].Active);
        }
    }
    return t;
}

TEST(Levels, LevelRisesInTheUpdateAfterItsLastSpawnAndVictoryAfterThe111th) {
    const Timeline t = RunLongGame();
    EXPECT_EQ(t.level1, t.spawn10 + 1);
    EXPECT_EQ(t.level2, t.spawn21 + 1);
    EXPECT_EQ(t.victory, t.spawn111 + 1);
    EXPECT_EQ(GameState.Level, 10);
}

TEST(Levels, BinOneAndItsFirstPieceComeInTheFirstUpdateOfLevelFive) {
    NewGame();
    GameState.Lives = 1000000;
    int32_t now = 0;
    while (GameState.Level < 5)
        RunUpdateSteps(now += 20, kWidth, kHeight);
    EXPECT_FALSE(GameState.Bins[1].Active) << "bin 1 came before level 5 ran";
    const int32_t spawned = GameState.Spawned;
    RunUpdateSteps(now += 20, kWidth, kHeight);
    EXPECT_TRUE(GameState.Bins[1].Active);
    int kind1 = 0;
    for (const auto& item : GameState.Items)
        if (item.Kind == 1) {
            ++kind1;
            EXPECT_EQ(item.Y, 1.0f);  // level 5 speed of kind 1 is 1 s
        }
    EXPECT_EQ(kind1, 1);
    EXPECT_GE(GameState.Spawned, spawned + 1);
    EXPECT_EQ(GameState.SpawnInterval[1], 3000);
}

TEST(Levels, LevelTableSetsIntervalsAndSpeedsRowByRow) {
    struct Row {
        int32_t level, interval0;
        float speed0;
        int32_t interval1;
        float speed1;
    };
    // Interval 1 stays as it was (here 0) before level 5; speeds are multiples of the scale 2.
    const Row rows[] = {
        {0, 2500, 2, 0, 2},    {1, 2000, 2, 0, 2},     {2, 1500, 2, 0, 2},
        {3, 1500, 4, 0, 2},    {4, 1500, 6, 0, 2},     {5, 2000, 4, 3000, 2},
        {6, 1500, 4, 2500, 2}, {7, 1500, 4, 2250, 3},  {8, 1500, 4.5, 2000, 3.5},
        {9, 1750, 5, 2250, 4}, {10, 1500, 6, 1750, 4},
    };
    for (const Row& r : rows) {
        NewGame(20, 1000, 1200);
        GameState.Level = r.level;
        GameState.Spawned = 10 * r.level;  // not yet done with the level
        const auto speeds = RunLevelTable();
        EXPECT_EQ(GameState.Level, r.level) << "level " << r.level << " rose too early";
        EXPECT_EQ(GameState.SpawnInterval[0], r.interval0) << "level " << r.level;
        EXPECT_EQ(GameState.SpawnInterval[1], r.interval1) << "level " << r.level;
        EXPECT_FLOAT_EQ(speeds[0], r.speed0) << "level " << r.level;
        EXPECT_FLOAT_EQ(speeds[1], r.speed1) << "level " << r.level;
        EXPECT_EQ(GameState.Bins[1].Active, r.level == 5) << "level " << r.level;
    }
}

TEST(EndStates, DefeatNeverTurnsIntoVictory) {
    NewGame();
    GameState.Defeat = true;
    GameState.Level = 10;
    GameState.Spawned = 200;
    RunLevelTable();
    EXPECT_FALSE(GameState.Victory);
}

TEST(Misses, RemovalMovesTheLastPieceInAndTheWalkSkipsIt) {
    NewGame();
    Quiet();
    const float floor = kHeight - 32;
    GameState.Items = {{100, floor, 0, 0}, {200, 50, 0, 0}, {300, floor + 5, 0, 0}};
    RemoveMisses(kHeight);
    // The first lands, the third takes its place and waits for the next walk.
    ASSERT_EQ(GameState.Items.size(), 2u);
    EXPECT_EQ(GameState.Items[0].X, 300);
    EXPECT_EQ(GameState.Items[1].X, 200);
    EXPECT_EQ(GameState.Lives, 9);
    RemoveMisses(kHeight);
    ASSERT_EQ(GameState.Items.size(), 1u);
    EXPECT_EQ(GameState.Items[0].X, 200);
    EXPECT_EQ(GameState.Lives, 8);
    EXPECT_EQ(GameState.Score, -20);
}

TEST(Misses, AMissAfterTheEndCostsNothing) {
    for (bool victory : {false, true}) {
        NewGame();
        GameState.Level = 3;
        GameState.Defeat = !victory;
        GameState.Victory = victory;
        GameState.Items = {{100, kHeight - 32.0f, 0, 0}};
        RemoveMisses(kHeight);
        EXPECT_TRUE(GameState.Items.empty()) << "the piece must still land";
        EXPECT_EQ(GameState.Lives, 10) << (victory ? "victory" : "defeat");
        EXPECT_EQ(GameState.Score, 0) << (victory ? "victory" : "defeat");
    }
}

TEST(Catches, EachBinCatchesOnlyItsOwnKind) {
    struct Case {
        const char* fault;
        int bin;
        int32_t kind;
        int caught;
    };
    const Case cases[] = {
        {"bin 0 misses its own kind", 0, 0, 1},
        {"bin 0 catches kind 1", 0, 1, 0},
        {"bin 1 misses its own kind", 1, 1, 1},
        {"bin 1 catches kind 0", 1, 0, 0},
    };
    for (const Case& c : cases) {
        NewGame();
        Quiet();
        GameState.Bins[1].Active = true;
        SetBinHeights(kHeight);
        // A piece falling straight through the bin's circle, from above it to the floor.
        TGarbageItem piece = PieceOnBin(c.bin, c.kind);
        piece.Y -= 150;
        piece.Speed = 1;
        GameState.Items = {piece};
        for (int u = 0; u < 600; ++u)
            RunUpdateSteps(0, kWidth, kHeight);
        EXPECT_EQ(GameState.Bins[c.bin].Count, c.caught) << c.fault;
        EXPECT_EQ(GameState.Lives, 10 - (1 - c.caught)) << c.fault;
        EXPECT_TRUE(GameState.Items.empty()) << c.fault;
    }
}

TEST(Catches, TouchingCirclesCatchAndAHairApartDoNot) {
    NewGame();
    Quiet();
    SetBinHeights(kHeight);
    const TBin& bin = GameState.Bins[0];
    const float r = GameState.ItemRadius;
    // Piece centre exactly 16 + 36 to the right of the bin's centre, on its height.
    GameState.Items = {{bin.X + 52 - r, bin.Y - r, 0, 0}, {bin.X - 52.01f - r, bin.Y - r, 0, 0}};
    CatchItems(0);
    EXPECT_EQ(GameState.Bins[0].Count, 1);
    ASSERT_EQ(GameState.Items.size(), 1u);
    EXPECT_LT(GameState.Items[0].X, bin.X);
}

// Payouts: n pieces caught one per update (the last two in one update when `pairAtEnd`).
struct PayoutCase {
    const char* fault;
    int pieces;
    int32_t level;
    bool pairAtEnd;
    int32_t points;
    int32_t delay;  // ms after the last catch; 0: at the next update
};

TEST(Payouts, FullBinsPayByCountAfterTheirDelay) {
    const PayoutCase cases[] = {
        {"3 pieces level 0", 3, 0, false, 12, 2000},
        {"4 pieces level 0", 4, 0, false, 32, 2000},
        {"5 pieces level 0 wait", 5, 0, false, 60, 0},
        {"6 pieces level 0 never pay", 6, 0, true, 60, 0},
        {"3 pieces level 10", 3, 10, false, 132, 500},
        {"4 pieces level 10", 4, 10, false, 352, 500},
        {"5 pieces level 10 wait", 5, 10, false, 660, 0},
        {"6 pieces level 10 never pay", 6, 10, true, 660, 0},
    };
    for (const PayoutCase& c : cases) {
        NewGame();
        Quiet();
        GameState.Level = c.level;
        GameState.Spawned = 10 * c.level;
        SetBinHeights(kHeight);
        int32_t now = 1000;
        for (int k = 0; k < c.pieces; ++k) {
            GameState.Items.push_back(PieceOnBin(0, 0));
            if (c.pairAtEnd && k == c.pieces - 2) continue;  // caught together with the last
            // A piece of the other kind behind the pair takes the first one's place, so the
            // walk meets the second one in the same update.
            if (c.pairAtEnd && k == c.pieces - 1) GameState.Items.push_back({400, 100, 1, 0});
            RunUpdateSteps(now += 20, kWidth, kHeight);
            if (c.pairAtEnd && k == c.pieces - 1) {
                EXPECT_EQ(GameState.Bins[0].Count, 6) << c.fault;
            }
        }
        EXPECT_EQ(GameState.Score, 0) << c.fault << ": paid before its time";
        const int32_t lastCatch = now;
        while (GameState.Score == 0 && now < lastCatch + 5000)
            RunUpdateSteps(now += 20, kWidth, kHeight);
        EXPECT_EQ(GameState.Score, c.points) << c.fault;
        EXPECT_EQ(now, lastCatch + (c.delay == 0 ? 20 : c.delay)) << c.fault;
        EXPECT_EQ(GameState.Bins[0].Count, 0) << c.fault;
        EXPECT_EQ(GameState.Bins[0].PayoutTime, 0) << c.fault;
    }
}

TEST(Payouts, EveryCatchPostponesThePayout) {
    NewGame();
    Quiet();
    SetBinHeights(kHeight);
    for (int32_t at : {100, 200, 300}) {
        GameState.Items.push_back(PieceOnBin(0, 0));
        RunUpdateSteps(at, kWidth, kHeight);
    }
    EXPECT_EQ(GameState.Bins[0].PayoutTime, 2300);
    GameState.Items.push_back(PieceOnBin(0, 0));
    RunUpdateSteps(2000, kWidth, kHeight);
    EXPECT_EQ(GameState.Bins[0].PayoutTime, 4000);
    RunUpdateSteps(2300, kWidth, kHeight);
    RunUpdateSteps(3999, kWidth, kHeight);
    EXPECT_EQ(GameState.Score, 0) << "the fourth catch did not postpone the payout";
    RunUpdateSteps(4000, kWidth, kHeight);
    EXPECT_EQ(GameState.Score, 32);
}

TEST(Payouts, ABinPaysAfterTheEndToo) {
    NewGame();
    Quiet();
    GameState.Defeat = true;
    GameState.Bins[0].Count = 5;
    PayOutBins(0);
    EXPECT_EQ(GameState.Score, 60);
}

// Holds bin b with the mouse on its centre, moves the mouse dx to the side, and lets go.
void Throw(int b, int32_t dx, int32_t width, int32_t height) {
    GameState.MouseX = static_cast<int32_t>(GameState.Bins[b].X);
    GameState.MouseY = static_cast<int32_t>(GameState.Bins[b].Y);
    RunUpdateSteps(0, width, height);
    GrabBin();
    ASSERT_TRUE(GameState.Bins[b].Grabbed);
    GameState.MouseX += dx;
    RunUpdateSteps(0, width, height);
    ReleaseBins();
}

TEST(Bins, ThrowSpeedFollowsTheMouseAndIsClamped) {
    struct Case {
        const char* fault;
        int32_t size, dx;
        float vel;
    };
    const Case cases[] = {
        {"100 pixels at scale 1", 10, 100, 5},       {"full speed at 200 pixels", 10, 200, 10},
        {"no clamp to the right", 10, 300, 10},      {"no clamp to the left", 10, -300, -10},
        {"scale ignored in the speed", 20, 100, 10}, {"clamp not scaled", 20, 500, 20},
        {"a click without moving throws", 10, 0, 0},
    };
    for (const Case& c : cases) {
        NewGame(c.size, 50 * c.size, 60 * c.size);
        Quiet();
        Throw(0, c.dx, 50 * c.size, 60 * c.size);
        EXPECT_FALSE(GameState.Bins[0].Grabbed) << c.fault;
        EXPECT_FLOAT_EQ(GameState.Bins[0].VelX, c.vel) << c.fault;
    }
}

TEST(Bins, AThrowOf100PixelsRollsAbout127PixelsInAbout50Updates) {
    NewGame();
    Quiet();
    Throw(0, 100, kWidth, kHeight);
    const float start = GameState.Bins[0].X;
    int updates = 0;
    while (GameState.Bins[0].VelX != 0 && updates < 1000) {
        RunUpdateSteps(0, kWidth, kHeight);
        ++updates;
    }
    EXPECT_NEAR(GameState.Bins[0].X - start, 127.5, 1.0);
    EXPECT_NEAR(updates, 50, 1);
    EXPECT_TRUE(GameState.Bins[0].FacingRight);
}

TEST(Bins, AHeldBinKeepsItsSpeedAndTheLineStartsAtItsCentre) {
    NewGame();
    Quiet();
    GameState.Bins[0].VelX = 3;
    GameState.MouseX = 100;
    GameState.MouseY = 440;
    RunUpdateSteps(0, kWidth, kHeight);
    GrabBin();
    GameState.MouseX = 250;
    GameState.MouseY = 300;
    RunUpdateSteps(0, kWidth, kHeight);
    EXPECT_GT(GameState.Bins[0].X, 103) << "a held bin must keep sliding";
    // Taken before this update's move: the bin was at 103.
    EXPECT_EQ(GameState.DragStartX, 103);
    EXPECT_EQ(GameState.DragStartY, 440) << "the press height must stay";
    EXPECT_EQ(GameState.DragCurX, 250);
    EXPECT_EQ(GameState.DragCurY, 300);
}

TEST(Bins, GrabNeedsAHoveredBinAndAGameInPlay) {
    struct Case {
        const char* fault;
        int32_t mouseX;
        bool over;
        bool grabbed;
    };
    const Case cases[] = {
        {"grabbed from outside its circle", 100 + 38, false, false},
        {"edge of the circle (36 s + 1) refused", 100 + 37, false, true},
        {"grabbed after a defeat", 100, true, false},
    };
    for (const Case& c : cases) {
        NewGame();
        Quiet();
        GameState.MouseX = c.mouseX;
        GameState.MouseY = 440;
        GameState.Defeat = c.over;
        RunUpdateSteps(0, kWidth, kHeight);
        GrabBin();
        EXPECT_EQ(GameState.Bins[0].Grabbed, c.grabbed) << c.fault;
    }
}

TEST(Bins, TheLaterBinWinsTheHoverAndInactiveBinsAreNeverHovered) {
    NewGame();
    Quiet();
    GameState.Bins[1].X = 110;
    GameState.MouseX = 105;
    GameState.MouseY = 470;
    RunUpdateSteps(0, kWidth, kHeight);
    EXPECT_EQ(GameState.Hovered, 0) << "an inactive bin took the hover";
    GameState.Bins[1].Active = true;
    RunUpdateSteps(0, kWidth, kHeight);
    EXPECT_EQ(GameState.Hovered, 1);
}

TEST(Bins, BinsTurnBackAtTheWallsAndNeverLeaveTheWindow) {
    struct Case {
        const char* fault;
        int32_t size;
        int32_t dx;
    };
    const Case cases[] = {
        {"left wall at scale 1", 10, -400},          {"right wall at scale 1", 10, 400},
        {"left wall crossed at scale 4", 40, -2000}, {"right wall crossed at scale 4", 40, 2000},
        {"right wall crossed at scale 3", 30, 1500},
    };
    for (const Case& c : cases) {
        const int32_t width = 50 * c.size, height = 60 * c.size;
        NewGame(c.size, width, height);
        Quiet();
        Throw(0, c.dx, width, height);
        const double half = 32 * GameState.Scale;
        bool turned = false;
        for (int u = 0; u < 500; ++u) {
            const float before = GameState.Bins[0].VelX;
            RunUpdateSteps(0, width, height);
            const TBin& bin = GameState.Bins[0];
            ASSERT_GE(bin.X - half, 0) << c.fault << " update " << u;
            ASSERT_LE(bin.X + half, width) << c.fault << " update " << u;
            if (!turned && before * bin.VelX < 0) {
                turned = true;
                // The facing follows on the next update.
                EXPECT_EQ(bin.FacingRight, c.dx > 0) << c.fault;
                RunUpdateSteps(0, width, height);
                EXPECT_EQ(GameState.Bins[0].FacingRight, c.dx < 0) << c.fault;
            }
        }
        EXPECT_TRUE(turned) << c.fault;
    }
}

TEST(Bins, BinOneStartingPastTheRightWallAtTheLargestScaleIsPutBack) {
    // At size 40 bin 1 starts at width - 100 with a box 128 pixels to each side.
    NewGame(40, 2000, 2400);
    Quiet();
    GameState.Bins[1].Active = true;
    MoveBins(2000, 2400);
    EXPECT_FLOAT_EQ(GameState.Bins[1].X, 2000 - 128);
    EXPECT_EQ(GameState.Bins[1].VelX, 0);
}

TEST(Bins, BounceHappensOnceTheBoxEntersTheWallZone) {
    NewGame();
    Quiet();
    TBin& bin = GameState.Bins[0];
    bin.X = 70;  // box edge at 38, outside the zone
    bin.VelX = -5;
    MoveBins(kWidth, kHeight);  // edge at 33: not yet
    EXPECT_FLOAT_EQ(bin.VelX, -4.9f) << "turned before the zone";
    MoveBins(kWidth, kHeight);  // edge at 28.1: inside the zone
    EXPECT_FLOAT_EQ(bin.VelX, 4.8f);
    EXPECT_NEAR(bin.X, 60.1, 1e-4);
    EXPECT_FALSE(bin.FacingRight) << "the facing turned in the bounce update";
}

TEST(Hops, ACatchMakesTheBinJumpFourPixelsAndSettle) {
    NewGame();
    Quiet();
    SetBinHeights(kHeight);
    GameState.Items = {PieceOnBin(0, 0)};
    const float expected[] = {-1, -2, -3, -4, -4, -3, -2, -1, 0, 0};
    for (float offset : expected) {
        RunUpdateSteps(0, kWidth, kHeight);
        EXPECT_EQ(GameState.HopOffset[0], offset);
        EXPECT_EQ(GameState.Bins[0].Y, kHeight - 160 + offset);
    }
    EXPECT_EQ(GameState.Bins[0].Count, 1);
    EXPECT_EQ(GameState.Bins[1].Y, kHeight - 96);
}

TEST(Hops, ACatchWhileRisingChangesNothingAndWhileSettlingRestarts) {
    NewGame();
    Quiet();
    SetBinHeights(kHeight);
    GameState.Items = {PieceOnBin(0, 0)};
    RunUpdateSteps(0, kWidth, kHeight);  // -1
    GameState.Items = {PieceOnBin(0, 0)};
    RunUpdateSteps(0, kWidth, kHeight);
    EXPECT_EQ(GameState.HopOffset[0], -2) << "a catch while rising restarted the hop";
    for (int u = 0; u < 4; ++u)
        RunUpdateSteps(0, kWidth, kHeight);  // -3 -4 -4 -3
    EXPECT_EQ(GameState.HopOffset[0], -3);
    GameState.Items = {PieceOnBin(0, 0)};
    RunUpdateSteps(0, kWidth, kHeight);
    EXPECT_EQ(GameState.HopOffset[0], -1) << "a catch while settling must restart from 0";
}

TEST(Hops, TheHopFreezesAfterTheEnd) {
    NewGame();
    Quiet();
    GameState.HopFlag[0] = true;
    GameState.HopOffset[0] = -2;
    GameState.Victory = true;
    RunUpdateSteps(0, kWidth, kHeight);
    EXPECT_EQ(GameState.HopOffset[0], -2);
}

TEST(EndStates, DefeatComesTheUpdateAfterTheTenthMissAndTheFadeStopsAtHalf) {
    NewGame();
    Quiet();
    for (int miss = 1; miss <= 10; ++miss) {
        GameState.Items = {{400, kHeight - 33.0f, 0, 1}};
        RunUpdateSteps(0, kWidth, kHeight);
        EXPECT_EQ(GameState.Lives, 10 - miss);
        EXPECT_FALSE(GameState.Defeat) << "defeat came in the update of miss " << miss;
    }
    RunUpdateSteps(0, kWidth, kHeight);
    EXPECT_TRUE(GameState.Defeat);
    EXPECT_EQ(GameState.Fade, 0);
    for (int u = 1; u <= 100; ++u)
        RunUpdateSteps(0, kWidth, kHeight);
    EXPECT_NEAR(GameState.Fade, 0.5, 1e-5);
    // Float steps leave it a hair under 0.5, so one more step ends it; then it stays.
    for (int u = 1; u <= 50; ++u)
        RunUpdateSteps(0, kWidth, kHeight);
    const float last = GameState.Fade;
    EXPECT_GE(last, 0.5f);
    EXPECT_LE(last, 0.5051f);
    RunUpdateSteps(0, kWidth, kHeight);
    EXPECT_EQ(GameState.Fade, last) << "the fade kept rising";
    EXPECT_FALSE(GameState.Victory);
}

TEST(EndStates, TheTimeScoreStopsAtTheEnd) {
    NewGame();
    Quiet();
    GameState.LastScoreTick = 0;
    RunUpdateSteps(999, kWidth, kHeight);
    EXPECT_EQ(GameState.Score, 0);
    RunUpdateSteps(1000, kWidth, kHeight);
    RunUpdateSteps(1500, kWidth, kHeight);
    EXPECT_EQ(GameState.Score, 1) << "one point a second, not one per update";
    GameState.Defeat = true;
    RunUpdateSteps(5000, kWidth, kHeight);
    EXPECT_EQ(GameState.Score, 1);
}

TEST(Sun, TheRaysSwingBackwardFirstAndTurnEveryFiveSeconds) {
    NewGame();
    SwingSun(20);
    EXPECT_FLOAT_EQ(GameState.SunPhase, -0.01f);
    SwingSun(5000);
    EXPECT_FALSE(GameState.SunForward);
    SwingSun(5001);
    EXPECT_TRUE(GameState.SunForward);
    EXPECT_NEAR(GameState.SunPhase, -0.01, 1e-6);
    EXPECT_EQ(GameState.SunTurnTime, 5001);
}

}  // namespace
