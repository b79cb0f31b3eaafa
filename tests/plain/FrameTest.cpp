// Frame drawing in a real window (Xvfb with Mesa's software GL): the white background, the blue
// field frame, a green menu row box, ball tints and halos, the sweep line only in the sweep
// games, and a text far longer than any buffer. Checked at pixels the projection fixes.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <set>

#include "Balls.h"
#include "Content.h"
#include "Frame.h"
#include "GLUse.h"
#include "GLUseText.h"
#include "OpenGL.h"
#include "Screens.h"
#include "WindUse.h"
#include "Zodav.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

struct Pixel {
    int r, g, b;
};

// Where a point of the drawing plane lands, in pixels from the top left.
void PlaneToPixel(double x, double y, int& px, int& py) {
    const double k = 13.0 / (24.0 * std::sqrt(3.0));
    const double aspect = static_cast<double>(kWidth) / kHeight;
    px = static_cast<int>((1 + k * x / aspect) / 2 * kWidth);
    py = static_cast<int>((1 - k * y) / 2 * kHeight);
}

Pixel ReadPixel(int x, int y) {
    unsigned char rgb[3] = {0, 0, 0};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, kHeight - 1 - y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return {rgb[0], rgb[1], rgb[2]};
}

bool Near(const Pixel& p, int r, int g, int b, int tolerance = 3) {
    return std::abs(p.r - r) <= tolerance && std::abs(p.g - g) <= tolerance &&
           std::abs(p.b - b) <= tolerance;
}

std::function<void()> body;

int RunBody() {
    body();
    return 0;
}

// Runs `test` inside the game's own window after window creation (font, blending, content).
void InGameWindow(const std::function<void()>& test) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display (run under xvfb-run)";
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS), 0);
    ResetAllState();
    runMode.windowed = true;
    runMode.replaying = true;  // ticks are run by hand
    spine.screenWidth = kWidth;
    spine.screenHeight = kHeight;
    SetGameSeed(3);
    body = test;
    CreateMainWindow(WindowProcedure, kWidth, kHeight, RunBody);
    Shutdown();
    SDL_Quit();
}

Ball MakeBall(std::uint8_t colour, float x, float y, float radius) {
    Ball b;
    b.alive = 1;
    b.colour = colour;
    b.position = {x, y};
    b.radius = radius;
    return b;
}

TEST(FrameTest, MainMenuOnWhiteWithBlueFrameAndGreenRows) {
    InGameWindow([] {
        ASSERT_TRUE(HasGLContext());
        spine.pointerX = spine.pointerY = -50;  // the pointer off screen
        for (int i = 0; i < 25; ++i)
            RenderFrame();
        EXPECT_TRUE(Near(ReadPixel(5, 5), 255, 255, 255));
        // The field's left edge: field x 0 is plane x -3.9.
        int x = 0, y = 0;
        PlaneToPixel(-3.9, 0, x, y);
        bool blue = false;
        for (int dx = -2; dx <= 2; ++dx)
            blue = blue || Near(ReadPixel(x + dx, y), 51, 51, 204, 4);
        EXPECT_TRUE(blue) << "no frame line near pixel column " << x;
        // Inside row 6's box, left of its text: green 0.8 at alpha 0.2 over white.
        const TTextElement& row = screens.menuRows[6];
        PlaneToPixel(TextBoxLeft(row) + 0.03, row.y + 0.27, x, y);
        const Pixel box = ReadPixel(x, y);
        EXPECT_TRUE(Near(box, 204, 245, 204)) << box.r << " " << box.g << " " << box.b;
        // A text far longer than any buffer draws without harm.
        PrintText(std::string(100000, 'W'), -3, 0);
    });
}

TEST(FrameTest, BallTintsAndHalos) {
    InGameWindow([] {
        gameState.screenState = kScreenPlay;
        gameState.gameType = GameType::Collisions;
        spine.pointerX = spine.pointerY = -50;
        struct Case {
            const char* fault;
            std::uint8_t colour;
            bool tintAlways;
            Pixel centre;
        };
        // The pictures are all "nill" (grey fallback, brightened to 255 at the centre), so every
        // colour shows its tint whether or not tinting is on.
        const Case cases[] = {
            {"red tint lost", 0, true, {204, 0, 0}},
            {"green tint of a colour without picture lost", 1, false, {0, 204, 0}},
            {"pale blue tint wrong", 7, true, {51, 51, 204}},
            {"cyan tint wrong", 4, false, {0, 204, 204}},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.fault);
            balls = BallState{};
            for (std::string& name : balls.pictureNames)
                name = "nill";
            balls.BallPool[3] = MakeBall(c.colour, 13, 9.6f, 1);
            gameState.tintAlways = c.tintAlways ? 1 : 0;
            RenderFrame();
            const Pixel p = ReadPixel(kWidth / 2, kHeight / 2);
            EXPECT_TRUE(Near(p, c.centre.r, c.centre.g, c.centre.b, 4))
                << p.r << " " << p.g << " " << p.b;
        }
        // A marked ball has a translucent halo 1.2 times its size: just outside the ball.
        balls = BallState{};
        for (std::string& name : balls.pictureNames)
            name = "nill";
        balls.BallPool[0] = MakeBall(0, 13, 9.6f, 1);
        int x = 0, y = 0;
        PlaneToPixel(0.33, 0, x, y);  // the ball reaches 0.3, the halo 0.36
        RenderFrame();
        EXPECT_TRUE(Near(ReadPixel(x, y), 255, 255, 255));
        balls.BallPool[0].mark = 5;
        RenderFrame();
        const Pixel halo = ReadPixel(x, y);
        EXPECT_GT(halo.r, halo.g);
        EXPECT_NEAR(halo.g, 128, 12);  // half covered
    });
}

TEST(FrameTest, SweepLineOnlyInSweepGames) {
    InGameWindow([] {
        gameState.screenState = kScreenPlay;
        spine.pointerX = spine.pointerY = -50;
        spine.sweepA = {0, 5};
        spine.sweepB = {26, 5};
        int x = 0, y = 0;
        PlaneToPixel(0, (5 - 9.6) * 0.3, x, y);
        for (GameType type : {GameType::Collisions, GameType::Vertical, GameType::Horizontal}) {
            SCOPED_TRACE(static_cast<int>(type));
            gameState.gameType = type;
            RenderFrame();
            bool blue = false;
            for (int dy = -2; dy <= 2; ++dy)
                blue = blue || Near(ReadPixel(x, y + dy), 51, 51, 204, 4);
            EXPECT_EQ(blue, type != GameType::Collisions);
        }
    });
}

TEST(FrameTest, ReloadedTexturesAreDeleted) {
    InGameWindow([] {
        std::set<GLuint> seen;
        for (int reload = 0; reload < 5; ++reload) {
            for (const TextureSlot& slot : content.Textures) {
                EXPECT_NE(slot.name, 0u);
                seen.insert(slot.name);
            }
            LoadTextures();
        }
        int live = 0;
        for (GLuint name : seen)
            live += glIsTexture(name) == GL_TRUE;
        for (const TextureSlot& slot : content.Textures)
            live += seen.count(slot.name) == 0 && glIsTexture(slot.name) == GL_TRUE;
        EXPECT_EQ(live, 9);  // only the nine of the last reload remain
    });
}

}  // namespace
