// The catching game's shapes in a real GL window (run under xvfb-run): one whole scene without
// text (no engine bound) per iteration, its disks filled with 31 rings as they once were and
// with the one ring drawn now; the pixels are the same (SceneTest compares them). Without a
// display the benchmark is skipped.
#include <GL/gl.h>
#include <SDL.h>
#include <benchmark/benchmark.h>

#include "drawing.h"
#include "game_state.h"
#include "rules.h"
#include "scene.h"

namespace {

constexpr int kW = 500, kH = 600;

void BM_SceneShapes(benchmark::State& state) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        state.SkipWithError("no display");
        return;
    }
    SDL_Window* window = SDL_CreateWindow("bench", 0, 0, kW, kH, SDL_WINDOW_OPENGL);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) {
        state.SkipWithError("no GL context");
        return;
    }
    glMatrixMode(GL_PROJECTION);
    glOrtho(0, kW, kH, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    GameState = TGameState{};
    GameState.Scale = 1;
    SetUpBins(kW, kH);
    StartPlay(0);
    SetBinHeights(kH);
    CreateDiskQuadric();
    SetDiskRings(static_cast<int32_t>(state.range(0)));
    for (auto _ : state) {
        GameState.SunPhase += 0.01f;
        glClear(GL_COLOR_BUFFER_BIT);
        DrawScene(kW, kH);
        glFinish();
    }
    SetDiskRings(1);
    FreeDiskQuadric();
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace

BENCHMARK(BM_SceneShapes)->ArgName("rings")->Arg(31)->Arg(1)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
