// Bitmap pixels: uncompressed rows (1 to 32 bits, palettes and bit fields) and run-length rows
// (RLE8, RLE4), read a piece at a time and handed row by row to the row writer, so a bitmap
// costs its output size whatever it declares. Colours come out as SDL's reader gave them before
// (channels of fewer than 8 bits stretched by v * 255 / max, palette entries past the colours
// used black), so ordinary pictures look exactly as they always did.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "BmpFormat.h"
#include "PictureIo.h"
#include "PictureRows.h"

namespace media::detail {
namespace {

constexpr long long kChunkPixels = 4096;  // a multiple of 8: every chunk starts on a byte

struct FileClose {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// Buffered reads from the file.
struct ByteReader {
    std::unique_ptr<std::FILE, FileClose> file;
    std::array<std::uint8_t, 65536> buffer{};
    std::size_t at = 0, filled = 0;

    bool Next(std::uint8_t& byte) {
        if (at == filled) {
            filled = std::fread(buffer.data(), 1, buffer.size(), file.get());
            at = 0;
            if (filled == 0) return false;
        }
        byte = buffer[at++];
        return true;
    }
    bool Read(std::uint8_t* to, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i)
            if (!Next(to[i])) return false;
        return true;
    }
    bool Seek(long offset) {
        at = filled = 0;
        return std::fseek(file.get(), offset, SEEK_SET) == 0;
    }
    bool Skip(std::size_t n) {
        std::uint8_t ignored = 0;
        for (std::size_t i = 0; i < n; ++i)
            if (!Next(ignored)) return false;
        return true;
    }
};

using Palette = std::array<Rgb8, 256>;

// The palette follows the info header: 3 bytes an entry after a core header, 4 otherwise.
// Entries the file does not hold stay white; entries past the colours used stay black.
bool ReadPalette(ByteReader& in, const BmpHeader& h, Palette& palette, int& colours) {
    palette.fill(Rgb8{});
    colours = h.colorsUsed != 0 ? static_cast<int>(h.colorsUsed) : 1 << h.bitsPerPixel;
    if (!in.Seek(static_cast<long>(kBmpFileHeaderSize + h.infoSize))) return false;
    const std::size_t entry = h.infoSize == 12 ? 3 : 4;
    for (int i = 0; i < colours; ++i) {
        std::uint8_t bgr[4] = {255, 255, 255, 0};
        if (!in.Read(bgr, entry)) std::fill(bgr, bgr + 3, 255);
        palette[static_cast<std::size_t>(i)] = Rgb8{bgr[2], bgr[1], bgr[0]};
    }
    return true;
}

// One channel of a 16- or 32-bit pixel under its mask, as 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0, bits = 0;

    explicit Channel(std::uint32_t m) : mask(m) {
        if (m == 0) return;
        shift = std::countr_zero(m);
        bits = std::countr_one(m >> shift);
    }
    std::uint8_t Of(std::uint32_t pixel) const {
        const std::uint32_t v = (pixel & mask) >> shift;
        if (bits == 0) return 0;
        if (bits >= 8) return static_cast<std::uint8_t>(v >> (bits - 8));
        return static_cast<std::uint8_t>(v * 255 / ((1u << bits) - 1));
    }
};

struct RawJob {
    const BmpHeader& h;
    const Palette& palette;
    int colours;
    std::array<Channel, 3> channels;
};

// Turns n packed pixels into RGB. False when a pixel names a colour outside the palette.
bool ConvertChunk(const RawJob& job, const std::uint8_t* bytes, long long n, std::uint8_t* rgb) {
    const int bits = job.h.bitsPerPixel;
    for (long long x = 0; x < n; ++x, rgb += 3) {
        if (bits <= 8) {
            const long long bit = x * bits;
            const int index = (bytes[bit / 8] >> (8 - bits - bit % 8)) & ((1 << bits) - 1);
            if (index >= job.colours) return false;
            const Rgb8 c = job.palette[static_cast<std::size_t>(index)];
            rgb[0] = c.r, rgb[1] = c.g, rgb[2] = c.b;
        } else if (bits == 24) {
            const std::uint8_t* p = bytes + x * 3;
            rgb[0] = p[2], rgb[1] = p[1], rgb[2] = p[0];
        } else {
            const std::uint8_t* p = bytes + x * (bits / 8);
            std::uint32_t pixel = p[0] | (p[1] << 8);
            if (bits == 32) pixel |= (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
            for (int c = 0; c < 3; ++c)
                rgb[c] = job.channels[static_cast<std::size_t>(c)].Of(pixel);
        }
    }
    return true;
}

bool DecodeRaw(ByteReader& in, const RawJob& job, RowWriter& writer, std::string& why) {
    const BmpHeader& h = job.h;
    const long long height = std::llabs(h.height), bits = h.bitsPerPixel;
    const long long dataBytes = (h.width * bits + 7) / 8;
    const long long padding = (h.width * bits + 31) / 32 * 4 - dataBytes;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(kChunkPixels * bits / 8));
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(kChunkPixels) * 3);
    for (long long r = 0; r < height; ++r) {
        writer.BeginRow(h.height > 0 ? height - 1 - r : r);
        for (long long x = 0; x < h.width; x += kChunkPixels) {
            const long long n = std::min(kChunkPixels, h.width - x);
            if (!in.Read(bytes.data(), static_cast<std::size_t>((n * bits + 7) / 8))) {
                why = "BMP pixel data is truncated";
                return false;
            }
            if (!ConvertChunk(job, bytes.data(), n, rgb.data())) {
                why = "BMP pixel names a colour outside its palette";
                return false;
            }
            writer.Pixels(x, rgb.data(), n);
        }
        in.Skip(static_cast<std::size_t>(padding));  // the last row's padding may be missing
        writer.EndRow();
    }
    return true;
}

