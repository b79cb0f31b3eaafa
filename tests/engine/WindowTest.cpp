// The engine on a real window under Xvfb: the 2D view's orientation, clearing, the multiply
// blend that darkens the end screen, texture orientation, text placement, screenshots of the
// last frame, and the live loop turning SDL events into window messages in order.
#include <SDL.h>
#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "EngineTestFiles.h"

namespace {

using namespace enginetest;

constexpr int kW = 64;
constexpr int kH = 48;

class RealWindow : public ShownWindowTest<kW, kH> {
  protected:
    void SetUp() override {
        ShownWindowTest::SetUp();
        if (engine_) core_ = engine_->core();
    }

    // The back buffer's pixel at (x, y), y counted down from the top.
    static Rgb Pixel(int x, int y) {
        std::uint8_t p[3] = {0, 0, 0};
        glFinish();
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x, kH - 1 - y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, p);
        return {p[0], p[1], p[2]};
    }

    static void Quad(float x, float y, float w, float h) {
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex2f(x, y);
        glTexCoord2f(1, 0);
        glVertex2f(x + w, y);
        glTexCoord2f(1, 1);
        glVertex2f(x + w, y + h);
        glTexCoord2f(0, 1);
        glVertex2f(x, y + h);
        glEnd();
    }

    IEngineCore* core_ = nullptr;
};

// A colour within a rounding step or two of the expected one.
::testing::AssertionResult IsRgb(Rgb c, int r, int g, int b) {
    auto near = [](int a, int e) { return a >= e - 3 && a <= e + 3; };
    if (near(c.r, r) && near(c.g, g) && near(c.b, b)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "got (" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << "), expected (" << r
           << ", " << g << ", " << b << ")";
}

TEST_F(RealWindow, ClearAndQuadUseTopLeftOriginYDown) {
    EXPECT_NE(engine_->Log().find("GL renderer: "), std::string::npos) << engine_->Log();
    EXPECT_EQ(core_->WindowHost()->Width(), kW);
    EXPECT_EQ(core_->WindowHost()->Height(), kH);
    r_->SetClearColor(1, 0, 0);
    r_->ClearFrame(true, true, false);
    glColor3f(0, 0, 1);
    Quad(0, 0, 16, 8);
    EXPECT_TRUE(IsRgb(Pixel(2, 2), 0, 0, 255)) << "the quad is not at the top-left";
    EXPECT_TRUE(IsRgb(Pixel(15, 7), 0, 0, 255)) << "one unit is not one pixel";
    EXPECT_TRUE(IsRgb(Pixel(17, 2), 255, 0, 0)) << "the quad spills right";
    EXPECT_TRUE(IsRgb(Pixel(2, 9), 255, 0, 0)) << "the quad spills down";
    EXPECT_TRUE(IsRgb(Pixel(2, kH - 3), 255, 0, 0)) << "y runs upward";
}

TEST_F(RealWindow, MultiplyBlendDarkensWhatLiesUnder) {
    r_->SetClearColor(0.8f, 0.4f, 1.0f);
    r_->ClearFrame(true, false, false);
    r_->SetBlend(3);
    glColor4f(0.5f, 0.5f, 0.5f, 1.0f);
    Quad(0, 0, kW / 2.0f, kH);
    glColor4f(1, 1, 1, 1);
    Quad(kW / 2.0f, 0, kW / 4.0f, kH);
    r_->SetBlend(0);
    EXPECT_TRUE(IsRgb(Pixel(5, 5), 102, 51, 128)) << "a grey quad did not halve the frame";
    EXPECT_TRUE(IsRgb(Pixel(kW / 2 + 5, 5), 204, 102, 255)) << "white changed the frame";
    EXPECT_TRUE(IsRgb(Pixel(kW - 5, 5), 204, 102, 255));
    glColor3f(0.5f, 0.5f, 0.5f);
    Quad(kW - 8, 0, 8, kH);
    EXPECT_TRUE(IsRgb(Pixel(kW - 5, 5), 128, 128, 128)) << "blend 0 still blends";
}

TEST_F(RealWindow, TextureTopLeftIsPictureTopLeft) {
    Picture p = Filled(8, 8, {255, 255, 255});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            p.At(x, y) = {255, 0, 0};      // top-left red
            p.At(x + 4, y) = {0, 255, 0};  // top-right green
            p.At(x, y + 4) = {0, 0, 255};  // bottom-left blue
        }
    const std::string file = engine_->folder().Write("quarters.bmp", BmpBytes(p));
    const int id = core_->TextureStore()->LoadTexture(file.c_str(), 0, 1, 0);
    ASSERT_EQ(id, 1);
    r_->ClearFrame(true, false, false);
    glColor3f(1, 1, 1);
    core_->TextureStore()->BindTexture(id, 0);
    Quad(0, 0, 32, 32);
    core_->TextureStore()->UnbindTexture(0);
    EXPECT_TRUE(IsRgb(Pixel(8, 8), 255, 0, 0));
    EXPECT_TRUE(IsRgb(Pixel(24, 8), 0, 255, 0));
    EXPECT_TRUE(IsRgb(Pixel(8, 24), 0, 0, 255));
    EXPECT_TRUE(IsRgb(Pixel(24, 24), 255, 255, 255));
    // Id 0 draws untextured in the current colour.
    core_->TextureStore()->BindTexture(0, 0);
    glColor3f(0, 1, 1);
    Quad(40, 0, 8, 8);
    EXPECT_TRUE(IsRgb(Pixel(44, 4), 0, 255, 255)) << "texture id 0 is not plain colour";
}

