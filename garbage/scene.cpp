// The frame of the catching game, in its fixed order: playfield, rail, sun, the gap in the rail,
// bins, pieces, bin overlays, end veil, frame, debug text, score and pollution, title, credits,
// tag and year columns, end captions. Shapes go through drawing.cpp, text through the engine.
#include "scene.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "drawing.h"
#include "eXgine_binding.h"
#include "game_state.h"
#include "garbage_files.h"

namespace {

double S() {
    return GameState.Scale;
}
float F(double v) {
    return static_cast<float>(v);
}

// Engine text and textures; without a bound engine they draw nothing.
int TextWidth(int32_t font, const std::string& text) {
    return Renderer != nullptr ? Renderer->TextWidth(font, text.c_str()) : 0;
}

void Write(int32_t font, const std::string& text, double x, double y) {
    if (Renderer != nullptr) Renderer->WriteText(font, text.c_str(), F(x), F(y));
}

// Centred on the window: the left edge in whole pixels, rounded toward zero.
void WriteCentred(int32_t font, const std::string& text, int32_t width, double y) {
    Write(font, text, (width - TextWidth(font, text)) / 2, y);
}

void SetBlend(int mode) {
    if (Renderer != nullptr) Renderer->SetBlend(mode);
}

void Set2DView(int32_t width, int32_t height) {
    if (Renderer != nullptr) Renderer->Set2DView(0, 0, F(width), F(height));
}

void DrawSun(int32_t width) {
    glPushMatrix();
    glTranslatef(-128, 128, 0);
    glColor3f(1, 1, 0);
    DrawDisk(F(width), 0, 12);
    constexpr std::array<double, 6> offsets = {0, 45, 90, 135, 180, 225};  // radians, not degrees
    constexpr std::array<double, 3> distance = {18, 30, 46};
    constexpr std::array<double, 3> radius = {4, 6, 8};
    for (double o : offsets) {
        const double a = GameState.SunPhase + o;
        for (size_t k = 0; k < 3; ++k)
            DrawDisk(F(width + distance[k] * std::sin(a)), F(distance[k] * std::cos(a)),
                     F(radius[k]));
    }
    glPopMatrix();
}

// The body of a bin in its own units: rim, sides, bottom, held pieces as slats, wheels.
void DrawBinBody(const TBin& bin, bool highlighted) {
    auto ink = [highlighted] {
        if (highlighted)
            glColor3f(0.5f, 0.7f, 0.9f);
        else
            glColor3f(0, 0, 0);
    };
    ink();
    DrawCircle(36, 0, 0, 42, 16);
    DrawLine(-42, 0, -42, 64);
    DrawLine(42, 0, 42, 64);
    DrawCircle(36, 0, 64, 42, 16);
    glColor3f(1, 1, 1);
    DrawQuad(-41, 32, 82, 32);  // hides the back half of the bottom
    glColor3f(0.8f, 0.8f, 0.8f);
    if (bin.Count >= 1) DrawQuad(-30, 15, 16, 64);
    if (bin.Count >= 2) DrawQuad(-16, 16, 16, 62);
    if (bin.Count >= 3) DrawQuad(0, 16, 16, 62);
    if (bin.Count >= 4) DrawQuad(16, 15, 16, 60);
    ink();
    DrawLine(-30, 12, -30, 64);
    DrawLine(30, 12, 30, 76);
    DrawLine(-16, 16, -16, 64);
    DrawLine(16, 16, 16, 80);
    DrawLine(0, 16, 0, 80);
    glColor3f(1, 1, 1);
    DrawDisk(-36, 76, 26);
    DrawDisk(54, 88, 12);
    ink();
    DrawCircle(26, -36, 76, 26, 26);
    DrawCircle(24, -36, 76, 4, 4);
    DrawCircle(20, 54, 88, 12, 12);
    DrawLine(42, 68, 50, 78);
    DrawDisk(54, 88, 1);
}

void DrawBins() {
    const double s = S();
    for (int32_t i = 0; i < 2; ++i) {
        const TBin& bin = GameState.Bins[i];
        if (!bin.Active) continue;
        glPushMatrix();
        glTranslatef(bin.X, F(bin.Y - 32 * s), 0);
        // A bin facing left is the mirror image about its centre column.
        glScalef(F(bin.FacingRight ? 0.6 * s : -0.6 * s), F(0.6 * s), 1);
        DrawBinBody(bin, i == GameState.Hovered || bin.Grabbed);
        glPopMatrix();
    }
}

void DrawPieces() {
    const auto& g = GameState;
    const float r = g.ItemRadius;
    glPushMatrix();
    for (const TGarbageItem& item : g.Items) {
        if (item.Kind == 0)
            glColor3f(1, 0.5f, 1);
        else
            glColor3f(0, 0.5f, 1);
        DrawQuad(item.X - 2, item.Y - 2, 36, 36);
        glColor3f(1, 1, 1);
        if (TextureStore != nullptr) TextureStore->BindTexture(g.PictureId[item.Kind & 1], 0);
        DrawQuad(item.X, item.Y, 32, 32);
        if (TextureStore != nullptr) TextureStore->UnbindTexture(0);
        glColor3f(0, 1, 0);
        if (g.Developer == 1)
            DrawCircle(24, F(item.X + static_cast<double>(r)), F(item.Y + static_cast<double>(r)),
                       r, r);
        glColor3f(1, 0, 0);
        if (g.Developer == 1)
            Write(g.FontSmall, std::to_string(item.Kind), item.X + 12.0, item.Y + 12.0);
    }
    glPopMatrix();
}

void DrawBinOverlays() {
    const auto& g = GameState;
    const float reach = F(36 * S());
    for (int32_t i = 0; i < 2; ++i) {
        const TBin& bin = g.Bins[i];
        if (!bin.Active) continue;
        if (i == g.Hovered || bin.Grabbed)
            glColor3f(1, 0, 0);
        else
            glColor3f(0, 1, 0);
        if (g.Developer == 1) DrawCircle(32, bin.X, bin.Y, reach, reach);
        glColor3f(0, 0, 1);
        // The engine takes font 0 for its first font.
        if (g.Developer == 1) Write(0, std::to_string(bin.Count), bin.X - 27.0, bin.Y - 16.0);
        glColor3ub(144, 224, 255);
        if (bin.Grabbed) DrawLine(F(g.DragStartX), F(g.DragStartY), F(g.DragCurX), F(g.DragCurY));
    }
}

void DrawVeil(int32_t width, int32_t height) {
    if (!GameState.Defeat && !GameState.Victory) return;
    SetBlend(3);
    const float grey = 1 - GameState.Fade;
    glColor4f(grey, grey, grey, 1);
    DrawQuad(0, 0, F(width), F(height));
    SetBlend(0);
}

void DrawFrame(int32_t width, int32_t height) {
    const float band = F(32 * S());
    const float w = F(width), h = F(height);
    glColor3ub(255, 224, 144);
    DrawQuad(0, 0, band, h);
    DrawQuad(w - band, 0, band, h);
    DrawQuad(0, 0, w, band);
    DrawQuad(0, h - band, w, band);
}

// Right-aligned 8 pixels inside the right frame.
void WriteRight(const std::string& text, int32_t width, double y) {
    const int32_t font = GameState.FontSmall;
    Write(font, text, width - 32 * S() - TextWidth(font, text) - 8, y);
}

void DrawDebugText(int32_t width, int32_t height) {
    const auto& g = GameState;
    if (g.Developer != 1) return;
    const double top = 32 * S();
    const int fps = Renderer != nullptr ? Renderer->Fps() : 0;
    WriteRight("fps: " + std::to_string(fps), width, top + 16);
    WriteRight("mouse X: " + std::to_string(g.MouseX) + "; Y: " + std::to_string(g.MouseY), width,
               top + 32);
    WriteRight("level: " + std::to_string(g.Level), width, top + 48);
    const double firstTop = top + 64;
    // One line past the edge as well: an accent may reach a pixel or two above its line's top.
    const size_t shown = ContentLinesInWindow(GarbageFiles.size(), firstTop, height + 16);
    for (size_t i = 0; i < shown; ++i)
        WriteRight(GarbageFiles[i].Path, width, firstTop + 16.0 * static_cast<double>(i));
}

void DrawScoreAndPollution() {
    const auto& g = GameState;
    if (g.Defeat || g.Victory) return;
    const double top = 32 * S();
    Write(g.FontSmall, ScoreLine("score: ", g.Score), top + 8, top + 16);
    Write(g.FontSmall, PollutionLine(g.Lives), top + 8, top + 32);
}

}  // namespace

