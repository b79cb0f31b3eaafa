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

bool OpenSplash(int32_t x, int32_t y, int32_t width, int32_t height) {
    SplashWindow.SplashWidth = width;
    SplashWindow.SplashHeight = height;
    SplashWindow.Handle =
        SDL_CreateWindow("garbage", x, y, width, height, SDL_WINDOW_BORDERLESS | SDL_WINDOW_SHOWN);
    if (!SplashWindow.Handle) return false;
    SDL_RaiseWindow(SplashWindow.Handle);
    SDL_PumpEvents();  // lets the window system map it before the one paint
    return true;
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
    if (SplashWindow.Handle) SDL_DestroyWindow(SplashWindow.Handle);
    SplashWindow.Handle = nullptr;
}
