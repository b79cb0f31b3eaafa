// GLUse, text: the bitmap font as display lists and the text element (a line of text with a
// sliding box, a shadow, a hover flag and an appear counter).
#pragma once

#include <cstdint>
#include <string>

struct TTextElement {
    std::string text;        // Windows-1251 bytes
    std::uint8_t align = 0;  // 0 box starts at x, 1 centred on x, 2 ends at x
    std::uint8_t hover = 0;
    std::int32_t length = 0;
    std::uint8_t visible = 0;
    std::uint8_t appear = 0;  // 0 hidden .. 20 fully shown
    float x = 0;
    float y = 0;
    float textDX = 0;
    float textDY = 0;
    float width = 0;
    float height = 0;
};

struct FontState {
    unsigned FontListBase = 0;
    int FontGlyphCount = 256;
};

extern FontState font;

void BuildFont();
void FreeFont();
void InitTextElement(TTextElement& element, const std::string& text, float x, float y,
                     std::uint8_t align, bool visible);
void DrawTextElement(TTextElement& element);
bool TextElementHit(TTextElement& element, float x, float y);
void AnimateTextElement(TTextElement& element);
void PrintText(float x, float y, const std::string& text);
