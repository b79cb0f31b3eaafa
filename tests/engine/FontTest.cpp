// Fonts made by face name and size: text widths of known strings, handles and fallbacks.
// Glyphs are rasterised without GL, so these run headless.
#include <gtest/gtest.h>

#include "EngineTestFiles.h"

namespace {

using namespace enginetest;

TEST(Fonts, TextWidthsOfKnownStrings) {
    BoundEngine engine(ExHeadless);
    ASSERT_TRUE(engine.ok());
    IRenderer* r = engine.core()->Renderer();
    IFont* fonts = r->Fonts();
    const int small = fonts->MakeFont("Georgia", 7, 1, 512);
    const int credits = fonts->MakeFont("Comic Sans MS", 12, 0, 512);
    const int big = fonts->MakeFont("Comic Sans MS", 32, 1, 1024);
    const int plain = fonts->MakeFont("Comic Sans MS", 32, 0, 1024);
    ASSERT_EQ(small, 1) << "handles must count from 1 in the order made";
    ASSERT_EQ(credits, 2);
    ASSERT_EQ(big, 3);
    ASSERT_EQ(plain, 4);

    auto w = [&](int font, const char* text) { return r->TextWidth(font, text); };
    struct Case {
        const char* fault;
        bool holds;
    };
    const Case cases[] = {
        {"empty text has a width", w(credits, "") == 0},
        {"a letter has no width", w(credits, "i") > 0},
        {"widths do not grow with the text", w(credits, "i") < w(credits, "ii")},
        {"widths do not grow with the text (3)", w(credits, "ii") < w(credits, "iii")},
        {"narrow and wide letters measure alike", w(credits, "ii") < w(credits, "WW")},
        {"width is not the sum of the letters",
         w(credits, "score: 12") == w(credits, "score: ") + w(credits, "12")},
        {"a bigger size is not wider", w(credits, "VICTORY") < w(plain, "VICTORY")},
        {"bold is not heavier than regular", w(plain, "DEFEAT") < w(big, "DEFEAT")},
        {"Latin-1 bytes above 127 are dropped (signed char)", w(credits, "\xE9") > 0},
        {"control characters take room", w(credits, "a\tb") == w(credits, "ab")},
        {"handle 0 is not the first font", w(0, "fps: 50") == w(small, "fps: 50")},
        {"an unknown handle is not the first font", w(99, "fps: 50") == w(small, "fps: 50")},
        {"a null text crashes or measures", w(credits, nullptr) == 0},
        {"line height ignores the size", fonts->LineHeight(credits) < fonts->LineHeight(plain)},
        {"12 points at 96 dpi is not about 16 pixels of line",
         fonts->LineHeight(credits) >= 14 && fonts->LineHeight(credits) <= 24},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(c.holds) << c.fault;
    EXPECT_NE(engine.Log().find("font made: \"Comic Sans MS\" 12 pt"), std::string::npos)
        << engine.Log();
}

TEST(Fonts, UnknownFaceFallsBackToANearMatch) {
    BoundEngine engine(ExHeadless);
    ASSERT_TRUE(engine.ok());
    IRenderer* r = engine.core()->Renderer();
    const int font = r->Fonts()->MakeFont("No Such Face Anywhere", 12, 0, 512);
    EXPECT_EQ(font, 1);
    EXPECT_GT(r->TextWidth(font, "still readable"), 0);
    EXPECT_EQ(r->Fonts()->MakeFont(nullptr, 12, 0, 512), 2) << "a null face name is not a face";
}

}  // namespace
