// GLUse, text: the bitmap font as display lists and the text element (a line of text with a
// sliding box, a shadow, a hover flag and an appear counter).
#pragma once

#include <cstdint>
#include <string>

struct TTextElement {
    std::string text;        // Windows-1251 bytes
    std::uint8_t align = 0;  // 0 box starts at x, 1 centred on x, 2 ends at x
    bool hover = false;
    std::int32_t length = 0;  // characters at initialisation (kept, not used for drawing)
    bool visible = false;
    std::uint8_t appear = 0;  // 0 hidden .. 20 fully shown
    float x = 0;
    float y = 0;  // bottom of the box
    float textDX = 0;
    float textDY = 0;
    float width = 0;
    float height = 0;
};

constexpr int kAppearSteps = 20;

struct FontState {
    unsigned FontListBase = 0;  // first of the glyph display lists; 0 when none were built
    int FontGlyphCount = 256;
    std::string family;  // the face fontconfig resolved
};

extern FontState font;

// One bitmap display list per code-page-1251 byte, 26 pixels high, from a face that has every
// glyph of the code page ("Comic Sans MS" when installed). Needs a GL context; without one the
// lists do not exist and text draws nothing.
void BuildFont();
void FreeFont();
// Draws text with its first glyph's origin at the plane point (x, y); any length.
void PrintText(const std::string& text, float x, float y);

void InitTextElement(const std::string& text, std::uint8_t align, bool visible, float x, float y,
                     TTextElement& element);
// The left edge of the box once drawn (the width is 0.13 per character).
float TextBoxLeft(const TTextElement& element);
// Recomputes the width and, with a GL context, draws box, outline, shadow and text.
void DrawTextElement(TTextElement& element);
// The inclusive test of the full box against (px, py); the result is kept in hover.
bool TextElementHit(TTextElement& element, float px, float py);
void AnimateTextElement(TTextElement& element);
