// Font lookup with fontconfig, glyphs with FreeType.
#include "media/Font.h"

namespace media {

struct GlyphRasterizer::Impl {};

bool FindFontFace(const std::string&, const std::u32string&, FontFace&) {
    return false;
}
GlyphRasterizer::GlyphRasterizer() = default;
GlyphRasterizer::~GlyphRasterizer() = default;
bool GlyphRasterizer::Open(const FontFace&, int) {
    return false;
}
bool GlyphRasterizer::IsOpen() const {
    return false;
}
GlyphBitmap GlyphRasterizer::Render(char32_t) const {
    return {};
}
int GlyphRasterizer::Ascender() const {
    return 0;
}
int GlyphRasterizer::Descender() const {
    return 0;
}

}  // namespace media
