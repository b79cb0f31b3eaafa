// Font lookup through the machine's fontconfig (DejaVu is installed with the project's
// packages) and glyphs rasterised by FreeType at the games' 26-pixel text size.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "media/Font.h"

namespace {

int CoverageSum(const media::GlyphBitmap& g) {
    int sum = 0;
    for (auto v : g.coverage)
        sum += v;
    return sum;
}

TEST(Font, LookupHonoursCoverage) {
    struct Case {
        const char* fault;
        std::string family;
        std::u32string mustCover;
        bool found;
    } cases[] = {
        {"a Cyrillic face not found by family", "DejaVu Sans", U"АЖяЁё№", true},
        {"an unknown family gets no substitute", "No Such Family 1234", U"Жж", true},
        {"coverage ignored: nothing has this private-use plane character", "DejaVu Sans",
         U"A\U0010FFFD", false},
        {"empty coverage treated as uncovered", "DejaVu Sans", U"", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        media::FontFace face;
        EXPECT_EQ(media::FindFontFace(c.family, c.mustCover, face), c.found);
        if (!c.found) continue;
        EXPECT_TRUE(std::filesystem::is_regular_file(face.file)) << face.file;
        EXPECT_FALSE(face.family.empty());
        EXPECT_GE(face.index, 0);
    }
    media::FontFace dejavu;
    ASSERT_TRUE(media::FindFontFace("DejaVu Sans", U"Ж", dejavu));
    EXPECT_NE(dejavu.family.find("DejaVu"), std::string::npos) << dejavu.family;
}

TEST(Font, GlyphsAt26PixelsArePlausible) {
    media::FontFace face;
    ASSERT_TRUE(media::FindFontFace("DejaVu Sans", U"AЖ", face));
    media::GlyphRasterizer raster;
    ASSERT_TRUE(raster.Open(face, 26));
    ASSERT_TRUE(raster.IsOpen());
    EXPECT_GT(raster.Ascender(), 15);
    EXPECT_LE(raster.Ascender(), 30);
    EXPECT_GT(raster.Descender(), 2);
    EXPECT_LT(raster.Descender(), 13);
    for (char32_t cp : {U'A', U'Ж', U'g'}) {
        SCOPED_TRACE(static_cast<int>(cp));
        const media::GlyphBitmap g = raster.Render(cp);
        ASSERT_EQ(g.coverage.size(), static_cast<std::size_t>(g.width * g.height));
        EXPECT_GT(CoverageSum(g), 255 * 10);
        EXPECT_GE(g.advance, 10);
        EXPECT_LE(g.advance, 30);
        EXPECT_GT(g.top, 8);  // up from the baseline, not down
        EXPECT_LE(g.top, raster.Ascender());
        EXPECT_LE(g.width, 30);
        EXPECT_EQ(*std::max_element(g.coverage.begin(), g.coverage.end()), 255);
    }
    // 'g' reaches below the baseline: its bitmap is taller than its top.
    const media::GlyphBitmap g = raster.Render(U'g');
    EXPECT_GT(g.height, g.top);
    const media::GlyphBitmap space = raster.Render(U' ');
    EXPECT_EQ(CoverageSum(space), 0);
    EXPECT_GT(space.advance, 3);
    // A character the face lacks gives its missing-glyph box, not an empty result.
    EXPECT_GT(CoverageSum(raster.Render(0x10FFFD)), 0);
}

TEST(Font, PixelHeightScalesGlyphs) {
    media::FontFace face;
    ASSERT_TRUE(media::FindFontFace("DejaVu Sans", U"A", face));
    media::GlyphRasterizer raster;
    ASSERT_TRUE(raster.Open(face, 26));
    const media::GlyphBitmap small = raster.Render(U'A');
    ASSERT_TRUE(raster.Open(face, 52));  // reopening replaces the face
    const media::GlyphBitmap big = raster.Render(U'A');
    EXPECT_NEAR(big.height, 2 * small.height, 2);
    EXPECT_NEAR(big.advance, 2 * small.advance, 2);
}

TEST(Font, BadFacesAndSizesAreRefused) {
    media::FontFace face;
    ASSERT_TRUE(media::FindFontFace("DejaVu Sans", U"A", face));
    struct Case {
        const char* fault;
        media::FontFace face;
        int pixelHeight;
    } cases[] = {
        {"missing file", {"/no/such/font.ttf", 0, "x"}, 26},
        {"a folder as a font", {"/", 0, "x"}, 26},
        {"face index past the collection", {face.file, 99, face.family}, 26},
        {"zero height", face, 0},
        {"negative height", face, -26},
        {"absurd height", face, 1 << 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        media::GlyphRasterizer raster;
        ASSERT_TRUE(raster.Open(face, 26));  // a failed reopen must not leave the old face
        EXPECT_FALSE(raster.Open(c.face, c.pixelHeight));
        EXPECT_FALSE(raster.IsOpen());
        EXPECT_TRUE(raster.Render(U'A').coverage.empty());
        EXPECT_EQ(raster.Ascender(), 0);
    }
}

}  // namespace
