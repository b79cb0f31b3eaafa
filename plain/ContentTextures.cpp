// Content, textures: the nine textures made from the nine picture names under the current
// texture-processing flags, decoded on worker threads and uploaded here in slot order. A reload
// deletes the textures it replaces, so F2 may be pressed any number of times.
#include "Balls.h"
#include "Content.h"
#include "GLUse.h"
#include "GLUsePicture.h"
#include "OpenGL.h"
#include "PictureLoader.h"
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
    // "nill" gives the path garbage/nill, which is no picture name: the grey fallback.
    std::vector<std::string> files;
    for (int k = 0; k < kPictureCount; ++k)
        files.push_back(std::string(ContentFolder) + balls.pictureNames[k]);
    // Decoded on every core; uploaded here, in slot order.
    LoadPicturesInOrder(files, gameState.textureFull != 0, gameState.textureProcessing != 0,
                        PictureThreads(), [](std::size_t k, const PicturePixels& pixels) {
                            TextureSlot& slot = content.Textures[k];
                            DeleteTexture(slot);
                            std::uint32_t texture = 0;
                            CreateTexture(pixels.rgba, pixels.width, pixels.height, texture);
                            slot.name = texture;
                            slot.width = pixels.width;
                            slot.height = pixels.height;
                        });
}
