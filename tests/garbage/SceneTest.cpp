// The scene drawn into a real SDL window with Mesa (under Xvfb), without the engine: the shapes
// land where the pixels say (playfield, frame, sun, rail, piece borders, mirrored bins).
#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "drawing.h"
#include "eXgine_binding.h"
#include "game_state.h"
#include "rules.h"
#include "scene.h"

namespace {

using Rgb = std::array<int, 3>;

class SceneTest : public ::testing::Test {
  public:
    static constexpr int kW = 500, kH = 600;

    void SetUp() override {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
            GTEST_SKIP() << "no display: " << SDL_GetError();
        window_ = SDL_CreateWindow("scene test", 0, 0, kW, kH, SDL_WINDOW_OPENGL);
        if (window_ == nullptr) GTEST_SKIP() << "no GL window: " << SDL_GetError();
        context_ = SDL_GL_CreateContext(window_);
        if (context_ == nullptr) GTEST_SKIP() << "no GL context: " << SDL_GetError();
        // The engine's 2D view: one unit a pixel, origin top-left, y down.
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, kW, kH, 0, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        CreateDiskQuadric();
        GameState = TGameState{};
        SetUpBins(kW, kH);
        StartPlay(0);
        SetBinHeights(kH);
    }

    void TearDown() override {
        FreeDiskQuadric();
        if (context_ != nullptr) SDL_GL_DeleteContext(context_);
        if (window_ != nullptr) SDL_DestroyWindow(window_);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    // The colour at window pixel (x, y), y counted from the top.
    static Rgb Pixel(int x, int y) {
        std::array<uint8_t, 4> p{};
        glReadBuffer(GL_BACK);
        glReadPixels(x, kH - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
        return {p[0], p[1], p[2]};
    }

    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
};

// Colours within one step of rounding (0.5 of 255 may give 127 or 128).
bool Close(const Rgb& a, const Rgb& b) {
    for (size_t k = 0; k < 3; ++k)
        if (std::abs(a[k] - b[k]) > 1) return false;
    return true;
}

TEST_F(SceneTest, ShapesLandWhereTheyBelong) {
    GameState.Items = {{200, 200, 0, 1}, {300, 100, 1, 1}};
    DrawScene(kW, kH);
    glFinish();
    struct Case {
        const char* fault;
        int x, y;
        Rgb colour;
    };
    const Case cases[] = {
        {"playfield not white", 250, 300, {255, 255, 255}},
        {"left frame missing", 10, 300, {255, 224, 144}},
        {"top frame missing", 250, 10, {255, 224, 144}},
        {"bottom-right frame corner missing", 495, 595, {255, 224, 144}},
        {"sun not at width - 128, 128", 372, 128, {255, 255, 0}},
        {"sun's first ray (angle 0 lies straight down) missing", 372, 128 + 46, {255, 255, 0}},
        {"kind-0 border not pink", 199, 215, {255, 128, 255}},
        {"kind-1 border not blue", 333, 115, {0, 128, 255}},
        {"piece picture not white", 216, 216, {255, 255, 255}},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(Close(Pixel(c.x, c.y), c.colour)) << c.fault;
    // A line on a pixel boundary lands in one of the two rows beside it.
    EXPECT_TRUE(Pixel(250, 439) == (Rgb{0, 0, 0}) || Pixel(250, 440) == (Rgb{0, 0, 0}))
        << "rail missing";
}

TEST_F(SceneTest, ABinFacingLeftIsMirroredAboutItsCentre) {
    // One held piece shows as the grey slat behind the centre column: on the bin's left while it
    // faces right, on its right once it faces left.
    const int x = static_cast<int>(GameState.Bins[0].X);
    const int y = static_cast<int>(GameState.Bins[0].Y) - 10;
    const Rgb grey = {204, 204, 204}, white = {255, 255, 255};
    GameState.Bins[0].Count = 1;
    DrawScene(kW, kH);
    glFinish();
    EXPECT_TRUE(Close(Pixel(x - 13, y), grey)) << "slat missing on the left";
    EXPECT_EQ(Pixel(x + 13, y), white);
    GameState.Bins[0].FacingRight = false;
    glClear(GL_COLOR_BUFFER_BIT);
    DrawScene(kW, kH);
    glFinish();
    EXPECT_TRUE(Close(Pixel(x + 13, y), grey)) << "bin facing left not mirrored";
    EXPECT_EQ(Pixel(x - 13, y), white);
}

TEST_F(SceneTest, TheGrabbedBinShowsItsThrowLineInDeveloperAndPlayerModes) {
    for (int developer : {0, 1}) {
        GameState.Developer = developer;
        GameState.Bins[0].Grabbed = true;
        GameState.DragStartX = 100;
        GameState.DragStartY = 300;
        GameState.DragCurX = 300;
        GameState.DragCurY = 300;
        glClear(GL_COLOR_BUFFER_BIT);
        DrawScene(kW, kH);
        glFinish();
        const Rgb line = {144, 224, 255};
        EXPECT_TRUE(Pixel(200, 299) == line || Pixel(200, 300) == line)
            << "developer " << developer;
    }
}

// The whole back buffer, bottom row first, three bytes a pixel.
std::vector<uint8_t> Frame(int w, int h) {
    std::vector<uint8_t> rgb(size_t(w) * size_t(h) * 3);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

// Disks filled with one ring instead of 31 (a sixtieth of the vertices) must not move a pixel:
// the same frame is drawn both ways and compared whole.
TEST_F(SceneTest, DisksOfOneRingDrawTheSamePixelsAsOfThirtyOne) {
    struct Case {
        const char* frame;
        float sunPhase, scale;
        bool facingRight;
    };
    const Case cases[] = {
        {"start of play", 0, 1, true},
        {"rays part-way through a swing", 0.37f, 1, false},
        {"rays swung far back", -2.1f, 1, true},
        {"scaled up, wheels and rays larger", 1.3f, 1.5f, false},
    };
    for (const Case& c : cases) {
        GameState.SunPhase = c.sunPhase;
        GameState.Scale = c.scale;
        GameState.Bins[1].Active = true;
        GameState.Bins[1].X = 330;
        for (TBin& bin : GameState.Bins) {
            bin.FacingRight = c.facingRight;
            bin.Count = 3;
        }
        std::array<std::vector<uint8_t>, 2> frames;
        const int32_t rings[2] = {31, 1};
        for (size_t k = 0; k < 2; ++k) {
            SetDiskRings(rings[k]);
            glClear(GL_COLOR_BUFFER_BIT);
            DrawScene(kW, kH);
            frames[k] = Frame(kW, kH);
        }
        SetDiskRings(1);
        size_t differing = 0;
        for (size_t i = 0; i < frames[0].size(); i += 3)
            if (!std::equal(&frames[0][i], &frames[0][i] + 3, &frames[1][i])) ++differing;
        EXPECT_EQ(differing, 0u) << c.frame;
        EXPECT_TRUE(Close(Pixel(kW - 128, 128), Rgb{255, 255, 0})) << c.frame << ": no sun drawn";
    }
}

// The whole frame through the engine's own window, renderer and fonts.
class SceneEngineTest : public ::testing::Test {
  public:
    static constexpr int kW = 500, kH = 600;

    void SetUp() override {
        if (!BindEngine(0)) GTEST_SKIP() << "the engine cannot start";
        if (!WindowHost->CreateWindow("scene test", 0, 0, kW, kH)) GTEST_SKIP() << "no window";
        GameState = TGameState{};
        SetUpBins(kW, kH);
        StartPlay(0);
        SetBinHeights(kH);
        IFont* fonts = Renderer->Fonts();
        GameState.FontSmall = fonts->MakeFont("Georgia", 7, 1, 512);
        GameState.FontTitle = fonts->MakeFont("Comic Sans MS", 16, 1, 512);
        GameState.FontBig = fonts->MakeFont("Comic Sans MS", 32, 1, 1024);
        GameState.FontCredits = fonts->MakeFont("Comic Sans MS", 12, 0, 512);
        if (GameState.FontSmall == 0) GTEST_SKIP() << "no font on this system";
        CreateDiskQuadric();
    }

    void TearDown() override {
        FreeDiskQuadric();
        UnbindEngine();
    }

    // Pixels of a window rectangle whose colour passes `test`.
    template <typename Test>
    static int Count(int left, int top, int right, int bottom, Test test) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                if (test(SceneTest::Pixel(x, y))) ++n;
        return n;
    }

    static void Draw() {
        DrawScene(kW, kH);
        glFinish();
    }
};

bool Reddish(const Rgb& c) {
    return c[0] > 200 && c[1] < 100 && c[2] < 100;
}
bool White(const Rgb& c) {
    return c[0] > 240 && c[1] > 240 && c[2] > 240;
}

TEST_F(SceneEngineTest, TheEndDarkensThePlayfieldHidesTheHudAndShowsTheCaption) {
    GameState.Score = -7;
    Draw();
    // The score and pollution lines sit 8 pixels inside the frame, in red.
    const int hudInPlay = Count(40, 40, 200, 80, Reddish);
    EXPECT_GT(hudInPlay, 10) << "no score or pollution line in play";
    EXPECT_EQ(SceneTest::Pixel(250, 200), (Rgb{255, 255, 255}));

    GameState.Defeat = true;
    GameState.Fade = 0.5f;
    Draw();
    EXPECT_TRUE(Close(SceneTest::Pixel(250, 200), (Rgb{128, 128, 128})))
        << "the veil does not halve the playfield";
    EXPECT_TRUE(Close(SceneTest::Pixel(10, 300), (Rgb{255, 224, 144})))
        << "the frame lies over the veil";
    EXPECT_EQ(Count(40, 40, 200, 80, Reddish), 0) << "the HUD stayed after the end";
    // "DEFEAT" in white, centred just above the middle of the darkened field.
    const int caption = Count(150, kH / 2 - 32, 350, kH / 2, White);
    EXPECT_GT(caption, 20) << "no caption";
    EXPECT_EQ(Count(40, kH / 2 - 32, 140, kH / 2, White), 0) << "caption not centred";
}

TEST_F(SceneEngineTest, DeveloperModeAddsTheDebugTextOnTheRight) {
    GameState.Developer = 0;
    Draw();
    const int plain = Count(300, 40, 465, 100, Reddish);
    GameState.Developer = 1;
    Draw();
    const int debug = Count(300, 40, 465, 100, Reddish);
    EXPECT_EQ(plain, 0);
    EXPECT_GT(debug, 20) << "fps, mouse and level lines missing";
}

}  // namespace
