// Pictures as textures: the file-name rules, the fallback, the per-pixel pass at its edge cases
// (against a plain per-pixel reference), shrinking for the GL, and the nine textures of a reload.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <random>

#include "Balls.h"
#include "Content.h"
#include "GLUsePicture.h"
#include "GeomUse.h"
#include "OpenGL.h"
#include "PresentFiles.h"
#include "Zodav.h"

namespace {

struct Rgba {
    int r, g, b, a;
    bool operator==(const Rgba&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Rgba& p) {
    return os << "(" << p.r << ", " << p.g << ", " << p.b << ", " << p.a << ")";
}

Rgba At(const std::vector<std::uint8_t>& px, int width, int x, int y) {
    const size_t o = (static_cast<size_t>(y) * width + x) * 4;
    return {px[o], px[o + 1], px[o + 2], px[o + 3]};
}

// The pass as the game defines it, one pixel at a time in the plainest way, for comparison.
std::vector<std::uint8_t> ReferencePass(const media::RgbPicture& p, bool brighten, bool crop) {
    std::vector<std::uint8_t> out(static_cast<size_t>(p.width) * p.height * 4);
    const int hw = p.width / 2, hh = p.height / 2;
    for (int i = 0; i < p.height; ++i)
        for (int l = 0; l < p.width; ++l) {
            const float u = hw == 0 ? 0.0f : static_cast<float>(double(hw - l) / hw);
            const float v = hh == 0 ? 0.0f : static_cast<float>(double(hh - i) / hh);
            const float d = Distance(TVec2{0, 0}, TVec2{u, v});
            float factor = 1.0f;
            if (brighten && d <= 1) factor = static_cast<float>(2.4 - 1.6 * double(d));
            const size_t s = (static_cast<size_t>(i) * p.width + l) * 3;
            const size_t o = (static_cast<size_t>(i) * p.width + l) * 4;
            for (int c = 0; c < 3; ++c) {
                const double value = std::trunc(double(p.rgb[s + c]) * double(factor));
                out[o + c] = static_cast<std::uint8_t>(value >= 255 ? 255 : value);
            }
            out[o + 3] = crop && d > 1 ? 0 : 255;
        }
    return out;
}

TEST(PictureTest, CentreAndRimFactorsGiveTheDocumentedValues) {
    TempFolder folder;
    const std::string file = folder / "flat.bmp";
    ASSERT_TRUE(media::SaveBmp(file, MakePicture(5, 5, Flat(200, 100, 50))));
    std::int32_t w = 0, h = 0;
    const auto& px = LoadPicturePixels(file, w, h, true, true);
    ASSERT_EQ(w, 5);
    ASSERT_EQ(h, 5);
    // Centre: d = 1e-7, factor 2.3999998569.
    EXPECT_EQ(At(px, w, 2, 2), (Rgba{255, 239, 119, 255}));
    // (0, 2) lies on the ellipse (d = 1): factor 0.8, still opaque.
    EXPECT_EQ(At(px, w, 0, 2), (Rgba{160, 80, 40, 255}));
    // A corner lies outside: transparent, factor 1.
    EXPECT_EQ(At(px, w, 0, 0), (Rgba{200, 100, 50, 0}));
}

TEST(PictureTest, FallbackUnderEachProcessing) {
    struct Case {
        const char* fault;
        bool brighten, crop;
        Rgba centre, rim, corner;
    };
    const Case cases[] = {
        {"full: brightened disc, darkened rim, clear corners",
         true,
         true,
         {255, 255, 255, 255},
         {102, 102, 102, 255},
         {128, 128, 128, 0}},
        {"crop: flat disc with clear corners",
         false,
         true,
         {128, 128, 128, 255},
         {128, 128, 128, 255},
         {128, 128, 128, 0}},
        {"none: opaque grey square",
         false,
         false,
         {128, 128, 128, 255},
         {128, 128, 128, 255},
         {128, 128, 128, 255}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        std::int32_t w = 0, h = 0;
        const auto& px = LoadPicturePixels("nill", w, h, c.brighten, c.crop);
        ASSERT_EQ(w, 128);
        ASSERT_EQ(h, 128);
        EXPECT_EQ(At(px, w, 64, 64), c.centre);
        EXPECT_EQ(At(px, w, 0, 64), c.rim);
        EXPECT_EQ(At(px, w, 0, 0), c.corner);
    }
}

TEST(PictureTest, NonSquarePictureGivesAnEllipse) {
    TempFolder folder;
    const std::string file = folder / "wide.bmp";
    ASSERT_TRUE(media::SaveBmp(file, MakePicture(64, 32, Flat(10, 20, 30))));
    std::int32_t w = 0, h = 0;
    const auto& px = LoadPicturePixels(file, w, h, false, true);
    ASSERT_EQ(w, 64);
    ASSERT_EQ(h, 32);
    int acrossCentre = 0, downCentre = 0;
    for (int x = 0; x < w; ++x)
        acrossCentre += At(px, w, x, 16).a == 255;
    for (int y = 0; y < h; ++y)
        downCentre += At(px, w, 32, y).a == 255;
    EXPECT_EQ(acrossCentre, 64);
    EXPECT_EQ(downCentre, 32);
    EXPECT_EQ(At(px, w, 32, 0).a, 255);  // top of the ellipse, d = 1
    EXPECT_EQ(At(px, w, 31, 0).a, 0);
    EXPECT_EQ(At(px, w, 8, 4).a, 0);
}

TEST(PictureTest, FileNameDecidesTheDecoder) {
    TempFolder folder;
    const media::RgbPicture picture = MakePicture(16, 8, Flat(250, 250, 250));
    const std::string jpeg = folder / "source.jpg";
    ASSERT_TRUE(WriteJpeg(jpeg, picture));
    const auto jpegBytes = ReadBytes(jpeg);
    const std::string bmp = folder / "source.bmp";
    ASSERT_TRUE(media::SaveBmp(bmp, picture));
    const auto bmpBytes = ReadBytes(bmp);
    struct Case {
        const char* fault;
        std::string name;
        const std::vector<std::uint8_t>& bytes;
        int width;
    };
    const Case cases[] = {
        {"upper-case extension not read as JPEG", "photo.JPG", jpegBytes, 16},
        {"mixed-case extension not read as JPEG", "PHOTO.jPg", jpegBytes, 16},
        {"four-letter extension read as JPEG", "photo.jpeg", jpegBytes, 128},
        {"unknown extension read by content", "photo.png", jpegBytes, 128},
        {"name without a dot not read as bitmap", "abmp", bmpBytes, 16},
        {"mixed-case bitmap not read", "x.BmP", bmpBytes, 16},
        {"bitmap bytes under a JPEG name crash or load", "fake.jpg", bmpBytes, 128},
        {"short name", "pg", jpegBytes, 128},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        const std::string file = folder.Write(c.name, c.bytes);
        std::int32_t w = 0, h = 0;
        LoadPicturePixels(file, w, h, false, false);
        EXPECT_EQ(w, c.width);
        EXPECT_EQ(h, c.width == 128 ? 128 : 8);
    }
}

TEST(PictureTest, UnreadableFilesGiveTheGreyFallback) {
    TempFolder folder;
    std::vector<std::uint8_t> jpeg;
    {
        const std::string file = folder / "good.jpg";
        ASSERT_TRUE(WriteJpeg(file, MakePicture(64, 64, [](int x, int y, std::uint8_t* rgb) {
                                  rgb[0] = static_cast<std::uint8_t>(x * 4);
                                  rgb[1] = static_cast<std::uint8_t>(y * 4);
                                  rgb[2] = 7;
                              })));
        jpeg = ReadBytes(file);
    }
    struct Case {
        const char* fault;
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {"empty bitmap", "empty.bmp", {}},
        {"empty JPEG", "empty.jpg", {}},
        {"noise as bitmap", "noise.bmp", {'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {"noise as JPEG", "noise.jpg", {0xFF, 0xD8, 0xFF, 0x00, 1, 2, 3}},
        {"JPEG that ends early", "cut.jpg",
         std::vector<std::uint8_t>(jpeg.begin(), jpeg.begin() + jpeg.size() / 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        const std::string file = folder.Write(c.name, c.bytes);
        std::int32_t w = 0, h = 0;
        const auto& px = LoadPicturePixels(file, w, h, false, false);
        ASSERT_EQ(w, 128);
        ASSERT_EQ(h, 128);
        EXPECT_EQ(At(px, w, 5, 5), (Rgba{128, 128, 128, 255}));
    }
    std::int32_t w = 0, h = 0;
    LoadPicturePixels(folder / "missing.bmp", w, h, true, true);
    EXPECT_EQ(w, 128);
}

// A bitmap header asking for 10000 x 10000 pixels (100 megapixels) with no pixels behind it.
std::vector<std::uint8_t> HugeBitmapHeader() {
    std::vector<std::uint8_t> b(54, 0);
    auto put32 = [&](size_t at, std::uint32_t v) {
        for (int k = 0; k < 4; ++k)
            b[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, 54);
    put32(10, 54);
    put32(14, 40);
    put32(18, 10000);
    put32(22, 10000);
    b[26] = 1;
    b[28] = 24;
    return b;
}

TEST(PictureTest, AbsurdSizesAndHarmlessWarnings) {
    TempFolder folder;
    std::int32_t w = 0, h = 0;
    LoadPicturePixels(folder.Write("huge.bmp", HugeBitmapHeader()), w, h, true, true);
    EXPECT_EQ(w, 128) << "a 100-megapixel header was not refused";
    // Stray bytes before a marker only earn a warning: the photo still loads.
    const std::string good = folder / "good.jpg";
    ASSERT_TRUE(WriteJpeg(good, MakePicture(24, 16, Flat(90, 180, 30))));
    std::vector<std::uint8_t> bytes = ReadBytes(good);
    ASSERT_GT(bytes.size(), 6u);
    const size_t afterApp0 = 4 + (size_t(bytes[4]) << 8 | bytes[5]);
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(afterApp0), {0x12, 0x34});
    LoadPicturePixels(folder.Write("stray.jpg", bytes), w, h, false, false);
    EXPECT_EQ(w, 24);
    EXPECT_EQ(h, 16);
}

TEST(PictureTest, PassMatchesThePixelByPixelRule) {
    struct Case {
        const char* fault;
        int width, height;
    };
    // Odd and even sides, the one-pixel sides (centre coordinate zero) and a long thin strip.
    const Case cases[] = {
        {"odd square: mirrored column reused wrongly", 9, 9},
        {"even sides: last column has no mirror", 10, 6},
        {"one pixel wide: NaN instead of the centre", 1, 7},
        {"one pixel high", 7, 1},
        {"single pixel", 1, 1},
        {"strip", 301, 3},
        {"even/odd mix", 128, 127},
        {"wide enough for every group of eight and a tail", 203, 45},
        {"photo-like proportions", 640, 480},
    };
    std::mt19937 gen(11);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        const media::RgbPicture p =
            MakePicture(c.width, c.height, [&](int, int, std::uint8_t* rgb) {
                for (int k = 0; k < 3; ++k)
                    rgb[k] = static_cast<std::uint8_t>(gen() & 0xFF);
            });
        for (int mode = 0; mode < 6; ++mode) {
            const bool crop = mode % 3 > 0, brighten = mode % 3 > 1, vector = mode < 3;
            SetVectorPicturePass(vector);
            std::vector<std::uint8_t> got;
            ProcessPicture(p.rgb.data(), p.width, p.height, brighten, crop, got);
            EXPECT_EQ(got, ReferencePass(p, brighten, crop))
                << "processing " << mode % 3 << (vector ? " eight at a time" : " one by one");
        }
        SetVectorPicturePass(true);
    }
}

TEST(PictureTest, TooLargePicturesShrinkToTheTextureLimit) {
    std::vector<std::uint8_t> rgba(300 * 100 * 4, 200);
    std::vector<std::uint8_t> out;
    int w = 0, h = 0;
    ASSERT_TRUE(FitPictureToLimit(rgba, 300, 100, 128, out, w, h));
    EXPECT_EQ(w, 128);
    EXPECT_EQ(h, 42);
    EXPECT_EQ(out.size(), size_t(128 * 42 * 4));
    EXPECT_EQ(out[0], 200);  // averages of a flat picture stay flat
    EXPECT_FALSE(FitPictureToLimit(rgba, 300, 100, 300, out, w, h));
}

TEST(PictureTest, EmptyPictureStopsTheProgram) {
    std::uint32_t texture = 0;
    EXPECT_EXIT(CreateTexture({}, 0, 0, texture), ::testing::ExitedWithCode(1),
                "Unable to generate");
}

TEST(PictureTest, LoadTexturesMakesNineSlotsUnderTheOptionFlags) {
    TempFolder folder(true);
    ASSERT_TRUE(std::filesystem::create_directory(folder / "garbage"));
    ASSERT_TRUE(media::SaveBmp(folder / "garbage/a.bmp", MakePicture(10, 6, Flat(1, 2, 3))));
    ResetAllState();
    for (std::string& name : balls.pictureNames)
        name = "nill";
    balls.pictureNames[4] = "a.bmp";
    balls.pictureNames[7] = "gone.jpg";
    LoadTextures();
    for (int k = 0; k < 9; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(content.Textures[k].width, k == 4 ? 10 : 128);
        EXPECT_EQ(content.Textures[k].height, k == 4 ? 6 : 128);
    }
}

}  // namespace
