// Zodav: the ball game's spine. The game-state record, the start-up sequence, the 20 ms tick, the
// window procedure with its key table, the start and end of a game, and the shutdown.
#pragma once

#include <cstdint>

#include "GeomUse.h"
#include "WindUse.h"

// Screen states.
enum : std::uint8_t {
    kScreenPlay = 0,
    kScreenHelp = 1,
    kScreenMainMenu = 2,
    kScreenOptions = 3,
    kScreenGameOver = 4,
    kScreenLevelChoice = 5,
};

// Virtual-key codes of the keys the game answers.
enum : int {
    kVkEscape = 27,
    kVkF1 = 112,
    kVkF2 = 113,
    kVkF3 = 114,
    kVkF4 = 115,
    kVkQ = 81,
    kVkW = 87,
    kVkTilde = 192,
};

// The game's one record of screen state, time, score, game type, weapon and options. Every start
// begins from these values; nothing is saved.
struct GameState {
    std::uint8_t screenState = kScreenMainMenu;
    std::uint8_t maxBalls = 20;
    std::int32_t timeLeft = 1000;
    std::int32_t score = 0;
    std::int32_t ticksPlayed = 0;
    std::int32_t timeBonus = 300;
    std::uint8_t ready = 0;
    std::uint8_t gameType = 0;  // 0 none, 1 collisions, 2 vertical, 3 horizontal
    float damping = 1.0f;
    std::uint8_t weapon = 1;  // 0 vacuum, 1 whirlwind, 2 vacuum cleaner
    std::int32_t markDuration = 80;
    std::uint8_t tintAlways = 0;
    std::uint8_t textureProcessing = 1;
    std::uint8_t textureFull = 1;
    std::uint8_t soundsOn = 1;
    std::uint8_t musicOn = 1;
    std::uint8_t soundVolume = 50;
    std::uint8_t musicVolume = 100;
    std::uint8_t particleLevel = 1;
};

// The spine's other process-wide state: button flags, pointer, screen size, view transform, field
// bounds and the sweep line.
struct Spine {
    std::uint8_t gameInProgress = 0;
    std::uint8_t leftHeld = 0;
    std::uint8_t rightHeld = 0;
    // A press no tick has seen yet, and its release waiting for that tick: a click shorter than a
    // tick (a touchpad tap) still acts once.
    bool leftPressUnseen = false;
    bool rightPressUnseen = false;
    bool leftReleaseDue = false;
    bool rightReleaseDue = false;
    std::int32_t pointerPixelX = 0;
    std::int32_t pointerPixelY = 0;
    float pointerX = 0;
    float pointerY = 0;
    std::int32_t screenWidth = 0;
    std::int32_t screenHeight = 0;
    float viewOffsetX = 0;
    float viewOffsetY = 0;
    float viewScale = 0;
    float fieldLeft = 0;
    float fieldBottom = 0;
    float fieldRight = 0;
    float fieldTop = 0;
    TVec2 sweepA;
    TVec2 sweepB;
    std::int64_t tick = 0;  // ticks run so far (counted for replays and dumps)
    bool shutDown = false;  // Shutdown has run: nothing more is drawn or played
};

extern GameState gameState;
extern Spine spine;

// The start values of every module's state, for a fresh program or a test.
void ResetAllState();
// Fixes the seed that game initialisation uses instead of the clock (--seed, replays).
void SetGameSeed(std::uint64_t seed);

// Game initialisation, run from window creation: scans and loads content, creates the text
// elements, ends on the main menu with ready = 1. The seed comes from the caller.
void GameInitialisation(std::uint64_t seed);
// Field bounds and the sweep line for the current screen size.
void ComputeField();
// The fixed view transform, then the field bounds and the sweep line.
void SetViewAndField();
// Reads the pointer and maps it into field units.
void MapPointer(int pixelX, int pixelY);

void Tick();
void StartNewGame(std::uint8_t weapon, std::uint8_t gameType);
void EndGame();
void Shutdown();

// The window procedure: handles creation, destruction, keys and mouse buttons.
int WindowProcedure(const Message& message);
