// Windows bitmaps written byte by byte here, read back through LoadBmp and compared pixel by
// pixel; headers that lie or files that end early must be refused before anything is allocated.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "media/Picture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Rgb {
    int r, g, b;
};

void Put16(Bytes& v, std::uint32_t x) {
    v.push_back(x & 0xFF);
    v.push_back((x >> 8) & 0xFF);
}
void Put32(Bytes& v, std::uint32_t x) {
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}
void Poke32(Bytes& v, std::size_t at, std::uint32_t x) {
    for (int i = 0; i < 4; ++i)
        v[at + i] = (x >> (8 * i)) & 0xFF;
}

struct BmpCase {
    const char* fault;  // the mistake a decoder would make on this file
    int width, height, bits;
    bool topDown;
    int paletteSize;  // entries written (1, 4 and 8 bits)
    int infoSize;     // 40 (Windows) or 12 (OS/2 core: 3-byte palette entries, 16-bit sizes)
    bool rle;         // 8 bits, run-length encoded
    int tolerance;
};

Rgb PaletteColour(int i) {
    return {(i * 53 + 7) & 0xFF, (255 - i * 29) & 0xFF, (i * 91) & 0xFF};
}
int IndexAt(const BmpCase& c, int x, int y) {
    return (x * 3 + y * 5 + x / 4) % c.paletteSize;
}
Rgb DirectColour(int x, int y) {
    return {(x * 37 + y * 3) & 0xFF, (y * 41 + x) & 0xFF, ((x ^ y) * 17) & 0xFF};
}

// The colour the picture should have at (x, y), top row 0.
Rgb Expected(const BmpCase& c, int x, int y) {
    if (c.bits <= 8) return PaletteColour(IndexAt(c, x, y));
    const Rgb d = DirectColour(x, y);
    if (c.bits != 16) return d;
    return {(d.r >> 3) << 3, (d.g >> 3) << 3, (d.b >> 3) << 3};  // 5 bits each, low bits free
}

// One stored row for picture row y, padded to four bytes.
Bytes PixelRow(const BmpCase& c, int y) {
    Bytes row;
    if (c.rle) {
        for (int x = 0; x < c.width;) {
            int run = 1;
            while (x + run < c.width && run < 255 && IndexAt(c, x + run, y) == IndexAt(c, x, y)) {
                ++run;
            }
            row.push_back(static_cast<std::uint8_t>(run));
            row.push_back(static_cast<std::uint8_t>(IndexAt(c, x, y)));
            x += run;
        }
        row.insert(row.end(), {0, 0});  // end of line
        return row;
    }
    std::uint32_t bitsAcc = 0;
    int bitCount = 0;
    for (int x = 0; x < c.width; ++x) {
        const Rgb d = DirectColour(x, y);
        if (c.bits <= 8) {
            bitsAcc = (bitsAcc << c.bits) | IndexAt(c, x, y);
            bitCount += c.bits;
            if (bitCount == 8) row.push_back(bitsAcc), bitsAcc = 0, bitCount = 0;
        } else if (c.bits == 16) {
            Put16(row, ((d.r >> 3) << 10) | ((d.g >> 3) << 5) | (d.b >> 3));
        } else {
            row.insert(row.end(), {std::uint8_t(d.b), std::uint8_t(d.g), std::uint8_t(d.r)});
            if (c.bits == 32) row.push_back(0);  // the unused byte, left zero as most writers do
        }
    }
    if (bitCount > 0) row.push_back(bitsAcc << (8 - bitCount));
    while (row.size() % 4 != 0)
        row.push_back(0);
    return row;
}

