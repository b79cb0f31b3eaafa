// Windows bitmaps: the header check (sizes, layouts and offsets that lie are refused before
// anything is allocated) and a 24-bit writer. The pixels are decoded in BmpPixels.cpp.
#include <sys/mman.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <new>

#include "BmpFormat.h"
#include "PictureIo.h"
#include "media/OwnFile.h"
#include "media/Picture.h"

namespace media {
namespace {

using detail::Fail;

using detail::BmpHeader;
using detail::kBiBitfields;
using detail::kBiRgb;
using detail::kBiRle4;
using detail::kBiRle8;
constexpr std::size_t kFileHeaderSize = detail::kBmpFileHeaderSize;

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

// Bit fields sit right after a 40-byte info header, inside the longer ones: the same place.
bool ReadMasks(const std::string& path, const unsigned char* bytes, std::size_t got, BmpHeader& h,
               std::string* error) {
    if (h.compression != kBiBitfields) {
        if (h.bitsPerPixel == 16) h.masks = {0x7C00, 0x03E0, 0x001F};
        if (h.bitsPerPixel == 32) h.masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
        return true;
    }
    constexpr std::size_t at = kFileHeaderSize + 40;
    if (got < at + 12) return Fail(error, path, "BMP bit fields are cut short");
    for (std::size_t c = 0; c < 3; ++c)
        h.masks[c] = Le32(bytes + at + 4 * c);
    return true;
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
    return ReadMasks(path, bytes.data(), got, h, error);
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
        ok = detail::DecodeBmpPixels(path, header, out, error);
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

void SizePixelBuffer(std::vector<std::uint8_t>& buffer, std::size_t bytes) {
    constexpr std::uintptr_t kHugePage = 2 * 1024 * 1024;
    if (buffer.capacity() < bytes && bytes >= kHugePage * 4) {
        std::vector<std::uint8_t>().swap(buffer);  // the old bytes need not move
        buffer.reserve(bytes);
        const auto begin = reinterpret_cast<std::uintptr_t>(buffer.data());
        const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
        const std::uintptr_t last = (begin + bytes) & ~(kHugePage - 1);
        if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
    buffer.resize(bytes);
}

}  // namespace media
