// WindUse: SDL window, live message loop, the drift-free coalescing tick timer, the pointer, the
// message box and the key mapping.
#include "WindUse.h"

#include <SDL.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <thread>

#include "GLUse.h"
#include "GLUsePresent.h"
#include "OpenGL.h"
#include "Replay.h"

RunMode runMode;

namespace {

SDL_Window* window = nullptr;
bool quitPosted = false;
int quitCode = 0;
int cursorX = 0;
int cursorY = 0;
bool hadFocus = false;  // a window that never had the focus is never paused for losing it
std::atomic<int> quitSignal{0};

// The timer thread only raises a flag and wakes the loop; the tick itself runs on the loop's
// thread.
struct TickTimer {
    SDL_TimerID id = 0;
    TimerProc tick = nullptr;
    Uint64 start = 0;
    Uint64 frequency = 1;
    Uint64 index = 0;
    int periodMs = 20;
    std::atomic<bool> pending{false};
};
TickTimer timer;
Uint32 tickEventType = 0;

// The window icon MAINICON: 32 x 32 pixels of the 16-colour palette.
const char* const kIconRows[32] = {
#include "Icon.inc"
};

void SetWindowIcon(SDL_Window* target) {
    // The Windows 16-colour palette.
    static const Uint8 palette[16][3] = {
        {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},  {0, 0, 128}, {128, 0, 128},
        {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},    {0, 255, 0}, {255, 255, 0},
        {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormat(0, 32, 32, 32, SDL_PIXELFORMAT_RGBA32);
    if (!icon) return;
    for (int y = 0; y < 32; ++y) {
        Uint8* row = static_cast<Uint8*>(icon->pixels) + y * icon->pitch;
        for (int x = 0; x < 32; ++x) {
            const char c = kIconRows[y][x];
            const int index = c <= '9' ? c - '0' : c - 'a' + 10;
            row[x * 4 + 0] = palette[index][0];
            row[x * 4 + 1] = palette[index][1];
            row[x * 4 + 2] = palette[index][2];
            row[x * 4 + 3] = index == 0 ? 0 : 255;
        }
    }
    SDL_SetWindowIcon(target, icon);
    SDL_FreeSurface(icon);
}

Uint32 TimerCallback(Uint32, void*) {
    // Post at most one tick: a slow frame must not queue a backlog.
    if (!timer.pending.exchange(true)) {
        SDL_Event event{};
        event.type = tickEventType;
        SDL_PushEvent(&event);
    }
    // Schedule the next tick from the clock, not from this one, so errors do not add up.
    ++timer.index;
    const Uint64 now = SDL_GetPerformanceCounter();
    const double dueMs = static_cast<double>(timer.index + 1) * timer.periodMs;
    const double nowMs = static_cast<double>(now - timer.start) * 1000.0 / timer.frequency;
    double wait = dueMs - nowMs;
    if (wait < 1) {
        // Far behind (a suspended process): start the schedule again from now.
        if (wait < -10.0 * timer.periodMs) {
            timer.start = now;
            timer.index = 0;
        }
        wait = 1;
    }
    return static_cast<Uint32>(wait + 0.5);
}

void Dispatch(WindowProc procedure, const Message& message) {
    RecordMessage(message);
    procedure(message);
}

bool TranslateMouse(const SDL_Event& event, Message& message) {
    const bool down = event.type == SDL_MOUSEBUTTONDOWN;
    if (event.button.button == SDL_BUTTON_LEFT) {
        message.type = down ? MessageType::LButtonDown : MessageType::LButtonUp;
        return true;
    }
    if (event.button.button == SDL_BUTTON_RIGHT) {
        message.type = down ? MessageType::RButtonDown : MessageType::RButtonUp;
        return true;
    }
    return false;
}

bool TranslateWindowEvent(Uint8 event, Message& message) {
    switch (event) {
        case SDL_WINDOWEVENT_CLOSE:
            message.type = MessageType::Destroy;
            return true;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            hadFocus = true;
            message.type = MessageType::FocusIn;
            return true;
        case SDL_WINDOWEVENT_FOCUS_LOST:
        case SDL_WINDOWEVENT_MINIMIZED:
            message.type = MessageType::FocusOut;
            return hadFocus;
        default:
            return false;
    }
}

// Turns one SDL event into a window message; false when the window procedure has no use for it.
bool Translate(const SDL_Event& event, Message& message) {
    switch (event.type) {
        case SDL_QUIT:
            message.type = MessageType::Destroy;
            return true;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            message.type = event.type == SDL_KEYDOWN ? MessageType::KeyDown : MessageType::KeyUp;
            message.key = VirtualKeyFromSdl(event.key.keysym.sym, event.key.keysym.scancode);
            return message.key != 0;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            return TranslateMouse(event, message);
        case SDL_WINDOWEVENT:
            return TranslateWindowEvent(event.window.event, message);
        default:
            return false;
    }
}

void RunTick() {
    timer.pending.store(false);
    if (!timer.tick) return;
    int windowX = 0, windowY = 0;
    SDL_GetMouseState(&windowX, &windowY);
    PointerToScreen(windowX, windowY, cursorX, cursorY);
    RecordTick(cursorX, cursorY);
    timer.tick();
}

void HandleEvent(WindowProc procedure, const SDL_Event& event) {
    if (event.type == tickEventType && tickEventType != 0) {
        RunTick();
        return;
    }
    Message message;
    if (Translate(event, message)) Dispatch(procedure, message);
}

// A quit signal: the input that arrived before it still reaches the game (and the recording),
// then the window closes as the player would close it.
void EndOnSignal(WindowProc procedure) {
    SDL_Event event;
    while (!quitPosted && SDL_PollEvent(&event))
        if (event.type != tickEventType) HandleEvent(procedure, event);
    if (!quitPosted) Dispatch(procedure, Message{MessageType::Destroy, 0});
}

}  // namespace

SDL_Window* MainWindow() {
    return window;
}

bool HasDisplay() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver) return false;
    return std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
}

