// Picture decoding shared by both games: BMP and JPEG files into 24-bit RGB rows, top row first.
// Decoding is not game logic; what a game does with a picture that cannot be read is its own rule.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace media {

// A decoded picture: width * height pixels, 3 bytes each (red, green, blue), rows from the top
// row to the bottom row, no padding.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

// Pictures whose declared size is zero or above this many pixels are refused before any
// allocation: a few header bytes must not be able to ask for gigabytes.
constexpr long long kMaxPicturePixels = 64LL * 1000 * 1000;

// A picture wider or taller than this is reduced while it is decoded, so that its longer side
// is at most this long (a ball is a few hundred pixels wide): a JPEG by libjpeg's scaling M/8
// with the largest M that fits (then by area, past 8 times this), a bitmap by an area average to
// exactly this. Smaller pictures keep their own size.
constexpr int kMaxPictureSide = 4096;

// Decodes a Windows bitmap (1, 4, 8, 16, 24 and 32 bits, bit fields, RLE8 and RLE4, bottom-up or
// top-down), row by row into `out`: its memory is the output's size, not the declared size.
// Returns false and says why in *error when the file cannot be read or is not a sound bitmap.
bool LoadBmp(const std::string& path, RgbPicture& out, std::string* error = nullptr);

// Decodes a JPEG (baseline, progressive, arithmetic, grey-scale, CMYK). A file that ends early is
// corrupt; so is one whose scans would need memory or work out of all proportion to its size.
bool LoadJpeg(const std::string& path, RgbPicture& out, std::string* error = nullptr);

// Writes a 24-bit bottom-up BMP file (tests, screenshots, tools). On failure errno holds the
// system's reason (0 when the picture itself is unfit) and *error names the file and that reason.
bool SaveBmp(const std::string& path, const RgbPicture& picture, std::string* error = nullptr);

// Sizes a pixel buffer to `bytes` for a caller that then writes every byte (what it held before
// may be kept or lost; throws std::bad_alloc as resize does). A photo's buffer is
// tens of megabytes of fresh memory: one that must grow asks for huge pages before its first
// touch, which saves thousands of page faults per photo.
void SizePixelBuffer(std::vector<std::uint8_t>& buffer, std::size_t bytes);

}  // namespace media
