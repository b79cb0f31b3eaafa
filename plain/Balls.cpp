// Balls: pool, spawn, step, matches and picture choice.
#include "Balls.h"

#include "Zodav.h"

BallState balls;

void SpawnBall() {}

void AddBall(std::uint8_t, float, float, float, float, float) {}

void StepBalls() {}

void ResolveMatches() {}

void ChoosePictures() {
    for (std::string& name : balls.pictureNames)
        name = "nill";
}
