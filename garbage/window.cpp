// The game's main window: created hidden, borderless and top-most at the centre of the screen,
// attached to the engine, shown by the game's init; Esc and close requests end the game.
// Also the program's icon, kept here as 16-colour pixel data.
#include "window.h"

#include <SDL.h>

#include <array>

#include "eXgine_binding.h"

SDL_Window* GameWindow = nullptr;
int32_t GameWindowWidth = 0;
int32_t GameWindowHeight = 0;
bool QuitRequested = false;

namespace {

// MAINICON: a rubbish bin on wheels under the sun, a falling piece beside it. One hex digit per
// pixel in the 16-colour palette below, "." transparent.
constexpr std::array<const char*, 32> kIconRows = {
    ".........................E......", ".........................E......",
    "...DDDDDDD...........E.......E..", "...D99999D...............E......",
    "...D99999D.............EEEEE....", "...D99999D.............EEEEE....",
    "...D99999D.........EE.EEEEEEE.EE", "...D99999D.............EEEEE....",
    "...DDDDDDD.............EEEEE....", ".........................E......",
    ".....................E.......E..", "......00000000000000000000......",
    ".....0777777777777777777770.....", "......008FFF8FFF8FFF8FFF00......",
    ".......08FFF8FFF8FFF8FFF0.......", ".......08F778F778F778FFF0.......",
    ".......08F778F778F778FFF0.......", ".......08F778F778F778FFF0.......",
    ".......08F778F778F778FFF0.......", ".......08F778F778F778FFF0.......",
    ".......08F778F778F778FFF0.......", ".......08F778F778F778FFF0.......",
    ".......08F778F778F778FFF0.......", ".......08F778F778F778FFF0.......",
    ".......08F778F778F778FFF0.......", ".......0000F8FFF8FFF8FFF0.......",
    ".......00F000000000000000.......", "......00FFF00...........0.......",
    "......0FF0FF0..........0F0......", "......00FFF00.........0FFF0.....",
    ".......00F00...........0F0......", "........000.............0.......",
};

// The classic 16-colour palette, 0xRRGGBB.
constexpr std::array<uint32_t, 16> kIconPalette = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
    0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};

int PaletteIndex(char c) {
    return c <= '9' ? c - '0' : c - 'A' + 10;
}

}  // namespace

int32_t CentredEdge(int32_t screen, int32_t size) {
    return (screen - size) / 2;  // integer division cuts toward zero
}

SDL_Surface* MakeMainIcon() {
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormat(0, 32, 32, 32, SDL_PIXELFORMAT_RGBA32);
    if (!icon) return nullptr;
    for (int y = 0; y < 32; ++y) {
        auto* row = reinterpret_cast<uint8_t*>(icon->pixels) + y * icon->pitch;
        for (int x = 0; x < 32; ++x) {
            char c = kIconRows[size_t(y)][x];
            uint32_t rgb = c == '.' ? 0 : kIconPalette[size_t(PaletteIndex(c))];
            row[x * 4 + 0] = uint8_t(rgb >> 16);
            row[x * 4 + 1] = uint8_t(rgb >> 8);
            row[x * 4 + 2] = uint8_t(rgb);
            row[x * 4 + 3] = c == '.' ? 0 : 255;
        }
    }
    return icon;
}

bool UsableDisplayArea(int32_t* width, int32_t* height) {
    SDL_Rect area{};
    if (SDL_GetDisplayUsableBounds(0, &area) != 0 || area.w <= 0 || area.h <= 0) return false;
    *width = area.w;
    *height = area.h;
    return true;
}

bool CreateGameWindow(bool headless) {
    const int32_t x = CentredEdge(WindowHost->ScreenWidth(), GameWindowWidth);
    const int32_t y = CentredEdge(WindowHost->ScreenHeight(), GameWindowHeight);
    WindowHost->SetWindowProc(GameWindowProc);
    if (headless) {
        WindowHost->CreateWindow(kGameCaption, x, y, GameWindowWidth, GameWindowHeight);
        GameWindow = nullptr;
        return true;
    }
    const Uint32 flags =
        SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALWAYS_ON_TOP;
    GameWindow = SDL_CreateWindow(kGameCaption, x, y, GameWindowWidth, GameWindowHeight, flags);
    if (!GameWindow) {
        GameLog(std::string("cannot create the main window: ") + SDL_GetError());
        return false;
    }
    if (SDL_Surface* icon = MakeMainIcon()) {
        SDL_SetWindowIcon(GameWindow, icon);
        SDL_FreeSurface(icon);
    }
    if (WindowHost->AttachWindow(GameWindow)) return true;
    GameLog("the engine cannot draw into the main window (see log.txt)");
    SDL_DestroyWindow(GameWindow);
    GameWindow = nullptr;
    return false;
}

void DestroyGameWindow() {
    WindowHost->DestroyWindow();
    GameWindow = nullptr;
}

void GameWindowProc(uint32_t msg, uint32_t wParam, uint32_t) {
    switch (msg) {
        case ExWmDestroy:
        case ExWmClose:
        case ExWmQueryEndSession:
            Core->Quit();
            break;
        case ExWmKeyDown:
            if (wParam == ExVkEscape) QuitRequested = true;
            break;
        default:
            break;
    }
}
