// What a Windows bitmap's headers declare, shared by the header check and the pixel decoder.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "media/Picture.h"

namespace media::detail {

constexpr std::size_t kBmpFileHeaderSize = 14;
constexpr std::uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3;

struct BmpHeader {
    std::uint32_t dataOffset = 0;
    std::uint32_t infoSize = 0;
    long long width = 0;
    long long height = 0;  // negative: rows stored top row first
    int planes = 0;
    int bitsPerPixel = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t colorsUsed = 0;
    // Red, green and blue bit masks of 16- and 32-bit pixels (the defaults unless bit fields).
    std::array<std::uint32_t, 3> masks{};
};

// Decodes the pixels of a bitmap whose header has passed the checks, row by row into `out`
// (reduced when a side is above kMaxPictureSide).
bool DecodeBmpPixels(const std::string& path, const BmpHeader& header, RgbPicture& out,
                     std::string* error);

}  // namespace media::detail
