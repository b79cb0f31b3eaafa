// The rules of play: owns GameState and runs the steps of an update in order (see rules.h).
// Motion is counted per update (tuned for 50 a second), timers read the clock passed in.
#include "rules.h"

#include <cmath>

#include "collisions.h"
#include "eXgine_binding.h"
#include "game_state.h"
#include "random.h"

TGameState GameState;

namespace {

// Plays a sound once; without a bound engine (tests, headless runs) it is silent.
void PlaySound(int32_t id) {
    if (Audio != nullptr) Audio->PlayEffect(id, 0, 0, 0, 0);
}

double Scale() {
    return GameState.Scale;
}

// Appends nothing, removes the piece at index i by moving the last piece into its place.
void RemoveItem(size_t i) {
    auto& items = GameState.Items;
    items[i] = items.back();
    items.pop_back();
}

}  // namespace

bool GameOver() {
    return GameState.Defeat || GameState.Victory;
}

void SetUpBins(int32_t width, int32_t height) {
    const double s = Scale();
    auto& bins = GameState.Bins;
    bins[0] = TBin{};
    bins[0].X = static_cast<float>(100 * s);
    bins[0].Y = static_cast<float>(height - 32 - 128 * s);
    bins[0].FacingRight = true;
    bins[0].Active = true;
    bins[1] = TBin{};
    bins[1].X = static_cast<float>(width - 100);
    bins[1].Y = static_cast<float>(height - 96);
    bins[1].FacingRight = false;
    bins[1].Active = false;
}

void StartHoverAndSun(int32_t now) {
    GameState.Hovered = -1;
    GameState.SunTurnTime = now;
}

void StartSpawning(int32_t now) {
    GameState.Items.clear();
    // With the level-0 interval of 2500 ms the first piece comes 4.5 s after the start.
    GameState.LastSpawn = {now + 2000, 0};
}

void StartCounters(int32_t now) {
    auto& g = GameState;
    g.Level = 0;
    g.Lives = 10;
    g.LastScoreTick = now;
    g.ItemRadius = static_cast<float>(16 * Scale());
}

void StartPlay(int32_t now) {
    StartHoverAndSun(now);
    StartSpawning(now);
    StartCounters(now);
}

void GrabBin() {
    auto& g = GameState;
    if (GameOver() || g.Hovered < 0 || g.Hovered > 1) return;
    g.Bins[g.Hovered].Grabbed = true;
    g.DragStartX = g.DragCurX = g.MouseX;
    g.DragStartY = g.DragCurY = g.MouseY;
}

void ReleaseBins() {
    auto& g = GameState;
    const double s = Scale();
    for (auto& bin : g.Bins) {
        if (!bin.Active || !bin.Grabbed) continue;
        bin.Grabbed = false;
        // Toward where the mouse was at the last update, 200 pixels at scale 1 giving full speed.
        double vel = 0.05 * (g.DragCurX - g.DragStartX) * s;
        if (vel > 10 * s) vel = 10 * s;
        if (vel < -10 * s) vel = -10 * s;
        bin.VelX = static_cast<float>(vel);
    }
}

void StepFade() {
    auto& g = GameState;
    if (GameOver() && g.Fade < 0.5f) g.Fade = static_cast<float>(g.Fade + 0.005);
}

void CheckDefeat() {
    if (GameState.Lives <= 0) GameState.Defeat = true;
}

void HoverTest() {
    auto& g = GameState;
    const float reach = static_cast<float>(36 * Scale() + 1);
    g.Hovered = -1;
    for (int32_t i = 0; i < 2; ++i) {
        const TBin& bin = g.Bins[i];
        // The later bin wins when the mouse is over both.
        if (bin.Active && CirclesTouch(static_cast<float>(g.MouseX), static_cast<float>(g.MouseY),
                                       0, bin.X, bin.Y, reach))
            g.Hovered = i;
    }
}

void TrackDrag() {
    auto& g = GameState;
    for (const auto& bin : g.Bins) {
        if (!bin.Active || !bin.Grabbed) continue;
        // The line starts at the bin's centre column, at the height where the button went down.
        g.DragStartX = static_cast<int32_t>(std::nearbyint(bin.X));
        g.DragCurX = g.MouseX;
        g.DragCurY = g.MouseY;
    }
}

namespace {

// Points for a full bin of `count` pieces at this level; a bin holding more than five (two
// catches in one update) pays like five, else it would never pay again.
int32_t PayoutPoints(int32_t count, int32_t level) {
    if (count == 3) return 3 * (level + 1) * 4;
    if (count == 4) return 4 * (level + 1) * 8;
    return 5 * (level + 1) * 12;
}

bool PayoutDue(const TBin& bin, int32_t now) {
    if (bin.Count == 3 || bin.Count == 4) return now >= bin.PayoutTime;
    return bin.Count >= 5;
}

}  // namespace

