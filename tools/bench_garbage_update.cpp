// Figures for the catching game: one update with 40 pieces in the air, and one whole frame drawn
// by the engine into a real window (under Xvfb with Mesa) with 40 pieces, both bins and text.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include "drawing.h"
#include "eXgine_binding.h"
#include "game_state.h"
#include "random.h"
#include "rules.h"
#include "scene.h"

namespace {

constexpr int32_t kWidth = 500, kHeight = 600;

// A game at level 6 with both bins in play and 40 pieces spread over the air, held still so
// that every update sees the same 40 (falling adds a speed of 0).
void SetUpBusyGame() {
    GameState = TGameState{};
    SeedRandom(1);
    SetUpBins(kWidth, kHeight);
    StartPlay(0);
    GameState.Level = 6;
    GameState.Spawned = 65;
    GameState.Bins[1].Active = true;
    GameState.LastSpawn = {INT32_MAX / 2, INT32_MAX / 2};
    for (int i = 0; i < 40; ++i)
        GameState.Items.push_back(
            {static_cast<float>(64 + Random(340)), static_cast<float>(10 * i), i % 2, 0});
    SetBinHeights(kHeight);
}

void BM_Update40Pieces(benchmark::State& state) {
    SetUpBusyGame();
    int32_t now = 0;
    for (auto _ : state) {
        RunUpdateSteps(now += 20, kWidth, kHeight);
        benchmark::DoNotOptimize(GameState.Items.data());
    }
    state.counters["pieces"] = static_cast<double>(GameState.Items.size());
}
BENCHMARK(BM_Update40Pieces);

void BM_Frame40Pieces(benchmark::State& state) {
    if (!BindEngine(0) || !WindowHost->CreateWindow("bench", 0, 0, kWidth, kHeight)) {
        state.SkipWithError("no engine window (run under Xvfb)");
        UnbindEngine();
        return;
    }
    SetUpBusyGame();
    IFont* fonts = Renderer->Fonts();
    GameState.FontSmall = fonts->MakeFont("Georgia", 7, 1, 512);
    GameState.FontTitle = fonts->MakeFont("Comic Sans MS", 16, 1, 512);
    GameState.FontBig = fonts->MakeFont("Comic Sans MS", 32, 1, 1024);
    GameState.FontCredits = fonts->MakeFont("Comic Sans MS", 12, 0, 512);
    CreateDiskQuadric();
    for (auto _ : state) {
        DrawScene(kWidth, kHeight);
        glFinish();
    }
    FreeDiskQuadric();
    UnbindEngine();
}
BENCHMARK(BM_Frame40Pieces)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
