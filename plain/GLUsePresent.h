// GLUse, presentation: the game always draws its fixed screen (1024 x 768); this shows it scaled to
// the largest rectangle of the same shape that fits the window, centred on black, and maps the
// pointer back to screen pixels.
#pragma once

// A rectangle in window or drawable pixels, x from the left, y from the top.
struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The largest rectangle of the screen's shape inside an area, centred (whole pixels).
ScreenRect FitScreen(int screenWidth, int screenHeight, int areaWidth, int areaHeight);

// A window pixel mapped to the screen pixel shown there (outside the rectangle the numbers run on
// past the screen's edges, as a pointer off the screen would give).
void WindowToScreen(const ScreenRect& shown, int screenWidth, int screenHeight, int windowX,
                    int windowY, int& screenX, int& screenY);

// Makes the offscreen target of the screen's size. False (and a line on standard error) when the
// driver has no framebuffer objects: the game then draws straight into the window as it always did.
bool InitScaledPresentation(int screenWidth, int screenHeight);
void FreeScaledPresentation();
bool ScaledPresentationAvailable();

// Binds where this frame is drawn: the window itself when it is exactly the screen's size (or
// scaling is unavailable), else the offscreen target.
void BeginScreenFrame();
// True while the frame being drawn goes to the offscreen target.
bool DrawingOffscreen();
// Shows the offscreen frame scaled into the window, on black.
void ShowScaledScreen();

// The pointer in screen pixels from window pixels, for the current window size.
void PointerToScreen(int windowX, int windowY, int& screenX, int& screenY);
