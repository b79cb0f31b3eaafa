// One drawn frame of the ball game at 1024 x 768 in a real window (Xvfb with Mesa's software GL):
// the main menu over 20 balls and 1501 sparks, next to a bare frame (clear and swap) and to the
// same frame without its texts, in the same run, and the full frame shown scaled in larger windows.
// Needs a display (run under xvfb-run).
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "Balls.h"
#include "Frame.h"
#include "GLUse.h"
#include "OpenGL.h"
#include "Particles.h"
#include "Screens.h"
#include "WindUse.h"
#include "Zodav.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

// 20 balls of every colour across the field, all 1501 spark slots live, the main menu shown.
void FillScene() {
    for (int i = 0; i < 20; ++i) {
        Ball& b = balls.BallPool[i];
        b.alive = 1;
        b.colour = static_cast<std::uint8_t>(i % 8);
        b.position = {1.0f + (i % 5) * 5.5f, 2.0f + (i / 5) * 4.5f};
        b.radius = 1.0f;
        b.mark = i % 3 == 0 ? 10 : 0;
    }
    for (int i = 0; i < kParticleSlots; ++i) {
        Particle& p = particles.ParticlePool[i];
        p.alive = 1;
        p.position = {static_cast<float>(i % 26), static_cast<float>(i % 19)};
        p.fade = static_cast<std::uint8_t>(i % 8);
        p.life = 10;
    }
    gameState.screenState = kScreenMainMenu;
    spine.pointerX = 13;
    spine.pointerY = 9.6f;
    for (int i = 0; i < 25; ++i)
        RenderFrame();  // the rows slide in
}

void BM_FullFrame(benchmark::State& state) {
    FillScene();
    for (auto _ : state) {
        RenderFrame();
        glFinish();
    }
}

// The same frame with the texts hidden: what the glyphs cost is the difference.
void BM_FrameWithoutTexts(benchmark::State& state) {
    FillScene();
    for (auto _ : state) {
        for (TTextElement& row : screens.menuRows)
            row.appear = 0;
        for (TTextElement* t : {&screens.timeText, &screens.scoreText, &screens.timeBonusText,
                                &screens.scoreBonusText})
            t->appear = 0;
        gameState.screenState = kScreenPlay;  // no rows filled or drawn
        RenderFrame();
        glFinish();
    }
}

// The full frame in a window of the given size: at 1024 x 768 it goes straight to the window, at
// any other size it is drawn offscreen and shown scaled (one textured quad). Run under a display at
// least 1920 x 1080 for the largest case.
void BM_FullFrameInWindow(benchmark::State& state) {
    SDL_SetWindowSize(MainWindow(), static_cast<int>(state.range(0)),
                      static_cast<int>(state.range(1)));
    SDL_PumpEvents();
    FillScene();
    for (auto _ : state) {
        RenderFrame();
        glFinish();
    }
    SDL_SetWindowSize(MainWindow(), kWidth, kHeight);
    SDL_PumpEvents();
}

void BM_BareFrame(benchmark::State& state) {
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        PresentFrame();
        glFinish();
    }
}

int RunAll() {
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (!std::getenv("DISPLAY") || SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0 ||
        !HasDisplay()) {
        std::fprintf(stderr, "bench_plain_frame needs a display: run it under xvfb-run\n");
        return 1;
    }
    BENCHMARK(BM_BareFrame)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
    BENCHMARK(BM_FullFrame)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
    BENCHMARK(BM_FrameWithoutTexts)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(5)
        ->ReportAggregatesOnly();
    BENCHMARK(BM_FullFrameInWindow)
        ->Args({kWidth, kHeight})
        ->Args({1366, 768})
        ->Args({1920, 1080})
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(5)
        ->ReportAggregatesOnly();
    runMode.windowed = true;
    runMode.replaying = true;  // frames are drawn by hand, not by the timer
    spine.screenWidth = kWidth;
    spine.screenHeight = kHeight;
    SetGameSeed(1);
    CreateMainWindow(WindowProcedure, kWidth, kHeight, RunAll);
    Shutdown();
    SDL_Quit();
    return 0;
}
