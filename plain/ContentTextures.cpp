// Content, textures: the nine textures made from the nine picture names under the current
// texture-processing flags. A reload deletes the textures it replaces, so F2 may be pressed any
// number of times.
#include "Balls.h"
#include "Content.h"
#include "GLUse.h"
#include "GLUsePicture.h"
#include "OpenGL.h"
#include "Zodav.h"

namespace {

void DeleteTexture(TextureSlot& slot) {
    if (slot.name != 0 && HasGLContext()) {
        const GLuint name = slot.name;
        glDeleteTextures(1, &name);
    }
    slot.name = 0;
}

}  // namespace

void LoadTextures() {
    for (int k = 0; k < kPictureCount; ++k) {
        TextureSlot& slot = content.Textures[k];
        // "nill" gives the path garbage/nill, which is no picture name: the grey fallback.
        std::int32_t width = 0, height = 0;
        const std::vector<std::uint8_t>& pixels =
            LoadPicturePixels(std::string(ContentFolder) + balls.pictureNames[k], width, height,
                              gameState.textureFull != 0, gameState.textureProcessing != 0);
        DeleteTexture(slot);
        std::uint32_t texture = 0;
        CreateTexture(pixels, width, height, texture);
        slot.name = texture;
        slot.width = width;
        slot.height = height;
    }
}