void PayOutBins(int32_t now) {
    auto& g = GameState;
    for (auto& bin : g.Bins) {
        if (!bin.Active || !PayoutDue(bin, now)) continue;
        // Payouts go on after the end, so the score on the end screen can still rise.
        g.Score += PayoutPoints(bin.Count, g.Level);
        bin.Count = 0;
        bin.PayoutTime = 0;
        PlaySound(g.SoundId[2]);
    }
}

namespace {

// The speed loses 0.1 s per update and stops once it is smaller than that; each test works on
// the value the one before left.
float ApplyFriction(float vel, double s) {
    const double step = 0.1 * s;
    if (vel > 0) vel = static_cast<float>(vel - step);
    if (vel < 0) vel = static_cast<float>(vel + step);
    if (vel < step && vel > 0) vel = 0;
    if (vel > -step && vel < 0) vel = 0;
    return vel;
}

// Bounces off the 32-pixel wall zones. A bin so fast that its box would cross a zone within
// one update (large scales) is put back at the wall, so it never leaves the window.
void BounceOffWalls(TBin& bin, int32_t width, int32_t height) {
    const double half = 32 * Scale();
    const float left = static_cast<float>(bin.X - half);
    const float right = static_cast<float>(bin.X + half);
    if (PointInRect(left, bin.Y, 0, 0, 32, static_cast<float>(height)) && bin.VelX < 0)
        bin.VelX = -bin.VelX;
    if (PointInRect(right, bin.Y, static_cast<float>(width - 32), 0, static_cast<float>(width),
                    static_cast<float>(height)) &&
        bin.VelX > 0)
        bin.VelX = -bin.VelX;
    if (left <= 0) {
        bin.X = static_cast<float>(half);
        if (bin.VelX < 0) bin.VelX = -bin.VelX;
    } else if (right >= width) {
        bin.X = static_cast<float>(width - half);
        if (bin.VelX > 0) bin.VelX = -bin.VelX;
    }
}

}  // namespace

void MoveBins(int32_t width, int32_t height) {
    for (auto& bin : GameState.Bins) {
        if (!bin.Active) continue;
        bin.X = static_cast<float>(static_cast<double>(bin.X) + bin.VelX);
        // The facing follows the speed before the bounce: a bounced bin turns on the next update.
        if (bin.VelX > 0) bin.FacingRight = true;
        if (bin.VelX < 0) bin.FacingRight = false;
        bin.VelX = ApplyFriction(bin.VelX, Scale());
        BounceOffWalls(bin, width, height);
    }
}

void SwingSun(int32_t now) {
    auto& g = GameState;
    if (static_cast<int64_t>(now) - g.SunTurnTime > 5000) {
        g.SunForward = !g.SunForward;
        g.SunTurnTime = now;
    }
    const double step = g.SunForward ? 0.01 : -0.01;
    g.SunPhase = static_cast<float>(g.SunPhase + step);
}

namespace {

// One row of the level table: spawn intervals in ms (-1 leaves the value as it was) and fall
// speeds in multiples of the scale.
struct TLevelRow {
    int32_t Interval0;
    double Speed0;
    int32_t Interval1;
    double Speed1;
};

constexpr std::array<TLevelRow, 11> LevelTable = {{
    {2500, 1, -1, 1},
    {2000, 1, -1, 1},
    {1500, 1, -1, 1},
    {1500, 2, -1, 1},
    {1500, 3, -1, 1},
    {2000, 2, 3000, 1},
    {1500, 2, 2500, 1},
    {1500, 2, 2250, 1.5},
    {1500, 2.25, 2000, 1.75},
    {1750, 2.5, 2250, 2},
    {1500, 3, 1750, 2},
}};

// Level 0 lasts ten pieces, every later level eleven.
bool LevelDone(int32_t level, int32_t spawned) {
    if (level == 0) return spawned >= 10;
    return spawned - 10 * level > 10;
}

}  // namespace

std::array<float, 2> RunLevelTable() {
    auto& g = GameState;
    const double s = Scale();
    std::array<float, 2> speeds = {static_cast<float>(s), static_cast<float>(s)};
    if (g.Level < 0 || g.Level > 10) return speeds;
    const TLevelRow& row = LevelTable[g.Level];
    g.SpawnInterval[0] = row.Interval0;
    if (row.Interval1 >= 0) g.SpawnInterval[1] = row.Interval1;
    speeds = {static_cast<float>(row.Speed0 * s), static_cast<float>(row.Speed1 * s)};
    if (g.Level == 5) g.Bins[1].Active = true;
    if (!LevelDone(g.Level, g.Spawned)) return speeds;
    if (g.Level < 10)
        g.Level += 1;
    else if (!g.Defeat)  // a lost game stays lost: never both captions at once
        g.Victory = true;
    return speeds;
}

