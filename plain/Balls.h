// Balls: the ball pool, spawning, the per-tick ball step, the sweep line, matches with their score
// and time bonus, and the choice of one picture per colour.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "GeomUse.h"

struct Ball {
    bool alive = false;
    TVec2 position;
    TVec2 velocity;
    TVec2 correction;  // within one step: first a velocity change, then a position change
    float radius = 0;
    std::uint8_t colour = 0;
    std::int32_t mark = 0;   // ticks the ball still counts as marked
    std::uint8_t burst = 0;  // 0 not bursting, 1..21 bursting, removed at 22
};

constexpr int kBallSlots = 41;
constexpr int kColourCounters = 11;
constexpr int kPictureCount = 9;

struct BallState {
    std::array<Ball, kBallSlots> BallPool{};
    std::array<std::uint8_t, kColourCounters> colourCount{};
    // One picture file name per colour index 0..8, or "nill"; index 8 dresses sparks and pointer.
    std::array<std::string, kPictureCount> pictureNames{};
    std::int32_t lastAward = 0;
};

extern BallState balls;

void SpawnBall();
void AddBall(std::uint8_t colour, float x, float y, float vx, float vy, float radius);
void StepBalls();
void ResolveMatches();
void ChoosePictures();
