// WindUse: SDL window, live message loop, the drift-free coalescing tick timer, the pointer, the
// message box and the key mapping.
#include "WindUse.h"

#include <SDL.h>

#include <atomic>
#include <cstdio>
#include <cstring>

#include "GLUse.h"
#include "OpenGL.h"
#include "Replay.h"

RunMode runMode;

namespace {

SDL_Window* window = nullptr;
bool quitPosted = false;
int quitCode = 0;
int cursorX = 0;
int cursorY = 0;

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
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
                message.type = MessageType::Destroy;
                return true;
            }
            return false;
        default:
            return false;
    }
}

void RunTick() {
    timer.pending.store(false);
    if (!timer.tick) return;
    SDL_GetMouseState(&cursorX, &cursorY);
    RecordTick(cursorX, cursorY);
    timer.tick();
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
    if (runMode.windowed || runMode.headless || !HasDisplay()) {
        width = 1024;
        height = 768;
        return;
    }
    SDL_Rect all{0, 0, 0, 0};
    for (int i = 0; i < SDL_GetNumVideoDisplays(); ++i) {
        SDL_Rect bounds;
        if (SDL_GetDisplayBounds(i, &bounds) != 0) continue;
        SDL_UnionRect(&all, &bounds, &all);
    }
    const DisplayModeRequest& mode = RequestedDisplayMode();
    // The switch happens when the full-screen window appears; until then the size it will have.
    width = mode.granted ? mode.width : all.w;
    height = mode.granted ? mode.height : all.h;
    if (width <= 0 || height <= 0) {
        width = 1024;
        height = 768;
    }
}

int CreateMainWindow(WindowProc windowProcedure, int width, int height,
                     const std::function<int()>& loop) {
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (!runMode.windowed) flags |= SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP;
    const int x = runMode.windowed ? SDL_WINDOWPOS_CENTERED : 0;
    const int y = runMode.windowed ? SDL_WINDOWPOS_CENTERED : 0;
    RequestPixelFormat(16);
    window = SDL_CreateWindow("Match 3 game", x, y, width, height, flags);
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
        if (event.type == tickEventType && tickEventType != 0) {
            RunTick();
            continue;
        }
        Message message;
        if (Translate(event, message)) Dispatch(windowProcedure, message);
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

int VirtualKeyFromSdl(std::int32_t sdlKey, std::uint16_t scancode) {
    // ~ is the key left of 1 whatever the layout prints on it.
    if (scancode == SDL_SCANCODE_GRAVE) return 192;
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
        default:
            break;
    }
    if (scancode == SDL_SCANCODE_Q) return 81;
    if (scancode == SDL_SCANCODE_W) return 87;
    return 0;
}