Bytes MakeBmp(const BmpCase& c) {
    Bytes palette, pixels;
    for (int i = 0; c.bits <= 8 && i < c.paletteSize; ++i) {
        const Rgb p = PaletteColour(i);
        palette.insert(palette.end(), {std::uint8_t(p.b), std::uint8_t(p.g), std::uint8_t(p.r)});
        if (c.infoSize != 12) palette.push_back(0);
    }
    for (int r = 0; r < c.height; ++r) {
        const Bytes row = PixelRow(c, c.topDown ? r : c.height - 1 - r);
        pixels.insert(pixels.end(), row.begin(), row.end());
    }
    if (c.rle) pixels.insert(pixels.end(), {0, 1});  // end of bitmap
    const std::uint32_t offset = 14 + c.infoSize + palette.size();
    Bytes f = {'B', 'M'};
    Put32(f, offset + pixels.size());
    Put32(f, 0);
    Put32(f, offset);
    Put32(f, c.infoSize);
    const int height = c.topDown ? -c.height : c.height;
    if (c.infoSize == 12) {
        Put16(f, c.width), Put16(f, static_cast<std::uint16_t>(height)), Put16(f, 1);
        Put16(f, c.bits);
    } else {
        Put32(f, c.width), Put32(f, static_cast<std::uint32_t>(height)), Put16(f, 1);
        Put16(f, c.bits);
        Put32(f, c.rle ? 1 : 0), Put32(f, pixels.size()), Put32(f, 2835), Put32(f, 2835);
        Put32(f, c.bits <= 8 ? c.paletteSize : 0), Put32(f, 0);
    }
    f.insert(f.end(), palette.begin(), palette.end());
    f.insert(f.end(), pixels.begin(), pixels.end());
    return f;
}

TEST(Picture, BmpVariantsDecodePixelForPixel) {
    const BmpCase cases[] = {
        {"1 bit: bits within a byte taken from the wrong end", 13, 5, 1, false, 2, 40, false, 0},
        {"4 bits: nibbles swapped, odd width padding", 7, 4, 4, false, 16, 40, false, 0},
        {"4 bits top-down: row order ignored", 5, 6, 4, true, 16, 40, false, 0},
        {"8 bits with a short palette: colours used ignored", 9, 7, 8, false, 3, 40, false, 0},
        {"8 bits top-down", 6, 3, 8, true, 200, 40, false, 0},
        {"8 bits run-length encoded", 21, 5, 8, false, 7, 40, true, 0},
        {"OS/2 core header with 3-byte palette entries", 5, 3, 8, false, 256, 12, false, 0},
        {"16 bits 5-5-5: channels misplaced", 3, 4, 16, false, 0, 40, false, 7},
        {"24 bits one pixel wide: 3 padding bytes", 1, 4, 24, false, 0, 40, false, 0},
        {"24 bits width 5: padding of 1", 5, 3, 24, false, 0, 40, false, 0},
        {"24 bits width 6: padding of 2, top-down", 6, 5, 24, true, 0, 40, false, 0},
        {"24 bits width 7: blue and red swapped", 7, 2, 24, false, 0, 40, false, 0},
        {"32 bits with a zero fourth byte: taken as transparent black", 4, 3, 32, false, 0, 40,
         false, 0},
        {"32 bits top-down", 3, 5, 32, true, 0, 40, false, 0},
    };
    TempFolder folder;
    for (const BmpCase& c : cases) {
        SCOPED_TRACE(c.fault);
        const std::string file = folder.Write("p.bmp", MakeBmp(c));
        media::RgbPicture pic;
        std::string error;
        ASSERT_TRUE(media::LoadBmp(file, pic, &error)) << error;
        ASSERT_EQ(pic.width, c.width);
        ASSERT_EQ(pic.height, c.height);
        ASSERT_EQ(pic.rgb.size(), static_cast<std::size_t>(c.width * c.height * 3));
        int wrong = 0;
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                const Rgb want = Expected(c, x, y);
                const std::uint8_t* got = &pic.rgb[(y * c.width + x) * 3];
                const bool same = std::abs(got[0] - want.r) <= c.tolerance &&
                                  std::abs(got[1] - want.g) <= c.tolerance &&
                                  std::abs(got[2] - want.b) <= c.tolerance;
                if (!same && wrong++ == 0) {
                    ADD_FAILURE() << "first wrong pixel " << x << "," << y << ": got "
                                  << int(got[0]) << " " << int(got[1]) << " " << int(got[2])
                                  << ", want " << want.r << " " << want.g << " " << want.b;
                }
            }
        }
    }
}

