// Tiny files that declare giant pictures, as a hostile or broken folder may hold them: run-length
// bitmaps and arithmetic-coded JPEGs of a few hundred bytes with up to 64 megapixels behind them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
// clang-format off
#include <jpeglib.h>  // needs <cstdio> first
// clang-format on

#include "MemorySlack.h"

namespace giant {

using Bytes = std::vector<std::uint8_t>;

using testsupport::kMemorySlack;

inline void Put16(Bytes& v, std::uint32_t x) {
    v.push_back(x & 0xFF);
    v.push_back((x >> 8) & 0xFF);
}
inline void Put32(Bytes& v, std::uint32_t x) {
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}

// A run-length bitmap (8 or 4 bits) of width x height whose data is only `runs` (count, value
// pairs and escapes) followed by the end-of-bitmap escape. Palette entry i is (i, 255 - i, 7 i).
inline Bytes RleBmp(std::uint32_t width, std::uint32_t height, int bits, const Bytes& runs) {
    const int colours = 1 << bits;
    Bytes data = runs;
    data.insert(data.end(), {0, 1});
    const std::uint32_t offset = 14 + 40 + 4 * colours;
    Bytes f = {'B', 'M'};
    Put32(f, offset + static_cast<std::uint32_t>(data.size()));
    Put32(f, 0);
    Put32(f, offset);
    Put32(f, 40);
    Put32(f, width);
    Put32(f, height);
    Put16(f, 1);
    Put16(f, static_cast<std::uint32_t>(bits));
    Put32(f, bits == 8 ? 1 : 2);
    Put32(f, static_cast<std::uint32_t>(data.size()));
    Put32(f, 2835);
    Put32(f, 2835);
    Put32(f, 0);
    Put32(f, 0);
    for (int i = 0; i < colours; ++i)
        f.insert(f.end(), {std::uint8_t(7 * i), std::uint8_t(255 - i), std::uint8_t(i), 0});
    f.insert(f.end(), data.begin(), data.end());
    return f;
}

// A small flat JPEG written by libjpeg (arithmetic-coded and/or progressive on request) whose
// frame header then claims width x height: the decoder finds no data for the rest and reads it
// as flat grey, as it would from a 136-byte file in the wild.
inline Bytes LyingJpeg(unsigned width, unsigned height, bool arithmetic, bool progressive,
                       int components = 3) {
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = 16;
    cinfo.image_height = 16;
    cinfo.input_components = components;
    cinfo.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&cinfo);
    cinfo.arith_code = arithmetic ? TRUE : FALSE;
    if (progressive) jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(16 * static_cast<std::size_t>(components), 120);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes bytes(buffer, buffer + size);
    std::free(buffer);
    // The frame header: FF C0..CF but for C4 (tables), C8 and CC; height then width follow the
    // length and the precision.
    for (std::size_t i = 2; i + 9 < bytes.size(); ++i) {
        const std::uint8_t m = bytes[i + 1];
        if (bytes[i] != 0xFF || m < 0xC0 || m > 0xCF || m == 0xC4 || m == 0xC8 || m == 0xCC)
            continue;
        bytes[i + 5] = static_cast<std::uint8_t>(height >> 8);
        bytes[i + 6] = static_cast<std::uint8_t>(height);
        bytes[i + 7] = static_cast<std::uint8_t>(width >> 8);
        bytes[i + 8] = static_cast<std::uint8_t>(width);
        break;
    }
    return bytes;
}

// The 1,080-byte bitmap of 64,000,000 x 1 pixels: a few runs, the rest colour 0.
inline Bytes WideRle8() {
    return RleBmp(64000000, 1, 8, {255, 3, 0, 2, 200, 0, 10, 5});
}

}  // namespace giant
