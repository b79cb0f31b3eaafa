// Real picture files for the presentation tests: a fresh temporary folder, BMP files written with
// the media writer and JPEG files written with libjpeg's compressor.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>
// clang-format off
#include <jpeglib.h>  // needs <cstdio> first
// clang-format on

#include "TempFolder.h"
#include "media/Picture.h"

using PixelColour = std::function<void(int x, int y, std::uint8_t rgb[3])>;

inline media::RgbPicture MakePicture(int width, int height, const PixelColour& colour) {
    media::RgbPicture p;
    p.width = width;
    p.height = height;
    p.rgb.resize(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            colour(x, y, &p.rgb[(static_cast<size_t>(y) * width + x) * 3]);
    return p;
}

inline PixelColour Flat(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return [=](int, int, std::uint8_t rgb[3]) {
        rgb[0] = r;
        rgb[1] = g;
        rgb[2] = b;
    };
}

inline bool WriteJpeg(const std::string& path, const media::RgbPicture& p, int quality = 95) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = static_cast<JDIMENSION>(p.width);
    cinfo.image_height = static_cast<JDIMENSION>(p.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row =
            const_cast<JSAMPROW>(&p.rgb[static_cast<size_t>(cinfo.next_scanline) * p.width * 3]);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(file) == 0;
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}