// A valid 4 x 4 24-bit file, then one field or the length changed.
TEST(Picture, BadBmpFilesAreRefusedWithAReason) {
    const Bytes good = MakeBmp({"", 4, 4, 24, false, 0, 40, false, 0});
    struct Bad {
        const char* fault;
        std::function<void(Bytes&)> spoil;
        const char* reason;
    } cases[] = {
        {"empty file", [](Bytes& b) { b.clear(); }, "empty"},
        {"magic alone", [](Bytes& b) { b.resize(2); }, "too short"},
        {"another format", [](Bytes& b) { b[0] = 'P', b[1] = 'K'; }, "not a BMP"},
        {"info header size nonsense", [](Bytes& b) { Poke32(b, 14, 999); }, "info header"},
        {"zero width", [](Bytes& b) { Poke32(b, 18, 0); }, "no pixels"},
        {"zero height", [](Bytes& b) { Poke32(b, 22, 0); }, "no pixels"},
        {"negative width", [](Bytes& b) { Poke32(b, 18, static_cast<std::uint32_t>(-4)); },
         "negative"},
        {"100000 x 100000 in a tiny file",
         [](Bytes& b) { Poke32(b, 18, 100000), Poke32(b, 22, 100000); }, "too large"},
        {"height of INT_MIN overflowing abs", [](Bytes& b) { Poke32(b, 22, 0x80000000u); },
         "too large"},
        {"64 megapixels exactly but no data: size passes, data check must catch it",
         [](Bytes& b) { Poke32(b, 18, 8000), Poke32(b, 22, 8000); }, "truncated"},
        {"pixel data cut short", [](Bytes& b) { b.resize(b.size() - 10); }, "truncated"},
        {"7 bits per pixel", [](Bytes& b) { b[28] = 7; }, "unsupported"},
        {"embedded JPEG compression", [](Bytes& b) { Poke32(b, 30, 4); }, "unsupported"},
        {"palette larger than 8 bits allow", [](Bytes& b) { b[28] = 8, Poke32(b, 46, 100000); },
         "palette"},
        {"data offset past the end", [](Bytes& b) { Poke32(b, 10, 100000); }, "offset"},
    };
    TempFolder folder;
    for (const Bad& c : cases) {
        SCOPED_TRACE(c.fault);
        Bytes bytes = good;
        c.spoil(bytes);
        media::RgbPicture pic{5, 5, Bytes(75, 1)};
        std::string error;
        EXPECT_FALSE(media::LoadBmp(folder.Write("bad.bmp", bytes), pic, &error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_TRUE(pic.rgb.empty() && pic.width == 0 && pic.height == 0);
    }
    std::string error;
    media::RgbPicture pic;
    EXPECT_FALSE(media::LoadBmp(folder.path(), pic, &error));
    EXPECT_NE(error.find("folder"), std::string::npos) << error;
    EXPECT_FALSE(media::LoadBmp(folder.path() + "/missing.bmp", pic, &error));
    EXPECT_NE(error.find("no such file"), std::string::npos) << error;
}

TEST(Picture, SavedBmpReadsBackIdentically) {
    TempFolder folder;
    for (int width : {1, 2, 3, 5, 8}) {
        media::RgbPicture pic{width, 3, {}};
        for (int i = 0; i < width * 3 * 3; ++i)
            pic.rgb.push_back((i * 71 + 13) & 0xFF);
        const std::string file = folder.path() + "/s.bmp";
        ASSERT_TRUE(media::SaveBmp(file, pic));
        media::RgbPicture back;
        std::string error;
        ASSERT_TRUE(media::LoadBmp(file, back, &error)) << error;
        EXPECT_EQ(back.width, pic.width);
        EXPECT_EQ(back.height, pic.height);
        EXPECT_EQ(back.rgb, pic.rgb) << "width " << width;
    }
    // A picture whose buffer does not match its size must not be written out of bounds.
    EXPECT_FALSE(media::SaveBmp(folder.path() + "/x.bmp", media::RgbPicture{4, 4, Bytes(10)}));
    EXPECT_FALSE(media::SaveBmp(folder.path() + "/x.bmp", media::RgbPicture{}));
    EXPECT_FALSE(
        media::SaveBmp(folder.path() + "/no/such/dir/x.bmp", media::RgbPicture{1, 1, {1, 2, 3}}));
}

}  // namespace