void GetVirtualScreenSize(int& width, int& height) {
    width = 1024;
    height = 768;
}

int PointerDisplay() {
    int x = 0, y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    const SDL_Point at{x, y};
    for (int i = 0; i < SDL_GetNumVideoDisplays(); ++i) {
        SDL_Rect bounds;
        if (SDL_GetDisplayBounds(i, &bounds) == 0 && SDL_PointInRect(&at, &bounds)) return i;
    }
    return 0;
}

void CatchHangupAndQuitSignals() {
    quitSignal = 0;
    // The four signals are blocked in every thread (the threads SDL, the sound and GL start later
    // inherit the mask) and taken by one thread that only raises the flag: a handler running on a
    // thread in the middle of an X call would make that call fail with EINTR, which Xlib takes for
    // a lost connection.
    sigset_t set;
    sigemptyset(&set);
    for (int signalNumber : {SIGHUP, SIGINT, SIGQUIT, SIGTERM})
        sigaddset(&set, signalNumber);
    if (pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0) return;
    std::thread([set] {
        for (;;) {
            int signalNumber = 0;
            if (sigwait(&set, &signalNumber) == 0) quitSignal = 1;
        }
    }).detach();
}

bool QuitSignalled() {
    return quitSignal != 0;
}

int CreateMainWindow(WindowProc windowProcedure, int width, int height,
                     const std::function<int()>& loop) {
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    flags |=
        runMode.windowed ? SDL_WINDOW_RESIZABLE : SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP;
    // On the display the pointer is on. Full screen covers that one display; the window is made
    // its size already, as a bare X server without a window manager would not resize it.
    const int display = PointerDisplay();
    SDL_Rect bounds{0, 0, width, height};
    if (runMode.windowed || SDL_GetDisplayBounds(display, &bounds) != 0) {
        bounds = SDL_Rect{static_cast<int>(SDL_WINDOWPOS_CENTERED_DISPLAY(display)),
                          static_cast<int>(SDL_WINDOWPOS_CENTERED_DISPLAY(display)), width, height};
    }
    RequestPixelFormat(16);
    window = SDL_CreateWindow("Match 3 game", bounds.x, bounds.y, bounds.w, bounds.h, flags);
    if (!window) {
        ShowMessageBox(std::string("The window cannot be created: ") + SDL_GetError(), "Error");
        return 1;
    }
    SetWindowIcon(window);
    // The window's own pointer is the cross; the game hides it and draws its own.
    static SDL_Cursor* cross = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_CROSSHAIR);
    if (cross) SDL_SetCursor(cross);
    if (!runMode.windowed) EnterFullScreen(window);
    windowProcedure(Message{MessageType::Create, 0});
    SDL_ShowWindow(window);
    if (loop) {
        const int code = loop();
        SDL_DestroyWindow(window);
        window = nullptr;
        return code;
    }
    SDL_Event event;
    while (!quitPosted && SDL_WaitEvent(&event)) {
        HandleEvent(windowProcedure, event);
        if (QuitSignalled() && !quitPosted) EndOnSignal(windowProcedure);
    }
    SDL_DestroyWindow(window);
    window = nullptr;
    return quitCode;
}

