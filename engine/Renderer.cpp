// The renderer: fixed GL state, clearing, the 2D view, blend modes, the frame-rate counter,
// and fonts (fontconfig + FreeType glyphs, one small alpha texture per glyph made at the
// first draw). Without a drawable window every drawing call does nothing.
#include <SDL_opengl.h>

#include <algorithm>
#include <cmath>

#include "EngineParts.h"

namespace exg {

namespace {

// Font sizes are points on a 96 dpi screen.
constexpr double kPixelsPerPoint = 96.0 / 72.0;
constexpr int kLargestFontPixels = 512;
// Bold strokes thicken by one pixel per this many pixels of size (at least one).
constexpr int kPixelsPerBoldPixel = 20;
// Bytes below this are control characters and draw nothing; so do the C1 controls.
constexpr int kFirstPrintable = 32;
constexpr int kFirstC1 = 0x7F;
constexpr int kLastC1 = 0x9F;

int NextPowerOfTwo(int n) {
    int p = 1;
    while (p < n)
        p *= 2;
    return p;
}

// Synthetic bold: each stroke is drawn again `strength` pixels further right.
void Embolden(media::GlyphBitmap& g, int strength) {
    if (g.width <= 0 || g.height <= 0) return;
    const int w = g.width + strength;
    std::vector<std::uint8_t> out(static_cast<size_t>(w) * g.height, 0);
    for (int y = 0; y < g.height; ++y) {
        for (int x = 0; x < w; ++x) {
            int v = 0;
            for (int from = std::max(0, x - strength); from <= std::min(x, g.width - 1); ++from)
                v = std::max<int>(v, g.coverage[static_cast<size_t>(y) * g.width + from]);
            out[static_cast<size_t>(y) * w + x] = static_cast<std::uint8_t>(v);
        }
    }
    g.width = w;
    g.coverage = std::move(out);
    g.advance += strength;
}

// The games write English: every printable ASCII character must have a real glyph.
std::u32string AsciiGlyphs() {
    std::u32string all;
    for (char32_t c = kFirstPrintable; c < kFirstC1; ++c)
        all.push_back(c);
    return all;
}

bool Printable(int byte) {
    return byte >= kFirstPrintable && (byte < kFirstC1 || byte > kLastC1);
}

}  // namespace

void Renderer::SetUpGl() {
    if (!host_.MakeCurrent()) return;
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_TEXTURE_2D);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glClearColor(clear_[0], clear_[1], clear_[2], 1.0f);
    SetBlend(blend_);
    glViewport(0, 0, host_.Width(), host_.Height());
    Set2DView(0, 0, static_cast<float>(host_.Width()), static_cast<float>(host_.Height()));
    glColor4f(1, 1, 1, 1);
}

void Renderer::ClearFrame(bool color, bool depth, bool stencil) {
    if (!host_.Drawable()) return;
    GLbitfield bits = 0;
    if (color) bits |= GL_COLOR_BUFFER_BIT;
    if (depth) bits |= GL_DEPTH_BUFFER_BIT;
    if (stencil) bits |= GL_STENCIL_BUFFER_BIT;
    if (bits) glClear(bits);
}

void Renderer::SetClearColor(float r, float g, float b) {
    clear_[0] = r;
    clear_[1] = g;
    clear_[2] = b;
    if (host_.Drawable()) glClearColor(r, g, b, 1.0f);
}

