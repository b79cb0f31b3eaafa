// libeXgine: the whole contract between the catching game and its engine.
//
// The game binds the engine once with exInit and reaches everything else through the
// interfaces below: the loop and clock (IEngineCore), the main window (IWindowHost), drawing
// and text (IRenderer, IFont), pictures (ITextureStore) and sound (IAudio). All calls and all
// callbacks happen on the one thread that called exInit. Texts are zero-terminated 8-bit
// strings (Latin-1). Coordinates are window pixels, origin top-left, y down.
//
// Two ways to drive the engine:
//  - live: Run(updatesPerSecond) owns real time until Quit;
//  - manual (replays, tests): StartManual, then StepUpdate per update, with scripted messages
//    through PostMessage; the clock only moves by StepUpdate. With the ExHeadless flag no
//    display, window or GL context is needed at all.
#pragma once

#include <cstdint>

// What the library exports: the two entry points and the loop pacing below. Everything else in
// libeXgine stays inside it (hidden by default), so a game can only reach the engine through
// this header. The interfaces need no export: they are reached through the objects exInit
// hands out.
#define EXGINE_API __attribute__((visibility("default")))

struct SDL_Window;

// ---- Callbacks and window messages --------------------------------------------------------

// A plain game routine: init, free, update, render.
using ExProc = void (*)();
// The window-message routine: message id, wParam, lParam (Win32 meanings, listed below).
using ExMessageProc = void (*)(std::uint32_t msg, std::uint32_t wParam, std::uint32_t lParam);

// Callback kinds for IEngineCore::SetCallback (kind 3 is unused).
enum ExCallbackKind : int {
    ExUpdate = 0,   // ExProc, called updatesPerSecond times a second by the engine clock
    ExRender = 1,   // ExProc, called once per drawn frame, GL current, 2D view not yet set
    ExMessage = 2,  // ExMessageProc, called for each message of the main window, in order
    ExInit = 4,     // ExProc, called once when the loop starts, GL set up, before any update
    ExFree = 5,     // ExProc, called once when the loop ends, GL still current
};

// Messages the engine delivers (to the window procedure first, then to kind ExMessage).
enum ExMessageId : std::uint32_t {
    ExWmDestroy = 0x0002,          // the attached window is being destroyed
    ExWmClose = 0x0010,            // close request; afterwards the engine destroys the window
    ExWmQueryEndSession = 0x0011,  // the program is asked to end: SIGTERM, SIGINT, SIGHUP,
                                   // SIGQUIT, or anyone's SDL_QUIT event
    ExWmActivateApp = 0x001C,      // wParam 0: the window lost the focus it had or was
                                   // minimised; updates stop and the clock stands still.
                                   // wParam 1: focus back or restored; both resume.
    ExWmKeyDown = 0x0100,          // wParam = virtual-key code (ExVkEscape = 27, ...)
    ExWmKeyUp = 0x0101,            // wParam = virtual-key code
    ExWmMouseMove = 0x0200,        // lParam = ExMakeLParam(client x, client y); wParam = buttons
    ExWmLButtonDown = 0x0201,      // lParam as for mouse move
    ExWmLButtonUp = 0x0202,        // lParam as for mouse move
    ExWmRButtonDown = 0x0204,      // lParam as for mouse move
    ExWmRButtonUp = 0x0205,        // lParam as for mouse move
};

// wParam bits of mouse messages: which buttons are held.
constexpr std::uint32_t ExMkLButton = 0x0001;
constexpr std::uint32_t ExMkRButton = 0x0002;

// Virtual-key codes of the keys the engine maps (letters are 'A'..'Z', digits '0'..'9').
enum ExVirtualKey : std::uint32_t {
    ExVkBack = 8,
    ExVkTab = 9,
    ExVkReturn = 13,
    ExVkShift = 16,
    ExVkControl = 17,
    ExVkMenu = 18,  // Alt
    ExVkEscape = 27,
    ExVkSpace = 32,
    ExVkPrior = 33,
    ExVkNext = 34,
    ExVkEnd = 35,
    ExVkHome = 36,
    ExVkLeft = 37,
    ExVkUp = 38,
    ExVkRight = 39,
    ExVkDown = 40,
    ExVkInsert = 45,
    ExVkDelete = 46,
    ExVkF1 = 112,    // F1..F12 are 112..123
    ExVkOem3 = 192,  // the ` ~ key
};

