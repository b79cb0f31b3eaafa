// GLUse, presentation: the screen drawn into an offscreen target (a framebuffer object with a
// texture) and shown as one textured quad scaled into the window, centred on black; the pointer
// mapped back. When the window is exactly the screen's size the frame goes straight to the window,
// so those pixels are the very ones drawn.
#include "GLUsePresent.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "GLUse.h"
#include "OpenGL.h"

namespace {

// The framebuffer-object calls: core since OpenGL 3.0, earlier through the EXT or ARB extension,
// with the same signatures and constants.
struct FramebufferCalls {
    PFNGLGENFRAMEBUFFERSPROC gen = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC remove = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bind = nullptr;
    PFNGLFRAMEBUFFERTEXTURE2DPROC attach = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC status = nullptr;
};

struct Presentation {
    FramebufferCalls calls;
    GLuint framebuffer = 0;
    GLuint texture = 0;
    int textureSide = 0;  // a power of two, so that OpenGL 1.1 takes it
    int screenWidth = 1024;
    int screenHeight = 768;
    bool available = false;
    bool offscreen = false;  // the frame being drawn goes to the framebuffer
};
Presentation present;

template <typename T>
T Lookup(const char* name) {
    return reinterpret_cast<T>(SDL_GL_GetProcAddress(name));
}

bool LoadCalls(FramebufferCalls& calls) {
    const bool core = SDL_GL_ExtensionSupported("GL_ARB_framebuffer_object") ||
                      (glGetString(GL_VERSION) && glGetString(GL_VERSION)[0] >= '3');
    const bool ext = SDL_GL_ExtensionSupported("GL_EXT_framebuffer_object");
    if (!core && !ext) return false;
    const char* suffix = core ? "" : "EXT";
    auto name = [&](const char* base) {
        static char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%s%s", base, suffix);
        return buffer;
    };
    calls.gen = Lookup<PFNGLGENFRAMEBUFFERSPROC>(name("glGenFramebuffers"));
    calls.remove = Lookup<PFNGLDELETEFRAMEBUFFERSPROC>(name("glDeleteFramebuffers"));
    calls.bind = Lookup<PFNGLBINDFRAMEBUFFERPROC>(name("glBindFramebuffer"));
    calls.attach = Lookup<PFNGLFRAMEBUFFERTEXTURE2DPROC>(name("glFramebufferTexture2D"));
    calls.status = Lookup<PFNGLCHECKFRAMEBUFFERSTATUSPROC>(name("glCheckFramebufferStatus"));
    return calls.gen && calls.remove && calls.bind && calls.attach && calls.status;
}

int PowerOfTwoAtLeast(int n) {
    int side = 1;
    while (side < n)
        side *= 2;
    return side;
}

bool MakeTarget() {
    present.textureSide = PowerOfTwoAtLeast(std::max(present.screenWidth, present.screenHeight));
    glGenTextures(1, &present.texture);
    glBindTexture(GL_TEXTURE_2D, present.texture);
    // Smooth scaling; at scale 1 each pixel is sampled at its centre and comes out unchanged.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, present.textureSide, present.textureSide, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    present.calls.gen(1, &present.framebuffer);
    present.calls.bind(GL_FRAMEBUFFER, present.framebuffer);
    present.calls.attach(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, present.texture, 0);
    const bool complete = present.calls.status(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    present.calls.bind(GL_FRAMEBUFFER, 0);
    return complete && glGetError() == GL_NO_ERROR;
}

void DrawableSize(int& width, int& height) {
    width = height = 0;
    if (SDL_Window* window = SDL_GL_GetCurrentWindow())
        SDL_GL_GetDrawableSize(window, &width, &height);
}

// The quad of the screen's texture over the rectangle, lighting and blending off for it only.
void DrawScreenQuad(const ScreenRect& shown, int width, int height) {
    const double left = 2.0 * shown.x / width - 1.0;
    const double right = 2.0 * (shown.x + shown.width) / width - 1.0;
    const double top = 1.0 - 2.0 * shown.y / height;
    const double bottom = 1.0 - 2.0 * (shown.y + shown.height) / height;
    const double s = static_cast<double>(present.screenWidth) / present.textureSide;
    const double t = static_cast<double>(present.screenHeight) / present.textureSide;
    glBegin(GL_QUADS);
    glTexCoord2d(0, 0);
    glVertex2d(left, bottom);
    glTexCoord2d(s, 0);
    glVertex2d(right, bottom);
    glTexCoord2d(s, t);
    glVertex2d(right, top);
    glTexCoord2d(0, t);
    glVertex2d(left, top);
    glEnd();
}

}  // namespace

ScreenRect FitScreen(int screenWidth, int screenHeight, int areaWidth, int areaHeight) {
    ScreenRect shown;
    if (screenWidth <= 0 || screenHeight <= 0 || areaWidth <= 0 || areaHeight <= 0) return shown;
    // Compare the shapes in whole numbers: the side that limits the scale takes the whole area.
    if (static_cast<long long>(areaWidth) * screenHeight <=
        static_cast<long long>(areaHeight) * screenWidth) {
        shown.width = areaWidth;
        shown.height = static_cast<int>(
            std::lround(static_cast<double>(areaWidth) * screenHeight / screenWidth));
    } else {
        shown.height = areaHeight;
        shown.width = static_cast<int>(
            std::lround(static_cast<double>(areaHeight) * screenWidth / screenHeight));
    }
    shown.x = (areaWidth - shown.width) / 2;
    shown.y = (areaHeight - shown.height) / 2;
    return shown;
}

void WindowToScreen(const ScreenRect& shown, int screenWidth, int screenHeight, int windowX,
                    int windowY, int& screenX, int& screenY) {
    if (shown.width <= 0 || shown.height <= 0) {
        screenX = windowX;
        screenY = windowY;
        return;
    }
    // The screen pixel whose area holds the window pixel's centre.
    screenX = static_cast<int>(
        std::floor((windowX - shown.x + 0.5) * screenWidth / static_cast<double>(shown.width)));
    screenY = static_cast<int>(
        std::floor((windowY - shown.y + 0.5) * screenHeight / static_cast<double>(shown.height)));
}

bool InitScaledPresentation(int screenWidth, int screenHeight) {
    present = Presentation{};
    present.screenWidth = screenWidth;
    present.screenHeight = screenHeight;
    while (glGetError() != GL_NO_ERROR) {
    }
    present.available = LoadCalls(present.calls) && MakeTarget();
    if (!present.available) {
        std::fprintf(
            stderr,
            "zodav: this OpenGL driver cannot draw offscreen (no framebuffer objects); the "
            "game fills the window at its own size instead of a scaled %d x %d screen\n",
            screenWidth, screenHeight);
        FreeScaledPresentation();
    }
    return present.available;
}

void FreeScaledPresentation() {
    if (present.framebuffer && present.calls.remove) present.calls.remove(1, &present.framebuffer);
    if (present.texture) glDeleteTextures(1, &present.texture);
    present.framebuffer = 0;
    present.texture = 0;
    present.available = false;
    present.offscreen = false;
}

bool ScaledPresentationAvailable() {
    return present.available;
}

void BeginScreenFrame() {
    present.offscreen = false;
    // Without scaling the screen is the window, with the viewport the projection set up.
    if (!present.available) return;
    int width = 0, height = 0;
    DrawableSize(width, height);
    present.offscreen = width != present.screenWidth || height != present.screenHeight;
    present.calls.bind(GL_FRAMEBUFFER, present.offscreen ? present.framebuffer : 0);
    glViewport(0, 0, present.screenWidth, present.screenHeight);
}

bool DrawingOffscreen() {
    return present.offscreen;
}

void ShowScaledScreen() {
    if (!present.offscreen) return;
    int width = 0, height = 0;
    DrawableSize(width, height);
    present.calls.bind(GL_FRAMEBUFFER, 0);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glViewport(0, 0, width, height);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, present.texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    DrawScreenQuad(FitScreen(present.screenWidth, present.screenHeight, width, height), width,
                   height);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

void PointerToScreen(int windowX, int windowY, int& screenX, int& screenY) {
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    int width = 0, height = 0;
    if (window) SDL_GetWindowSize(window, &width, &height);
    if (!present.available || width <= 0 || height <= 0) {
        screenX = windowX;
        screenY = windowY;
        return;
    }
    WindowToScreen(FitScreen(present.screenWidth, present.screenHeight, width, height),
                   present.screenWidth, present.screenHeight, windowX, windowY, screenX, screenY);
}
