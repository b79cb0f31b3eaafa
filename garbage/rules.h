// The rules of play of the catching game: bins that are hovered, grabbed and thrown, pieces
// that spawn by the level table, fall and are caught or missed, payouts, pollution, the sun's
// swing, the hop of a bin after a catch, and the defeat and victory states with their fade.
//
// Calling order. The spine's GameUpdate first handles Esc (its step 1), then calls
// RunUpdateSteps(now, width, height), which runs, in this order:
//    2 StepFade            fade of the end screen
//    3 CheckDefeat         no lives left
//    4 HoverTest           bin under the mouse
//    5 TrackDrag           throw gesture of a held bin
//    6 PayOutBins          full bins pay
//    7 MoveBins            slide, friction, wall bounces
//    8 SwingSun            the sun's rays sweep back and forth
//    9 RunLevelTable       intervals, speeds, level-up, bin 1, victory
//   10 SpawnItems          both spawners
//   11 FallItems
//   12 RemoveMisses        pieces on the floor pollute
//   13 CatchItems          each bin catches its own kind
//   14 ScoreTime           a point a second
//   15 AnimateHops
//   16 SetBinHeights
// GameMessage calls GrabBin on a left-button press and ReleaseBins on its release.
// GameInit calls SetUpBins (its step 2), then StartHoverAndSun, StartSpawning and StartCounters
// (its steps 3, 6 and 8), each with the clock read at that step.
//
// "now" is the engine clock in ms; width and height are the window size the engine reports.
// The rules touch the engine only to play sounds, and only when its audio is bound.
#pragma once

#include <array>
#include <cstdint>

// Start values of both bins: bin 0 in play, bin 1 waiting for level 5.
void SetUpBins(int32_t width, int32_t height);
// No bin hovered; the sun's swing is timed from now.
void StartHoverAndSun(int32_t now);
// An empty list; the first piece comes 4.5 s from now.
void StartSpawning(int32_t now);
// Level, lives, the score tick from now, and the piece radius.
void StartCounters(int32_t now);
// The three above at one clock reading (a fresh game for tests and tools).
void StartPlay(int32_t now);

// Mouse buttons.
void GrabBin();
void ReleaseBins();

void StepFade();
void CheckDefeat();
void HoverTest();
void TrackDrag();
void PayOutBins(int32_t now);
void MoveBins(int32_t width, int32_t height);
void SwingSun(int32_t now);
// Returns this update's fall speeds of kind 0 and kind 1 for the spawners.
std::array<float, 2> RunLevelTable();
void SpawnItems(int32_t now, int32_t width, const std::array<float, 2>& speeds);
void FallItems(int32_t height);
void RemoveMisses(int32_t height);
void CatchItems(int32_t now);
void ScoreTime(int32_t now);
void AnimateHops();
void SetBinHeights(int32_t height);

// Steps 2 to 16 of an update, in order.
void RunUpdateSteps(int32_t now, int32_t width, int32_t height);

// True once the game is lost or won.
bool GameOver();