// lParam of a mouse message: x in the low 16 bits, y in the high 16 bits, each a 16-bit two's
// complement value. While a button is held the pointer is reported outside the window too,
// so a pointer left of or above the window has a negative coordinate.
constexpr std::uint32_t ExMakeLParam(int x, int y) {
    return (static_cast<std::uint32_t>(x) & 0xFFFFu) | (static_cast<std::uint32_t>(y) << 16);
}
// The signed x and y of a mouse message's lParam (as Win32's GET_X_LPARAM, GET_Y_LPARAM).
constexpr int ExLParamX(std::uint32_t lParam) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(lParam & 0xFFFFu));
}
constexpr int ExLParamY(std::uint32_t lParam) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(lParam >> 16));
}

// ---- Interfaces ----------------------------------------------------------------------------

// Fonts of the renderer. Handles count from 1 in the order made; handle 0 (and any unknown
// handle) means the first font made.
class IFont {
  public:
    // Makes `face` at `size` points (96 dpi); bold 1 thickens strokes; textureSize is a hint
    // (512, 1024). A face fontconfig lacks falls back to its nearest match. 0 when no font at all.
    virtual int MakeFont(const char* face, int size, int bold, int textureSize) = 0;
    // Line height of a font in pixels (ascender + descender); 0 for no font.
    virtual int LineHeight(int font) = 0;

  protected:
    ~IFont() = default;
};

// The main window the engine renders into and takes messages from.
class IWindowHost {
  public:
    // Creates and attaches the main window: hidden, borderless, top-most, with a GL context.
    // Headless: records the size only. False (logged) when no window or context can be made.
    virtual bool CreateWindow(const char* caption, int x, int y, int width, int height) = 0;
    // Attaches a window the game made itself (it must carry SDL_WINDOW_OPENGL); false (logged)
    // when no GL context can be made on it, and the window stays the caller's. Once attached
    // the engine renders into it and owns it.
    virtual bool AttachWindow(SDL_Window* window) = 0;
    // Sets the window's own procedure: it gets every message before the ExMessage callback.
    virtual void SetWindowProc(ExMessageProc proc) = 0;
    // The attached window, nullptr when headless, none attached or destroyed.
    virtual SDL_Window* Handle() = 0;
    // Client width in pixels (headless: the width given to CreateWindow).
    virtual int Width() = 0;
    // Client height in pixels (headless: the height given to CreateWindow).
    virtual int Height() = 0;
    // Shows and raises the window and asks for the keyboard focus (headless: nothing).
    virtual void ShowWindow() = 0;
    // Hides the window for good (nothing more is drawn into it), then delivers ExWmDestroy
    // (headless too). A second call does nothing.
    virtual void DestroyWindow() = 0;
    // Size of the desktop in pixels (headless, or no display: 1024 x 768).
    virtual int ScreenWidth() = 0;
    virtual int ScreenHeight() = 0;
    // Puts the mouse pointer at desktop pixel (x, y) (headless: nothing).
    virtual void SetCursorPos(int x, int y) = 0;
    // Shows or hides the mouse pointer (headless: nothing).
    virtual void ShowCursor(bool show) = 0;

  protected:
    ~IWindowHost() = default;
};

