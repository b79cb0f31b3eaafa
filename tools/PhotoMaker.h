// For the picture benchmarks: a photo-like JPEG, 4000 x 3000 pixels of gradients, discs and noise
// written with libjpeg's compressor at quality 90 (about the size of a camera's photo), and the
// bare libjpeg decode the game's loaders are compared with.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace photo {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

inline void PhotoRow(int y, int variant, std::vector<JSAMPLE>& row, std::uint32_t& seed,
                     int width = kWidth, int height = kHeight) {
    for (int x = 0; x < width; ++x) {
        seed = seed * 1664525u + 1013904223u;
        const int noise = static_cast<int>(seed >> 27) - 16;
        const int dx = (x + variant * 97) % 700 - 350, dy = y % 600 - 300;
        const int disc = dx * dx + dy * dy < 200 * 200 ? 60 : 0;
        const int base[3] = {90 + y * 100 / height + disc, 120 + x * 80 / width + variant,
                             200 - y * 150 / height + disc / 2};
        for (int c = 0; c < 3; ++c) {
            const int v = base[c] + noise + ((x * (c + 3) + y * (5 - c)) % 23);
            row[x * 3 + c] = static_cast<JSAMPLE>(v < 0 ? 0 : v > 255 ? 255 : v);
        }
    }
}

// A photo of width x height (a phone's 48 megapixels are 8000 x 6000).
inline bool WritePhoto(const std::string& path, int variant, int width = kWidth,
                       int height = kHeight) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(width) * 3);
    std::uint32_t seed = 12345u + variant;
    while (cinfo.next_scanline < cinfo.image_height) {
        PhotoRow(static_cast<int>(cinfo.next_scanline), variant, row, seed, width, height);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(f) == 0;
}

// libjpeg on its own: default settings, RGB rows into one buffer.
inline void BareDecode(const std::string& path, std::vector<JSAMPLE>& pixels) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return;
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, f);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    const size_t rowBytes = static_cast<size_t>(cinfo.output_width) * 3;
    pixels.resize(rowBytes * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rows[16];
        for (int i = 0; i < 16; ++i)
            rows[i] =
                pixels.data() +
                std::min<size_t>(cinfo.output_scanline + i, cinfo.output_height - 1) * rowBytes;
        jpeg_read_scanlines(&cinfo, rows, 16);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(f);
}

}  // namespace photo
