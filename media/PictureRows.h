// Where the decoders put their pixels: rows written straight into the output picture, or, for a
// picture with a side above the largest we keep, averaged over areas into the reduced picture as
// they arrive. Either way one picture costs its output size, never its declared size.
#pragma once

#include <cstdint>
#include <vector>

#include "media/Picture.h"

namespace media::detail {

struct Rgb8 {
    std::uint8_t r = 0, g = 0, b = 0;
};

// Receives a picture row by row. Rows arrive in one direction (top row first, or bottom row first
// for a bottom-up bitmap); within a row, pixels arrive left to right, each pixel once.
class RowWriter {
  public:
    // Sizes `out` for a source of width x height pixels (reduced when a side is above
    // kMaxPictureSide). False when the memory is not there.
    bool Start(RgbPicture& out, long long width, long long height, bool bottomUp);
    void BeginRow(long long y);
    // n pixels of 24-bit RGB at column x.
    void Pixels(long long x, const std::uint8_t* rgb, long long n);
    // n pixels of one colour at column x.
    void Fill(long long x, long long n, Rgb8 colour);
    void EndRow();
    // `count` whole rows of one colour starting at row y (continuing in the rows' direction).
    void FillRows(long long y, long long count, Rgb8 colour);
    // Writes out the last reduced row.
    void Finish();

  private:
    void AddBlock(long long y, long long count);
    void FlushReducedRow();

    RgbPicture* out_ = nullptr;
    long long width_ = 0, height_ = 0;
    bool bottomUp_ = false;
    bool reducing_ = false;
    std::uint8_t* row_ = nullptr;  // the output row being written (not reducing)
    long long rowY_ = 0;
    // Reducing: sums of the row being read, per output column, and of the output row being
    // gathered. A source pixel spans outWidth units, an output pixel width units.
    std::vector<std::uint64_t> rowSums_;
    std::vector<std::uint64_t> gathered_;
    long long gatheredRow_ = -1;
};

// The size a width x height picture is decoded to: itself up to kMaxPictureSide, otherwise the
// longer side exactly kMaxPictureSide and the shorter one in proportion (at least 1).
void ReducedSize(long long width, long long height, int& outWidth, int& outHeight);

}  // namespace media::detail