TEST_F(RealWindow, TextHangsBelowItsTopLeftCorner) {
    const int font = r_->Fonts()->MakeFont("Comic Sans MS", 12, 0, 512);
    ASSERT_EQ(font, 1);
    r_->SetClearColor(0, 0, 0);
    r_->ClearFrame(true, false, false);
    glColor3f(1, 1, 0);
    const int x = 6, y = 10;
    r_->WriteText(font, "WWW", x, y);
    EXPECT_FALSE(glIsEnabled(GL_BLEND)) << "text left blending on";
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << "text left texturing on";
    const int width = r_->TextWidth(font, "WWW");
    const int line = r_->Fonts()->LineHeight(font);
    int lit = 0, outside = 0;
    for (int py = 0; py < kH; ++py)
        for (int px = 0; px < kW; ++px) {
            const Rgb c = Pixel(px, py);
            if (c.r < 64) continue;
            ++lit;
            EXPECT_EQ(c.b, 0) << "text is not in the current colour";
            if (py < y || py >= y + line || px < x - 1 || px > x + width + 1) ++outside;
        }
    EXPECT_GT(lit, 20) << "no text was drawn";
    EXPECT_EQ(outside, 0) << "text is not anchored at its top-left corner";
}

void DrawGreenWithBlueCorner() {
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(0, 0, 1);
    glBegin(GL_QUADS);
    glVertex2f(0, 0);
    glVertex2f(4, 0);
    glVertex2f(4, 4);
    glVertex2f(0, 4);
    glEnd();
}

TEST_F(RealWindow, ScreenshotOfTheLastFrame) {
    core_->SetCallback(ExRender, DrawGreenWithBlueCorner);
    ASSERT_TRUE(core_->StartManual(50));
    core_->StepUpdate();
    EXPECT_EQ(core_->FrameCount(), 1) << "a manual step with a window draws one frame";
    const std::string file = engine_->folder() / "shot.bmp";
    ASSERT_TRUE(core_->SaveScreenshot(file.c_str()));
    core_->EndManual();
    SDL_Surface* shot = SDL_LoadBMP(file.c_str());
    ASSERT_NE(shot, nullptr);
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(shot, SDL_PIXELFORMAT_RGB24, 0);
    ASSERT_NE(rgb, nullptr);
    EXPECT_EQ(rgb->w, kW);
    EXPECT_EQ(rgb->h, kH);
    auto at = [&](int x, int y) {
        const auto* p = static_cast<const std::uint8_t*>(rgb->pixels) + y * rgb->pitch + x * 3;
        return Rgb{p[0], p[1], p[2]};
    };
    EXPECT_TRUE(IsRgb(at(1, 1), 0, 0, 255)) << "the screenshot is upside down";
    EXPECT_TRUE(IsRgb(at(kW - 2, kH - 2), 0, 255, 0));
    SDL_FreeSurface(rgb);
    SDL_FreeSurface(shot);
}

