// Decoding nine 12-megapixel photos, as the ball game does at start and on every reload:
// LoadJpeg next to a bare libjpeg loop over the same file, so our own overhead shows.
// The photo (4000 x 3000, quality 90, noisy gradients) is made once in a temporary folder.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include "PhotoMaker.h"
#include "media/Picture.h"

namespace {

using photo::kHeight;
using photo::kWidth;
constexpr int kPhotos = 9;

std::string photoPath;

void LoadJpegNinePhotos(benchmark::State& state) {
    for (auto _ : state) {
        for (int i = 0; i < kPhotos; ++i) {
            media::RgbPicture picture;  // a fresh picture per texture, as the game does
            std::string error;
            if (!media::LoadJpeg(photoPath, picture, &error)) state.SkipWithError(error.c_str());
            benchmark::DoNotOptimize(picture.rgb.data());
        }
    }
    state.counters["MP/s"] =
        benchmark::Counter(12.0 * kPhotos * state.iterations(), benchmark::Counter::kIsRate);
}

// The same with one picture reused from photo to photo: its memory is already mapped.
void LoadJpegNinePhotosReusingThePicture(benchmark::State& state) {
    media::RgbPicture picture;
    for (auto _ : state) {
        for (int i = 0; i < kPhotos; ++i) {
            std::string error;
            if (!media::LoadJpeg(photoPath, picture, &error)) state.SkipWithError(error.c_str());
            benchmark::DoNotOptimize(picture.rgb.data());
        }
    }
    state.counters["MP/s"] =
        benchmark::Counter(12.0 * kPhotos * state.iterations(), benchmark::Counter::kIsRate);
}

// The plainest use of libjpeg: stdio source, default settings, one preallocated buffer.
void BareLibjpegNinePhotos(benchmark::State& state) {
    std::vector<JSAMPLE> pixels;
    for (auto _ : state) {
        for (int i = 0; i < kPhotos; ++i) {
            photo::BareDecode(photoPath, pixels);
            benchmark::DoNotOptimize(pixels.data());
        }
    }
    state.counters["MP/s"] =
        benchmark::Counter(12.0 * kPhotos * state.iterations(), benchmark::Counter::kIsRate);
}

BENCHMARK(LoadJpegNinePhotos)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(LoadJpegNinePhotosReusingThePicture)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(3.0);
BENCHMARK(BareLibjpegNinePhotos)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

}  // namespace

int main(int argc, char** argv) {
    std::string folder = (std::filesystem::temp_directory_path() / "bench-jpeg-XXXXXX").string();
    if (!mkdtemp(folder.data())) return 1;
    photoPath = folder + "/photo.jpg";
    if (!photo::WritePhoto(photoPath, 0)) return 1;
    std::printf("photo: %d x %d, %ju bytes\n", kWidth, kHeight,
                static_cast<std::uintmax_t>(std::filesystem::file_size(photoPath)));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(folder);
    return 0;
}