void SpawnItems(int32_t now, int32_t width, const std::array<float, 2>& speeds) {
    auto& g = GameState;
    for (int32_t j = 0; j < 2; ++j) {
        if (!g.Bins[j].Active) continue;
        if (static_cast<int64_t>(now) - g.LastSpawn[j] < g.SpawnInterval[j]) continue;
        TGarbageItem item;
        item.X = static_cast<float>(64 + Random(width - 160));
        item.Y = 0;
        item.Kind = j;
        item.Speed = speeds[j];
        g.Items.push_back(item);
        g.LastSpawn[j] = now;
        g.Spawned += 1;
    }
}

void FallItems(int32_t height) {
    const float floor = static_cast<float>(height - 32);
    for (auto& item : GameState.Items) {
        if (item.Y < floor) item.Y = static_cast<float>(static_cast<double>(item.Y) + item.Speed);
    }
}

void RemoveMisses(int32_t height) {
    auto& g = GameState;
    const float floor = static_cast<float>(height - 32);
    // The piece moved into a freed place is looked at by the next update's walk.
    for (size_t i = 0; i < g.Items.size(); ++i) {
        if (g.Items[i].Y < floor) continue;
        if (!GameOver()) {
            g.Lives -= 1;
            g.Score -= 10 * (g.Level + 1);
        }
        RemoveItem(i);
    }
}

namespace {

void CatchOne(int32_t bin_index, int32_t now) {
    auto& g = GameState;
    TBin& bin = g.Bins[bin_index];
    bin.Count += 1;
    // Every further catch postpones the payout.
    if (bin.Count >= 3) bin.PayoutTime = now + 2000 - 150 * g.Level;
}

void StartHop(int32_t bin_index) {
    auto& g = GameState;
    if (g.HopFlag[bin_index]) return;
    g.HopFlag[bin_index] = true;
    g.HopOffset[bin_index] = 0;
}

}  // namespace

void CatchItems(int32_t now) {
    auto& g = GameState;
    const float reach = static_cast<float>(36 * Scale());
    const float r = g.ItemRadius;
    for (int32_t b = 0; b < 2; ++b) {
        const TBin& bin = g.Bins[b];
        if (!bin.Active) continue;
        for (size_t i = 0; i < g.Items.size(); ++i) {
            const TGarbageItem& item = g.Items[i];
            if (item.Kind != b) continue;
            const float cx = static_cast<float>(static_cast<double>(item.X) + r);
            const float cy = static_cast<float>(static_cast<double>(item.Y) + r);
            if (!CirclesTouch(cx, cy, r, bin.X, bin.Y, reach)) continue;
            CatchOne(b, now);
            RemoveItem(i);
            if (!GameOver()) PlaySound(g.SoundId[b]);
            StartHop(b);
        }
    }
}

void ScoreTime(int32_t now) {
    auto& g = GameState;
    if (GameOver() || static_cast<int64_t>(now) - g.LastScoreTick < 1000) return;
    g.Score += 1;
    g.LastScoreTick = now;
}

void AnimateHops() {
    auto& g = GameState;
    if (GameOver()) return;
    for (size_t j = 0; j < 2; ++j) {
        if (g.HopFlag[j]) {
            g.HopOffset[j] -= 1;
            if (g.HopOffset[j] <= -5) g.HopFlag[j] = false;
        }
        if (!g.HopFlag[j] && g.HopOffset[j] < 0) g.HopOffset[j] += 1;
    }
}

void SetBinHeights(int32_t height) {
    auto& g = GameState;
    for (size_t j = 0; j < 2; ++j)
        g.Bins[j].Y = static_cast<float>(height - 160 + 64 * static_cast<double>(j) +
                                         static_cast<double>(g.HopOffset[j]));
}

void RunUpdateSteps(int32_t now, int32_t width, int32_t height) {
    StepFade();
    CheckDefeat();
    HoverTest();
    TrackDrag();
    PayOutBins(now);
    MoveBins(width, height);
    SwingSun(now);
    const std::array<float, 2> speeds = RunLevelTable();
    SpawnItems(now, width, speeds);
    FallItems(height);
    RemoveMisses(height);
    CatchItems(now);
    ScoreTime(now);
    AnimateHops();
    SetBinHeights(height);
}
