// The window host: the main window and its GL context, and SDL events turned into the window
// messages the game knows (mouse in client pixels, left and right buttons, keys as virtual-key
// codes, close requests), delivered in order on the loop's thread.
#include <SDL_opengl.h>

#include "EngineParts.h"

namespace exg {

namespace {

// Desktop size when there is no display to ask.
constexpr int kFallbackScreenWidth = 1024;
constexpr int kFallbackScreenHeight = 768;

// lParam bits of key messages: repeat count 1, bit 30 "was down before", bit 31 "released".
constexpr std::uint32_t kKeyRepeatCount = 1;
constexpr std::uint32_t kKeyWasDown = 1u << 30;
constexpr std::uint32_t kKeyReleased = 1u << 31;

std::uint32_t ButtonBits(std::uint32_t sdlState) {
    std::uint32_t bits = 0;
    if (sdlState & SDL_BUTTON_LMASK) bits |= ExMkLButton;
    if (sdlState & SDL_BUTTON_RMASK) bits |= ExMkRButton;
    return bits;
}

}  // namespace

std::uint32_t VirtualKeyOf(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + static_cast<std::uint32_t>(key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + static_cast<std::uint32_t>(key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return ExVkF1 + static_cast<std::uint32_t>(key - SDLK_F1);
    switch (key) {
        case SDLK_BACKSPACE:
            return ExVkBack;
        case SDLK_TAB:
            return ExVkTab;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return ExVkReturn;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT:
            return ExVkShift;
        case SDLK_LCTRL:
        case SDLK_RCTRL:
            return ExVkControl;
        case SDLK_LALT:
        case SDLK_RALT:
            return ExVkMenu;
        case SDLK_ESCAPE:
            return ExVkEscape;
        case SDLK_SPACE:
            return ExVkSpace;
        case SDLK_PAGEUP:
            return ExVkPrior;
        case SDLK_PAGEDOWN:
            return ExVkNext;
        case SDLK_END:
            return ExVkEnd;
        case SDLK_HOME:
            return ExVkHome;
        case SDLK_LEFT:
            return ExVkLeft;
        case SDLK_UP:
            return ExVkUp;
        case SDLK_RIGHT:
            return ExVkRight;
        case SDLK_DOWN:
            return ExVkDown;
        case SDLK_INSERT:
            return ExVkInsert;
        case SDLK_DELETE:
            return ExVkDelete;
        case SDLK_BACKQUOTE:
            return ExVkOem3;
        default:
            return 0;
    }
}

WindowHost::WindowHost(Log& log, Callbacks& callbacks, bool headless)
    : log_(log), callbacks_(callbacks), headless_(headless) {}

WindowHost::~WindowHost() {
    if (context_) SDL_GL_DeleteContext(context_);
    if (window_) SDL_DestroyWindow(window_);
}

bool WindowHost::CreateWindow(const char* caption, int x, int y, int width, int height) {
    headlessWidth_ = width;
    headlessHeight_ = height;
    if (headless_) return true;
    SDL_Window* window = SDL_CreateWindow(
        caption ? caption : "", x, y, width, height,
        SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP);
    if (!window) {
        log_.Line(std::string("window refused: ") + SDL_GetError());
        return false;
    }
    if (AttachWindow(window)) return true;
    SDL_DestroyWindow(window);
    return false;
}

bool WindowHost::AttachWindow(SDL_Window* window) {
    if (headless_ || !window) {
        log_.Line("window refused: none given or running headless");
        return false;
    }
    if (window_ && window_ != window) {
        // The old window goes; its context stays and moves to the new window, keeping the
        // textures and glyphs made so far.
        SDL_GL_MakeCurrent(nullptr, nullptr);
        SDL_DestroyWindow(window_);
    }
    window_ = window;
    destroyed_ = false;
    hadFocus_ = false;
    if (!MakeContext()) {
        // Refused: the window stays the caller's, who may destroy it; we must not touch it again.
        window_ = nullptr;
        return false;
    }
    if (contextHook_) contextHook_();
    return true;
}

bool WindowHost::MakeContext() {
    if (context_ && SDL_GL_MakeCurrent(window_, context_) == 0) return true;
    if (context_) SDL_GL_DeleteContext(context_);
    context_ = SDL_GL_CreateContext(window_);
    if (!context_) {
        log_.Line(std::string("GL context refused: ") + SDL_GetError());
        return false;
    }
    SDL_GL_MakeCurrent(window_, context_);
    vsync_ = SDL_GL_SetSwapInterval(1) == 0;
    auto text = [](GLenum name) {
        const GLubyte* s = glGetString(name);
        return std::string(s ? reinterpret_cast<const char*>(s) : "?");
    };
    log_.Line("GL renderer: " + text(GL_RENDERER) + " (" + text(GL_VERSION) + "), vsync " +
              (vsync_ ? "on" : "off"));
    return true;
}

int WindowHost::Width() {
    if (!window_) return headlessWidth_;
    int w = 0, h = 0;
    SDL_GetWindowSize(window_, &w, &h);
    return w;
}

int WindowHost::Height() {
    if (!window_) return headlessHeight_;
    int w = 0, h = 0;
    SDL_GetWindowSize(window_, &w, &h);
    return h;
}

void WindowHost::ShowWindow() {
    if (!window_ || destroyed_) return;
    SDL_ShowWindow(window_);
    SDL_RaiseWindow(window_);
    // Without a window manager nobody else gives a new window the keyboard focus, and Esc would
    // reach no one. Showing waits until the window is mapped, so the request is valid.
    SDL_SetWindowInputFocus(window_);
}

void WindowHost::DestroyWindow() {
    if (destroyed_) return;
    destroyed_ = true;
    // The SDL window and its context live on, hidden, until the engine is done: the free
    // callback still finds GL current, and no drawable vanishes under a current context.
    if (window_) SDL_HideWindow(window_);
    Deliver(ExWmDestroy, 0, 0);
}

int WindowHost::ScreenWidth() {
    SDL_DisplayMode mode;
    if (headless_ || SDL_GetDesktopDisplayMode(0, &mode) != 0) return kFallbackScreenWidth;
    return mode.w;
}

int WindowHost::ScreenHeight() {
    SDL_DisplayMode mode;
    if (headless_ || SDL_GetDesktopDisplayMode(0, &mode) != 0) return kFallbackScreenHeight;
    return mode.h;
}

void WindowHost::SetCursorPos(int x, int y) {
    if (!headless_) SDL_WarpMouseGlobal(x, y);
}

void WindowHost::ShowCursor(bool show) {
    if (!headless_) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void WindowHost::Deliver(std::uint32_t msg, std::uint32_t wParam, std::uint32_t lParam) {
    ++delivered_;
    if (msg == ExWmActivateApp && paused_ != (wParam == 0)) {
        paused_ = wParam == 0;
        if (pauseHook_) pauseHook_(paused_);
    }
    if (callbacks_.windowProc) callbacks_.windowProc(msg, wParam, lParam);
    if (callbacks_.message) callbacks_.message(msg, wParam, lParam);
    if (msg == ExWmClose) DestroyWindow();
}

bool WindowHost::MakeCurrent() {
    return Drawable() && SDL_GL_MakeCurrent(window_, context_) == 0;
}

void WindowHost::Swap() {
    if (Drawable()) SDL_GL_SwapWindow(window_);
}

bool WindowHost::DiscardEvents() {
    SDL_PumpEvents();
    const bool quit = SDL_HasEvent(SDL_QUIT);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    return TakeEndSignal() || quit;
}

void WindowHost::SetActive(bool active) {
    if (active == !paused_) return;
    Deliver(ExWmActivateApp, active ? 1 : 0, 0);
}

void WindowHost::DeliverWindowEvent(std::uint8_t event) {
    switch (event) {
        case SDL_WINDOWEVENT_CLOSE:
            Deliver(ExWmClose, 0, 0);
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            hadFocus_ = true;
            SetActive(true);
            break;
        case SDL_WINDOWEVENT_RESTORED:
            SetActive(true);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            if (hadFocus_) SetActive(false);
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
            SetActive(false);
            break;
        default:
            break;
    }
}

void WindowHost::DeliverButton(const SDL_MouseButtonEvent& b) {
    const bool down = b.type == SDL_MOUSEBUTTONDOWN;
    std::uint32_t msg = 0, bit = 0;
    if (b.button == SDL_BUTTON_LEFT) {
        msg = down ? ExWmLButtonDown : ExWmLButtonUp;
        bit = ExMkLButton;
    } else if (b.button == SDL_BUTTON_RIGHT) {
        msg = down ? ExWmRButtonDown : ExWmRButtonUp;
        bit = ExMkRButton;
    } else {
        return;
    }
    // As on Win32: a press reports its button held, a release reports it up.
    buttons_ = down ? (buttons_ | bit) : (buttons_ & ~bit);
    Deliver(msg, buttons_, ExMakeLParam(b.x, b.y));
}

void WindowHost::DeliverKey(const SDL_KeyboardEvent& k) {
    const std::uint32_t vk = VirtualKeyOf(k.keysym.sym);
    if (vk == 0) return;  // keys without a virtual-key code the games know
    if (k.type == SDL_KEYDOWN)
        Deliver(ExWmKeyDown, vk, kKeyRepeatCount | (k.repeat ? kKeyWasDown : 0));
    else
        Deliver(ExWmKeyUp, vk, kKeyRepeatCount | kKeyWasDown | kKeyReleased);
}

void WindowHost::PumpEvents() {
    const Uint32 ours = (window_ && !destroyed_) ? SDL_GetWindowID(window_) : 0;
    // Events of other windows (the game's splash) and of no window at all are not ours.
    auto mine = [ours](Uint32 id) { return ours != 0 && id == ours; };
    if (TakeEndSignal()) Deliver(ExWmQueryEndSession, 0, 0);
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        switch (e.type) {
            case SDL_QUIT:
                Deliver(ExWmQueryEndSession, 0, 0);
                break;
            case SDL_WINDOWEVENT:
                if (mine(e.window.windowID)) DeliverWindowEvent(e.window.event);
                break;
            case SDL_MOUSEMOTION:
                if (!mine(e.motion.windowID)) break;
                buttons_ = ButtonBits(e.motion.state);
                Deliver(ExWmMouseMove, buttons_, ExMakeLParam(e.motion.x, e.motion.y));
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                if (mine(e.button.windowID)) DeliverButton(e.button);
                break;
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                if (mine(e.key.windowID)) DeliverKey(e.key);
                break;
            default:
                break;
        }
    }
}

}  // namespace exg