// Drawing set-up and text. Without a GL context (headless) every drawing call does nothing.
class IRenderer {
  public:
    // Frames drawn during the last whole second of the loop.
    virtual int Fps() = 0;
    // Clears the colour, depth and stencil buffers as asked (colour: the clear colour).
    virtual void ClearFrame(bool color, bool depth, bool stencil) = 0;
    // Sets the clear colour (default black).
    virtual void SetClearColor(float r, float g, float b) = 0;
    // Orthographic 2D view: (x, y) at the top-left corner, width x height units, y down.
    virtual void Set2DView(float x, float y, float width, float height) = 0;
    // The renderer's font maker.
    virtual IFont* Fonts() = 0;
    // Width in pixels of `text` in `font` (sum of advances); 0 for no font or empty text.
    virtual int TextWidth(int font, const char* text) = 0;
    // Draws `text` with its top-left corner at (x, y) in the current GL colour; leaves the
    // blend mode and texture binding as they were.
    virtual void WriteText(int font, const char* text, float x, float y) = 0;
    // Blending of what is drawn next: 0 off, 1 alpha, 2 additive, 3 multiply (the frame is
    // multiplied by the drawn colour: a grey quad darkens what lies under it).
    virtual void SetBlend(int mode) = 0;

  protected:
    ~IRenderer() = default;
};

// Pictures as textures. Ids count from 1; 0 means "no texture" (drawing untextured).
class ITextureStore {
  public:
    // Takes a .bmp or .jpg (decided by content); clamp 1 clamps the edges, mipmap 1 builds
    // mipmaps; group is unused. Reads only the file's header: returns the new id, or 0 (logged
    // as refused) when the file is no picture or its header is unreadable. The pixels are
    // decoded when the texture is first bound or its size asked for (the log says "texture
    // loaded" or "texture refused" then), so listing thousands of photos costs next to nothing.
    virtual int LoadTexture(const char* file, int clamp, int mipmap, int group) = 0;
    // Next quads are textured with `texture` at `stage` (only 0), (0,0) its top-left; id 0, an
    // unknown id or a picture whose pixels could not be decoded unbinds.
    virtual void BindTexture(int texture, int stage) = 0;
    // Next drawing at `stage` (only 0) is untextured.
    virtual void UnbindTexture(int stage) = 0;
    // Picture size of a texture, decoding it if that was not done yet (headless too); false
    // for an unknown id or pixels that could not be decoded.
    virtual bool TextureSize(int texture, int& width, int& height) = 0;

  protected:
    ~ITextureStore() = default;
};

// Sound effects and music (SDL2_mixer). Without an audio device everything is silent but
// files are still checked and ids handed out. Ids count from 1; 0 means "no sound".
class IAudio {
  public:
    // Loads a .wav effect; returns its id, or 0 (logged as refused) when unreadable or when
    // its header asks for an absurd amount of memory. flags is unused.
    virtual int LoadSound(const char* file, int flags) = 0;
    // Plays an effect on a free channel: loops 0 plays once; volume 0 is full, else 1..100 %;
    // pan 0 centre, -100 left .. 100 right; reserved is unused. Id 0, unknown: nothing.
    virtual void PlayEffect(int sound, int loops, int volume, int pan, int reserved) = 0;
    // Streams a music file (.mp3, .ogg, .wav), replacing the current one; loop true repeats it
    // for ever. False (logged) when it cannot be opened.
    virtual bool PlayMusic(const char* file, bool loop) = 0;
    // Stops the music.
    virtual void StopMusic() = 0;
    // Whether an audio device is open.
    virtual bool DeviceOpen() = 0;
    // Effects playing right now (0 without a device).
    virtual int PlayingEffects() = 0;
    // Whether music is playing right now.
    virtual bool MusicPlaying() = 0;

  protected:
    ~IAudio() = default;
};

// The root: loop, clock, callbacks and the sub-interfaces.
class IEngineCore {
  public:
    virtual IWindowHost* WindowHost() = 0;
    virtual IRenderer* Renderer() = 0;
    virtual ITextureStore* TextureStore() = 0;
    virtual IAudio* Audio() = 0;