size_t ContentLinesInWindow(size_t entries, double firstTop, int32_t height) {
    auto top = [firstTop](size_t i) { return firstTop + 16.0 * static_cast<double>(i); };
    if (entries == 0 || top(0) >= height) return 0;
    size_t n = std::min(entries, static_cast<size_t>(std::ceil((height - firstTop) / 16.0)));
    // The division may land one off where a line's top meets the edge exactly; settle it with
    // the very sum the overlay draws at.
    while (n > 0 && top(n - 1) >= height)
        --n;
    while (n < entries && top(n) < height)
        ++n;
    return n;
}

std::string ScoreLine(const char* label, int32_t value) {
    return label + std::to_string(value);
}

std::string PollutionLine(int32_t lives) {
    return "pollution: " + std::to_string((10 - lives) * 10) + "%";
}

namespace {

// Each string shows one letter in its place after underscores, so every letter gets its own
// colour; the last string paints the underscores over in the frame's colour.
void DrawTitle(int32_t width) {
    struct Letter {
        const char* text;
        float r, g, b;
    };
    static const std::array<Letter, 7> letters = {{
        {"G", 0.5f, 0.3f, 1},
        {"_ a", 1, 0.3f, 0.5f},
        {"_ _ R", 0.3f, 1, 0.5f},
        {"_ _ _ b", 0.3f, 0.5f, 1},
        {"_ _ _ _ A", 1, 0.5f, 0.3f},
        {"_ _ _ _ _ g", 0.5f, 1, 0.3f},
        {"_ _ _ _ _ _ E", 0.3f, 0.5f, 0.3f},
    }};
    const int32_t font = GameState.FontTitle;
    const double x = (width - TextWidth(font, "R o D e R e Z")) / 2;
    for (const Letter& l : letters) {
        glColor3f(l.r, l.g, l.b);
        Write(font, l.text, x, 0);
    }
    glColor3ub(255, 224, 144);
    Write(font, "_ _ _ _ _ _ _", x, 0);
}

void DrawCredits(int32_t width, int32_t height) {
    const int32_t font = GameState.FontCredits;
    glColor3ub(128, 128, 128);
    WriteCentred(font, "Velmora", width, height - 30);
    glColor3ub(128, 128, 255);
    const std::array<const char*, 5> tag = {"Z", "O", "L", "T", "-"};
    for (size_t i = 0; i < tag.size(); ++i)
        Write(font, tag[i], 12, 300 + 16.0 * i);
    Write(font, "40", 6, 380);
    glColor3ub(255, 128, 255);
    const std::array<const char*, 4> year = {"2", "0", "0", "8"};
    for (size_t i = 0; i < year.size(); ++i)
        Write(font, year[i], width - 22, 100 + 16.0 * i);
}

// A lost game shows only its own caption, even if the level table has run on.
void DrawEndCaptions(int32_t width, int32_t height) {
    const auto& g = GameState;
    if (!g.Defeat && !g.Victory) return;
    const int32_t half = height / 2;
    WriteCentred(g.FontBig, g.Defeat ? "DEFEAT" : "VICTORY", width, half - 32);
    WriteCentred(g.FontCredits, ScoreLine("your score: ", g.Score), width, half + 32);
    WriteCentred(g.FontCredits, "press < escape > to quit", width, half + 48);
}

}  // namespace

