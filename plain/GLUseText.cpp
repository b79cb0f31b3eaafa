// GLUse, text: the font's display lists (glyphs found through fontconfig and rasterised with
// FreeType, one glBitmap per code-page-1251 byte), plain text drawing, and the text element with
// its box, slide-in, hit test and appear counter.
#include "GLUseText.h"

#include <cstdio>
#include <vector>

#include "GLUse.h"
#include "OpenGL.h"
#include "media/Cp1251.h"
#include "media/Font.h"

FontState font;

namespace {

constexpr int kGlyphPixels = 26;
constexpr const char* kPreferredFace = "Comic Sans MS";

// Every printable code point of the code page (0x98 is unassigned).
std::u32string CodePageGlyphs() {
    std::u32string all;
    for (int byte = 0x20; byte < 0x100; ++byte)
        if (byte != 0x7F && byte != 0x98)
            all.push_back(media::Cp1251ToUnicode(static_cast<unsigned char>(byte)));
    return all;
}

std::u32string CyrillicLetters() {
    std::u32string letters;
    for (char32_t c = 0x410; c <= 0x44F; ++c)
        letters.push_back(c);
    return letters;
}

// The preferred face with every glyph of the code page, else the closest face that has them, else
// the closest that has the Cyrillic letters, else whatever fontconfig offers.
bool ResolveFace(media::FontFace& face) {
    return media::FindFontFace(kPreferredFace, CodePageGlyphs(), face) ||
           media::FindFontFace(kPreferredFace, CyrillicLetters(), face) ||
           media::FindFontFace(kPreferredFace, U"", face);
}

// glBitmap wants rows bottom first, one bit per pixel, most significant bit leftmost.
std::vector<GLubyte> GlyphBits(const media::GlyphBitmap& glyph) {
    const int rowBytes = (glyph.width + 7) / 8;
    std::vector<GLubyte> bits(static_cast<size_t>(rowBytes) * glyph.height, 0);
    for (int y = 0; y < glyph.height; ++y) {
        GLubyte* row = &bits[static_cast<size_t>(glyph.height - 1 - y) * rowBytes];
        for (int x = 0; x < glyph.width; ++x)
            if (glyph.coverage[static_cast<size_t>(y) * glyph.width + x] >= 128)
                row[x / 8] |= static_cast<GLubyte>(0x80 >> (x % 8));
    }
    return bits;
}

void CompileGlyph(unsigned list, const media::GlyphRasterizer& rasterizer, int byte) {
    glNewList(list, GL_COMPILE);
    if (byte >= 0x20 && byte != 0x7F) {
        const media::GlyphBitmap glyph =
            rasterizer.Render(media::Cp1251ToUnicode(static_cast<unsigned char>(byte)));
        std::vector<GLubyte> bits = GlyphBits(glyph);
        // An empty bitmap (the blank) must still move the raster position: some GL builds skip
        // a bitmap call without data altogether.
        if (bits.empty()) bits.push_back(0);
        glBitmap(glyph.width, glyph.height, static_cast<GLfloat>(-glyph.left),
                 static_cast<GLfloat>(glyph.height - glyph.top),
                 static_cast<GLfloat>(glyph.advance), 0, bits.data());
    }
    glEndList();
}

}  // namespace

void BuildFont() {
    if (!HasGLContext()) return;
    media::FontFace face;
    media::GlyphRasterizer rasterizer;
    if (!ResolveFace(face) || !rasterizer.Open(face, kGlyphPixels)) {
        std::fprintf(stderr, "zodav: no usable font face found; texts will not show\n");
        return;
    }
    font.family = face.family;
    std::fprintf(stderr, "zodav: font %s (%s)\n", face.family.c_str(), face.file.c_str());
    font.FontListBase = glGenLists(font.FontGlyphCount);
    if (font.FontListBase == 0) return;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int byte = 0; byte < font.FontGlyphCount; ++byte)
        CompileGlyph(font.FontListBase + byte, rasterizer, byte);
}

