// Benchmarks of the content folder: the folder scan (a thousand files, four masks, as game
// initialisation runs it) and the decoding of the demo music whole, as an effect would be (music
// streams instead: bench_plain_music).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Bass.h"
#include "SysUtUse.h"

namespace {

struct ScanFolder {
    std::string path;
    explicit ScanFolder(int files) {
        char name[] = "/tmp/zodav-bench-XXXXXX";
        path = mkdtemp(name);
        const char* kinds[] = {".bmp", ".JPG", ".mp3", ".wav", ".txt"};
        for (int i = 0; i < files; ++i)
            std::ofstream(path + "/file" + std::to_string(i) + kinds[i % 5]) << 'x';
    }
    ~ScanFolder() { std::filesystem::remove_all(path); }
};

void BM_ScanContentFolder(benchmark::State& state) {
    ScanFolder folder(static_cast<int>(state.range(0)));
    const std::string dir = folder.path + "/";
    for (auto _ : state) {
        std::vector<std::string> pictures, music, sounds;
        AddFilesToList(dir, "*.bmp", pictures);
        AddFilesToList(dir, "*.jpg", pictures);
        AddFilesToList(dir, "*.mp3", music);
        AddFilesToList(dir, "*.wav", sounds);
        benchmark::DoNotOptimize(pictures.data());
    }
}
BENCHMARK(BM_ScanContentFolder)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_DecodeDemoMusic(benchmark::State& state) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (BASS_Init(-1, 44100, 0, nullptr, nullptr) == 0) {
        state.SkipWithError("no audio device");
        return;
    }
    const std::string file = GAMES_SOURCE_DIR "/demo/garbage/chiptune.mp3";
    for (auto _ : state) {
        const HSTREAM stream = BASS_StreamCreateFile(0, file.c_str(), 0, 0, 0);
        if (stream == 0) state.SkipWithError("the demo music does not decode");
        BASS_StreamFree(stream);
    }
    BASS_Free();
}
BENCHMARK(BM_DecodeDemoMusic)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
