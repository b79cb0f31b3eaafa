// GLUse, pictures: the texture pass and the sprite.
#include "GLUsePicture.h"

namespace {
std::vector<std::uint8_t> PixelBuffer;
}

const std::vector<std::uint8_t>& LoadPicturePixels(const std::string&, std::int32_t& width,
                                                   std::int32_t& height, bool, bool) {
    width = 128;
    height = 128;
    PixelBuffer.assign(static_cast<size_t>(width) * height * 4, 128);
    return PixelBuffer;
}

void DrawSprite(float, float, float, float, float, float, float, float) {}
