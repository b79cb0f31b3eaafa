// Font lookup (fontconfig) and glyph rasterising (FreeType) shared by both games.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace media {

// A face on disk as fontconfig resolved it.
struct FontFace {
    std::string file;
    int index = 0;
    std::string family;
};

// Finds an upright, regular-weight, scalable face that covers every code point of `mustCover`
// (empty: no coverage test): `family` itself when it is installed, otherwise the system's
// preferred serif face when fontconfig knows `family` as serif and its preferred sans face
// otherwise, never a script, italic, bold or decorative stand-in. Returns false when no
// installed face qualifies.
bool FindFontFace(const std::string& family, const std::u32string& mustCover, FontFace& out);

// One rasterised glyph: 8-bit coverage rows, top row first; `left`/`top` place the bitmap
// relative to the pen position on the baseline (top is up, as FreeType gives it).
struct GlyphBitmap {
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;
    int advance = 0;  // pixels the pen moves after this glyph
    std::vector<std::uint8_t> coverage;
};

// A face opened at a pixel height; rasterises glyphs on demand.
class GlyphRasterizer {
  public:
    GlyphRasterizer();
    ~GlyphRasterizer();
    GlyphRasterizer(const GlyphRasterizer&) = delete;
    GlyphRasterizer& operator=(const GlyphRasterizer&) = delete;

    // Opens `face` with glyphs `pixelHeight` pixels high (the em square). False on failure.
    bool Open(const FontFace& face, int pixelHeight);
    bool IsOpen() const;
    // Rasterises one code point; a missing glyph gives the face's missing-glyph box.
    GlyphBitmap Render(char32_t codePoint) const;
    int Ascender() const;   // pixels above the baseline
    int Descender() const;  // pixels below the baseline (positive)

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace media
