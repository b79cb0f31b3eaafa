// Balls: the ball pool, spawning, the per-tick ball step (moves, bursts, walls, contacts and the
// separation of overlapping discs), the sweep line, matches with their score and time bonus, and
// the choice of one picture per colour.
#include "Balls.h"

#include <string>

#include "Content.h"
#include "Particles.h"
#include "Random.h"
#include "Screens.h"
#include "Weapons.h"
#include "Zodav.h"
#include "bassUse.h"

BallState balls;

namespace {

constexpr std::uint8_t kBurstGone = 22;  // a bursting ball vanishes when its counter gets here
constexpr float kBlastReach = 6.0f;
constexpr std::int32_t kSweepMark = 2;
constexpr std::int32_t kBonusShowTicks = 28;

struct StepFlags {
    bool wallHit = false;
    bool ballHit = false;
};

int LiveBallCount() {
    int count = 0;
    for (const Ball& ball : balls.BallPool)
        count += ball.alive ? 1 : 0;
    return count;
}

// One of -0.19..0.19 in steps of 0.01: the sign is drawn first, then the size.
float RandomSpeed() {
    const double sign = 1.0 - 2.0 * Random(2);
    const double size = Random(20) / 100.0;
    return static_cast<float>(sign * size);
}

bool Overlap(const Ball& a, const Ball& b, float& d) {
    d = Distance(a.position, b.position);
    return static_cast<double>(a.radius) + b.radius > d;
}

// Moves one ball, damps it, counts its mark and burst down and up, and tests the sweep line.
void MoveBall(Ball& ball) {
    VecAdd(ball.position, ball.velocity, ball.position);
    ball.velocity.x = static_cast<float>(static_cast<double>(ball.velocity.x) * gameState.damping);
    ball.velocity.y = static_cast<float>(static_cast<double>(ball.velocity.y) * gameState.damping);
    ball.correction = {0, 0};
    if (ball.mark > 0) ball.mark -= 1;
    if (ball.burst > 0) ball.burst += 1;
    // A burst shrinks the ball to 0.55, swells it to 1.10, then blows it away.
    if (ball.burst >= 1 && ball.burst <= 10)
        ball.radius = static_cast<float>(ball.radius - 0.05);
    else if (ball.burst >= 11 && ball.burst <= 21)
        ball.radius = static_cast<float>(ball.radius + 0.05);
    if (ball.burst >= kBurstGone) {
        ball.alive = false;
        ApplyWeapon(WeaponEffect::Blast, ball.position.x, ball.position.y, kBlastReach);
    }
    // Also for a ball that has just vanished: its slot keeps the mark.
    if (gameState.gameType == GameType::Vertical || gameState.gameType == GameType::Horizontal) {
        const float e = PointLineDistance(spine.sweepA, spine.sweepB, ball.position);
        if (e < ball.radius && ball.mark == 0) ball.mark = kSweepMark;
    }
}

// Negates the velocity component of every wall the disc reaches past.
void BounceOffWalls(Ball& ball, StepFlags& flags) {
    const double x = ball.position.x, y = ball.position.y, r = ball.radius;
    const auto flip = [&flags](float& component) {
        component = -component;
        flags.wallHit = true;
    };
    // The four tests are independent: a corner flips both components.
    if (x - r < spine.fieldLeft) flip(ball.velocity.x);
    if (y - r < spine.fieldBottom) flip(ball.velocity.y);
    if (x + r > spine.fieldRight) flip(ball.velocity.x);
    if (y + r > spine.fieldTop) flip(ball.velocity.y);
}

// Ball i hands j the part of its velocity along the line of centres; visiting both orders makes
// the two exchange those parts (equal masses, no loss).
void Contact(Ball& a, Ball& b, StepFlags& flags) {
    float d = 0;
    if (!Overlap(a, b, d)) return;
    flags.ballHit = true;
    const float along = DirectionAngle(a.position, b.position);
    const TVec2 origin{0, 0};
    const double speed = Distance(origin, a.velocity);  // a standing ball counts as 1e-7
    const float heading = DirectionAngle(origin, a.velocity);
    const float length = LenDirX(static_cast<float>(heading - static_cast<double>(along)),
                                 static_cast<float>(speed));
    TVec2 n;
    VecFromAngle(n, along, length);
    VecAdd(b.correction, n, b.correction);
    VecSub(a.correction, n, a.correction);
    if (gameState.gameType == GameType::Collisions && a.colour == b.colour)
        a.mark = gameState.markDuration;
}

void ApplyVelocityCorrections() {
    for (Ball& ball : balls.BallPool) {
        if (!ball.alive) continue;
        if (ball.correction.x != 0 || ball.correction.y != 0)
            VecAdd(ball.velocity, ball.correction, ball.velocity);
        ball.correction = {0, 0};
    }
}

// Pushes every disc overlapping ball i half the overlap away (replacing its correction), then
// moves ball i itself back inside the walls.
void Separate(int i) {
    Ball& a = balls.BallPool[i];
    for (int j = 0; j < kBallSlots; ++j) {
        Ball& b = balls.BallPool[j];
        float d = 0;
        if (j == i || !b.alive || !Overlap(a, b, d)) continue;
        const double overlap = static_cast<double>(a.radius) + b.radius - d;
        VecFromAngle(b.correction, DirectionAngle(a.position, b.position),
                     static_cast<float>(overlap / 2.0));
    }
    const double x = a.position.x, y = a.position.y, r = a.radius;
    double cx = a.correction.x, cy = a.correction.y;
    if (x - r < spine.fieldLeft) cx += spine.fieldLeft - (x - r);
    if (y - r < spine.fieldBottom) cy += spine.fieldBottom - (y - r);
    if (x + r > spine.fieldRight) cx += spine.fieldRight - (x + r);
    if (y + r > spine.fieldTop) cy += spine.fieldTop - (y + r);
    a.correction = {static_cast<float>(cx), static_cast<float>(cy)};
}

// The separation replaces a ball's correction with the push of each later ball it overlaps, which
// drops the ball's own wall correction: in a crowd at a wall a disc may stay past the wall for a
// tick or two, and the wall test brings it back. Only a centre pushed out of the field (which
// ordinary play never does) is put back against the wall, so a ball can never be lost outside.
void KeepCentreInside(Ball& ball) {
    const double r = ball.radius;
    double x = ball.position.x, y = ball.position.y;
    if (x < spine.fieldLeft)
        x = spine.fieldLeft + r;
    else if (x > spine.fieldRight)
        x = spine.fieldRight - r;
    if (y < spine.fieldBottom)
        y = spine.fieldBottom + r;
    else if (y > spine.fieldTop)
        y = spine.fieldTop - r;
    ball.position = {static_cast<float>(x), static_cast<float>(y)};
}

void ApplyPositionCorrections() {
    for (Ball& ball : balls.BallPool) {
        if (!ball.alive) continue;
        VecAdd(ball.position, ball.correction, ball.position);
        ball.correction = {0, 0};
        KeepCentreInside(ball);
    }
}

void MoveSweepLine() {
    TVec2& a = spine.sweepA;
    if (gameState.gameType == GameType::Vertical) {
        // A horizontal line climbs 0.15 per tick and jumps back to the bottom.
        a.x = spine.fieldLeft;
        if (spine.fieldTop - 0.14 >= a.y)
            a.y = static_cast<float>(a.y + 0.15);
        else
            a.y = spine.fieldBottom;
        spine.sweepB = {spine.fieldRight, a.y};
    } else if (gameState.gameType == GameType::Horizontal) {
        // A vertical line moves right 0.2 per tick and jumps back to the left.
        if (spine.fieldRight - 0.19 >= a.x)
            a.x = static_cast<float>(a.x + 0.2);
        else
            a.x = spine.fieldLeft;
        a.y = spine.fieldBottom;
        spine.sweepB = {a.x, spine.fieldTop};
    }
}

// Dead slots count too: a slot keeps the mark its ball had when it vanished.
void CountMarkedColours() {
    balls.colourCount.fill(0);
    for (const Ball& ball : balls.BallPool)
        if (ball.mark > 0 && ball.colour < kColourCounters) balls.colourCount[ball.colour] += 1;
}

std::int32_t AwardFor(int count) {
    if (count == 3) return 10;
    if (count == 4) return 40;
    if (count == 5) return 70;
    return 100;
}

void Match(std::uint8_t colour, int count) {
    for (Ball& ball : balls.BallPool) {
        if (ball.mark > 0 && ball.colour == colour && ball.burst == 0) {
            ball.burst = 1;
            ball.mark = 0;
        }
    }
    gameState.timeLeft += gameState.timeBonus;
    screens.timeBonusText.text = "+ " + std::to_string(gameState.timeBonus);
    // Each match is worth 98 % of the previous one, never much below 100 ticks.
    if (gameState.timeBonus >= 100)
        gameState.timeBonus = static_cast<std::int32_t>(gameState.timeBonus * 0.98L);
    else
        gameState.timeBonus = 100;
    balls.lastAward = AwardFor(count);
    gameState.score += balls.lastAward;
    screens.scoreBonusText.text = "+ " + std::to_string(balls.lastAward);
    screens.bonusShowTicks = kBonusShowTicks;
}

}  // namespace

