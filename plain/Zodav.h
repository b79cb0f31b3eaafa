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

// Game types, in the order of the level rows within each weapon.
enum class GameType : std::uint8_t {
    None = 0,
    Collisions = 1,  // balls of one colour that touch are marked
    Vertical = 2,    // a level line climbs the field and marks the balls it crosses
    Horizontal = 3,  // an upright line sweeps the field from left to right
};

// The three weapons, in the order of the level rows.
enum class Weapon : std::uint8_t {
    Vacuum = 0,         // left: a blast per click; right: an implosion per click
    Whirlwind = 1,      // while held: whirl (left) or counter-whirl (right)
    VacuumCleaner = 2,  // while held: the beam out of (left) or into (right) the screen centre
};

// The force effects on the balls' velocities: the weapons' six, the blast also when a ball
// vanishes.
enum class WeaponEffect : std::uint8_t {
    Blast = 0,
    Implosion = 1,
    Whirl = 2,
    CounterWhirl = 3,
    BeamOut = 4,
    BeamIn = 5,
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
    bool ready = false;
    GameType gameType = GameType::None;
    float damping = 1.0f;
    Weapon weapon = Weapon::Whirlwind;
    std::int32_t markDuration = 80;
    bool tintAlways = false;
    bool textureProcessing = true;
    bool textureFull = true;
    bool soundsOn = true;
    bool musicOn = true;
    std::uint8_t soundVolume = 50;
    std::uint8_t musicVolume = 100;
    std::uint8_t particleLevel = 1;
};

// The spine's other process-wide state: button flags, pointer, screen size, view transform, field
// bounds and the sweep line.
struct Spine {
    bool gameInProgress = false;
    bool leftHeld = false;
    bool rightHeld = false;
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
void StartNewGame(Weapon weapon, GameType gameType);
void EndGame();
void Shutdown();

// The window procedure: handles creation, destruction, keys and mouse buttons.
int WindowProcedure(const Message& message);
