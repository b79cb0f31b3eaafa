// GLUse, pictures: reading a picture file (BMP or JPEG by the last three letters of its name), the
// texture pass (cut to the inscribed ellipse, brightened toward the centre), shrinking a picture
// that is too large for the GL, and the textured sprite.
//
// The pass is measured on twelve-megapixel photos, so the factor of each pixel (which depends only
// on its position) is worked out once per column of a row and shared by the mirrored row and
// column: the picture is symmetric about its centre pixel.
#include "GLUsePicture.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "GLUse.h"
#include "GeomUse.h"
#include "OpenGL.h"
#include "media/Picture.h"

namespace {

std::vector<std::uint8_t> PixelBuffer;
// Photo after photo decodes into the same memory.
media::RgbPicture picture;

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The last three characters, each compared without regard to case; no dot is looked for.
bool EndsWith(const std::string& name, const char* three) {
    if (name.size() < 3) return false;
    const size_t start = name.size() - 3;
    for (size_t k = 0; k < 3; ++k)
        if (Lower(name[start + k]) != three[k]) return false;
    return true;
}

bool ReadPicture(const std::string& fileName) {
    if (fileName == "nill") return false;
    if (EndsWith(fileName, "bmp")) return media::LoadBmp(fileName, picture);
    if (EndsWith(fileName, "jpg")) return media::LoadJpeg(fileName, picture);
    return false;
}

void MakeFallback() {
    picture.width = kFallbackSide;
    picture.height = kFallbackSide;
    picture.rgb.assign(static_cast<size_t>(kFallbackSide) * kFallbackSide * 3, kFallbackGrey);
}

// Column or row k around the centre c, as a float quotient. A picture one pixel wide or high has
// c = 0: its only column (or row) counts as the centre, so no NaN reaches the pixels.
float Normalised(int centre, int k) {
    if (centre == 0) return 0.0f;
    return static_cast<float>(static_cast<double>(centre - k) / centre);
}

// The distance of (u, v) from the centre as the geometry kit computes it (long double, stored
// as float). Done in double first; only when the double result lies too close to a rounding
// boundary of float to be sure of the stored value is the exact routine asked.
float CentreDistance(float u, float v) {
    const double s = static_cast<double>(u) * u + static_cast<double>(v) * v;
    if (s == 0) return 1e-7f;
    const double r = std::sqrt(s);
    const float f = static_cast<float>(r);
    const double g = f;
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(f);
    const double neighbour = std::bit_cast<float>(r >= g ? bits + 1 : bits - 1);
    const double midpoint = (g + neighbour) / 2;
    if (std::fabs(r - midpoint) > r * 0x1p-50) return f;
    return Distance(TVec2{0, 0}, TVec2{u, v});
}

// One row's worth of per-column work: the factor as an exact fixed-point multiplier (a factor of
// at least 0.8 is a whole number of 2^-24 steps, and 255 * 2.4 * 2^24 fits in 64 bits) and the
// alpha.
struct RowPlan {
    std::vector<std::uint32_t> scale;
    std::vector<std::uint8_t> alpha;
};

constexpr std::uint32_t kUnitScale = 1u << 24;

void PlanRow(float v, int width, bool brighten, bool crop, RowPlan& plan) {
    const int hw = width / 2;
    plan.scale.resize(width);
    plan.alpha.resize(width);
    for (int l = 0; l <= hw && l < width; ++l) {
        const float d = CentreDistance(Normalised(hw, l), v);
        std::uint32_t scale = kUnitScale;
        if (brighten && d <= 1) {
            const float factor = static_cast<float>(2.4 - 1.6 * static_cast<double>(d));
            scale = static_cast<std::uint32_t>(static_cast<double>(factor) * kUnitScale);
        }
        const std::uint8_t alpha = crop && d > 1 ? 0 : 255;
        plan.scale[l] = scale;
        plan.alpha[l] = alpha;
        // Column 2hw - l sits as far right of the centre as l sits left of it.
        const int mirror = 2 * hw - l;
        if (mirror != l && mirror < width) {
            plan.scale[mirror] = scale;
            plan.alpha[mirror] = alpha;
        }
    }
}

inline std::uint8_t Scaled(std::uint8_t source, std::uint64_t scale) {
    const std::uint64_t value = (source * scale) >> 24;  // truncated toward zero
    return static_cast<std::uint8_t>(value >= 255 ? 255 : value);
}

void ApplyRow(const std::uint8_t* src, std::uint8_t* dst, int width, bool brighten,
              const RowPlan& plan) {
    const std::uint32_t* scale = plan.scale.data();
    const std::uint8_t* alpha = plan.alpha.data();
    if (!brighten) {
        for (int l = 0; l < width; ++l, src += 3, dst += 4) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
            dst[3] = alpha[l];
        }
        return;
    }
    for (int l = 0; l < width; ++l, src += 3, dst += 4) {
        const std::uint64_t s = scale[l];
        dst[0] = Scaled(src[0], s);
        dst[1] = Scaled(src[1], s);
        dst[2] = Scaled(src[2], s);
        dst[3] = alpha[l];
    }
}