void FreeFont() {
    if (font.FontListBase != 0 && HasGLContext())
        glDeleteLists(font.FontListBase, font.FontGlyphCount);
    font.FontListBase = 0;
}

void PrintText(const std::string& text, float x, float y) {
    if (text.empty() || font.FontListBase == 0 || !HasGLContext()) return;
    // Each byte selects list FontListBase + byte; the bytes go to GL straight from the string,
    // so a text of any length draws whole.
    glPushAttrib(GL_LIST_BIT);
    glListBase(font.FontListBase);
    glRasterPos2f(x, y);
    glCallLists(static_cast<GLsizei>(text.size()), GL_UNSIGNED_BYTE, text.data());
    glPopAttrib();
}

void InitTextElement(const std::string& text, std::uint8_t align, bool visible, float x, float y,
                     TTextElement& element) {
    element.text = text;
    element.length = static_cast<std::int32_t>(text.size());
    element.align = align;
    element.visible = visible;
    element.appear = 0;
    element.x = x;
    element.y = y;
    element.width = static_cast<float>(0.12 * element.length);
    element.height = 0.3f;
    element.textDX = 0.01f;
    element.textDY = 0.06f;
    element.hover = false;
}

namespace {

float BoxWidth(const TTextElement& element) {
    return static_cast<float>(0.13 * static_cast<double>(element.text.size()));
}

// The box grows from its left edge while it appears; its right side is shorter by
// H * (20 - a) / 50 at top and at bottom.
void BoxVertices(double bx, double by, double w, double h, int a) {
    const double right = bx + w * a / 20;
    const double inset = h * (20 - a) / 50;
    glVertex2d(bx, by + h);
    glVertex2d(bx, by);
    glVertex2d(right, by + inset);
    glVertex2d(right, by + h - inset);
}

void DrawBoxAndText(const TTextElement& e, float bx) {
    const int a = e.appear;
    glColor4f(0, 4, 0, e.hover ? 0.7f : 0.2f);
    glBegin(GL_POLYGON);
    BoxVertices(bx, e.y, e.width, e.height, a);
    glEnd();
    glColor4f(0, 4, 0, 1);
    glBegin(GL_LINE_LOOP);
    BoxVertices(bx, e.y, e.width, e.height, a);
    glEnd();
    // The text slides in from the right: 10 plane units away at a = 0.
    const double slide = 0.5 * (20 - a);
    glColor4f(1, 1, 1, 0.3f);
    PrintText(e.text, static_cast<float>(bx + e.textDX + 0.02 + slide),
              static_cast<float>(static_cast<double>(e.y) + e.textDY - 0.02));
    glColor4f(2, 2, 2, 5);
    PrintText(e.text, static_cast<float>(bx + e.textDX + slide),
              static_cast<float>(static_cast<double>(e.y) + e.textDY));
}

}  // namespace

float TextBoxLeft(const TTextElement& element) {
    const double w = BoxWidth(element);
    if (element.align == 1) return static_cast<float>(element.x - w / 2);
    if (element.align == 2) return static_cast<float>(element.x - w);
    return element.x;
}

void DrawTextElement(TTextElement& element) {
    if (element.appear == 0 || element.text.empty()) return;
    element.width = BoxWidth(element);
    if (!HasGLContext()) return;
    DrawBoxAndText(element, TextBoxLeft(element));
}

bool TextElementHit(TTextElement& element, float px, float py) {
    element.width = BoxWidth(element);
    // The point moves instead of the box; the full box counts whatever the appear counter.
    double shifted = px;
    if (element.align == 1) shifted += element.width / 2.0;
    if (element.align == 2) shifted += element.width;
    const bool inside = element.x <= shifted &&
                        shifted <= static_cast<double>(element.x) + element.width &&
                        element.y <= py && py <= static_cast<double>(element.y) + element.height;
    element.hover = inside;
    return inside;
}

void AnimateTextElement(TTextElement& element) {
    if (element.visible) {
        if (element.appear < kAppearSteps) element.appear += 1;
    } else if (element.appear > 0) {
        element.appear -= 1;
    }
}
