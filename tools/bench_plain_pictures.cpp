// Loading the nine ball pictures from 12-megapixel photos, as a start or an F2 reload does: the
// game's LoadPicturePixels (decode plus texture pass) next to libjpeg's own decode of the same
// files in the same run, and the upload to GL reported apart (when a display is there).
// The nine photos (4000 x 3000, quality 90, gradients, discs and noise) are made once in a
// temporary folder and removed at the end.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include "GLUse.h"
#include "GLUsePicture.h"
#include "OpenGL.h"
#include "PhotoMaker.h"
#include "WindUse.h"
#include "Zodav.h"
#include "media/Picture.h"

namespace {

using photo::kHeight;
using photo::kWidth;
using photo::WritePhoto;
constexpr int kPhotos = 9;

std::vector<std::string> photos;

void BM_LibjpegDecode(benchmark::State& state) {
    std::vector<JSAMPLE> pixels;
    for (auto _ : state)
        for (const std::string& path : photos) {
            photo::BareDecode(path, pixels);
            benchmark::DoNotOptimize(pixels.data());
        }
    state.SetItemsProcessed(state.iterations() * kPhotos);
}

// The shared decoder alone (what the loader calls before its pass).
void BM_MediaLoadJpeg(benchmark::State& state) {
    media::RgbPicture picture;
    for (auto _ : state)
        for (const std::string& path : photos) {
            media::LoadJpeg(path, picture);
            benchmark::DoNotOptimize(picture.rgb.data());
        }
    state.SetItemsProcessed(state.iterations() * kPhotos);
}

// The game's loader: decode, then the texture pass (full, crop or none).
void BM_LoadPicturePixels(benchmark::State& state) {
    const bool crop = state.range(0) > 0, brighten = state.range(0) > 1;
    for (auto _ : state)
        for (const std::string& path : photos) {
            std::int32_t w = 0, h = 0;
            benchmark::DoNotOptimize(LoadPicturePixels(path, w, h, brighten, crop).data());
        }
    state.SetItemsProcessed(state.iterations() * kPhotos);
}

// The pass alone on one decoded photo (processing full, crop or none).
void BM_TexturePassOnly(benchmark::State& state) {
    const bool crop = state.range(0) > 0, brighten = state.range(0) > 1;
    std::vector<JSAMPLE> rgb;
    photo::BareDecode(photos[0], rgb);
    std::vector<std::uint8_t> rgba;
    for (auto _ : state) {
        ProcessPicture(rgb.data(), kWidth, kHeight, brighten, crop, rgba);
        benchmark::DoNotOptimize(rgba.data());
    }
    state.SetItemsProcessed(state.iterations());
}

// Upload of the nine 12-megapixel buffers as textures (each deleted again).
void BM_Upload(benchmark::State& state) {
    std::int32_t w = 0, h = 0;
    const std::vector<std::uint8_t> pixels = LoadPicturePixels(photos[0], w, h, true, true);
    for (auto _ : state) {
        std::vector<GLuint> names(kPhotos);
        for (int k = 0; k < kPhotos; ++k) {
            std::uint32_t texture = 0;
            CreateTexture(pixels, w, h, texture);
            names[k] = texture;
        }
        glFinish();
        glDeleteTextures(kPhotos, names.data());
    }
    state.SetItemsProcessed(state.iterations() * kPhotos);
}

int RunAll() {
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string pattern = (std::filesystem::temp_directory_path() / "zpictures-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return 1;
    for (int k = 0; k < kPhotos; ++k) {
        photos.push_back(pattern + "/photo" + std::to_string(k) + ".jpg");
        if (!WritePhoto(photos.back(), k)) return 1;
    }
    benchmark::Initialize(&argc, argv);
    BENCHMARK(BM_LibjpegDecode)->Unit(benchmark::kMillisecond)->MinTime(3);
    BENCHMARK(BM_MediaLoadJpeg)->Unit(benchmark::kMillisecond)->MinTime(3);
    BENCHMARK(BM_LoadPicturePixels)
        ->ArgName("processing")
        ->Arg(2)
        ->Arg(1)
        ->Arg(0)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(3);
    BENCHMARK(BM_TexturePassOnly)
        ->ArgName("processing")
        ->Arg(2)
        ->Arg(1)
        ->Arg(0)
        ->Unit(benchmark::kMillisecond);
    const bool display = std::getenv("DISPLAY") && SDL_Init(SDL_INIT_VIDEO) == 0 && HasDisplay();
    if (display) {
        BENCHMARK(BM_Upload)->Unit(benchmark::kMillisecond);
        runMode.windowed = true;
        runMode.replaying = true;
        spine.screenWidth = 1024;
        spine.screenHeight = 768;
        CreateMainWindow(WindowProcedure, 1024, 768, RunAll);
        Shutdown();
    } else {
        std::printf("no display: the upload is not measured\n");
        RunAll();
    }
    SDL_Quit();
    std::filesystem::remove_all(pattern);
    return 0;
}
