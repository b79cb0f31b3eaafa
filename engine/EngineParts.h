// The engine's inner parts: the log, the window host, the renderer with its fonts, the texture
// store and the audio. The core (Core.cpp) owns one of each and wires them together.
#pragma once

#include <SDL.h>
#include <SDL_mixer.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "eXgine.h"
#include "media/Font.h"

namespace exg {

// The words every log of ours starts with: a log.txt that starts otherwise is not ours.
inline constexpr const char* kLogFirstWords = "eXgine started";

// The short log file: start, GL renderer, files loaded or refused, end. Written only into a
// file that is missing or holds a log of ours; else (and after a failed write) on standard error.
class Log {
  public:
    Log() = default;
    ~Log() { Close("eXgine stopped"); }
    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;
    bool Open(const std::string& path);
    void Line(const std::string& text);
    void Close(const std::string& lastLine);
    bool IsOpen() const { return file_ != nullptr; }

  private:
    void FallBackToStderr(const std::string& why);
    std::FILE* file_ = nullptr;
    std::string path_;
    bool toStderr_ = false;  // the file was refused or failed: lines go to standard error
};

// The routines the game registered.
struct Callbacks {
    std::array<ExProc, 6> procs{};
    ExMessageProc message = nullptr;
    ExMessageProc windowProc = nullptr;
};

// Maps an SDL key to a Win32 virtual-key code; 0 when the key has none.
std::uint32_t VirtualKeyOf(SDL_Keycode key);

// SIGHUP and SIGQUIT, caught from exInit to exDone (unless they were ignored): the handler only
// notes the signal; TakeEndSignal tells the pump once that one came.
void CatchEndSignals();
void ReleaseEndSignals();
bool TakeEndSignal();

class WindowHost final : public IWindowHost {
  public:
    WindowHost(Log& log, Callbacks& callbacks, bool headless);
    ~WindowHost();

    bool CreateWindow(const char* caption, int x, int y, int width, int height) override;
    bool AttachWindow(SDL_Window* window) override;
    void SetWindowProc(ExMessageProc proc) override { callbacks_.windowProc = proc; }
    SDL_Window* Handle() override { return destroyed_ ? nullptr : window_; }
    int Width() override;
    int Height() override;
    void ShowWindow() override;
    void DestroyWindow() override;
    int ScreenWidth() override;
    int ScreenHeight() override;
    void SetCursorPos(int x, int y) override;
    void ShowCursor(bool show) override;

    // Delivers one message: window procedure, then the message callback. A close request
    // then destroys the window, as a default window procedure would.
    void Deliver(std::uint32_t msg, std::uint32_t wParam, std::uint32_t lParam);
    // Messages delivered so far.
    long long Delivered() const { return delivered_; }
    // Turns pending SDL events into messages.
    void PumpEvents();
    // True while a window with a GL context can be drawn into.
    bool Drawable() const { return window_ != nullptr && context_ != nullptr && !destroyed_; }
    // Makes the GL context current; false when there is none.
    bool MakeCurrent();
    void Swap();
    // Whether swapping waits for the display's refresh.
    bool Vsync() const { return vsync_; }
    // Drops the SDL events that piled up (manual driving takes only scripted input); true
    // when among them the system asked the program to end (Ctrl-C, SIGTERM).
    bool DiscardEvents();
    // Called each time a GL context has been made current on a newly attached window.
    void SetContextHook(std::function<void()> hook) { contextHook_ = std::move(hook); }
    // Called with true when the window pauses the game (ExWmActivateApp 0: it lost the focus it
    // had, or was minimised) and with false when the pause ends.
    void SetPauseHook(std::function<void(bool)> hook) { pauseHook_ = std::move(hook); }
    // Whether the game is paused by the window's focus or minimising.
    bool Paused() const { return paused_; }
    // A fresh loop starts unpaused.
    void ClearPause() { paused_ = false; }

  private:
    bool MakeContext();
    void DeliverButton(const SDL_MouseButtonEvent& button);
    void DeliverKey(const SDL_KeyboardEvent& key);
    void DeliverWindowEvent(std::uint8_t event);
    // Delivers ExWmActivateApp when the pause state changes.
    void SetActive(bool active);

