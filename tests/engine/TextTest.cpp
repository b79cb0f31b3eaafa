// Text on a real window under Xvfb, pixel for pixel: white text on black shows exactly the
// coverage of the font's glyph bitmaps where the pen puts them, and a line written at once draws
// what its letters written one by one draw, also for a big bold font whose glyphs fill several
// textures.
#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "EngineTestFiles.h"
#include "media/Font.h"

namespace {

using namespace enginetest;

constexpr int kW = 480;
constexpr int kH = 300;

class TextOnWindow : public ShownWindowTest<kW, kH> {
  protected:
    // The red channel of the whole back buffer, rows top-down.
    static std::vector<std::uint8_t> Reds() {
        std::vector<std::uint8_t> rgb(static_cast<size_t>(kW) * kH * 3);
        glFinish();
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kW, kH, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        std::vector<std::uint8_t> reds(static_cast<size_t>(kW) * kH);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                reds[static_cast<size_t>(y) * kW + x] =
                    rgb[(static_cast<size_t>(kH - 1 - y) * kW + x) * 3];
        return reds;
    }

    void ClearToBlack() {
        r_->SetClearColor(0, 0, 0);
        r_->ClearFrame(true, false, false);
        glColor3f(1, 1, 1);
    }
};

std::u32string Ascii() {
    std::u32string all;
    for (char32_t c = 32; c < 127; ++c)
        all.push_back(c);
    return all;
}

TEST_F(TextOnWindow, WhiteTextOnBlackIsTheGlyphCoverageWhereThePenPutsIt) {
    const int points = 12;
    const int font = r_->Fonts()->MakeFont("Comic Sans MS", points, 0, 512);
    ASSERT_EQ(font, 1) << engine_->Log();
    media::FontFace face;
    ASSERT_TRUE(media::FindFontFace("Comic Sans MS", Ascii(), face));
    media::GlyphRasterizer glyphs;
    ASSERT_TRUE(glyphs.Open(face, static_cast<int>(std::nearbyint(points * 96.0 / 72.0))));

    const std::string text = "Score: 1290  fps 50  {Qj@}";
    const float x = 7.4f, y = 21.2f;
    ClearToBlack();
    r_->WriteText(font, text.c_str(), x, y);
    const std::vector<std::uint8_t> drawn = Reds();

    // Each glyph blended over what lies under it, source alpha over one minus it.
    std::vector<int> expected(static_cast<size_t>(kW) * kH, 0);
    int pen = static_cast<int>(std::nearbyint(x));
    const int baseline = static_cast<int>(std::nearbyint(y)) + glyphs.Ascender();
    for (char c : text) {
        const media::GlyphBitmap g = glyphs.Render(static_cast<char32_t>(c));
        for (int row = 0; row < g.height; ++row)
            for (int col = 0; col < g.width; ++col) {
                const int a = g.coverage[static_cast<size_t>(row) * g.width + col];
                int& out =
                    expected[static_cast<size_t>(baseline - g.top + row) * kW + pen + g.left + col];
                out = static_cast<int>(std::lround(a + out * (255 - a) / 255.0));
            }
        pen += g.advance;
    }
    int differing = 0, lit = 0;
    for (size_t i = 0; i < drawn.size(); ++i) {
        if (drawn[i] > 0) ++lit;
        if (std::abs(drawn[i] - expected[i]) > 0) ++differing;
    }
    EXPECT_GT(lit, 200) << "no text was drawn";
    EXPECT_EQ(differing, 0) << "pixels differ from the glyphs' own coverage";
}

TEST_F(TextOnWindow, ALineDrawsWhatItsLettersDrawOneByOne) {
    struct Case {
        const char* face;
        int points, bold;
        const char* text;
        const char* pages;
    };
    const Case cases[] = {
        {"Comic Sans MS", 150, 1, "Wg\t\xE9|", "font 1 glyph textures: 5 of 1024 x 1024"},
        {"Georgia", 7, 1, "fps: 50, 3 of 9 \xA9", "font 1 glyph textures: 1 of 128 x 128"},
        {"Comic Sans MS", 32, 1, "VICTORY~", "font 1 glyph textures: 1 of 512 x 512"},
    };
    for (const Case& c : cases) {
        engine_ = nullptr;
        SetUp();
        const int font = r_->Fonts()->MakeFont(c.face, c.points, c.bold, 1024);
        ASSERT_EQ(font, 1) << engine_->Log();
        const float x = 3, y = 2;
        ClearToBlack();
        r_->WriteText(font, c.text, x, y);
        const std::vector<std::uint8_t> line = Reds();
        ClearToBlack();
        std::string before;
        for (const char* p = c.text; *p; ++p) {
            const char letter[2] = {*p, 0};
            r_->WriteText(font, letter, x + static_cast<float>(r_->TextWidth(font, before.c_str())),
                          y);
            before += *p;
        }
        const std::vector<std::uint8_t> letters = Reds();
        int lit = 0, differing = 0;
        for (size_t i = 0; i < line.size(); ++i) {
            if (line[i] > 0) ++lit;
            if (line[i] != letters[i]) ++differing;
        }
        EXPECT_GT(lit, 50) << c.text << ": no text was drawn";
        EXPECT_EQ(differing, 0) << c.text;
        EXPECT_NE(engine_->Log().find(c.pages), std::string::npos) << engine_->Log();
    }
}

}  // namespace