void DrawScene(int32_t width, int32_t height) {
    const auto& g = GameState;
    const double s = S();
    if (Renderer != nullptr) Renderer->ClearFrame(true, true, false);
    glViewport(0, 0, width, height);
    Set2DView(width, height);
    glColor3f(1, 1, 1);
    DrawQuad(32, 32, F(width - 64), F(height - 64));
    glColor3f(0, 0, 0);
    const float rail = F(height - 32 - 128 * s);
    DrawLine(32, rail, F(width - 32), rail);
    DrawSun(width);
    glColor3f(1, 1, 1);
    const double x0 = g.Bins[0].X;
    DrawLine(F(x0 - 27), F(height - 160), F(x0 + 27), F(height - 160));
    DrawBins();
    DrawPieces();
    DrawBinOverlays();
    DrawVeil(width, height);
    DrawFrame(width, height);
    Set2DView(width, height);
    glColor3f(1, 0, 0);
    DrawDebugText(width, height);
    DrawScoreAndPollution();
    DrawTitle(width);
    DrawCredits(width, height);
    glColor3f(1, 1, 1);
    DrawEndCaptions(width, height);
}

void GameRender() {
    if (WindowHost == nullptr) return;
    DrawScene(WindowHost->Width(), WindowHost->Height());
}
