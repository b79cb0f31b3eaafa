// GLUse: the display mode, the OpenGL context with its fixed states, light and projection,
// blending, frame presentation and screenshots.
#pragma once

#include <string>

struct SDL_Window;

// The display mode asked for at start, and whether the display can give it.
struct DisplayModeRequest {
    int width = 0;
    int height = 0;
    bool granted = false;
};

// Asks for a width x height display mode on the display the pointer is on, only with --mode-switch.
// The switch itself happens when the full-screen window is shown; a refused mode leaves the desktop
// as it is.
void SetDisplayMode(int width, int height);
const DisplayModeRequest& RequestedDisplayMode();
// Puts the window in full screen on its display: at the requested mode when there is one, else at
// the desktop's own mode with the screen shown scaled.
void EnterFullScreen(SDL_Window* window);
// Returns the desktop to its own mode (the first step of shutdown).
void RestoreDisplayMode();

// Creates the context for the window, sets the initial GL states, light 0 and the projection.
// When no context can be made the program goes on without drawing. The screen (width x height) is
// shown scaled in the window; when the driver cannot scale, the screen takes the size the window
// will have and width and height say so.
void InitGL(SDL_Window* window, int& width, int& height);
void SetupProjection(int width, int height);
void EnableBlending();
void FreeGL();
// True between a successful InitGL and FreeGL.
bool HasGLContext();
// glFlush, the screen scaled into the window when it was drawn offscreen, and swap.
void PresentFrame();
// Keeps a copy of every presented frame (replays that take screenshots).
void KeepFramesForScreenshots(bool keep);
// Saves the last presented frame as a BMP file; false when there is no frame to save or the file
// cannot be written, with *error saying which.
bool SaveScreenshot(const std::string& path, std::string* error = nullptr);
