// The platform layer's pure parts: the screen fitted into windows of every shape, the pointer
// mapped back to screen pixels, and the key mapping on the layouts players use.
#include <SDL.h>
#include <gtest/gtest.h>

#include "GLUsePresent.h"
#include "WindUse.h"

namespace {

TEST(PlatformTest, ScreenFitsTheLargestCentredRectangleOfItsShape) {
    struct Case {
        const char* name;
        int areaWidth, areaHeight;
        ScreenRect expected;
    } cases[] = {
        {"same size: scale 1, no bars", 1024, 768, {0, 0, 1024, 768}},
        {"4:3 smaller", 800, 600, {0, 0, 800, 600}},
        {"wide laptop: bars left and right", 1366, 768, {171, 0, 1024, 768}},
        {"full HD", 1920, 1080, {240, 0, 1440, 1080}},
        {"tall window: bars above and below", 1024, 1000, {0, 116, 1024, 768}},
        {"odd width rounds to whole pixels", 1001, 2000, {0, 624, 1001, 751}},
        {"a window too small for a pixel", 1, 1, {0, 0, 1, 1}},
        {"no area at all", 0, 600, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        const ScreenRect r = FitScreen(1024, 768, c.areaWidth, c.areaHeight);
        EXPECT_EQ(r.x, c.expected.x) << c.name;
        EXPECT_EQ(r.y, c.expected.y) << c.name;
        EXPECT_EQ(r.width, c.expected.width) << c.name;
        EXPECT_EQ(r.height, c.expected.height) << c.name;
    }
}

TEST(PlatformTest, PointerMapsBackToScreenPixels) {
    struct Case {
        const char* name;
        int areaWidth, areaHeight, windowX, windowY, screenX, screenY;
    } cases[] = {
        {"scale 1 is the identity", 1024, 768, 517, 300, 517, 300},
        {"scale 1 last pixel", 1024, 768, 1023, 767, 1023, 767},
        {"bars: the shown left edge is screen 0", 1366, 768, 171, 0, 0, 0},
        {"bars: centre", 1366, 768, 683, 384, 512, 384},
        {"in the left bar: off the screen", 1366, 768, 10, 5, -161, 5},
        {"full HD centre", 1920, 1080, 960, 540, 512, 384},
        {"full HD last shown pixel", 1920, 1080, 1679, 1079, 1023, 767},
        {"800 x 600 corner", 800, 600, 799, 599, 1023, 767},
        {"800 x 600 origin", 800, 600, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const ScreenRect shown = FitScreen(1024, 768, c.areaWidth, c.areaHeight);
        int x = 0, y = 0;
        WindowToScreen(shown, 1024, 768, c.windowX, c.windowY, x, y);
        EXPECT_EQ(x, c.screenX) << c.name;
        EXPECT_EQ(y, c.screenY) << c.name;
    }
}

// The keysyms and scancodes SDL reports on X11 for the keys in the Q, W, A, Z and ` positions.
TEST(PlatformTest, KeysActByThePrintedLatinLetterElseByPosition) {
    struct Case {
        const char* name;
        std::int32_t sym;
        std::uint16_t scancode;
        int vk;
    } cases[] = {
        {"us Q", SDLK_q, SDL_SCANCODE_Q, 81},
        {"us W", SDLK_w, SDL_SCANCODE_W, 87},
        {"us `", SDLK_BACKQUOTE, SDL_SCANCODE_GRAVE, 192},
        {"us A", SDLK_a, SDL_SCANCODE_A, 0},
        {"fr: the key labelled A sits where us has Q", SDLK_a, SDL_SCANCODE_Q, 0},
        {"fr: the key labelled Z sits where us has W", SDLK_z, SDL_SCANCODE_W, 0},
        {"fr: the key labelled Q", SDLK_q, SDL_SCANCODE_A, 81},
        {"fr: the key labelled W", SDLK_w, SDL_SCANCODE_Z, 87},
        {"fr: the square key left of 1", 0xB2, SDL_SCANCODE_GRAVE, 192},
        {"de Q", SDLK_q, SDL_SCANCODE_Q, 81},
        {"de W", SDLK_w, SDL_SCANCODE_W, 87},
        {"de: the key labelled Z", SDLK_z, SDL_SCANCODE_Y, 0},
        {"de: the dead circumflex left of 1", SDLK_CARET, SDL_SCANCODE_GRAVE, 192},
        {"ru: short i in the Q position", 0x439, SDL_SCANCODE_Q, 81},
        {"ru: tse in the W position", 0x446, SDL_SCANCODE_W, 87},
        {"ru: yo left of 1", 0x451, SDL_SCANCODE_GRAVE, 192},
        {"ru: ef in the A position", 0x444, SDL_SCANCODE_A, 0},
        {"Esc", SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 27},
        {"F1", SDLK_F1, SDL_SCANCODE_F1, 112},
        {"F4", SDLK_F4, SDL_SCANCODE_F4, 115},
        {"a letter the game has no use for", SDLK_e, SDL_SCANCODE_E, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VirtualKeyFromSdl(c.sym, c.scancode), c.vk) << c.name;
}

}  // namespace
