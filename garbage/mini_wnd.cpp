// The splash window: a borderless 250 x 100 panel with the logo, shown while the game starts
// and closed by the game's init. A logo that cannot be read leaves a plain panel.
#include "mini_wnd.h"

#include <SDL.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>

#include "media/Picture.h"

TSplashWindow SplashWindow;
SDL_Surface* SplashBitmap = nullptr;
TBitmapDimension SplashDimension;

namespace {

constexpr uint8_t kFrameRed = 255, kFrameGreen = 224, kFrameBlue = 144;  // the game's frame
// How long the splash sleeps between readings of the window system's messages.
constexpr uint32_t kSplashPumpMs = 20;

int32_t LittleEndian32(const unsigned char* p) {
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                   uint32_t(p[3]) << 24);
}

SDL_Surface* SurfaceFrom(const media::RgbPicture& picture) {
    SDL_Surface* s =
        SDL_CreateRGBSurfaceWithFormat(0, picture.width, picture.height, 24, SDL_PIXELFORMAT_RGB24);
    if (!s) return nullptr;
    const std::size_t rowBytes = std::size_t(picture.width) * 3;
    for (int y = 0; y < picture.height; ++y)
        std::copy_n(picture.rgb.data() + std::size_t(y) * rowBytes, rowBytes,
                    static_cast<uint8_t*>(s->pixels) + y * s->pitch);
    return s;
}

}  // namespace

std::optional<TBitmapDimension> ReadBitmapDimension(const std::string& fileName,
                                                    std::string* error) {
    // Only plain files (or links to them): opening a pipe would wait for a writer.
    struct stat st {};
    if (::stat(fileName.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        if (error) *error = "\"" + fileName + "\" is not a plain file";
        return std::nullopt;
    }
    std::FILE* f = std::fopen(fileName.c_str(), "rb");
    if (!f) {
        if (error) *error = "cannot open \"" + fileName + "\"";
        return std::nullopt;
    }
    unsigned char header[54];
    const std::size_t got = std::fread(header, 1, sizeof header, f);
    std::fclose(f);
    if (got < 54) {
        if (error) *error = "\"" + fileName + "\" is shorter than a bitmap's two headers";
        return std::nullopt;
    }
    return TBitmapDimension{LittleEndian32(header + 18), LittleEndian32(header + 22)};
}

int SplashWindowProc(void*, SDL_Event* event) {
    if (event->type == SDL_WINDOWEVENT && event->window.event == SDL_WINDOWEVENT_CLOSE &&
        SplashWindow.Handle && event->window.windowID == SDL_GetWindowID(SplashWindow.Handle))
        SplashWindow.CloseRequested = true;
    return 1;
}

bool OpenSplash(int32_t x, int32_t y, int32_t width, int32_t height) {
    SplashWindow.SplashWidth = width;
    SplashWindow.SplashHeight = height;
    SplashWindow.CloseRequested = false;
    SplashWindow.Handle =
        SDL_CreateWindow("garbage", x, y, width, height, SDL_WINDOW_BORDERLESS | SDL_WINDOW_SHOWN);
    if (!SplashWindow.Handle) return false;
    SDL_AddEventWatch(SplashWindowProc, nullptr);
    SDL_RaiseWindow(SplashWindow.Handle);
    SDL_PumpEvents();  // lets the window system map it before the one paint
    return true;
}

void WaitOnSplash(uint32_t ms) {
    // The window system's messages are read while we wait, so that a close request reaches the
    // splash's procedure before the window is gone; they stay queued for the engine's loop.
    const uint32_t start = SDL_GetTicks();
    for (uint32_t waited = 0; waited < ms; waited = SDL_GetTicks() - start) {
        SDL_PumpEvents();
        SDL_Delay(std::min<uint32_t>(ms - waited, kSplashPumpMs));
    }
}

bool LoadSplash(const std::string& fileName, std::string* error) {
    if (SplashBitmap) SDL_FreeSurface(SplashBitmap);
    SplashBitmap = nullptr;
    SplashDimension = {};
    std::optional<TBitmapDimension> dimension = ReadBitmapDimension(fileName, error);
    if (!dimension) return false;
    media::RgbPicture picture;
    std::string why;
    if (!media::LoadBmp(fileName, picture, &why)) {
        if (error) *error = "cannot read \"" + fileName + "\": " + why;
        return false;
    }
    SplashBitmap = SurfaceFrom(picture);
    SplashDimension = *dimension;
    return SplashBitmap != nullptr;
}

void PaintSplash() {
    SDL_Surface* screen = SplashWindow.Handle ? SDL_GetWindowSurface(SplashWindow.Handle) : nullptr;
    if (!screen) return;
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, kFrameRed, kFrameGreen, kFrameBlue));
    if (SplashBitmap) {
        // The declared size says how much is copied; a header that claims more than the picture
        // holds copies only what is there. A negative height marks a top-down file.
        const int64_t height = SplashDimension.Height;
        SDL_Rect area{0, 0, std::min(SplashDimension.Width, SplashBitmap->w),
                      int(std::min<int64_t>(height < 0 ? -height : height, SplashBitmap->h))};
        if (area.w > 0 && area.h > 0) SDL_BlitSurface(SplashBitmap, &area, screen, &area);
    }
    SDL_UpdateWindowSurface(SplashWindow.Handle);
}

void CloseSplash() {
    if (SplashBitmap) SDL_FreeSurface(SplashBitmap);
    SplashBitmap = nullptr;
    if (!SplashWindow.Handle) return;
    SDL_PumpEvents();  // a close request that came while the game loaded
    SDL_DelEventWatch(SplashWindowProc, nullptr);
    SDL_DestroyWindow(SplashWindow.Handle);
    SplashWindow.Handle = nullptr;
    // The quit message: the engine's loop ends as soon as it starts. SDL itself sends one when
    // the splash was the only window, and one is enough.
    if (SplashWindow.CloseRequested && !SDL_HasEvent(SDL_QUIT)) {
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
    }
}
