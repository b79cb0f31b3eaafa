// Text elements: initial fields, the box of each alignment once drawn, the inclusive hit test on
// the full box, the appear counter, and the code-page round trip of every text the screens show.
#include <gtest/gtest.h>

#include "GLUseText.h"
#include "ScreensText.h"
#include "media/Cp1251.h"

namespace {

TTextElement Element(const std::string& text, std::uint8_t align, float x = 0, float y = 0) {
    TTextElement e;
    InitTextElement(text, align, true, x, y, e);
    return e;
}

TEST(TextTest, InitialisationSetsTheDocumentedFields) {
    TTextElement e;
    e.hover = 1;
    e.appear = 7;
    InitTextElement("abcde", 2, false, 1.5f, -2.0f, e);
    EXPECT_EQ(e.text, "abcde");
    EXPECT_EQ(e.length, 5);
    EXPECT_EQ(e.align, 2);
    EXPECT_EQ(e.visible, 0);
    EXPECT_EQ(e.appear, 0);
    EXPECT_EQ(e.hover, 0);
    EXPECT_FLOAT_EQ(e.x, 1.5f);
    EXPECT_FLOAT_EQ(e.y, -2.0f);
    EXPECT_FLOAT_EQ(e.width, 0.6f);  // 0.12 per character until drawn
    EXPECT_FLOAT_EQ(e.height, 0.3f);
    EXPECT_FLOAT_EQ(e.textDX, 0.01f);
    EXPECT_FLOAT_EQ(e.textDY, 0.06f);
}

TEST(TextTest, BoxOfEachAlignmentOnceDrawn) {
    struct Case {
        const char* fault;
        std::uint8_t align;
        float left;
    };
    const Case cases[] = {
        {"left-aligned box moved", 0, 0.0f},
        {"centred box not centred on x", 1, -0.26f},
        {"right-aligned box does not end at x", 2, -0.52f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        TTextElement e = Element("abcd", c.align);
        e.appear = 20;
        DrawTextElement(e);
        EXPECT_FLOAT_EQ(e.width, 0.52f);  // 0.13 per character once drawn
        EXPECT_FLOAT_EQ(TextBoxLeft(e), c.left);
    }
    // Nothing to draw: the width is not recomputed.
    TTextElement hidden = Element("abcd", 1);
    DrawTextElement(hidden);
    EXPECT_FLOAT_EQ(hidden.width, 0.48f);
}

TEST(TextTest, HitTestIsInclusiveOnTheFullBox) {
    struct Case {
        const char* fault;
        std::uint8_t align;
        float px, py;
        bool inside;
    };
    const Case cases[] = {
        {"centred: right edge exclusive", 1, 0.26f, 0.0f, true},
        {"centred: left edge exclusive", 1, -0.26f, 0.3f, true},
        {"centred: past the right edge counted", 1, 0.27f, 0.1f, false},
        {"centred: below the box counted", 1, 0.0f, -0.01f, false},
        {"centred: above the box counted", 1, 0.0f, 0.31f, false},
        {"left: anchor corner exclusive", 0, 0.0f, 0.0f, true},
        {"left: far edge exclusive", 0, 0.52f, 0.15f, true},
        {"left: left of anchor counted", 0, -0.01f, 0.15f, false},
        {"right: box not ending at x", 2, -0.52f, 0.15f, true},
        {"right: right of anchor counted", 2, 0.01f, 0.15f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        TTextElement e = Element("abcd", c.align);
        e.appear = 0;  // the hit test ignores the appear counter
        e.visible = 0;
        e.hover = c.inside ? 0 : 1;
        EXPECT_EQ(TextElementHit(e, c.px, c.py), c.inside);
        EXPECT_EQ(e.hover, c.inside ? 1 : 0);
    }
}

TEST(TextTest, AppearCountsTwentyTicksEachWay) {
    TTextElement e = Element("x", 0);
    for (int i = 1; i <= 25; ++i) {
        AnimateTextElement(e);
        EXPECT_EQ(e.appear, std::min(i, 20));
    }
    e.visible = 0;
    for (int i = 1; i <= 25; ++i) {
        AnimateTextElement(e);
        EXPECT_EQ(e.appear, std::max(20 - i, 0));
    }
}

TEST(TextTest, EveryScreenTextIsSingleByteCodePage1251) {
    const ScreenTexts& t = Texts();
    std::vector<std::string> all = {
        t.timeLabel,   t.scoreLabel,  t.author,   t.continueRow, t.newGame,     t.help,
        t.options,     t.exit,        t.back,     t.dedication,  t.settings,    t.musicOn,
        t.musicOff,    t.musicVolume, t.soundsOn, t.soundsOff,   t.soundVolume, t.textureNone,
        t.textureFull, t.textureCrop, t.gameOver, t.lasted,      t.ticksAbout,  t.seconds,
        t.earned,      t.points,      t.hope,     t.thanks,      t.levelHeader};
    all.insert(all.end(), t.helpLines.begin(), t.helpLines.end());
    all.insert(all.end(), t.particles.begin(), t.particles.end());
    all.insert(all.end(), t.levels.begin(), t.levels.end());
    for (const std::string& text : all) {
        const std::string utf8 = media::Cp1251ToUtf8(text);
        SCOPED_TRACE(utf8);
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(text.find('?'), std::string::npos);  // nothing fell out of the code page
        EXPECT_EQ(media::Utf8ToCp1251(utf8), text);
    }
    // A few bytes checked by hand: "Выход" and the number sign of the help page.
    EXPECT_EQ(t.exit, "      \xC2\xFB\xF5\xEE\xE4 ");
    EXPECT_NE(t.helpLines[5].find('\xB9'), std::string::npos);
}

}  // namespace
