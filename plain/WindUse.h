// WindUse: the main window and the message loop of the ball game's one thread, on SDL2.
// Window messages reach the game's window procedure as `Message` values; the 20 ms timer posts a
// tick that the loop runs on this thread. Input comes live (SDL) or from a replay script; the rules
// cannot tell the two apart.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct SDL_Window;

enum class MessageType {
    Create,
    Destroy,
    KeyDown,
    KeyUp,
    Activate,
    LButtonDown,
    LButtonUp,
    RButtonDown,
    RButtonUp,
    FocusOut,  // the window lost the input focus it had, or was minimised
    FocusIn,   // the window got the input focus
};

struct Message {
    MessageType type = MessageType::Create;
    int key = 0;  // virtual-key code of KeyDown and KeyUp
};

using WindowProc = int (*)(const Message&);
using TimerProc = void (*)();

// How the program runs, from the command line.
struct RunMode {
    bool windowed = false;    // a resizable window instead of full screen
    bool modeSwitch = false;  // full screen switches the display to the screen's own mode
    bool headless = false;    // replay without window, GL context or audio device
    bool replaying = false;
};

extern RunMode runMode;

// The main window, or null when headless.
SDL_Window* MainWindow();

// True when SDL has a real display (not the offscreen or dummy video drivers).
bool HasDisplay();

// The size of the screen the game draws: always 1024 x 768, shown scaled in the window.
void GetVirtualScreenSize(int& width, int& height);

// The display the pointer is on (the game's window opens there), 0 when unknown.
int PointerDisplay();

// SIGHUP, SIGINT, SIGQUIT and SIGTERM all end the game in order: the loop and the replay driver
// see the request and shut down as the window's close would. Call before SDL starts any thread.
void CatchHangupAndQuitSignals();
bool QuitSignalled();

// Creates the window (the window procedure gets Create inside this call), shows it and runs the
// message loop: the live loop until the quit message, or `loop` in its place (a replay). Returns
// the exit code.
int CreateMainWindow(WindowProc windowProcedure, int width, int height,
                     const std::function<int()>& loop = {});

// The window-less timer: calls `tick` from the loop every `periodMs`, scheduled from the clock so
// that it does not drift; ticks coalesce (at most one pending). Returns an identifier.
int SetTimer(int periodMs, TimerProc tick);
void KillTimer(int id);

// The quit message: the loop ends with this exit code once the current message is handled.
void PostQuitMessage(int exitCode);
bool QuitPosted();

// The pointer in screen pixels, as it stood when the current tick was dispatched.
void GetCursorPos(int& x, int& y);
// Replays set the pointer here.
void SetReplayCursorPos(int x, int y);

// The system pointer hidden (false) or shown (true).
void ShowCursor(bool show);

// One message box for the whole program: SDL's box in a live run with a display, standard error
// otherwise, so that a replay or a headless run never blocks.
void ShowMessageBox(const std::string& text, const std::string& caption);

// Maps an SDL key code to a Windows virtual-key code (0 when the game has no use for it). Q, W and
// ~ go by what the layout prints on the key when that is a Latin letter (so AZERTY's A is not Q),
// and by the key's position only when it prints none (Cyrillic and other layouts).
int VirtualKeyFromSdl(std::int32_t sdlKey, std::uint16_t scancode);
