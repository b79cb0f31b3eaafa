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

#include "media/Picture.h"

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr int kPhotos = 9;

std::string photoPath;

// Sky-to-ground gradients, a few soft discs and sensor-like noise: enough detail that the
// file is as heavy as a real photo (a few megabytes), not a flat picture that decodes at once.
void PhotoRow(int y, std::vector<JSAMPLE>& row, std::uint32_t& seed) {
    for (int x = 0; x < kWidth; ++x) {
        seed = seed * 1664525u + 1013904223u;
        const int noise = static_cast<int>(seed >> 27) - 16;
        const int dx = x % 700 - 350, dy = y % 600 - 300;
        const int disc = dx * dx + dy * dy < 200 * 200 ? 60 : 0;
        const int base[3] = {90 + y * 100 / kHeight + disc, 120 + x * 80 / kWidth,
                             200 - y * 150 / kHeight + disc / 2};
        for (int c = 0; c < 3; ++c) {
            const int v = base[c] + noise + ((x * (c + 3) + y * (5 - c)) % 23);
            row[x * 3 + c] = static_cast<JSAMPLE>(v < 0 ? 0 : v > 255 ? 255 : v);
        }
    }
}

bool WritePhoto(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = kWidth;
    cinfo.image_height = kHeight;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(kWidth * 3);
    std::uint32_t seed = 12345;
    while (cinfo.next_scanline < cinfo.image_height) {
        PhotoRow(static_cast<int>(cinfo.next_scanline), row, seed);
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(f) == 0;
}

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
    std::vector<JSAMPLE> pixels(static_cast<std::size_t>(kWidth) * kHeight * 3);
    for (auto _ : state) {
        for (int i = 0; i < kPhotos; ++i) {
            std::FILE* f = std::fopen(photoPath.c_str(), "rb");
            jpeg_decompress_struct cinfo{};
            jpeg_error_mgr err{};
            cinfo.err = jpeg_std_error(&err);
            jpeg_create_decompress(&cinfo);
            jpeg_stdio_src(&cinfo, f);
            jpeg_read_header(&cinfo, TRUE);
            cinfo.out_color_space = JCS_RGB;
            jpeg_start_decompress(&cinfo);
            while (cinfo.output_scanline < cinfo.output_height) {
                JSAMPROW row = &pixels[cinfo.output_scanline * cinfo.output_width * 3];
                jpeg_read_scanlines(&cinfo, &row, 1);
            }
            jpeg_finish_decompress(&cinfo);
            jpeg_destroy_decompress(&cinfo);
            std::fclose(f);
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
    if (!WritePhoto(photoPath)) return 1;
    std::printf("photo: %d x %d, %ju bytes\n", kWidth, kHeight,
                static_cast<std::uintmax_t>(std::filesystem::file_size(photoPath)));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(folder);
    return 0;
}
