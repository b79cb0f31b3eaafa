// Font lookup through the machine's fontconfig (DejaVu is installed with the project's
// packages) and glyphs rasterised by FreeType at the games' 26-pixel text size.
#include <gtest/gtest.h>

#include <fontconfig/fontconfig.h>

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

// What fontconfig itself says about the style of the chosen file.
struct FaceStyle {
    int slant = -1;
    int weight = -1;
};

FaceStyle StyleOfFile(const media::FontFace& face) {
    FaceStyle style;
    int count = 0;
    FcPattern* query = FcFreeTypeQuery(reinterpret_cast<const FcChar8*>(face.file.c_str()),
                                       face.index, nullptr, &count);
    if (!query) return style;
    FcPatternGetInteger(query, FC_SLANT, 0, &style.slant);
    FcPatternGetInteger(query, FC_WEIGHT, 0, &style.weight);
    FcPatternDestroy(query);
    return style;
}

// Mean column of the lit pixels in rows [from, to) of a glyph, weighted by coverage.
double MeanColumn(const media::GlyphBitmap& g, int from, int to) {
    double sum = 0, weight = 0;
    for (int y = from; y < to; ++y)
        for (int x = 0; x < g.width; ++x) {
            const int v = g.coverage[static_cast<std::size_t>(y) * g.width + x];
            sum += v * x;
            weight += v;
        }
    return weight > 0 ? sum / weight : -1;
}

// Lit pixels (coverage of at least half) in one row of a glyph.
int LitInRow(const media::GlyphBitmap& g, int y) {
    int lit = 0;
    for (int x = 0; x < g.width; ++x)
        lit += g.coverage[static_cast<std::size_t>(y) * g.width + x] >= 128;
    return lit;
}

// A missing Comic Sans MS used to become the chancery script that fontconfig files under
// "cursive" (URW Chancery with fonts-urw-base35). Whatever is installed, the chosen face must be
// upright and regular by fontconfig's own account of its file, draw vertical stems vertically,
// and be of the asked-for class: serifs on the capital I for Georgia, none for Comic Sans.
TEST(Font, SubstitutesAreUprightRegularFacesOfTheirClass) {
    struct Case {
        const char* fault;
        std::string family;
        std::u32string mustCover;
        bool serif;
    } cases[] = {
        {"the ball game's menus in a script face", "Comic Sans MS", U"AЖяЁё№I", false},
        {"the catching game's title in a script face", "Comic Sans MS", U"AZaz09I", false},
        {"a serif family replaced by a sans face", "Georgia", U"AZaz09I", true},
        {"an unknown family replaced by an italic face", "No Such Family 1234", U"Iж", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        media::FontFace face;
        ASSERT_TRUE(media::FindFontFace(c.family, c.mustCover, face));
        SCOPED_TRACE(face.family + " " + face.file);
        const FaceStyle style = StyleOfFile(face);
        EXPECT_EQ(style.slant, FC_SLANT_ROMAN);
        EXPECT_GE(style.weight, FC_WEIGHT_BOOK);
        EXPECT_LE(style.weight, FC_WEIGHT_MEDIUM);
        media::GlyphRasterizer raster;
        ASSERT_TRUE(raster.Open(face, 52));
        for (char32_t stem : {U'I', U'l', U'Н'}) {
            const media::GlyphBitmap g = raster.Render(stem);
            ASSERT_GT(g.height, 20);
            const int quarter = g.height / 4;
            EXPECT_NEAR(MeanColumn(g, 0, quarter), MeanColumn(g, g.height - quarter, g.height), 1.0)
                << "the stem of glyph " << static_cast<int>(stem) << " leans";
        }
        const media::GlyphBitmap capital = raster.Render(U'I');
        const int top = LitInRow(capital, 1), middle = LitInRow(capital, capital.height / 2);
        if (c.serif)
            EXPECT_GT(top, 2 * middle) << "no serifs on I";
        else
            EXPECT_LE(top, middle + 1) << "serifs on I";
    }
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
