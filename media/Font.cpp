// Font lookup with fontconfig (a face by family name that has every glyph a game needs) and
// glyph rasterising with FreeType (8-bit coverage at a pixel height).
#include "media/Font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <vector>

namespace media {
namespace {

// Pixel heights outside this range are a caller's mistake; FreeType would accept some of them
// and then allocate enormous bitmaps per glyph.
constexpr int kMinPixelHeight = 1;
constexpr int kMaxPixelHeight = 1024;

bool CoversAll(FcPattern* font, const std::u32string& mustCover) {
    if (mustCover.empty()) return true;
    FcCharSet* charset = nullptr;
    if (FcPatternGetCharSet(font, FC_CHARSET, 0, &charset) != FcResultMatch) return false;
    for (char32_t cp : mustCover) {
        if (!FcCharSetHasChar(charset, static_cast<FcChar32>(cp))) return false;
    }
    return true;
}

// A bitmap-only face cannot be rasterised at an arbitrary height, so it never counts as found.
bool IsScalable(FcPattern* font) {
    FcBool scalable = FcFalse;
    return FcPatternGetBool(font, FC_SCALABLE, 0, &scalable) == FcResultMatch && scalable;
}

bool Describe(FcPattern* font, FontFace& out) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch) return false;
    int index = 0;
    FcPatternGetInteger(font, FC_INDEX, 0, &index);
    FcChar8* family = nullptr;
    FcPatternGetString(font, FC_FAMILY, 0, &family);
    out.file = reinterpret_cast<const char*>(file);
    out.index = index;
    out.family = family ? reinterpret_cast<const char*>(family) : "";
    return true;
}

// Regular weight spans fontconfig's Book to Medium: "Book", "Regular", "Roman" and "Medium"
// styles all count; Light and Demi/Bold do not.
bool IsUprightRegular(FcPattern* font) {
    int slant = -1;
    int weight = -1;
    FcBool decorative = FcFalse;
    if (FcPatternGetInteger(font, FC_SLANT, 0, &slant) != FcResultMatch) return false;
    if (FcPatternGetInteger(font, FC_WEIGHT, 0, &weight) != FcResultMatch) return false;
    FcPatternGetBool(font, FC_DECORATIVE, 0, &decorative);
    return slant == FC_SLANT_ROMAN && weight >= FC_WEIGHT_BOOK && weight <= FC_WEIGHT_MEDIUM &&
           !decorative;
}

bool Usable(FcPattern* font, const std::u32string& mustCover) {
    return IsScalable(font) && IsUprightRegular(font) && CoversAll(font, mustCover);
}

// The family names a pattern or font carries (a font may have several, e.g. a condensed cut).
std::vector<std::string> FamiliesOf(FcPattern* pattern) {
    std::vector<std::string> families;
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &name) == FcResultMatch; ++i)
        families.emplace_back(reinterpret_cast<const char*>(name));
    return families;
}

bool SharesFamily(FcPattern* font, const std::vector<std::string>& families) {
    for (const std::string& own : FamiliesOf(font))
        for (const std::string& wanted : families)
            if (FcStrCmpIgnoreCase(reinterpret_cast<const FcChar8*>(own.c_str()),
                                   reinterpret_cast<const FcChar8*>(wanted.c_str())) == 0)
                return true;
    return false;
}

// A pattern asking for `family` in an upright regular style, with the system's substitutions
// applied (a generic name like "serif" expands into the faces the system files under it).
FcPattern* UprightPattern(const std::string& family) {
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return nullptr;
    if (!family.empty())
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    return pattern;
}

// The first face in fontconfig's order of preference for `pattern` that belongs to one of
// `families` and is usable.
bool FirstUsable(FcPattern* pattern, const std::vector<std::string>& families,
                 const std::u32string& mustCover, FontFace& out) {
    FcResult result = FcResultNoMatch;
    FcFontSet* sorted = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result);
    bool found = false;
    for (int i = 0; sorted && i < sorted->nfont && !found; ++i) {
        FcPattern* font = sorted->fonts[i];
        found = SharesFamily(font, families) && Usable(font, mustCover) && Describe(font, out);
    }
    if (sorted) FcFontSetDestroy(sorted);
    return found;
}

// The named family itself, when it is installed with an upright regular style.
bool FindNamedFace(const std::string& family, const std::u32string& mustCover, FontFace& out) {
    FcPattern* pattern = UprightPattern(family);
    if (!pattern) return false;
    const bool found = FirstUsable(pattern, {family}, mustCover, out);
    FcPatternDestroy(pattern);
    return found;
}

// Fontconfig files some families under "cursive" or "fantasy" (Comic Sans MS among them), whose
// stand-ins are chancery scripts: a game's menus must stay plainly readable, so a missing face is
// replaced by a serif face when the system knows it as serif and by a sans face otherwise.
std::string SubstituteClass(const std::string& family) {
    FcPattern* pattern = UprightPattern(family);
    if (!pattern) return "sans-serif";
    const std::vector<std::string> expanded = FamiliesOf(pattern);
    FcPatternDestroy(pattern);
    for (const std::string& name : expanded)
        if (name == "serif") return "serif";
    return "sans-serif";
}

