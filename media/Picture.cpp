// Windows bitmaps: our own header check, SDL's reader for the pixels, and a 24-bit writer.
// The header is checked here before SDL sees the file, because SDL allocates the whole surface
// from the declared size before it finds out that the pixel data is not there.
#include <SDL.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <new>

#include "PictureIo.h"
#include "media/OwnFile.h"
#include "media/Picture.h"

namespace media {
namespace {

using detail::Fail;

constexpr std::size_t kFileHeaderSize = 14;
constexpr int kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3;

// What the two headers of a bitmap declare; only the fields the checks need.
struct BmpHeader {
    std::uint32_t dataOffset = 0;
    std::uint32_t infoSize = 0;
    long long width = 0;
    long long height = 0;  // negative: rows stored top row first
    int planes = 0;
    int bitsPerPixel = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t colorsUsed = 0;
};

std::uint32_t Le16(const unsigned char* p) {
    return p[0] | (p[1] << 8);
}
std::uint32_t Le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool SaneInfoSize(std::uint32_t size) {
    // Core (12), OS/2 2.x (16 or 64), Windows v1/v2/v3 (40/52/56), v4 (108), v5 (124).
    constexpr std::array<std::uint32_t, 8> known = {12, 16, 40, 52, 56, 64, 108, 124};
    for (std::uint32_t k : known) {
        if (size == k) return true;
    }
    return false;
}

// Reads the file header and the info header from the first bytes of the file.
bool ReadBmpHeader(const std::string& path, BmpHeader& h, std::string* error) {
    std::array<unsigned char, kFileHeaderSize + 124> bytes{};
    std::ifstream in(path, std::ios::binary);
    if (!in) return Fail(error, path, "cannot open");
    in.read(reinterpret_cast<char*>(bytes.data()), bytes.size());
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got < kFileHeaderSize + 4) return Fail(error, path, "too short for a BMP header");
    if (bytes[0] != 'B' || bytes[1] != 'M') return Fail(error, path, "not a BMP file");
    h.dataOffset = Le32(&bytes[10]);
    h.infoSize = Le32(&bytes[14]);
    if (!SaneInfoSize(h.infoSize)) {
        return Fail(error, path, "unknown BMP info header size " + std::to_string(h.infoSize));
    }
    if (got < kFileHeaderSize + h.infoSize) return Fail(error, path, "BMP header is cut short");
    const unsigned char* info = &bytes[kFileHeaderSize];
    if (h.infoSize == 12) {
        h.width = static_cast<std::int16_t>(Le16(info + 4));
        h.height = static_cast<std::int16_t>(Le16(info + 6));
        h.planes = static_cast<int>(Le16(info + 8));
        h.bitsPerPixel = static_cast<int>(Le16(info + 10));
    } else {
        h.width = static_cast<std::int32_t>(Le32(info + 4));
        h.height = static_cast<std::int32_t>(Le32(info + 8));
        h.planes = static_cast<int>(Le16(info + 12));
        h.bitsPerPixel = static_cast<int>(Le16(info + 14));
        if (h.infoSize >= 20) h.compression = Le32(info + 16);
        if (h.infoSize >= 36) h.colorsUsed = Le32(info + 32);
    }
    return true;
}

bool SupportedLayout(const BmpHeader& h) {
    switch (h.compression) {
        case kBiRgb:
            return h.bitsPerPixel == 1 || h.bitsPerPixel == 4 || h.bitsPerPixel == 8 ||
                   h.bitsPerPixel == 16 || h.bitsPerPixel == 24 || h.bitsPerPixel == 32;
        case kBiRle8:
            return h.bitsPerPixel == 8;
        case kBiRle4:
            return h.bitsPerPixel == 4;
        case kBiBitfields:
            return h.bitsPerPixel == 16 || h.bitsPerPixel == 32;
        default:
            return false;
    }
}

// Refuses headers that lie: absurd sizes, unknown layouts, pixel data the file cannot hold.
bool CheckBmpHeader(const std::string& path, std::uintmax_t fileSize, const BmpHeader& h,
                    std::string* error) {
    if (h.width == 0 || h.height == 0) return Fail(error, path, "picture has no pixels");
    if (h.width < 0) return Fail(error, path, "negative BMP width");
    const long long pixels = h.width * std::llabs(h.height);
    if (pixels > kMaxPicturePixels) {
        return Fail(error, path,
                    "declared size " + std::to_string(h.width) + " x " +
                        std::to_string(std::llabs(h.height)) + " is too large");
    }
    if (h.planes != 1) return Fail(error, path, "BMP plane count is not 1");
    if (!SupportedLayout(h)) {
        return Fail(error, path,
                    "unsupported BMP layout: " + std::to_string(h.bitsPerPixel) +
                        " bits, compression " + std::to_string(h.compression));
    }
    if (h.bitsPerPixel <= 8 && h.colorsUsed > (1u << h.bitsPerPixel)) {
        return Fail(error, path, "BMP palette larger than its bit depth allows");
    }
    if (h.dataOffset < kFileHeaderSize + h.infoSize || h.dataOffset >= fileSize) {
        return Fail(error, path, "BMP pixel data offset lies outside the file");
    }
    if (h.compression == kBiRgb || h.compression == kBiBitfields) {
        const long long rowBytes = (h.width * h.bitsPerPixel + 31) / 32 * 4;
        const auto available = static_cast<long long>(fileSize - h.dataOffset);
        if (rowBytes * std::llabs(h.height) > available) {
            return Fail(error, path, "BMP pixel data is truncated");
        }
    }
    return true;
}

struct SurfaceFree {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceFree>;

// Lets SDL decode the pixels (palettes, bit fields, run lengths, row order) and copies the
// RGB24 conversion out row by row, dropping SDL's row padding.
bool DecodeWithSdl(const std::string& path, const BmpHeader& h, RgbPicture& out,
                   std::string* error) {
    SDL_RWops* rw = SDL_RWFromFile(path.c_str(), "rb");
    if (!rw) return Fail(error, path, std::string("cannot open: ") + SDL_GetError());
    SurfacePtr loaded(SDL_LoadBMP_RW(rw, 1));
    if (!loaded) return Fail(error, path, std::string("bad BMP: ") + SDL_GetError());
    SurfacePtr rgb(SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_RGB24, 0));
    if (!rgb) return Fail(error, path, std::string("cannot convert: ") + SDL_GetError());
    if (rgb->w != h.width || rgb->h != std::llabs(h.height)) {
        return Fail(error, path, "decoded size differs from the header");
    }
    const auto rowBytes = static_cast<std::size_t>(rgb->w) * 3;
    out.width = rgb->w;
    out.height = rgb->h;
    out.rgb.resize(rowBytes * static_cast<std::size_t>(rgb->h));
    const auto* pixels = static_cast<const unsigned char*>(rgb->pixels);
    for (int y = 0; y < rgb->h; ++y) {
        std::memcpy(&out.rgb[y * rowBytes], pixels + static_cast<std::size_t>(y) * rgb->pitch,
                    rowBytes);
    }
    return true;
}

void PutLe16(std::FILE* f, std::uint32_t v) {
    std::fputc(static_cast<int>(v & 0xFF), f);
    std::fputc(static_cast<int>((v >> 8) & 0xFF), f);
}
void PutLe32(std::FILE* f, std::uint32_t v) {
    PutLe16(f, v & 0xFFFF);
    PutLe16(f, v >> 16);
}

}  // namespace