std::vector<std::string> g_seen;
IEngineCore* g_core = nullptr;
int g_updates = 0;

void SeenInit() {
    g_seen.push_back("init");
}
void SeenFree() {
    g_seen.push_back("free");
}
void CountUpdate() {
    if (++g_updates == 5) g_core->Quit();
}
void SeenMessage(std::uint32_t msg, std::uint32_t w, std::uint32_t l) {
    g_seen.push_back(std::to_string(msg) + " " + std::to_string(w) + " " + std::to_string(l));
}
void QuitOnDestroy(std::uint32_t msg, std::uint32_t, std::uint32_t) {
    if (msg == ExWmDestroy) g_core->Quit();
}

void Push(SDL_Event e) {
    ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
}

TEST_F(RealWindow, LiveLoopDeliversEventsAsMessagesInOrder) {
    g_core = core_;
    g_seen.clear();
    core_->SetCallback(ExInit, SeenInit);
    core_->SetCallback(ExFree, SeenFree);
    core_->SetCallback(ExMessage, SeenMessage);
    core_->WindowHost()->SetWindowProc(QuitOnDestroy);
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    const Uint32 id = SDL_GetWindowID(core_->WindowHost()->Handle());
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = id;
    e.motion.x = 30;
    e.motion.y = 41;
    Push(e);
    e = {};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.windowID = id;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = 31;
    e.button.y = 42;
    Push(e);
    e.type = SDL_MOUSEBUTTONUP;
    Push(e);
    e = {};
    e.type = SDL_KEYDOWN;
    e.key.windowID = id;
    e.key.keysym.sym = SDLK_ESCAPE;
    Push(e);
    e = {};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = id;
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    Push(e);
    core_->Run(50);
    std::vector<std::string> expected = {
        "init",
        "512 0 " + std::to_string(30 | (41 << 16)),
        "513 1 " + std::to_string(31 | (42 << 16)),
        "514 0 " + std::to_string(31 | (42 << 16)),
        "256 27 1",
        "16 0 0",
        "2 0 0",
        "free",
    };
    // Keep only what was pushed: the X server may add events of its own (focus, crossing).
    std::vector<std::string> seen;
    for (const std::string& s : g_seen)
        if (s.rfind("512 ", 0) != 0 || s == expected[1]) seen.push_back(s);
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(core_->WindowHost()->Handle(), nullptr) << "a closed window is still drawn into";
}

TEST_F(RealWindow, NoFrameRepeatsAnUnchangedState) {
    g_core = core_;
    g_updates = 0;
    core_->SetCallback(ExUpdate, CountUpdate);
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    // At 10 updates per second the five updates take about half a second, in which an
    // unthrottled loop would draw dozens of identical frames.
    core_->Run(10);
    EXPECT_EQ(core_->UpdateCount(), 5);
    EXPECT_LE(core_->FrameCount(), 8) << "frames were drawn with nothing new to show";
}

TEST_F(RealWindow, LiveLoopRunsUpdatesAndFramesUntilQuit) {
    g_core = core_;
    g_updates = 0;
    core_->SetCallback(ExUpdate, CountUpdate);
    core_->Run(50);
    EXPECT_EQ(core_->UpdateCount(), 5) << "updates ran on after Quit";
    EXPECT_GE(core_->FrameCount(), 1) << "no frame was drawn";
    EXPECT_NE(engine_->Log().find("loop ended after 5 updates, "), std::string::npos)
        << engine_->Log();
}

std::vector<std::uint32_t> g_keys;

void CollectKeys(std::uint32_t msg, std::uint32_t wParam, std::uint32_t) {
    if (msg == ExWmKeyDown) g_keys.push_back(wParam);
    if (msg == ExWmClose) g_core->Quit();
}