// Source pixel box [from, to) of destination index k when n pixels shrink to m.
void BoxSpan(int k, int n, int m, int& from, int& to) {
    from = static_cast<int>(static_cast<long long>(k) * n / m);
    to = static_cast<int>(static_cast<long long>(k + 1) * n / m);
    if (to <= from) to = from + 1;
}

}  // namespace

void ProcessPicture(const std::uint8_t* rgb, int width, int height, bool brighten,
                    bool cropToCircle, std::vector<std::uint8_t>& rgba) {
    rgba.resize(static_cast<size_t>(width) * height * 4);
    const size_t inRow = static_cast<size_t>(width) * 3;
    const size_t outRow = static_cast<size_t>(width) * 4;
    const int hh = height / 2;
    RowPlan plan;
    // Row 2hh - i lies as far below the centre row as row i lies above it: one plan for both.
    for (int i = 0; i <= hh && i < height; ++i) {
        PlanRow(Normalised(hh, i), width, brighten, cropToCircle, plan);
        ApplyRow(rgb + i * inRow, rgba.data() + i * outRow, width, brighten, plan);
        const int mirror = 2 * hh - i;
        if (mirror != i && mirror < height)
            ApplyRow(rgb + mirror * inRow, rgba.data() + mirror * outRow, width, brighten, plan);
    }
}

const std::vector<std::uint8_t>& LoadPicturePixels(const std::string& fileName, std::int32_t& width,
                                                   std::int32_t& height, bool brighten,
                                                   bool cropToCircle) {
    // Any reading or decoding error turns the name into "nill": the grey fallback.
    if (!ReadPicture(fileName)) MakeFallback();
    width = picture.width;
    height = picture.height;
    ProcessPicture(picture.rgb.data(), width, height, brighten, cropToCircle, PixelBuffer);
    return PixelBuffer;
}

bool FitPictureToLimit(const std::vector<std::uint8_t>& rgba, int width, int height, int limit,
                       std::vector<std::uint8_t>& out, int& outWidth, int& outHeight) {
    if (limit <= 0 || (width <= limit && height <= limit)) return false;
    const double shrink = static_cast<double>(limit) / std::max(width, height);
    outWidth = std::clamp(static_cast<int>(width * shrink), 1, limit);
    outHeight = std::clamp(static_cast<int>(height * shrink), 1, limit);
    out.assign(static_cast<size_t>(outWidth) * outHeight * 4, 0);
    for (int y = 0; y < outHeight; ++y) {
        int y0, y1;
        BoxSpan(y, height, outHeight, y0, y1);
        for (int x = 0; x < outWidth; ++x) {
            int x0, x1;
            BoxSpan(x, width, outWidth, x0, x1);
            std::uint64_t sum[4] = {0, 0, 0, 0};
            for (int sy = y0; sy < y1; ++sy)
                for (int sx = x0; sx < x1; ++sx)
                    for (int c = 0; c < 4; ++c)
                        sum[c] += rgba[(static_cast<size_t>(sy) * width + sx) * 4 + c];
            const std::uint64_t count = static_cast<std::uint64_t>(y1 - y0) * (x1 - x0);
            for (int c = 0; c < 4; ++c)
                out[(static_cast<size_t>(y) * outWidth + x) * 4 + c] =
                    static_cast<std::uint8_t>(sum[c] / count);
        }
    }
    return true;
}

void DrawSprite(float x, float y, float scale, float size, float red, float green, float blue,
                float alpha) {
    if (!HasGLContext()) return;
    glColor4f(red, green, blue, alpha);
    const float cx = x * scale;
    const float cy = y * scale;
    const float h = size / 2;
    // s = 0 on the right: the picture shows mirrored left to right, upright.
    glBegin(GL_QUADS);
    glTexCoord2f(1, 1);
    glVertex2f(cx - h, cy - h);
    glTexCoord2f(0, 1);
    glVertex2f(cx + h, cy - h);
    glTexCoord2f(0, 0);
    glVertex2f(cx + h, cy + h);
    glTexCoord2f(1, 0);
    glVertex2f(cx - h, cy + h);
    glEnd();
}