int SetTimer(int periodMs, TimerProc tick) {
    timer.tick = tick;
    if (runMode.replaying) return 1;  // a replay runs its ticks itself
    if (tickEventType == 0) tickEventType = SDL_RegisterEvents(1);
    timer.periodMs = periodMs;
    timer.frequency = SDL_GetPerformanceFrequency();
    timer.start = SDL_GetPerformanceCounter();
    timer.index = 0;
    timer.pending.store(false);
    timer.id = SDL_AddTimer(static_cast<Uint32>(periodMs), TimerCallback, nullptr);
    return static_cast<int>(timer.id);
}

void KillTimer(int) {
    if (timer.id != 0) SDL_RemoveTimer(timer.id);
    timer.id = 0;
    timer.tick = nullptr;
}

void PostQuitMessage(int exitCode) {
    quitPosted = true;
    quitCode = exitCode;
}

bool QuitPosted() {
    return quitPosted;
}

void GetCursorPos(int& x, int& y) {
    x = cursorX;
    y = cursorY;
}

void SetReplayCursorPos(int x, int y) {
    cursorX = x;
    cursorY = y;
}

void ShowCursor(bool show) {
    if (window) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void ShowMessageBox(const std::string& text, const std::string& caption) {
    if (!runMode.replaying && !runMode.headless && HasDisplay() &&
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), text.c_str(), window) == 0)
        return;
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

namespace {

bool IsLatinLetter(std::int32_t sdlKey) {
    return sdlKey >= SDLK_a && sdlKey <= SDLK_z;
}

// The key's position gives Q, W or ~ only when the layout prints no Latin letter on it.
int VirtualKeyFromPosition(std::int32_t sdlKey, std::uint16_t scancode) {
    if (IsLatinLetter(sdlKey)) return 0;
    if (scancode == SDL_SCANCODE_Q) return 81;
    if (scancode == SDL_SCANCODE_W) return 87;
    if (scancode == SDL_SCANCODE_GRAVE) return 192;
    return 0;
}

}  // namespace

int VirtualKeyFromSdl(std::int32_t sdlKey, std::uint16_t scancode) {
    switch (sdlKey) {
        case SDLK_ESCAPE:
            return 27;
        case SDLK_F1:
            return 112;
        case SDLK_F2:
            return 113;
        case SDLK_F3:
            return 114;
        case SDLK_F4:
            return 115;
        case SDLK_q:
            return 81;
        case SDLK_w:
            return 87;
        case SDLK_BACKQUOTE:
            return 192;
        default:
            return VirtualKeyFromPosition(sdlKey, scancode);
    }
}