bool LoadBmp(const std::string& path, RgbPicture& out, std::string* error) {
    out = RgbPicture{};
    std::uintmax_t fileSize = 0;
    BmpHeader header;
    if (!detail::StatPictureFile(path, fileSize, error)) return false;
    if (!ReadBmpHeader(path, header, error)) return false;
    if (!CheckBmpHeader(path, fileSize, header, error)) return false;
    bool ok = false;
    try {
        ok = DecodeWithSdl(path, header, out, error);
    } catch (const std::bad_alloc&) {
        ok = Fail(error, path, "out of memory");
    }
    if (!ok) out = RgbPicture{};
    return ok;
}

// Says why a picture could not be saved; errno keeps the system's reason for the caller.
static bool SaveFailed(const std::string& path, int code, std::string* error) {
    if (error)
        *error = code ? "cannot write " + DescribeFileError(path, code)
                      : "cannot save \"" + path + "\": the picture has no pixels or is too big";
    errno = code;
    return false;
}

bool SaveBmp(const std::string& path, const RgbPicture& picture, std::string* error) {
    const long long w = picture.width, h = picture.height;
    if (w <= 0 || h <= 0 || w * h > kMaxPicturePixels) return SaveFailed(path, 0, error);
    if (picture.rgb.size() != static_cast<std::size_t>(w * h * 3))
        return SaveFailed(path, 0, error);
    const auto rowBytes = static_cast<std::uint32_t>((w * 3 + 3) / 4 * 4);
    const std::uint32_t dataBytes = rowBytes * static_cast<std::uint32_t>(h);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return SaveFailed(path, errno, error);
    std::fputs("BM", f);
    PutLe32(f, 14 + 40 + dataBytes);
    PutLe32(f, 0);
    PutLe32(f, 14 + 40);
    PutLe32(f, 40);  // BITMAPINFOHEADER
    PutLe32(f, static_cast<std::uint32_t>(w));
    PutLe32(f, static_cast<std::uint32_t>(h));  // positive: bottom row first
    PutLe16(f, 1);
    PutLe16(f, 24);
    PutLe32(f, kBiRgb);
    PutLe32(f, dataBytes);
    PutLe32(f, 2835);  // 72 dpi
    PutLe32(f, 2835);
    PutLe32(f, 0);
    PutLe32(f, 0);
    std::vector<unsigned char> row(rowBytes, 0);
    for (long long y = h - 1; y >= 0; --y) {
        const std::uint8_t* src = &picture.rgb[static_cast<std::size_t>(y * w * 3)];
        for (long long x = 0; x < w; ++x) {
            row[x * 3 + 0] = src[x * 3 + 2];
            row[x * 3 + 1] = src[x * 3 + 1];
            row[x * 3 + 2] = src[x * 3 + 0];
        }
        if (std::fwrite(row.data(), 1, row.size(), f) != row.size()) break;
    }
    int code = std::ferror(f) || std::fflush(f) != 0 ? errno : 0;
    if (std::fclose(f) != 0 && code == 0) code = errno;
    return code ? SaveFailed(path, code, error) : true;
}

}  // namespace media