    // Keeps `proc` for a kind of ExCallbackKind (ExUpdate, ExRender, ExInit, ExFree).
    virtual void SetCallback(int kind, ExProc proc) = 0;
    // Keeps the message routine (kind ExMessage).
    virtual void SetCallback(int kind, ExMessageProc proc) = 0;
    // Engine clock in milliseconds, never decreasing (live: since exInit, standing still while
    // the window is paused by ExWmActivateApp 0; manual: 0 at StartManual, + 1000 / rate per
    // StepUpdate).
    virtual int TimeMs() = 0;
    // Live loop: init once, updates at `updatesPerSecond` by the engine clock (fixed step,
    // bounded catch-up; none while paused), one render per frame (vsync or at most 120 frames per
    // second, never spinning), messages in order; returns after Quit, once free has run. A frame is
    // drawn only when an update ran or a message came since the last one (nothing else changes it).
    virtual void Run(int updatesPerSecond) = 0;
    // Asks the loop to end after the current frame (live) or tells the driver to stop (manual).
    virtual void Quit() = 0;
    // Whether Quit has been called since the loop started.
    virtual bool QuitCalled() = 0;

    // Manual driving. Sets the clock to 0 and calls init. False when a loop is already running.
    virtual bool StartManual(int updatesPerSecond) = 0;
    // Advances the clock by exactly 1000 / rate ms, calls one update, then (with a window)
    // renders one frame; does nothing while a posted ExWmActivateApp 0 has the window paused.
    // Live SDL input is dropped; an interrupt (Ctrl-C, SIGTERM, SIGHUP, SIGQUIT) is delivered
    // as ExWmQueryEndSession before the update.
    virtual void StepUpdate() = 0;
    // Delivers one message at once (window procedure, then ExMessage), live or manual;
    // ExWmClose then destroys the window as a default procedure would, and ExWmActivateApp
    // pauses or resumes the updates and the clock.
    virtual void PostMessage(std::uint32_t msg, std::uint32_t wParam, std::uint32_t lParam) = 0;
    // Draws the current state once more (render callback) and saves it as a 24-bit BMP.
    // False without a GL context (errno 0) or when the file cannot be written (errno says why).
    virtual bool SaveScreenshot(const char* file) = 0;
    // Calls free and leaves manual mode.
    virtual void EndManual() = 0;

    // Updates and frames done since the loop started (live or manual).
    virtual long long UpdateCount() = 0;
    virtual long long FrameCount() = 0;

  protected:
    ~IEngineCore() = default;
};

// ---- Entry points --------------------------------------------------------------------------

// exInit flags.
constexpr int ExHeadless = 1;  // no display, window or GL; SDL's dummy audio driver

// Binds the engine: initialises SDL (video unless headless, audio, timer; after this the game
// may use SDL video itself), opens the log `logFile`, routes SIGHUP and SIGQUIT the way SDL
// routes SIGINT and SIGTERM (an orderly end) and sets *root. False (with *root null)
// when SDL cannot start. A second call before exDone returns the same engine.
EXGINE_API bool exInit(IEngineCore** root, const char* logFile, int flags);

// Releases everything (textures, sounds, window, GL, audio, SDL), ends the log. The root and
// all sub-interfaces are invalid afterwards; exInit may be called again.
EXGINE_API void exDone();

// ---- Loop pacing (the arithmetic of Run, exposed for tests and tools) ----------------------

// Fixed-step accumulator: real time in, whole updates out, at most a bounded catch-up.
class EXGINE_API ExFixedStep {
  public:
    // `updatesPerSecond` >= 1; the catch-up bound is the updates of 300 ms (at least 1).
    explicit ExFixedStep(int updatesPerSecond);
    // Adds `elapsedNs` of real time (negative counts as 0) and returns the updates due now,
    // at most MaxCatchUp(); a longer backlog (a stall) is dropped, keeping the fraction.
    int Advance(long long elapsedNs);
    // The most updates one Advance returns.
    int MaxCatchUp() const { return maxCatchUp_; }
    // Nanoseconds until the next update is due.
    long long NsUntilNext() const;

  private:
    long long rate_;
    int maxCatchUp_;
    long long acc_ = 0;  // elapsed ns * rate, modulo whole updates
};
