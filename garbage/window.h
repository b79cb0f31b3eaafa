// The game's main window: created hidden, borderless and top-most at the centre of the screen,
// attached to the engine, shown by the game's init; Esc and close requests end the game.
#pragma once

#include <cstdint>

struct SDL_Surface;
struct SDL_Window;

extern SDL_Window* GameWindow;  // null when headless or destroyed
extern int32_t GameWindowWidth;
extern int32_t GameWindowHeight;
extern bool QuitRequested;  // Esc was pressed; the next update destroys the window

// The window's caption and the name of its class.
inline constexpr const char* kGameCaption = "Scrapfall | Velmora";

// Left or top edge that centres a window of `size` on a screen of `screen` pixels; the half is
// cut toward zero, so a screen narrower than the window gives a negative edge.
int32_t CentredEdge(int32_t screen, int32_t size);

// The size of the part of the main display that windows may use (without panels and docks);
// false when SDL cannot tell (no display).
bool UsableDisplayArea(int32_t* width, int32_t* height);

// Creates the hidden main window of GameWindowWidth x GameWindowHeight and hands it to the
// engine with the window procedure. Headless only the size is given to the engine. False (and
// logged) when no window with a GL context can be made: there would be no way to play or quit.
bool CreateGameWindow(bool headless);

// Destroys the main window; its destruction tells the engine to quit.
void DestroyGameWindow();

// The main window's procedure: Esc sets QuitRequested; destruction, close requests and the
// system's end-of-session ask the engine to quit.
void GameWindowProc(uint32_t msg, uint32_t wParam, uint32_t lParam);

// The program's own icon "MAINICON": 32 x 32 pixels in 16 colours with transparency, as an
// RGBA surface (the caller frees it).
SDL_Surface* MakeMainIcon();