// The system's preferred upright regular face among those it files under `genericFamily`.
bool FindSubstitute(const std::string& genericFamily, const std::u32string& mustCover,
                    FontFace& out) {
    FcPattern* pattern = UprightPattern(genericFamily);
    if (!pattern) return false;
    const bool found = FirstUsable(pattern, FamiliesOf(pattern), mustCover, out);
    FcPatternDestroy(pattern);
    return found;
}

// Copies one FreeType bitmap into top-row-first 8-bit coverage, whatever its row order and
// pixel mode (anti-aliased grey, or one bit per pixel for faces with embedded bitmaps).
void CopyCoverage(const FT_Bitmap& bitmap, GlyphBitmap& glyph) {
    glyph.width = static_cast<int>(bitmap.width);
    glyph.height = static_cast<int>(bitmap.rows);
    const bool gray = bitmap.pixel_mode == FT_PIXEL_MODE_GRAY;
    const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
    if (!gray && !mono) {
        glyph.width = glyph.height = 0;
        return;
    }
    glyph.coverage.assign(static_cast<std::size_t>(glyph.width) * glyph.height, 0);
    const int stride = std::abs(bitmap.pitch);
    const int maxLevel = gray && bitmap.num_grays > 1 ? bitmap.num_grays - 1 : 255;
    for (int y = 0; y < glyph.height; ++y) {
        const int memoryRow = bitmap.pitch >= 0 ? y : glyph.height - 1 - y;
        const unsigned char* src = bitmap.buffer + static_cast<std::ptrdiff_t>(memoryRow) * stride;
        std::uint8_t* dst = &glyph.coverage[static_cast<std::size_t>(y) * glyph.width];
        for (int x = 0; x < glyph.width; ++x) {
            if (mono) {
                dst[x] = (src[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
            } else {
                dst[x] = static_cast<std::uint8_t>(src[x] * 255 / maxLevel);
            }
        }
    }
}

int PixelsFrom26Dot6(long value) {
    return static_cast<int>(std::nearbyint(static_cast<double>(value) / 64.0));
}

}  // namespace

bool FindFontFace(const std::string& family, const std::u32string& mustCover, FontFace& out) {
    if (!FcInit()) return false;
    if (!family.empty() && FindNamedFace(family, mustCover, out)) return true;
    return FindSubstitute(SubstituteClass(family), mustCover, out);
}

// Each rasterizer owns its own FreeType library, so rasterizers never share hidden state.
struct GlyphRasterizer::Impl {
    FT_Library library = nullptr;
    FT_Face face = nullptr;

    void CloseFace() {
        if (face) FT_Done_Face(face);
        face = nullptr;
    }
    ~Impl() {
        CloseFace();
        if (library) FT_Done_FreeType(library);
    }
};

GlyphRasterizer::GlyphRasterizer() : impl_(std::make_unique<Impl>()) {}
GlyphRasterizer::~GlyphRasterizer() = default;

bool GlyphRasterizer::Open(const FontFace& face, int pixelHeight) {
    impl_->CloseFace();
    if (pixelHeight < kMinPixelHeight || pixelHeight > kMaxPixelHeight) return false;
    if (!impl_->library && FT_Init_FreeType(&impl_->library) != 0) {
        impl_->library = nullptr;
        return false;
    }
    if (FT_New_Face(impl_->library, face.file.c_str(), face.index, &impl_->face) != 0) {
        impl_->face = nullptr;
        return false;
    }
    if (FT_Set_Pixel_Sizes(impl_->face, 0, static_cast<FT_UInt>(pixelHeight)) != 0) {
        impl_->CloseFace();
        return false;
    }
    return true;
}

bool GlyphRasterizer::IsOpen() const {
    return impl_->face != nullptr;
}

GlyphBitmap GlyphRasterizer::Render(char32_t codePoint) const {
    GlyphBitmap glyph;
    FT_Face face = impl_->face;
    if (!face) return glyph;
    // FT_Load_Char maps a missing character to glyph 0, the face's missing-glyph box; should
    // even that fail (a broken glyph program), try glyph 0 directly.
    if (FT_Load_Char(face, codePoint, FT_LOAD_RENDER) != 0 &&
        FT_Load_Glyph(face, 0, FT_LOAD_RENDER) != 0) {
        return glyph;
    }
    const FT_GlyphSlot slot = face->glyph;
    CopyCoverage(slot->bitmap, glyph);
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    glyph.advance = PixelsFrom26Dot6(slot->advance.x);
    return glyph;
}

int GlyphRasterizer::Ascender() const {
    return impl_->face ? PixelsFrom26Dot6(impl_->face->size->metrics.ascender) : 0;
}

int GlyphRasterizer::Descender() const {
    return impl_->face ? PixelsFrom26Dot6(-impl_->face->size->metrics.descender) : 0;
}

}  // namespace media