void Renderer::Set2DView(float x, float y, float width, float height) {
    if (!host_.Drawable()) return;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // Bottom and top swapped: y grows downward from the top edge.
    glOrtho(x, static_cast<double>(x) + width, static_cast<double>(y) + height, y, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void Renderer::SetBlend(int mode) {
    blend_ = mode;
    if (!host_.Drawable()) return;
    switch (mode) {
        case 1:
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            break;
        case 2:
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE);
            break;
        case 3:
            // frame = frame * drawn colour: a grey quad darkens, white leaves it alone.
            glEnable(GL_BLEND);
            glBlendFunc(GL_ZERO, GL_SRC_COLOR);
            break;
        default:
            blend_ = 0;
            glDisable(GL_BLEND);
            break;
    }
}

void Renderer::CountFrame(long long nowMs) {
    if (secondStartMs_ < 0) secondStartMs_ = nowMs;
    ++framesThisSecond_;
    if (nowMs - secondStartMs_ >= 1000) {
        fps_ = framesThisSecond_;
        framesThisSecond_ = 0;
        secondStartMs_ = nowMs;
    }
}

void Renderer::ResetFps() {
    fps_ = 0;
    framesThisSecond_ = 0;
    secondStartMs_ = -1;
}

int Renderer::MakeFont(const char* face, int size, int bold, int /*textureSize*/) {
    const std::string family = face ? face : "";
    media::FontFace found;
    // The face itself when installed, else an upright regular face of its class with every ASCII
    // glyph (never the script that fontconfig would offer for Comic Sans MS).
    if (!media::FindFontFace(family, AsciiGlyphs(), found)) {
        log_.Line("font refused: \"" + family + "\" (no face found)");
        return 0;
    }
    const int pixels =
        std::clamp(static_cast<int>(std::nearbyint(size * kPixelsPerPoint)), 1, kLargestFontPixels);
    media::GlyphRasterizer rasterizer;
    if (!rasterizer.Open(found, pixels)) {
        log_.Line("font refused: \"" + family + "\" (" + found.file + " does not open)");
        return 0;
    }
    auto font = std::make_unique<Font>();
    font->ascender = rasterizer.Ascender();
    font->descender = rasterizer.Descender();
    for (int byte = 0; byte < 256; ++byte) {
        if (!Printable(byte)) continue;
        font->glyphs[byte].bitmap = rasterizer.Render(static_cast<char32_t>(byte));
        if (bold) Embolden(font->glyphs[byte].bitmap, std::max(1, pixels / kPixelsPerBoldPixel));
    }
    fonts_.push_back(std::move(font));
    log_.Line("font made: \"" + family + "\" " + std::to_string(size) + " pt as " + found.family +
              " (" + found.file + "), handle " + std::to_string(fonts_.size()));
    return static_cast<int>(fonts_.size());
}

Font* Renderer::FontOf(int font) {
    if (fonts_.empty()) return nullptr;
    if (font < 1 || font > static_cast<int>(fonts_.size())) return fonts_.front().get();
    return fonts_[font - 1].get();
}

int Renderer::LineHeight(int font) {
    const Font* f = FontOf(font);
    return f ? f->ascender + f->descender : 0;
}

int Renderer::TextWidth(int font, const char* text) {
    const Font* f = FontOf(font);
    if (!f || !text) return 0;
    int width = 0;
    for (const char* p = text; *p; ++p)
        width += f->glyphs[static_cast<unsigned char>(*p)].bitmap.advance;
    return width;
}

void Renderer::DrawGlyph(Glyph& glyph, float x, float y) {
    const media::GlyphBitmap& b = glyph.bitmap;
    if (b.width <= 0 || b.height <= 0) return;
    // Power-of-two textures keep to what a GL 1.1 driver must accept.
    const int tw = NextPowerOfTwo(b.width);
    const int th = NextPowerOfTwo(b.height);
    if (glyph.name == 0) {
        std::vector<std::uint8_t> padded(static_cast<size_t>(tw) * th, 0);
        for (int row = 0; row < b.height; ++row)
            std::copy_n(&b.coverage[static_cast<size_t>(row) * b.width], b.width,
                        &padded[static_cast<size_t>(row) * tw]);
        glGenTextures(1, &glyph.name);
        glBindTexture(GL_TEXTURE_2D, glyph.name);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, tw, th, 0, GL_ALPHA, GL_UNSIGNED_BYTE,
                     padded.data());
    } else {
        glBindTexture(GL_TEXTURE_2D, glyph.name);
    }
    const float u = static_cast<float>(b.width) / tw;
    const float v = static_cast<float>(b.height) / th;
    const float w = static_cast<float>(b.width);
    const float h = static_cast<float>(b.height);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(x, y);
    glTexCoord2f(u, 0);
    glVertex2f(x + w, y);
    glTexCoord2f(u, v);
    glVertex2f(x + w, y + h);
    glTexCoord2f(0, v);
    glVertex2f(x, y + h);
    glEnd();
}

void Renderer::WriteText(int font, const char* text, float x, float y) {
    Font* f = FontOf(font);
    if (!f || !text || !host_.Drawable()) return;
    // The caller's blend and texture state survive the text.
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_TEXTURE_BIT);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    // Whole pixels keep the nearest-filtered glyphs sharp.
    double pen = std::nearbyint(x);
    const double baseline = std::nearbyint(y) + f->ascender;
    for (const char* p = text; *p; ++p) {
        Glyph& g = f->glyphs[static_cast<unsigned char>(*p)];
        DrawGlyph(g, static_cast<float>(pen + g.bitmap.left),
                  static_cast<float>(baseline - g.bitmap.top));
        pen += g.bitmap.advance;
    }
    glPopAttrib();
}

}  // namespace exg
