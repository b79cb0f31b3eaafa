// Measures the live loop of libeXgine: Run(50) with an empty game (a cleared frame per
// render) for a stretch of real time, reporting updates per second, frames per second and
// the CPU time the process used. Run it under a display (xvfb-run) for the windowed loop;
// without DISPLAY it measures the headless loop. ENGINE_BENCH_SECONDS sets the length
// (default 60).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "eXgine.h"

namespace {

using Clock = std::chrono::steady_clock;

IEngineCore* g_core = nullptr;
long long g_seconds = 60;
long long g_updates = 0;
Clock::time_point g_first;
Clock::time_point g_last;

void Update() {
    g_last = Clock::now();
    if (g_updates++ == 0) g_first = g_last;
    if (g_last - g_first >= std::chrono::seconds(g_seconds)) g_core->Quit();
}

void Render() {
    IRenderer* r = g_core->Renderer();
    r->ClearFrame(true, true, false);
    r->Set2DView(0, 0, 500, 600);
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void BM_LiveLoop50(benchmark::State& state) {
    if (const char* s = std::getenv("ENGINE_BENCH_SECONDS")) g_seconds = std::max(1, std::atoi(s));
    const bool headless = std::getenv("DISPLAY") == nullptr;
    double updatesPerSecond = 0, cpu = 0, wall = 0, frames = 0;
    for (auto _ : state) {
        if (!exInit(&g_core, "bench_engine_loop_log.txt", headless ? ExHeadless : 0)) {
            state.SkipWithError("the engine did not start");
            return;
        }
        g_core->WindowHost()->CreateWindow("bench", 0, 0, 500, 600);
        g_core->WindowHost()->ShowWindow();
        g_core->SetCallback(ExUpdate, Update);
        g_core->SetCallback(ExRender, Render);
        g_updates = 0;
        const double cpu0 = CpuSeconds();
        const Clock::time_point start = Clock::now();
        g_core->Run(50);
        wall = std::chrono::duration<double>(Clock::now() - start).count();
        cpu = CpuSeconds() - cpu0;
        const double span = std::chrono::duration<double>(g_last - g_first).count();
        updatesPerSecond = span > 0 ? (g_updates - 1) / span : 0;
        frames = static_cast<double>(g_core->FrameCount());
        exDone();
    }
    state.counters["updates_per_s"] = updatesPerSecond;
    state.counters["frames_per_s"] = frames / wall;
    state.counters["cpu_s"] = cpu;
    state.counters["wall_s"] = wall;
    state.counters["core_share"] = cpu / wall;
    state.SetLabel(headless ? "headless" : "window");
}

}  // namespace

BENCHMARK(BM_LiveLoop50)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

BENCHMARK_MAIN();
