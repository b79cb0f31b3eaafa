// The catching game's spine: the start-up sequence, the five routines the engine calls back,
// the order of work in one update, and the choice of pictures, sounds and music.
#pragma once

#include <cstdint>
#include <optional>

// The seed GameInit gives the random generator; without one it seeds from the system clock.
extern std::optional<uint64_t> GameSeed;
// The seed GameInit actually used (for recordings).
extern uint64_t UsedSeed;

// Start-up up to the loop: splash (not headless), configuration, window size (fitted to the
// display when there is one), the main window attached to the engine, the callbacks registered. The
// engine must be bound. False when the main window cannot be made.
bool GameStartUp(bool headless);

// "developer" and "size" from "config.txt", then Scale and the window size. A size below 4 or
// above 40 is refused (10 is used) and the log says so.
void ReadConfiguration();

// Size factor `size`: Scale = size / 10 and the window 500 x 600 times Scale, each to the
// nearest pixel.
void UseSize(int32_t size);
int32_t WindowWidthOf(int32_t size);
int32_t WindowHeightOf(int32_t size);

// The largest size factor, at most `size`, whose window fits the usable area (never below the
// smallest size: a display too small for that gets the smallest window).
int32_t LargestSizeThatFits(int32_t size, int32_t usableWidth, int32_t usableHeight);

// A window larger than the display's usable area would put the title and the score off the
// screen: the largest size that fits is used, and stderr and the log say so.
void FitWindowToDisplay(int32_t usableWidth, int32_t usableHeight);

// Registers the five routines with the engine in the start-up order.
void RegisterCallbacks();

void GameInit();
// GameInit with the clock it reads at each of its timed steps (the engine's clock in GameInit).
void GameInitWithClock(int32_t (*clock)());
void GameFree();
void GameMessage(uint32_t msg, uint32_t wParam, uint32_t lParam);
void GameUpdate();

// Picks the two pictures, three sounds and the music of this game from the content list and
// starts the music (when the engine's audio is bound).
void ChooseContent();

// A fresh program for tests: releases a bound engine, the splash and the disk quadric, and
// gives every global of the game its starting value (QuitRequested, the seeds, the generator,
// the content list, the window sizes, the game state).
void ResetAllState();

// Configured sizes outside this range are refused.
inline constexpr int32_t kSmallestSize = 4;
inline constexpr int32_t kLargestSize = 40;
inline constexpr int32_t kUpdatesPerSecond = 50;
