// GLUse, pictures: reading a picture file (BMP or JPEG by the last three letters of its name)
// with its grey fallback, shrinking a picture that is too large for the GL, and the textured
// sprite. The per-pixel pass lives in GLUsePicturePass.cpp.
#include "GLUsePicture.h"

#include <algorithm>
#include <cmath>

#include "GLUse.h"
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

bool ReadPicture(const std::string& fileName, media::RgbPicture& decoded) {
    if (fileName == "nill") return false;
    if (EndsWith(fileName, "bmp")) return media::LoadBmp(fileName, decoded);
    if (EndsWith(fileName, "jpg")) return media::LoadJpeg(fileName, decoded);
    return false;
}

void MakeFallback(media::RgbPicture& decoded) {
    decoded.width = kFallbackSide;
    decoded.height = kFallbackSide;
    decoded.rgb.assign(static_cast<size_t>(kFallbackSide) * kFallbackSide * 3, kFallbackGrey);
}

// Source pixel box [from, to) of destination index k when n pixels shrink to m.
void BoxSpan(int k, int n, int m, int& from, int& to) {
    from = static_cast<int>(static_cast<long long>(k) * n / m);
    to = static_cast<int>(static_cast<long long>(k + 1) * n / m);
    if (to <= from) to = from + 1;
}

}  // namespace

const std::vector<std::uint8_t>& LoadPicturePixels(const std::string& fileName, std::int32_t& width,
                                                   std::int32_t& height, bool brighten,
                                                   bool cropToCircle) {
    // Any reading or decoding error turns the name into "nill": the grey fallback.
    if (!ReadPicture(fileName, picture)) MakeFallback(picture);
    width = picture.width;
    height = picture.height;
    ProcessPicture(picture.rgb.data(), width, height, brighten, cropToCircle, PixelBuffer);
    return PixelBuffer;
}

void MakePicturePixels(const std::string& fileName, bool brighten, bool cropToCircle,
                       media::RgbPicture& decoded, PicturePixels& out) {
    if (!ReadPicture(fileName, decoded)) MakeFallback(decoded);
    out.width = decoded.width;
    out.height = decoded.height;
    ProcessPicture(decoded.rgb.data(), out.width, out.height, brighten, cropToCircle, out.rgba);
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

void SpriteVertices(float x, float y, float scale, float size, float red, float green, float blue,
                    float alpha) {
    glColor4f(red, green, blue, alpha);
    const float cx = x * scale;
    const float cy = y * scale;
    const float h = size / 2;
    // s = 0 on the right: the picture shows mirrored left to right, upright.
    glTexCoord2f(1, 1);
    glVertex2f(cx - h, cy - h);
    glTexCoord2f(0, 1);
    glVertex2f(cx + h, cy - h);
    glTexCoord2f(0, 0);
    glVertex2f(cx + h, cy + h);
    glTexCoord2f(1, 0);
    glVertex2f(cx - h, cy + h);
}

void DrawSprite(float x, float y, float scale, float size, float red, float green, float blue,
                float alpha) {
    if (!HasGLContext()) return;
    glBegin(GL_QUADS);
    SpriteVertices(x, y, scale, size, red, green, blue, alpha);
    glEnd();
}
