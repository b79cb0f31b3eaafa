// GLUse: display mode, context, fixed GL states and projection, presentation and screenshots.
#include "GLUse.h"

#include <SDL.h>

#include <algorithm>
#include <vector>

#include "GLUsePresent.h"
#include "OpenGL.h"
#include "WindUse.h"
#include "media/Picture.h"

namespace {

DisplayModeRequest modeRequest;
SDL_Window* glWindow = nullptr;
SDL_GLContext context = nullptr;
bool framePresented = false;
bool keepFrames = false;
int frameWidth = 0;
int frameHeight = 0;
std::vector<std::uint8_t> lastFrame;  // bottom-up RGB rows of the last presented frame

// The back buffer is undefined after a swap, so the frame is read before it, from wherever it was
// drawn: the screen's own pixels, never the scaled picture.
void KeepFrame() {
    lastFrame.resize(static_cast<size_t>(frameWidth) * frameHeight * 3);
    glReadBuffer(DrawingOffscreen() ? GL_COLOR_ATTACHMENT0 : GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, frameWidth, frameHeight, GL_RGB, GL_UNSIGNED_BYTE, lastFrame.data());
}

// Without scaling the screen is as large as the window will be: the display it covers in full
// screen (at the switched mode when there was one), the window itself otherwise.
void FillWindowWithScreen(SDL_Window* window, int& width, int& height) {
    if (runMode.windowed) {
        SDL_SetWindowResizable(window, SDL_FALSE);
        return;
    }
    SDL_Rect bounds{0, 0, 0, 0};
    if (modeRequest.granted) {
        bounds.w = modeRequest.width;
        bounds.h = modeRequest.height;
    } else if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(window)), &bounds) != 0) {
        return;
    }
    if (bounds.w > 0 && bounds.h > 0) {
        width = bounds.w;
        height = bounds.h;
    }
}

}  // namespace

void SetDisplayMode(int width, int height) {
    modeRequest = DisplayModeRequest{width, height, false};
    if (!runMode.modeSwitch || runMode.windowed || runMode.headless || !HasDisplay()) return;
    SDL_DisplayMode want{}, got{};
    want.w = width;
    want.h = height;
    modeRequest.granted = SDL_GetClosestDisplayMode(PointerDisplay(), &want, &got) != nullptr &&
                          got.w == width && got.h == height;
}

const DisplayModeRequest& RequestedDisplayMode() {
    return modeRequest;
}

void EnterFullScreen(SDL_Window* window) {
    if (modeRequest.granted) {
        SDL_DisplayMode mode{};
        mode.w = modeRequest.width;
        mode.h = modeRequest.height;
        SDL_DisplayMode closest{};
        const int display = std::max(0, SDL_GetWindowDisplayIndex(window));
        if (SDL_GetClosestDisplayMode(display, &mode, &closest) &&
            SDL_SetWindowDisplayMode(window, &closest) == 0 &&
            SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) == 0)
            return;
    }
    // No mode change: the window covers its display at the desktop's own mode, and the screen is
    // shown scaled in it.
    SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
}

void RestoreDisplayMode() {
    if (glWindow && runMode.modeSwitch && modeRequest.granted) SDL_SetWindowFullscreen(glWindow, 0);
}

void InitGL(SDL_Window* window, int& width, int& height) {
    glWindow = window;
    context = static_cast<SDL_GLContext>(SetupPixelFormat(window, 16));
    if (!context) return;
    SDL_GL_MakeCurrent(window, context);
    if (!InitScaledPresentation(width, height)) FillWindowWithScreen(window, width, height);
    frameWidth = width;
    frameHeight = height;
    glClearColor(0, 0, 0, 0);
    SetupProjection(width, height);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_POINT_SMOOTH);
    const GLfloat position[] = {2.0f, -5.0f, 3.0f, -2.0f};
    const GLfloat direction[] = {-1.0f, -1.0f, -3.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLightfv(GL_LIGHT0, GL_SPOT_DIRECTION, direction);
    glDepthFunc(GL_LESS);
}

void SetupProjection(int width, int height) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(120.0, static_cast<double>(width) / height, 0.1, 100.0);
    glOrtho(-8, 8, -8, 8, 0, 13);
    gluLookAt(0, 0, 5, 0, 0, 0, 0, 1, 0);
    glMatrixMode(GL_MODELVIEW);
}

void EnableBlending() {
    if (!context) return;
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void FreeGL() {
    if (context) {
        FreeScaledPresentation();
        SDL_GL_MakeCurrent(glWindow, nullptr);
        SDL_GL_DeleteContext(context);
    }
    context = nullptr;
    glWindow = nullptr;
    framePresented = false;
}

bool HasGLContext() {
    return context != nullptr;
}

void PresentFrame() {
    if (!context) return;
    glFlush();
    if (keepFrames) KeepFrame();
    ShowScaledScreen();
    SDL_GL_SwapWindow(glWindow);
    framePresented = true;
}

void KeepFramesForScreenshots(bool keep) {
    keepFrames = keep;
}

bool SaveScreenshot(const std::string& path, std::string* error) {
    if (!context || !framePresented || lastFrame.empty()) {
        if (error) *error = "no frame to save as \"" + path + "\" (headless or not drawn yet)";
        return false;
    }
    media::RgbPicture picture;
    picture.width = frameWidth;
    picture.height = frameHeight;
    picture.rgb.resize(lastFrame.size());
    const size_t row = static_cast<size_t>(frameWidth) * 3;
    for (int y = 0; y < frameHeight; ++y)
        std::copy_n(&lastFrame[(frameHeight - 1 - y) * row], row, &picture.rgb[y * row]);
    return media::SaveBmp(path, picture, error);
}
