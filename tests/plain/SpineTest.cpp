// The spine: key table on every screen, pointer mapping, field bounds, game start and end, ticks.
#include <gtest/gtest.h>

#include <functional>

#include "Balls.h"
#include "FreshProgram.h"
#include "Screens.h"
#include "WindUse.h"
#include "Zodav.h"

namespace {

class Spine : public ::testing::Test {
  protected:
    void SetUp() override {
        FreshProgram();
        GameInitialisation(7);
    }
    static void Key(int vk) { WindowProcedure({MessageType::KeyDown, vk}); }
};

TEST_F(Spine, InitialisationEndsOnTheMainMenuReady) {
    EXPECT_EQ(gameState.screenState, kScreenMainMenu);
    EXPECT_EQ(gameState.ready, 1);
    EXPECT_FLOAT_EQ(spine.viewOffsetX, -13.0f);
    EXPECT_FLOAT_EQ(spine.viewOffsetY, -9.6f);
    EXPECT_FLOAT_EQ(spine.viewScale, 0.3f);
    EXPECT_EQ(gameState.timeBonus, 300);
    EXPECT_EQ(gameState.weapon, Weapon::Whirlwind);
}

TEST_F(Spine, FieldBoundsRoundHalvesToEven) {
    struct Case {
        int w, h;
        float right, top;
    } cases[] = {
        {1024, 768, 26, 19},  // 25.6 and 19.2
        {1300, 740, 32, 18},  // 32.5 -> 32 (even), 18.5 -> 18
        {1340, 780, 34, 20},  // 33.5 -> 34, 19.5 -> 20
        {2048, 768, 51, 19},  // two monitors side by side
    };
    for (const Case& c : cases) {
        spine.screenWidth = c.w;
        spine.screenHeight = c.h;
        ComputeField();
        EXPECT_EQ(spine.fieldRight, c.right) << c.w;
        EXPECT_EQ(spine.fieldTop, c.top) << c.h;
        EXPECT_EQ(spine.sweepA.x, 0);
        EXPECT_EQ(spine.sweepB.x, c.right);
        EXPECT_EQ(spine.sweepB.y, 0);
    }
}

TEST_F(Spine, PointerMapsScreenCentreToFieldPoint) {
    MapPointer(512, 384);
    EXPECT_NEAR(spine.pointerX, 13.0, 1e-5);
    EXPECT_NEAR(spine.pointerY, 9.6, 1e-5);
    // 0.0083 plane units a pixel, 1/0.3 field units a plane unit; y grows upward.
    MapPointer(0, 0);
    EXPECT_NEAR(spine.pointerX, 13.0 - 512 * 0.0083 / 0.3, 1e-4);
    EXPECT_NEAR(spine.pointerY, 9.6 + 384 * 0.0083 / 0.3, 1e-4);
    // An odd screen width keeps its half pixel.
    spine.screenWidth = 1025;
    MapPointer(512, 384);
    EXPECT_NEAR(spine.pointerX, 13.0 - 0.5 * 0.0083 / 0.3, 1e-5);
}

TEST_F(Spine, EscapeAndF1OnEveryScreen) {
    struct Case {
        const char* name;
        std::uint8_t screen;
        bool inProgress;
        int key;
        std::uint8_t expected;
    } cases[] = {
        {"esc in play pauses", kScreenPlay, true, 27, kScreenMainMenu},
        {"esc on help", kScreenHelp, false, 27, kScreenMainMenu},
        {"esc on options", kScreenOptions, true, 27, kScreenMainMenu},
        {"esc on game over", kScreenGameOver, false, 27, kScreenMainMenu},
        {"esc on level choice", kScreenLevelChoice, false, 27, kScreenMainMenu},
        {"esc on main menu idle does nothing", kScreenMainMenu, false, 27, kScreenMainMenu},
        {"esc on main menu resumes", kScreenMainMenu, true, 27, kScreenPlay},
        {"f1 in play", kScreenPlay, true, 112, kScreenHelp},
        {"f1 on main menu", kScreenMainMenu, false, 112, kScreenHelp},
        {"f1 on help resumes", kScreenHelp, true, 112, kScreenPlay},
        {"f1 on help idle", kScreenHelp, false, 112, kScreenMainMenu},
        {"f1 on game over", kScreenGameOver, false, 112, kScreenHelp},
        {"f1 on options", kScreenOptions, false, 112, kScreenHelp},
        {"f1 on level choice", kScreenLevelChoice, true, 112, kScreenHelp},
    };
    for (const Case& c : cases) {
        gameState.screenState = c.screen;
        spine.gameInProgress = c.inProgress;
        Key(c.key);
        EXPECT_EQ(gameState.screenState, c.expected) << c.name;
    }
}

TEST_F(Spine, F1TwiceFromGameOverEndsOnTheMainMenu) {
    gameState.screenState = kScreenGameOver;
    Key(112);
    Key(112);
    EXPECT_EQ(gameState.screenState, kScreenMainMenu);
}

TEST_F(Spine, ToggleKeysWorkOnEveryScreenAndOnRepeat) {
    for (std::uint8_t screen = 0; screen <= 5; ++screen) {
        gameState = GameState{};
        gameState.ready = 1;
        gameState.screenState = screen;
        Key(81);
        EXPECT_EQ(gameState.soundsOn, 0) << int(screen);
        Key(87);
        Key(87);
        Key(87);  // auto-repeat toggles on every repeat
        EXPECT_EQ(gameState.musicOn, 0) << int(screen);
        Key(192);
        EXPECT_EQ(gameState.tintAlways, 1) << int(screen);
        EXPECT_EQ(gameState.screenState, screen);
    }
    Key(65);  // a key the game has no use for
    EXPECT_EQ(gameState.tintAlways, 1);
}

TEST_F(Spine, ButtonMessagesSetAndClearFlags) {
    WindowProcedure({MessageType::LButtonDown, 0});
    WindowProcedure({MessageType::RButtonDown, 0});
    EXPECT_EQ(spine.leftHeld, 1);
    EXPECT_EQ(spine.rightHeld, 1);
    Tick();  // the presses are seen: a release now takes effect at once
    WindowProcedure({MessageType::LButtonUp, 0});
    WindowProcedure({MessageType::RButtonUp, 0});
    EXPECT_EQ(spine.leftHeld, 0);
    EXPECT_EQ(spine.rightHeld, 0);
}

TEST_F(Spine, AClickShorterThanATickActsOnTheNextTick) {
    struct Case {
        const char* name;
        MessageType down, up;
        bool ::Spine::*held;
        bool click;
    } cases[] = {
        {"left tap", MessageType::LButtonDown, MessageType::LButtonUp, &::Spine::leftHeld, true},
        {"right tap", MessageType::RButtonDown, MessageType::RButtonUp, &::Spine::rightHeld, true},
        {"no tap: nothing moves", MessageType::LButtonDown, MessageType::LButtonUp,
         &::Spine::leftHeld, false},
    };
    for (const Case& c : cases) {
        SetUp();
        StartNewGame(Weapon::Whirlwind,
                     GameType::Collisions);  // acts on every tick its button is held
        gameState.maxBalls = 0;
        for (Ball& b : balls.BallPool)
            b = Ball{};
        Ball& ball = balls.BallPool[0];
        ball.alive = 1;
        ball.radius = 1;
        ball.position = {14, 9.6f};
        SetReplayCursorPos(512, 384);  // the field point (13, 9.6)
        if (c.click) {
            WindowProcedure({c.down, 0});
            WindowProcedure({c.up, 0});
            EXPECT_EQ(spine.*c.held, true) << c.name << ": no tick has seen the press yet";
        }
        Tick();
        EXPECT_EQ(ball.velocity.x != 0 || ball.velocity.y != 0, c.click) << c.name;
        EXPECT_EQ(spine.*c.held, false) << c.name << ": released once the tick has run";
        // A press, a release and a press again between ticks is a button held down.
        WindowProcedure({c.down, 0});
        WindowProcedure({c.up, 0});
        WindowProcedure({c.down, 0});
        Tick();
        EXPECT_EQ(spine.*c.held, true) << c.name;
    }
}

TEST_F(Spine, LosingTheFocusPausesPlayOnly) {
    struct Case {
        std::uint8_t screen;
        std::uint8_t after;
    } cases[] = {
        {kScreenPlay, kScreenMainMenu},     {kScreenHelp, kScreenHelp},
        {kScreenMainMenu, kScreenMainMenu}, {kScreenOptions, kScreenOptions},
        {kScreenGameOver, kScreenGameOver}, {kScreenLevelChoice, kScreenLevelChoice},
    };
    for (const Case& c : cases) {
        SetUp();
        spine.gameInProgress = 1;
        gameState.screenState = c.screen;
        WindowProcedure({MessageType::FocusOut, 0});
        EXPECT_EQ(gameState.screenState, c.after) << int(c.screen);
        EXPECT_EQ(spine.gameInProgress, 1);
        // The focus coming back changes nothing: Esc resumes, as after Esc.
        WindowProcedure({MessageType::FocusIn, 0});
        EXPECT_EQ(gameState.screenState, c.after) << int(c.screen);
    }
    // Paused from play, Esc on the main menu resumes the game.
    gameState.screenState = kScreenPlay;
    WindowProcedure({MessageType::FocusOut, 0});
    Key(kVkEscape);
    EXPECT_EQ(gameState.screenState, kScreenPlay);
}

TEST_F(Spine, TicksBeforeReadyDoNothing) {
    gameState.ready = 0;
    gameState.screenState = kScreenPlay;
    for (int i = 0; i < 10; ++i)
        Tick();
    EXPECT_EQ(gameState.timeLeft, 1000);
    EXPECT_EQ(gameState.ticksPlayed, 0);
    EXPECT_EQ(spine.tick, 0);
}

TEST_F(Spine, StartNewGameSetsTheGameUp) {
    gameState.timeBonus = 246;
    balls.BallPool[3].alive = 1;
    balls.BallPool[3].burst = 7;
    StartNewGame(Weapon::VacuumCleaner, GameType::Horizontal);
    EXPECT_EQ(gameState.screenState, kScreenPlay);
    EXPECT_EQ(spine.gameInProgress, 1);
    EXPECT_EQ(gameState.weapon, Weapon::VacuumCleaner);
    EXPECT_EQ(gameState.gameType, GameType::Horizontal);
    EXPECT_EQ(gameState.timeLeft, 1000);
    EXPECT_EQ(gameState.score, 0);
    EXPECT_FLOAT_EQ(gameState.damping, 0.98f);
    EXPECT_EQ(gameState.timeBonus, 246);    // not reset by a new game
    EXPECT_EQ(balls.BallPool[3].burst, 1);  // restarted even while bursting
    EXPECT_EQ(screens.timeText.visible, 1);
    EXPECT_EQ(screens.scoreText.visible, 1);
}

TEST_F(Spine, AGameWithoutMatchesLasts1001Ticks) {
    StartNewGame(Weapon::Whirlwind, GameType::Collisions);
    // No balls can match while the pool stays empty.
    gameState.maxBalls = 0;
    int ticks = 0;
    while (gameState.screenState == kScreenPlay && ticks < 5000) {
        Tick();
        ++ticks;
    }
    EXPECT_EQ(ticks, 1001);
    EXPECT_EQ(gameState.ticksPlayed, 1001);
    EXPECT_EQ(gameState.timeLeft, 0);
    EXPECT_EQ(gameState.screenState, kScreenGameOver);
    EXPECT_EQ(spine.gameInProgress, 0);
    EXPECT_EQ(gameState.gameType, GameType::None);
    EXPECT_FLOAT_EQ(gameState.damping, 1.0f);
    EXPECT_EQ(screens.timeText.visible, 0);
}

Ball& PutStill(int slot, float x, float y, std::uint8_t colour) {
    Ball& b = balls.BallPool[slot];
    b = Ball{};
    b.alive = 1;
    b.position = {x, y};
    b.radius = 1.0f;
    b.colour = colour;
    return b;
}

struct PlayTickCase {
    const char* name;
    Weapon weapon;
    GameType gameType;
    std::function<void()> setUp;
    std::function<void()> check;
};

TEST_F(Spine, APlayTickRunsWeaponsThenBallsThenMatches) {
    const PlayTickCase cases[] = {
        {"matches are resolved after the step has marked the balls under the line", Weapon::Vacuum,
         GameType::Vertical,
         [] {
             spine.sweepA = {0, 5};
             spine.sweepB = {26, 5};
             for (int i = 0; i < 3; ++i)
                 PutStill(i, 5.0f + 5 * i, 5, 1);
             gameState.maxBalls = 3;
         },
         [] {
             EXPECT_EQ(gameState.score, 10);
             for (int i = 0; i < 3; ++i)
                 EXPECT_EQ(balls.BallPool[i].burst, 1) << i;
         }},
        {"the weapon pushes before the balls move", Weapon::Vacuum, GameType::Collisions,
         [] {
             SetReplayCursorPos(512, 384);  // the field point (13, 9.6)
             spine.leftHeld = 1;
             PutStill(0, 15, 9.6f, 1);
             gameState.maxBalls = 1;
         },
         [] { EXPECT_NEAR(balls.BallPool[0].position.x, 15 + 2.0 / 7, 1e-5); }},
    };
    for (const PlayTickCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        StartNewGame(c.weapon, c.gameType);
        c.setUp();
        Tick();
        c.check();
    }
}

TEST_F(Spine, APausedGameIsFrozen) {
    StartNewGame(Weapon::Whirlwind, GameType::Collisions);
    Tick();
    Key(27);
    const int timeLeft = gameState.timeLeft;
    for (int i = 0; i < 50; ++i)
        Tick();
    EXPECT_EQ(gameState.timeLeft, timeLeft);
    Key(27);
    EXPECT_EQ(gameState.screenState, kScreenPlay);
}

TEST_F(Spine, ShutdownRunsOnceAndStopsTheTicks) {
    Shutdown();
    EXPECT_TRUE(QuitPosted());
    EXPECT_TRUE(spine.shutDown);
    gameState.screenState = kScreenPlay;
    Tick();
    EXPECT_EQ(gameState.ticksPlayed, 0);
    Shutdown();  // a second call changes nothing
    Key(27);
    EXPECT_EQ(gameState.screenState, kScreenPlay);
}

}  // namespace