    Log& log_;
    Callbacks& callbacks_;
    bool headless_;
    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
    bool destroyed_ = false;
    bool vsync_ = false;
    std::uint32_t buttons_ = 0;  // mouse buttons held, as wParam bits
    // Messages delivered so far; the loop compares two counts to learn whether a frame has
    // anything new to show.
    long long delivered_ = 0;
    int headlessWidth_ = 0;
    int headlessHeight_ = 0;
    // A window that never had the focus (a bare X server without a window manager) is not
    // paused by not having it.
    bool hadFocus_ = false;
    bool paused_ = false;
    std::function<void()> contextHook_;
    std::function<void(bool)> pauseHook_;
};

// One texture. It is listed with its file when loaded and decoded the first time it is drawn
// (or its size is asked for); the pixels are kept until a GL context takes them.
enum class TextureState { Listed, Decoded, Unreadable };

struct Texture {
    std::string path;
    TextureState state = TextureState::Listed;
    int width = 0;
    int height = 0;
    bool clamp = false;
    bool mipmap = false;
    unsigned name = 0;  // GL texture name, 0 until uploaded
    std::vector<std::uint8_t> rgb;
};

// Reads only the first bytes and the header of a picture file: false (and why) when it is no
// BMP or JPEG, or its header is one the decoder would refuse before reading any pixel.
bool ProbePicture(const std::string& path, std::string& why);

class TextureStore final : public ITextureStore {
  public:
    TextureStore(Log& log, WindowHost& host) : log_(log), host_(host) {}
    int LoadTexture(const char* file, int clamp, int mipmap, int group) override;
    void BindTexture(int texture, int stage) override;
    void UnbindTexture(int stage) override;
    bool TextureSize(int texture, int& width, int& height) override;

  private:
    bool Decode(Texture& texture, int id);
    bool Upload(Texture& texture);
    Log& log_;
    WindowHost& host_;
    std::vector<Texture> textures_;  // id = index + 1
};

// One glyph of a font and its place in the font's textures.
struct Glyph {
    media::GlyphBitmap bitmap;
    int page = -1;  // index into Font::pages; -1: nothing to draw
    int x = 0;      // top-left texel of the bitmap in its page
    int y = 0;
};

// A font's glyphs packed into a few square alpha textures ("pages"), made at the first draw, so
// a line of text binds a texture once per page instead of once per letter.
struct Font {
    int handle = 0;  // as MakeFont gave it
    int ascender = 0;
    int descender = 0;
    std::array<Glyph, 256> glyphs;  // by Latin-1 byte
    int pageSize = 0;               // 0 until the pages are made
    std::vector<unsigned> pages;    // GL texture names
};

class Renderer final : public IRenderer, public IFont {
  public:
    Renderer(Log& log, WindowHost& host) : log_(log), host_(host) {}
    int Fps() override { return fps_; }
    void ClearFrame(bool color, bool depth, bool stencil) override;
    void SetClearColor(float r, float g, float b) override;
    void Set2DView(float x, float y, float width, float height) override;
    IFont* Fonts() override { return this; }
    int TextWidth(int font, const char* text) override;
    void WriteText(int font, const char* text, float x, float y) override;
    void SetBlend(int mode) override;
    int MakeFont(const char* face, int size, int bold, int textureSize) override;
    int LineHeight(int font) override;

    // Sets the fixed GL state once a context is current.
    void SetUpGl();
    // Counts a drawn frame at engine millisecond `nowMs` for Fps.
    void CountFrame(long long nowMs);
    void ResetFps();

  private:
    Font* FontOf(int font);
    void MakePages(Font& font);
    Log& log_;
    WindowHost& host_;
    std::vector<std::unique_ptr<Font>> fonts_;  // handle = index + 1
    int blend_ = 0;
    float clear_[3] = {0, 0, 0};
    int fps_ = 0;
    int framesThisSecond_ = 0;
    long long secondStartMs_ = -1;
};

// The sizes a WAV header declares; used to refuse absurd files before decoding them.
struct WavHeader {
    int sampleRate = 0;
    int channels = 0;
    int bitsPerSample = 0;
    std::uint64_t dataBytes = 0;
};
// Reads the RIFF/WAVE header of `path`; false (and why) when it is no readable WAV file.
bool ReadWavHeader(const std::string& path, WavHeader& out, std::string& why);
// Whether a declared WAV is acceptable: rate 4000..384000 Hz and at most 128 MiB once decoded
// at `mixRate` Hz, `mixFrameBytes` per frame.
bool WavSizeAcceptable(const WavHeader& header, int mixRate, int mixFrameBytes, std::string& why);

class Audio final : public IAudio {
  public:
    explicit Audio(Log& log) : log_(log) {}
    ~Audio();
    // Opens the device (failure: silent, logged).
    void Open();
    void Close();
    int LoadSound(const char* file, int flags) override;
    void PlayEffect(int sound, int loops, int volume, int pan, int reserved) override;
    bool PlayMusic(const char* file, bool loop) override;
    void StopMusic() override;
    bool DeviceOpen() override { return open_; }
    int PlayingEffects() override;
    bool MusicPlaying() override;
    // Run every update: looped music that stopped on a damaged frame starts again.
    void KeepMusicLooping();

  private:
    Log& log_;
    bool open_ = false;
    int mixRate_ = 44100;
    int mixFrameBytes_ = 4;
    std::vector<Mix_Chunk*> sounds_;  // id = index + 1; nullptr when checked without a device
    Mix_Music* music_ = nullptr;
    SDL_RWops* musicSource_ = nullptr;  // the file `music_` reads as it plays
    bool musicLoops_ = false;
    int musicRestarts_ = 0;
};

}  // namespace exg
