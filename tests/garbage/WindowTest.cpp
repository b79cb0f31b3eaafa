// The main window's placement, the program's icon, and the splash with its bitmap checks.
#include "window.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TempFolder.h"
#include "media/Picture.h"
#include "mini_wnd.h"

namespace {

TEST(CentredEdge, HalvesTowardZero) {
    struct Case {
        const char* fault;
        int32_t screen, size, expected;
    };
    const Case cases[] = {
        {"splash x on 1024", 1024, 250, 387},
        {"splash y on 768", 768, 100, 334},
        {"window x on 1024", 1024, 500, 262},
        {"window y on 768", 768, 600, 84},
        {"negative half rounded down instead of toward zero", 399, 500, -50},
        {"odd difference rounded up", 1025, 500, 262},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CentredEdge(c.screen, c.size), c.expected) << c.fault;
}

TEST(MakeMainIcon, ThirtyTwoSquareWithTransparentCorners) {
    SDL_Surface* icon = MakeMainIcon();
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->w, 32);
    EXPECT_EQ(icon->h, 32);
    const auto* pixels = static_cast<const uint8_t*>(icon->pixels);
    auto alpha = [&](int x, int y) { return pixels[y * icon->pitch + x * 4 + 3]; };
    EXPECT_EQ(alpha(0, 0), 0);
    int opaque = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            opaque += alpha(x, y) == 255;
    EXPECT_GT(opaque, 200);
    SDL_FreeSurface(icon);
}

// A 24-bit picture of w x h in one colour, written by the shared saver.
void WriteBmp(const std::string& path, int w, int h, uint8_t r, uint8_t g, uint8_t b) {
    media::RgbPicture p;
    p.width = w;
    p.height = h;
    for (int i = 0; i < w * h; ++i)
        p.rgb.insert(p.rgb.end(), {r, g, b});
    ASSERT_TRUE(media::SaveBmp(path, p));
}

TEST(ReadBitmapDimension, NeedsBothHeaders) {
    TempFolder dir;
    dir.Write("short14.bmp", std::string(14, 'B'));
    dir.Write("short53.bmp", std::string(53, 'B'));
    std::string header(54, '\0');
    header[18] = 0x2C;  // width 300
    header[19] = 0x01;
    header[22] = char(0xF6);  // height -10 (top-down)
    header[23] = header[24] = header[25] = char(0xFF);
    dir.Write("headers-only.bmp", header);
    std::string error;
    EXPECT_FALSE(ReadBitmapDimension(dir / "missing.bmp", &error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);
    ASSERT_EQ(mkfifo((dir / "pipe.bmp").c_str(), 0600), 0);
    EXPECT_FALSE(ReadBitmapDimension(dir / "pipe.bmp", &error)) << "a pipe waits for a writer";
    EXPECT_FALSE(ReadBitmapDimension(dir / "short14.bmp"));
    EXPECT_FALSE(ReadBitmapDimension(dir / "short53.bmp"));
    auto d = ReadBitmapDimension(dir / "headers-only.bmp");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->Width, 300);
    EXPECT_EQ(d->Height, -10);
}

TEST(LoadSplash, ReadableLogoGivesAPictureUnreadableNone) {
    TempFolder dir;
    WriteBmp(dir / "logo.bmp", 250, 100, 10, 20, 30);
    dir.Write("broken.bmp", "BM" + std::string(60, 'x'));
    std::string error;
    EXPECT_TRUE(LoadSplash(dir / "logo.bmp", &error)) << error;
    ASSERT_NE(SplashBitmap, nullptr);
    EXPECT_EQ(SplashBitmap->w, 250);
    EXPECT_EQ(SplashDimension.Height, 100);
    EXPECT_FALSE(LoadSplash(dir / "broken.bmp", &error));
    EXPECT_EQ(SplashBitmap, nullptr) << "the old picture must go";
    EXPECT_FALSE(LoadSplash(dir / "missing.bmp", &error));
    EXPECT_NE(error.find("missing.bmp"), std::string::npos);
    CloseSplash();
}

// Under Xvfb: the splash shows the logo, or a plain panel in the frame colour without one.
TEST(PaintSplash, ShowsTheLogoOrAPlainPanel) {
    if (!SDL_getenv("DISPLAY")) GTEST_SKIP() << "needs a display";
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    TempFolder dir;
    WriteBmp(dir / "logo.bmp", 250, 100, 200, 0, 0);
    for (bool withLogo : {true, false}) {
        ASSERT_TRUE(OpenSplash(387, 334, 250, 100));
        LoadSplash(withLogo ? dir / "logo.bmp" : dir / "missing.bmp");
        PaintSplash();
        SDL_Surface* s = SDL_GetWindowSurface(SplashWindow.Handle);
        ASSERT_NE(s, nullptr);
        uint8_t r = 0, g = 0, b = 0;
        SDL_GetRGB(*reinterpret_cast<uint32_t*>(s->pixels), s->format, &r, &g, &b);
        if (withLogo)
            EXPECT_EQ((std::array<int, 3>{r, g, b}), (std::array<int, 3>{200, 0, 0}));
        else
            EXPECT_EQ((std::array<int, 3>{r, g, b}), (std::array<int, 3>{255, 224, 144}));
        CloseSplash();
        EXPECT_EQ(SplashWindow.Handle, nullptr);
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

// A close request on the splash posts the quit message; one for another window does not. The
// request may come at any time before the splash closes, even while the game loads.
TEST(CloseSplash, PostsTheQuitMessageAfterACloseRequestOnTheSplash) {
    if (!SDL_getenv("DISPLAY")) GTEST_SKIP() << "needs a display";
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    // A second window, so that SDL's own quit on closing the last window plays no part.
    SDL_Window* other = SDL_CreateWindow("other", 0, 0, 10, 10, SDL_WINDOW_HIDDEN);
    ASSERT_NE(other, nullptr) << SDL_GetError();
    for (bool onSplash : {true, false}) {
        ASSERT_TRUE(OpenSplash(387, 334, 250, 100));
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        SDL_Event close{};
        close.type = SDL_WINDOWEVENT;
        close.window.event = SDL_WINDOWEVENT_CLOSE;
        close.window.windowID = SDL_GetWindowID(onSplash ? SplashWindow.Handle : other);
        ASSERT_EQ(SDL_PushEvent(&close), 1);
        WaitOnSplash(1);
        CloseSplash();
        EXPECT_EQ(SDL_HasEvent(SDL_QUIT), onSplash) << (onSplash ? "quit lost" : "quit posted");
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    SDL_DestroyWindow(other);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace
