// OpenGL: pixel format and context through SDL's GL attributes.
#include "OpenGL.h"

#include <SDL.h>

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

bool CreateTexture(const std::vector<std::uint8_t>&, std::int32_t, std::int32_t,
                   std::uint32_t& texture) {
    texture = 0;
    return true;
}
