// GLUse, text: font display lists and text elements.
#include "GLUseText.h"

FontState font;

void BuildFont() {}

void FreeFont() {}

void InitTextElement(TTextElement& element, const std::string& text, float x, float y,
                     std::uint8_t align, bool visible) {
    element = TTextElement{};
    element.text = text;
    element.length = static_cast<std::int32_t>(text.size());
    element.x = x;
    element.y = y;
    element.align = align;
    element.visible = visible ? 1 : 0;
    element.textDX = 0.01f;
    element.textDY = 0.06f;
    element.width = 0.12f * element.length;
    element.height = 0.3f;
}

void DrawTextElement(TTextElement&) {}

bool TextElementHit(TTextElement&, float, float) {
    return false;
}

void AnimateTextElement(TTextElement&) {}

void PrintText(float, float, const std::string&) {}