// Run-length rows, bottom row first. Pixels the runs never reach keep palette colour 0; runs
// past the right edge are dropped, and so is anything above the top row.
struct RleJob {
    ByteReader& in;
    const Palette& palette;
    RowWriter& writer;
    bool fourBits;
    long long width, height;
    long long row = 0, x = 0;  // row counted from the bottom

    bool Inside() const { return row < height; }
    void Put(long long n, Rgb8 colour) {
        if (Inside() && x < width) writer.Fill(x, std::min(n, width - x), colour);
        x += n;
    }
    void Put(std::uint8_t index) { Put(1, palette[index]); }
    void Begin() {
        if (Inside()) writer.BeginRow(height - 1 - row);
    }
    // Ends the current row (the rest in colour 0) and skips `rows` more rows whole.
    void EndRows(long long rows) {
        if (!Inside()) return;
        if (x < width) writer.Fill(x, width - x, palette[0]);
        writer.EndRow();
        const long long skipped = std::min(rows, height - row - 1);
        writer.FillRows(height - 2 - row, skipped, palette[0]);
        row += rows + 1;
        x = 0;
    }
};

bool RunOrLiteral(RleJob& job, std::uint8_t count, std::uint8_t value, bool literal) {
    if (!literal) {
        const std::uint8_t hi = job.fourBits ? value >> 4 : value;
        const std::uint8_t lo = job.fourBits ? value & 15 : value;
        if (hi == lo) {
            job.Put(count, job.palette[hi]);
            return true;
        }
        for (int i = 0; i < count; ++i)
            job.Put(i % 2 == 0 ? hi : lo);
        return true;
    }
    const int bytes = job.fourBits ? (count + 1) / 2 : count;
    for (int i = 0; i < bytes; ++i) {
        std::uint8_t b = 0;
        if (!job.in.Next(b)) return false;
        if (!job.fourBits) {
            job.Put(b);
            continue;
        }
        job.Put(b >> 4);
        if (2 * i + 1 < count) job.Put(b & 15);
    }
    std::uint8_t pad = 0;
    return bytes % 2 == 0 || job.in.Next(pad);  // literal runs end on an even byte
}

bool DecodeRle(RleJob& job, std::string& why) {
    job.Begin();
    for (;;) {
        std::uint8_t count = 0, value = 0;
        if (!job.in.Next(count) || !job.in.Next(value)) break;
        if (count != 0) {
            RunOrLiteral(job, count, value, false);
            continue;
        }
        if (value == 1) {  // end of the bitmap: the rows above stay colour 0
            job.EndRows(job.height);
            return true;
        }
        if (value == 0) {  // end of the line
            job.EndRows(0);
            job.Begin();
        } else if (value == 2) {  // move right and up
            std::uint8_t dx = 0, dy = 0;
            if (!job.in.Next(dx) || !job.in.Next(dy)) break;
            const long long column = job.x + dx;
            if (dy > 0) {
                job.EndRows(dy - 1);
                job.Begin();
                job.Put(column, job.palette[0]);
            } else {
                job.Put(dx, job.palette[0]);
            }
        } else if (!RunOrLiteral(job, value, 0, true)) {
            break;
        }
    }
    why = "BMP run-length data ends early";
    return false;
}

}  // namespace

bool DecodeBmpPixels(const std::string& path, const BmpHeader& h, RgbPicture& out,
                     std::string* error) {
    ByteReader in;
    in.file.reset(std::fopen(path.c_str(), "rb"));
    if (!in.file) return Fail(error, path, "cannot open");
    Palette palette;
    int colours = 0;
    if (h.bitsPerPixel <= 8 && !ReadPalette(in, h, palette, colours))
        return Fail(error, path, "cannot read the BMP palette");
    RowWriter writer;
    const bool rle = h.compression == kBiRle8 || h.compression == kBiRle4;
    if (!writer.Start(out, h.width, std::llabs(h.height), rle || h.height > 0))
        return Fail(error, path, "out of memory");
    if (!in.Seek(static_cast<long>(h.dataOffset)))
        return Fail(error, path, "cannot reach the BMP pixel data");
    std::string why;
    bool ok = false;
    if (rle) {
        RleJob job{in, palette, writer, h.compression == kBiRle4, h.width, std::llabs(h.height)};
        ok = DecodeRle(job, why);
    } else {
        const RawJob job{
            h, palette, colours, {Channel(h.masks[0]), Channel(h.masks[1]), Channel(h.masks[2])}};
        ok = DecodeRaw(in, job, writer, why);
    }
    if (!ok) return Fail(error, path, why);
    writer.Finish();
    return true;
}

}  // namespace media::detail
