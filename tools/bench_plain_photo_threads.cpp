// Zodav's picture loading on every core against one thread, in one process: nine 12-megapixel
// photos (4000 x 3000) decoded and passed as a start or an F2 reload does, with 1 thread and with
// one per core, and nine 48-megapixel photos (8000 x 6000, decoded at 4/8) with one per core.
// The photos are made once in a temporary folder; with PHOTO_DIR set they are made (or reused)
// there and kept, for tools/time-startup to start the game on them:
//   PHOTO_DIR=/tmp/photos build/tools/bench_plain_photo_threads
//   tools/time-startup 5 /tmp/photos/12mp; tools/time-startup 5 /tmp/photos/48mp
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "PhotoMaker.h"
#include "PictureLoader.h"

namespace {

constexpr int kPhotos = 9;
std::vector<std::string> photos12, photos48;

void LoadNine(benchmark::State& state, const std::vector<std::string>& files) {
    const int threads = static_cast<int>(state.range(0));
    for (auto _ : state)
        LoadPicturesInOrder(files, true, true, threads, [](std::size_t, const PicturePixels& p) {
            benchmark::DoNotOptimize(p.rgba.data());
        });
    state.SetItemsProcessed(state.iterations() * kPhotos);
}

void BM_Nine12MpPhotos(benchmark::State& state) {
    LoadNine(state, photos12);
}
void BM_Nine48MpPhotos(benchmark::State& state) {
    LoadNine(state, photos48);
}

// Makes the nine photos of one size in folder/garbage (kept when already there).
bool MakePhotos(const std::string& folder, int width, int height, std::vector<std::string>& out) {
    std::filesystem::create_directories(folder + "/garbage");
    for (int k = 0; k < kPhotos; ++k) {
        out.push_back(folder + "/garbage/photo" + std::to_string(k) + ".jpg");
        if (!std::filesystem::exists(out.back()) &&
            !photo::WritePhoto(out.back(), k, width, height))
            return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const char* keep = std::getenv("PHOTO_DIR");
    std::string root = keep ? keep : "";
    if (root.empty()) {
        root = (std::filesystem::temp_directory_path() / "zphotos-XXXXXX").string();
        if (!mkdtemp(root.data())) return 1;
    }
    if (!MakePhotos(root + "/12mp", 4000, 3000, photos12) ||
        !MakePhotos(root + "/48mp", 8000, 6000, photos48)) {
        std::fprintf(stderr, "cannot write the photos under %s\n", root.c_str());
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    const int cores = PictureThreads();
    BENCHMARK(BM_Nine12MpPhotos)
        ->ArgName("threads")
        ->Arg(1)
        ->Arg(cores)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->MinTime(3);
    BENCHMARK(BM_Nine48MpPhotos)
        ->ArgName("threads")
        ->Arg(cores)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->MinTime(3);
    benchmark::RunSpecifiedBenchmarks();
    if (!keep) std::filesystem::remove_all(root);
    return 0;
}
