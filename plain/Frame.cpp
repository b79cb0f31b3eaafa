// Frame: draws the field and everything on it, in this order: sparks, balls (tinted, with halos
// on marked ones), the screens, the pointer, the field's frame and the sweep line. Later items
// cover earlier ones. Without a GL context only the screen update runs.
#include "Frame.h"

#include <array>

#include "Balls.h"
#include "Content.h"
#include "GLUse.h"
#include "GLUsePicture.h"
#include "GLUsePresent.h"
#include "OpenGL.h"
#include "Particles.h"
#include "Screens.h"
#include "Zodav.h"

namespace {

constexpr std::array<TintColour, 10> kTints = {{{4, 0, 0},
                                                {0, 4, 0},
                                                {0, 0, 4},
                                                {4, 4, 0},
                                                {0, 4, 4},
                                                {4, 0, 4},
                                                {4, 4, 4},
                                                {1, 1, 4},
                                                {4, 1, 1},
                                                {1, 4, 1}}};
constexpr int kSparkTexture = 8;  // the spark and pointer picture

void BindTexture(int k) {
    glBindTexture(GL_TEXTURE_2D, content.Textures[k].name);
}

// A field point drawn as a sprite: the view offset moves it, the sprite scales it.
void FieldSprite(const TVec2& at, float size, const TintColour& c, float alpha) {
    DrawSprite(at.x + spine.viewOffsetX, at.y + spine.viewOffsetY, spine.viewScale, size, c.red,
               c.green, c.blue, alpha);
}

// Up to 1501 sparks with one texture: one batch of quads, drawn in slot order as single sprites
// would be.
void DrawSparks() {
    const float size = static_cast<float>(0.2 * 2 * spine.viewScale);
    glBegin(GL_QUADS);
    for (const Particle& p : particles.ParticlePool)
        if (p.alive)
            SpriteVertices(p.position.x + spine.viewOffsetX, p.position.y + spine.viewOffsetY,
                           spine.viewScale, size, 3, 3, 3, static_cast<float>(p.fade / 6.0));
    glEnd();
}

void DrawBalls() {
    for (const Ball& b : balls.BallPool) {
        if (!b.alive) continue;
        BindTexture(b.colour < kPictureCount ? b.colour : kSparkTexture);
        const TintColour c = BallColour(b.colour);
        if (b.mark > 0)
            FieldSprite(b.position, static_cast<float>(b.radius * 1.2 * 2 * spine.viewScale), c,
                        0.5f);
        FieldSprite(b.position, static_cast<float>(b.radius * 2.0 * spine.viewScale), c, 3);
    }
}

void DrawPointer() {
    glEnable(GL_TEXTURE_2D);
    BindTexture(kSparkTexture);
    FieldSprite(TVec2{spine.pointerX, spine.pointerY}, static_cast<float>(0.4 * spine.viewScale),
                {3, 3, 3}, 0.8f);
}

// A field point in the drawing plane, worked out in double and rounded once.
void FieldVertex(float x, float y) {
    const double scale = spine.viewScale;
    glVertex2f(static_cast<float>((static_cast<double>(x) + spine.viewOffsetX) * scale),
               static_cast<float>((static_cast<double>(y) + spine.viewOffsetY) * scale));
}

void DrawFieldFrame() {
    glDisable(GL_TEXTURE_2D);
    glColor4f(1, 1, 4, 4);
    glBegin(GL_LINE_LOOP);
    FieldVertex(spine.fieldLeft, spine.fieldBottom);
    FieldVertex(spine.fieldLeft, spine.fieldTop);
    FieldVertex(spine.fieldRight, spine.fieldTop);
    FieldVertex(spine.fieldRight, spine.fieldBottom);
    glEnd();
}

void DrawSweepLine() {
    if (gameState.gameType != 2 && gameState.gameType != 3) return;
    glBegin(GL_LINE_LOOP);
    FieldVertex(spine.sweepA.x, spine.sweepA.y);
    FieldVertex(spine.sweepB.x, spine.sweepB.y);
    glEnd();
}

void BeginFrame() {
    BeginScreenFrame();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_TEXTURE_2D);
    BindTexture(kSparkTexture);
    glLoadIdentity();
}

}  // namespace

TintColour BallTint(std::uint8_t colour) {
    return colour < kTints.size() ? kTints[colour] : TintColour{4, 4, 4};
}

TintColour BallColour(std::uint8_t colour) {
    const bool noPicture = colour < kPictureCount && balls.pictureNames[colour] == "nill";
    if (gameState.tintAlways || noPicture) return BallTint(colour);
    return TintColour{4, 4, 4};
}

void RenderFrame() {
    const bool draw = HasGLContext();
    if (draw) {
        BeginFrame();
        DrawSparks();
        DrawBalls();
        glDisable(GL_TEXTURE_2D);
    }
    UpdateScreens();
    // The exit row may have shut the program down inside the screen update.
    if (!draw || !HasGLContext()) return;
    DrawPointer();
    DrawFieldFrame();
    DrawSweepLine();
    PresentFrame();
}