void SpawnBall() {
    if (LiveBallCount() >= gameState.maxBalls) return;
    const auto x = static_cast<float>(Random(100) / 100.0 * spine.fieldRight + spine.fieldLeft);
    const auto y = static_cast<float>(Random(100) / 100.0 * spine.fieldTop + spine.fieldBottom);
    const float vx = RandomSpeed();
    const float vy = RandomSpeed();
    const auto colour = static_cast<std::uint8_t>(Random(8));
    AddBall(colour, x, y, vx, vy, 1.0f);
}

void AddBall(std::uint8_t colour, float x, float y, float vx, float vy, float radius) {
    for (Ball& ball : balls.BallPool) {
        if (ball.alive) continue;
        ball.position = {x, y};
        ball.velocity = {vx, vy};
        ball.correction = {0, 0};
        ball.radius = radius;
        ball.colour = colour;
        ball.mark = 0;
        ball.burst = 0;
        ball.alive = true;
        EmitBallSparks(x, y);
        return;
    }
}

void StepBalls() {
    // Stopped first, so that a sound started later in this step plays from its beginning.
    SoundStop(content.Sounds[0]);
    SoundStop(content.Sounds[1]);
    StepFlags flags;
    StepParticles();
    for (Ball& ball : balls.BallPool)
        if (ball.alive) MoveBall(ball);
    for (int i = 0; i < kBallSlots; ++i) {
        Ball& a = balls.BallPool[i];
        if (!a.alive) continue;
        BounceOffWalls(a, flags);
        for (int j = 0; j < kBallSlots; ++j)
            if (j != i && balls.BallPool[j].alive) Contact(a, balls.BallPool[j], flags);
    }
    ApplyVelocityCorrections();
    for (int i = 0; i < kBallSlots; ++i)
        if (balls.BallPool[i].alive) Separate(i);
    ApplyPositionCorrections();
    if (flags.wallHit && gameState.soundsOn) SoundPlay(content.Sounds[0]);
    if (flags.ballHit && gameState.soundsOn) SoundPlay(content.Sounds[1]);
}

void ResolveMatches() {
    MoveSweepLine();
    CountMarkedColours();
    for (std::uint8_t k = 0; k < kColourCounters; ++k)
        if (balls.colourCount[k] >= 3) Match(k, balls.colourCount[k]);
}

void ChoosePictures() {
    const auto& list = content.PictureList;
    auto& names = balls.pictureNames;
    for (int i = 0; i < kPictureCount; ++i) {
        names[i] = list.empty() ? "nill" : list[Random(static_cast<std::uint32_t>(list.size()))];
        // No two colours share a picture; later entries still hold their previous names.
        for (int j = 0; j < kPictureCount; ++j) {
            if (j != i && names[j] == names[i]) {
                names[i] = "nill";
                break;
            }
        }
    }
}
