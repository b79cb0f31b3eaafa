// The splash window: a borderless 250 x 100 panel with the logo, shown while the game starts
// and closed by the game's init.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct SDL_Surface;
struct SDL_Window;

struct TSplashWindow {
    SDL_Window* Handle = nullptr;  // null when closed
    int32_t SplashWidth = 0;
    int32_t SplashHeight = 0;
    bool CloseRequested = false;  // the system asked to close the splash
};

// The size a bitmap file declares in its information header.
struct TBitmapDimension {
    int32_t Width = 0;
    int32_t Height = 0;
};

extern TSplashWindow SplashWindow;
extern SDL_Surface* SplashBitmap;         // the logo, null before a load or when unreadable
extern TBitmapDimension SplashDimension;  // the logo's declared size, what PaintSplash copies

// Opens and shows the splash window at (x, y); false when it cannot be made.
bool OpenSplash(int32_t x, int32_t y, int32_t width, int32_t height);

// Loads a .bmp as the splash picture. A file shorter than the two headers, or one that cannot be
// read or decoded, leaves no picture; the result says whether there is one and *error why not.
bool LoadSplash(const std::string& fileName, std::string* error = nullptr);

// Draws the panel in the frame colour and the picture's declared size of it at the top-left.
void PaintSplash();

// Sleeps `ms` while the splash is up, reading the window system's messages but handling none
// (a close request is noted by the splash's procedure).
void WaitOnSplash(uint32_t ms);

// Releases the picture and destroys the window. When the system asked to close the splash, the
// quit message is posted (an SDL_QUIT event), so the engine's loop ends as soon as it starts.
void CloseSplash();

// The splash's procedure, an SDL event watch while the splash is open: a close request for the
// splash window is noted for CloseSplash; everything else goes on as it came.
int SplashWindowProc(void* unused, union SDL_Event* event);

// The header checks of the bitmap loader: 14 bytes of file header and 40 of information header
// must be there; the width and height are the signed values at file offsets 18 and 22. No other
// field is looked at.
std::optional<TBitmapDimension> ReadBitmapDimension(const std::string& fileName,
                                                    std::string* error = nullptr);
