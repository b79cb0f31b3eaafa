// Our bitmap reader against SDL's, which the games used before: every ordinary variant, the
// run-length escapes included, must come out the same to the last bit.
#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>

#include "GiantPictures.h"
#include "TempFolder.h"
#include "media/Picture.h"

namespace {

using giant::Bytes;
using giant::Put16;
using giant::Put32;

struct Layout {
    int infoSize;  // 12 (OS/2 core) or 40
    int width, height, bits;
    std::uint32_t compression;  // 0 plain, 1 RLE8, 2 RLE4, 3 bit fields
    int colours;                // palette entries written and declared (0: none declared)
    std::array<std::uint32_t, 3> masks;
};

Bytes MakeFile(const Layout& l, const Bytes& data) {
    Bytes palette, masks;
    const int entries = l.bits <= 8 ? (l.colours ? l.colours : 1 << l.bits) : 0;
    for (int i = 0; i < entries; ++i) {
        palette.insert(palette.end(),
                       {std::uint8_t(i * 37), std::uint8_t(200 - i * 11), std::uint8_t(i * 5 + 3)});
        if (l.infoSize != 12) palette.push_back(0);
    }
    if (l.compression == 3)
        for (std::uint32_t m : l.masks)
            Put32(masks, m);
    const std::uint32_t offset = 14 + l.infoSize + masks.size() + palette.size();
    Bytes f = {'B', 'M'};
    Put32(f, offset + data.size()), Put32(f, 0), Put32(f, offset), Put32(f, l.infoSize);
    if (l.infoSize == 12) {
        Put16(f, l.width), Put16(f, static_cast<std::uint16_t>(l.height)), Put16(f, 1);
        Put16(f, l.bits);
    } else {
        Put32(f, l.width), Put32(f, static_cast<std::uint32_t>(l.height)), Put16(f, 1);
        Put16(f, l.bits), Put32(f, l.compression), Put32(f, data.size()), Put32(f, 2835);
        Put32(f, 2835), Put32(f, l.colours), Put32(f, 0);
    }
    for (const Bytes* part : std::initializer_list<const Bytes*>{&masks, &palette, &data})
        f.insert(f.end(), part->begin(), part->end());
    return f;
}

// Plain rows of pseudo-random bytes (palette indices kept below `colours` when given).
Bytes PlainRows(const Layout& l) {
    const int rowBytes = (l.width * l.bits + 31) / 32 * 4;
    Bytes data;
    std::uint32_t seed = 99;
    for (int i = 0; i < rowBytes * std::abs(l.height); ++i) {
        seed = seed * 1664525u + 1013904223u;
        std::uint8_t b = static_cast<std::uint8_t>(seed >> 24);
        if (l.bits == 8 && l.colours) b %= l.colours;
        if (l.bits == 4 && l.colours)
            b = std::uint8_t((b >> 4) % l.colours << 4 | (b & 15) % l.colours);
        data.push_back(b);
    }
    return data;
}

bool SdlDecode(const std::string& path, media::RgbPicture& out) {
    std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)> loaded(SDL_LoadBMP(path.c_str()),
                                                                    SDL_FreeSurface);
    if (!loaded) return false;
    std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)> rgb(
        SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_RGB24, 0), SDL_FreeSurface);
    if (!rgb) return false;
    out.width = rgb->w;
    out.height = rgb->h;
    out.rgb.clear();
    for (int y = 0; y < rgb->h; ++y) {
        const auto* row = static_cast<const std::uint8_t*>(rgb->pixels) + y * rgb->pitch;
        out.rgb.insert(out.rgb.end(), row, row + rgb->w * 3);
    }
    return true;
}

TEST(BmpLikeSdl, OrdinaryBitmapsDecodeExactlyAsSdlDecodedThem) {
    struct Case {
        const char* fault;
        Layout layout;
        Bytes rle;  // run-length data; empty: plain rows
    } cases[] = {
        {"1 bit, odd width", {40, 13, 5, 1, 0, 2, {}}, {}},
        {"4 bits top-down, short palette", {40, 7, -4, 4, 0, 9, {}}, {}},
        {"8 bits, all 256 colours", {40, 9, 6, 8, 0, 0, {}}, {}},
        {"OS/2 core header, 3-byte palette", {12, 5, 3, 8, 0, 256, {}}, {}},
        {"16 bits 5-5-5: 5-bit channels stretched", {40, 6, 4, 16, 0, 0, {}}, {}},
        {"16 bits 5-6-5 bit fields", {40, 5, 3, 16, 3, 0, {0xF800, 0x07E0, 0x001F}}, {}},
        {"24 bits", {40, 7, 3, 24, 0, 0, {}}, {}},
        {"32 bits, fourth byte anything", {40, 4, 3, 32, 0, 0, {}}, {}},
        {"32 bits, bit fields in another order",
         {40, 3, 2, 32, 3, 0, {0x0000FF00, 0x00FF0000, 0xFF000000}},
         {}},
        {"RLE8: runs, absolute run with padding, delta, end of line, rows left blank",
         {40, 10, 5, 8, 1, 6, {}},
         {3, 1, 0, 3, 2, 3, 4, 0, 2, 2, 1, 5, 2, 0, 0, 4, 5, 0, 2, 1, 1, 0, 5, 0, 0, 1}},
        {"RLE8: a run past the right edge", {40, 4, 2, 8, 1, 4, {}}, {9, 2, 0, 0, 2, 3, 0, 1}},
        {"RLE4: alternating runs, odd absolute run",
         {40, 9, 3, 4, 2, 16, {}},
         {5, 0x3A, 0, 3, 0x12, 0x30, 0, 0, 9, 0x77, 0, 2, 1, 0, 2, 0x45, 0, 1}},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        const Bytes data = c.rle.empty() ? PlainRows(c.layout) : c.rle;
        const std::string file = folder.Write("v.bmp", MakeFile(c.layout, data));
        media::RgbPicture ours, sdl;
        std::string error;
        ASSERT_TRUE(SdlDecode(file, sdl)) << SDL_GetError();
        ASSERT_TRUE(media::LoadBmp(file, ours, &error)) << error;
        EXPECT_EQ(ours.width, sdl.width);
        EXPECT_EQ(ours.height, sdl.height);
        EXPECT_EQ(ours.rgb, sdl.rgb);
    }
}

}  // namespace
