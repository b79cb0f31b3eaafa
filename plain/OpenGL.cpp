// OpenGL: pixel format and context through SDL's GL attributes, and the texture made from a
// picture's RGBA rows.
#include "OpenGL.h"

#include <SDL.h>

#include <cstdlib>

#include "GLUse.h"
#include "GLUsePicture.h"
#include "WindUse.h"

namespace {
bool formatAccepted = false;
}

void RequestPixelFormat(std::uint8_t bits) {
    const int channel = bits >= 24 ? 8 : 5;
    bool ok = SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channel) == 0;
    ok = ok && SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, channel) == 0;
    ok = ok && SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channel) == 0;
    ok = ok && SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, bits) == 0;
    ok = ok && SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1) == 0;
    ok = ok && SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0) == 0;
    formatAccepted = ok;
}

void* SetupPixelFormat(SDL_Window* window, std::uint8_t) {
    if (!formatAccepted || !window || !(SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL)) {
        ShowMessageBox("ChoosePixelFormat failed", "Error");
        return nullptr;
    }
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context) {
        ShowMessageBox("SetPixelFormat failed", "Error");
        return nullptr;
    }
    return context;
}

bool CreateTexture(const std::vector<std::uint8_t>& pixels, std::int32_t width, std::int32_t height,
                   std::uint32_t& texture) {
    if (static_cast<long long>(width) * height == 0) {
        ShowMessageBox("Unable to generate ", "Generate Textures");
        std::exit(1);
    }
    texture = 0;
    if (!HasGLContext()) return true;
    // A picture larger than the GL's largest texture would silently give none: shrink it first.
    GLint limit = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limit);
    std::vector<std::uint8_t> fitted;
    int fittedWidth = width, fittedHeight = height;
    const bool shrunk =
        FitPictureToLimit(pixels, width, height, limit, fitted, fittedWidth, fittedHeight);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    // Rows are packed without padding.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, fittedWidth, fittedHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 shrunk ? fitted.data() : pixels.data());
    texture = name;
    return true;
}
