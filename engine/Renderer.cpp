// The renderer: fixed GL state, clearing, the 2D view, blend modes, the frame-rate counter,
// and fonts (fontconfig + FreeType glyphs, packed into a few alpha textures at a font's first
// draw). Without a drawable window every drawing call does nothing.
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

// Glyph pages are square powers of two (what a GL 1.1 driver must accept), as small as holds
// a whole font and never larger than this: bigger fonts take several pages.
constexpr int kSmallestPage = 64;
constexpr int kLargestPage = 1024;
// An empty texel between neighbouring glyphs on a page.
constexpr int kGlyphGap = 1;

// Places the glyphs on pages `size` texels square, in rows, in byte order; returns how many
// pages they take. A glyph larger than a page gets none and is not drawn.
int PackGlyphs(std::array<Glyph, 256>& glyphs, int size) {
    int page = 0, x = 0, y = 0, rowHeight = 0;
    bool placed = false;
    for (Glyph& g : glyphs) {
        const int w = g.bitmap.width, h = g.bitmap.height;
        g.page = -1;
        if (w <= 0 || h <= 0 || w > size || h > size) continue;
        if (x + w > size) {
            x = 0;
            y += rowHeight + kGlyphGap;
            rowHeight = 0;
        }
        if (y + h > size) {
            ++page;
            x = 0;
            y = 0;
            rowHeight = 0;
        }
        g.page = page;
        g.x = x;
        g.y = y;
        x += w + kGlyphGap;
        rowHeight = std::max(rowHeight, h);
        placed = true;
    }
    return placed ? page + 1 : 0;
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
    font->handle = static_cast<int>(fonts_.size()) + 1;
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

void Renderer::MakePages(Font& font) {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    const int limit = std::clamp<int>(largest, kSmallestPage, kLargestPage);
    int size = kSmallestPage;
    int count = PackGlyphs(font.glyphs, size);
    while (count > 1 && size < limit)
        count = PackGlyphs(font.glyphs, size *= 2);
    font.pageSize = size;
    font.pages.assign(static_cast<size_t>(count), 0);
    if (count > 0) glGenTextures(count, font.pages.data());
    for (int page = 0; page < count; ++page) {
        std::vector<std::uint8_t> texels(static_cast<size_t>(size) * size, 0);
        for (const Glyph& g : font.glyphs) {
            if (g.page != page) continue;
            for (int row = 0; row < g.bitmap.height; ++row)
                std::copy_n(&g.bitmap.coverage[static_cast<size_t>(row) * g.bitmap.width],
                            g.bitmap.width, &texels[static_cast<size_t>(g.y + row) * size + g.x]);
        }
        glBindTexture(GL_TEXTURE_2D, font.pages[page]);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, size, size, 0, GL_ALPHA, GL_UNSIGNED_BYTE,
                     texels.data());
    }
    log_.Line("font " + std::to_string(font.handle) + " glyph textures: " + std::to_string(count) +
              " of " + std::to_string(size) + " x " + std::to_string(size));
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
    if (f->pageSize == 0) MakePages(*f);
    const float texel = 1.0f / static_cast<float>(f->pageSize);
    int bound = -1;  // the page bound, its quads open
    for (const char* p = text; *p; ++p) {
        const Glyph& g = f->glyphs[static_cast<unsigned char>(*p)];
        if (g.page >= 0) {
            if (g.page != bound) {
                if (bound >= 0) glEnd();
                glBindTexture(GL_TEXTURE_2D, f->pages[static_cast<size_t>(g.page)]);
                glBegin(GL_QUADS);
                bound = g.page;
            }
            const float x0 = static_cast<float>(pen + g.bitmap.left);
            const float y0 = static_cast<float>(baseline - g.bitmap.top);
            const float x1 = x0 + static_cast<float>(g.bitmap.width);
            const float y1 = y0 + static_cast<float>(g.bitmap.height);
            const float u0 = static_cast<float>(g.x) * texel;
            const float v0 = static_cast<float>(g.y) * texel;
            const float u1 = static_cast<float>(g.x + g.bitmap.width) * texel;
            const float v1 = static_cast<float>(g.y + g.bitmap.height) * texel;
            glTexCoord2f(u0, v0);
            glVertex2f(x0, y0);
            glTexCoord2f(u1, v0);
            glVertex2f(x1, y0);
            glTexCoord2f(u1, v1);
            glVertex2f(x1, y1);
            glTexCoord2f(u0, v1);
            glVertex2f(x0, y1);
        }
        pen += g.bitmap.advance;
    }
    if (bound >= 0) glEnd();
    glPopAttrib();
}

}  // namespace exg