TEST_F(RealWindow, KeysArriveAsVirtualKeyCodes) {
    g_core = core_;
    g_keys.clear();
    core_->SetCallback(ExMessage, CollectKeys);
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    const Uint32 id = SDL_GetWindowID(core_->WindowHost()->Handle());
    const SDL_Keycode keys[] = {SDLK_ESCAPE, SDLK_a,  SDLK_z,    SDLK_0,         SDLK_9,
                                SDLK_F1,     SDLK_F4, SDLK_LEFT, SDLK_BACKQUOTE, SDLK_RETURN,
                                SDLK_SPACE,  SDLK_q,  SDLK_w,    SDLK_CAPSLOCK};
    for (SDL_Keycode k : keys) {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.windowID = id;
        e.key.keysym.sym = k;
        Push(e);
    }
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.windowID = id;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    Push(close);
    core_->Run(50);
    // Caps Lock has no code the games use and is not delivered.
    const std::vector<std::uint32_t> expected = {27, 'A', 'Z', '0', '9', 112, 115,
                                                 37, 192, 13,  32,  'Q', 'W'};
    EXPECT_EQ(g_keys, expected);
}

TEST(GameMadeWindow, AttachedOnlyWhenItCarriesOpenGl) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display (run under xvfb-run)";
    BoundEngine engine(0);
    ASSERT_TRUE(engine.ok());
    IWindowHost* host = engine.core()->WindowHost();
    SDL_Window* plain = SDL_CreateWindow("no gl", 0, 0, 40, 30, SDL_WINDOW_HIDDEN);
    ASSERT_NE(plain, nullptr);
    EXPECT_FALSE(host->AttachWindow(plain)) << "a window without OpenGL was taken";
    EXPECT_NE(engine.Log().find("GL context refused"), std::string::npos) << engine.Log();
    // Refused, the window is still ours to destroy: the engine must hold on to nothing of it.
    EXPECT_EQ(host->Handle(), nullptr) << "a refused window is still held";
    SDL_DestroyWindow(plain);
    SDL_Window* game = SDL_CreateWindow(
        "Scrapfall | Velmora", 0, 0, 50, 60,
        SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP);
    ASSERT_NE(game, nullptr);
    EXPECT_TRUE(host->AttachWindow(game)) << engine.Log();
    EXPECT_EQ(host->Handle(), game);
    EXPECT_EQ(host->Width(), 50);
    EXPECT_EQ(host->Height(), 60);
    EXPECT_NE(engine.Log().find("GL renderer: "), std::string::npos);
    host->DestroyWindow();
    EXPECT_EQ(host->Handle(), nullptr);
}

std::vector<std::uint32_t> g_activations;

void CollectActivations(std::uint32_t msg, std::uint32_t wParam, std::uint32_t) {
    if (msg == ExWmActivateApp) g_activations.push_back(wParam);
    if (msg == ExWmClose) g_core->Quit();
}

// The focus and minimising events of the window pause and resume the game once per change; a
// window that never had the focus is not paused by losing it.
TEST(GameMadeWindow, FocusAndMinimisingPauseOncePerChange) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display (run under xvfb-run)";
    using Events = std::vector<SDL_WindowEventID>;
    struct Case {
        const char* fault;
        Events events;
        std::vector<std::uint32_t> activations;
    };
    const Case cases[] = {
        {"paused without ever having had the focus", {SDL_WINDOWEVENT_FOCUS_LOST}, {}},
        {"focus lost did not pause",
         {SDL_WINDOWEVENT_FOCUS_GAINED, SDL_WINDOWEVENT_FOCUS_LOST},
         {0}},
        {"minimising a window without focus did not pause",
         {SDL_WINDOWEVENT_MINIMIZED, SDL_WINDOWEVENT_RESTORED},
         {0, 1}},
        {"a pause reported twice",
         {SDL_WINDOWEVENT_FOCUS_GAINED, SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_MINIMIZED,
          SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_RESTORED, SDL_WINDOWEVENT_FOCUS_GAINED},
         {0, 1}},
    };
    for (const Case& c : cases) {
        BoundEngine engine(0);
        ASSERT_TRUE(engine.ok());
        g_core = engine.core();
        // Hidden: the X server sends no focus events of its own to a window never shown.
        ASSERT_TRUE(g_core->WindowHost()->CreateWindow("focus test", 0, 0, kW, kH));
        g_core->SetCallback(ExMessage, CollectActivations);
        g_activations.clear();
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = SDL_GetWindowID(g_core->WindowHost()->Handle());
        for (SDL_WindowEventID event : c.events) {
            e.window.event = event;
            Push(e);
        }
        e.window.event = SDL_WINDOWEVENT_CLOSE;
        Push(e);
        g_core->Run(50);
        EXPECT_EQ(g_activations, c.activations) << c.fault;
    }
}

}  // namespace
