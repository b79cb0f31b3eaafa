// Rows into the output picture, reduced by an area average when the picture is too large.
//
// The average is exact in whole numbers: along a side of n source pixels reduced to m, source
// pixel i covers [i m, (i + 1) m) and output pixel k covers [k n, (k + 1) n) on one scale, so
// every source pixel adds its colour times the length it shares with each output pixel. An output
// pixel gathers width x height units in all; with at most 64 megapixels of 255 the sums stay
// far inside 64 bits.
#include "PictureRows.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace media::detail {

void ReducedSize(long long width, long long height, int& outWidth, int& outHeight) {
    const long long longer = std::max(width, height), shorter = std::min(width, height);
    if (longer <= kMaxPictureSide) {
        outWidth = static_cast<int>(width);
        outHeight = static_cast<int>(height);
        return;
    }
    // Nearest, halves up; a thin strip keeps one pixel.
    const long long reduced =
        std::max(1LL, (shorter * kMaxPictureSide * 2 + longer) / (2 * longer));
    outWidth = static_cast<int>(width >= height ? kMaxPictureSide : reduced);
    outHeight = static_cast<int>(width >= height ? reduced : kMaxPictureSide);
}

bool RowWriter::Start(RgbPicture& out, long long width, long long height, bool bottomUp) {
    out_ = &out;
    width_ = width;
    height_ = height;
    bottomUp_ = bottomUp;
    int ow = 0, oh = 0;
    ReducedSize(width, height, ow, oh);
    reducing_ = ow != width || oh != height;
    gatheredRow_ = -1;
    try {
        out.rgb.clear();
        out.rgb.resize(static_cast<std::size_t>(ow) * oh * 3);
        if (reducing_) {
            rowSums_.assign(static_cast<std::size_t>(ow) * 3, 0);
            gathered_.assign(static_cast<std::size_t>(ow) * 3, 0);
        }
    } catch (const std::bad_alloc&) {
        out = RgbPicture{};
        return false;
    }
    out.width = ow;
    out.height = oh;
    return true;
}

void RowWriter::BeginRow(long long y) {
    rowY_ = y;
    if (reducing_) {
        std::fill(rowSums_.begin(), rowSums_.end(), 0);
    } else {
        row_ = out_->rgb.data() + static_cast<std::size_t>(y) * width_ * 3;
    }
}

void RowWriter::Pixels(long long x, const std::uint8_t* rgb, long long n) {
    n = std::min(n, width_ - x);
    if (x < 0 || n <= 0) return;
    if (!reducing_) {
        std::memcpy(row_ + x * 3, rgb, static_cast<std::size_t>(n) * 3);
        return;
    }
    const long long ow = out_->width;
    long long from = x * ow;
    long long k = from / width_;
    long long edge = (k + 1) * width_;
    std::uint64_t* sums = &rowSums_[static_cast<std::size_t>(k) * 3];
    for (long long i = 0; i < n; ++i, rgb += 3, from += ow) {
        const long long to = from + ow;
        const std::uint64_t here = static_cast<std::uint64_t>(std::min(to, edge) - from);
        for (int c = 0; c < 3; ++c)
            sums[c] += rgb[c] * here;
        if (to < edge) continue;
        // This pixel reaches into the next output pixel (or ends exactly on its edge).
        const std::uint64_t there = static_cast<std::uint64_t>(to - edge);
        edge += width_;
        sums += 3;
        for (int c = 0; c < 3 && there > 0; ++c)
            sums[c] += rgb[c] * there;
    }
}

void RowWriter::Fill(long long x, long long n, Rgb8 colour) {
    n = std::min(n, width_ - x);
    if (x < 0 || n <= 0) return;
    const std::uint8_t rgb[3] = {colour.r, colour.g, colour.b};
    if (!reducing_) {
        for (std::uint8_t* p = row_ + x * 3; n > 0; --n, p += 3)
            std::memcpy(p, rgb, 3);
        return;
    }
    const long long ow = out_->width;
    const long long from = x * ow, to = (x + n) * ow;
    for (long long k = from / width_; k * width_ < to; ++k) {
        const std::uint64_t shared =
            static_cast<std::uint64_t>(std::min(to, (k + 1) * width_) - std::max(from, k * width_));
        for (int c = 0; c < 3; ++c)
            rowSums_[static_cast<std::size_t>(k) * 3 + c] += rgb[c] * shared;
    }
}

void RowWriter::EndRow() {
    if (reducing_) AddBlock(rowY_, 1);
}

void RowWriter::FillRows(long long y, long long count, Rgb8 colour) {
    if (count <= 0) return;
    if (reducing_) {
        BeginRow(y);
        Fill(0, width_, colour);
        AddBlock(y, count);
        return;
    }
    for (long long i = 0; i < count; ++i) {
        BeginRow(bottomUp_ ? y - i : y + i);
        Fill(0, width_, colour);
    }
}

// Adds the row sums, standing for `count` equal rows from row y on, to the output rows they
// cover, in the rows' direction; an output row is complete once a later one is touched.
void RowWriter::AddBlock(long long y, long long count) {
    const long long oh = out_->height;
    const long long top = bottomUp_ ? y - count + 1 : y;
    const long long from = top * oh, to = (top + count) * oh;
    const long long first = from / height_, last = (to - 1) / height_;
    for (long long i = 0; i <= last - first; ++i) {
        const long long k = bottomUp_ ? last - i : first + i;
        const auto shared = static_cast<std::uint64_t>(std::min(to, (k + 1) * height_) -
                                                       std::max(from, k * height_));
        if (k != gatheredRow_) {
            FlushReducedRow();
            gatheredRow_ = k;
        }
        for (std::size_t c = 0; c < gathered_.size(); ++c)
            gathered_[c] += rowSums_[c] * shared;
    }
}

void RowWriter::FlushReducedRow() {
    if (gatheredRow_ < 0 || gatheredRow_ >= out_->height) return;
    const std::uint64_t units = static_cast<std::uint64_t>(width_) * height_;
    std::uint8_t* row = out_->rgb.data() + static_cast<std::size_t>(gatheredRow_) * out_->width * 3;
    for (std::size_t c = 0; c < gathered_.size(); ++c) {
        row[c] = static_cast<std::uint8_t>((gathered_[c] + units / 2) / units);
        gathered_[c] = 0;
    }
    gatheredRow_ = -1;
}

void RowWriter::Finish() {
    if (reducing_) FlushReducedRow();
}

}  // namespace media::detail
