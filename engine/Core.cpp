// The engine core: exInit and exDone, the callbacks, the clock, the live fixed-step loop and
// the manual driving used by replays and tests.
#include <SDL_opengl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "EngineParts.h"
#include "media/Picture.h"

namespace exg {

namespace {

using Clock = std::chrono::steady_clock;

// Without vsync frames are paced to at most this many per second.
constexpr long long kFastestFrameNs = 1000000000LL / 120;

long long NsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(to - from).count();
}

}  // namespace

class Core final : public IEngineCore {
  public:
    explicit Core(bool headless) : headless_(headless), epoch_(Clock::now()) {
        // A fresh context gets the fixed state and the 2D view at once, so that loading and
        // drawing before the loop starts see the same GL state as the loop.
        host_.SetContextHook([this] { renderer_.SetUpGl(); });
        host_.SetPauseHook([this](bool paused) { Pause(paused); });
    }
    ~Core();
    bool Start(const char* logFile);
    void EndLogAtExit() { log_.Close("eXgine ended with the process"); }

    IWindowHost* WindowHost() override { return &host_; }
    IRenderer* Renderer() override { return &renderer_; }
    ITextureStore* TextureStore() override { return &textures_; }
    IAudio* Audio() override { return &audio_; }
    void SetCallback(int kind, ExProc proc) override;
    void SetCallback(int kind, ExMessageProc proc) override;
    int TimeMs() override;
    void Run(int updatesPerSecond) override;
    void Quit() override { quit_ = true; }
    bool QuitCalled() override { return quit_; }
    bool StartManual(int updatesPerSecond) override;
    void StepUpdate() override;
    void PostMessage(std::uint32_t msg, std::uint32_t wParam, std::uint32_t lParam) override {
        host_.Deliver(msg, wParam, lParam);
    }
    bool SaveScreenshot(const char* file) override;
    void EndManual() override;
    long long UpdateCount() override { return updates_; }
    long long FrameCount() override { return frames_; }

  private:
    void Call(int kind);
    void Pause(bool paused);
    void BeginLoop();
    void EndLoop();
    void Update();
    void RenderFrame(long long nowMs);
    void Pace(Clock::time_point frameStart, bool drew, const ExFixedStep& step,
              Clock::time_point lastAdvance);

    bool headless_;
    Clock::time_point epoch_;     // live clock zero, moved on by every pause's length
    Clock::time_point pausedAt_;  // when the current pause began (live)
    Log log_;
    Callbacks callbacks_;
    exg::WindowHost host_{log_, callbacks_, headless_};
    exg::Renderer renderer_{log_, host_};
    exg::TextureStore textures_{log_, host_};
    exg::Audio audio_{log_};
    bool running_ = false;
    bool manual_ = false;
    bool manualClock_ = false;
    bool quit_ = false;
    long long manualMs_ = 0;
    long long manualStepMs_ = 20;
    long long updates_ = 0;
    long long frames_ = 0;
};

Core::~Core() {
    ReleaseEndSignals();
    audio_.Close();
    log_.Close("eXgine stopped");
}

bool Core::Start(const char* logFile) {
    log_.Open(logFile ? logFile : "log.txt");
    log_.Line(std::string(kLogFirstWords) + (headless_ ? " headless" : ""));
    // Headless runs must never wait for or disturb a real sound card.
    if (headless_) setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_EVENTS) != 0 ||
        (!headless_ && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)) {
        log_.Line(std::string("SDL refused to start: ") + SDL_GetError());
        return false;
    }
    if (!headless_) {
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    }
    CatchEndSignals();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        log_.Line(std::string("audio unavailable, playing silent: ") + SDL_GetError());
    else
        audio_.Open();
    return true;
}

void Core::SetCallback(int kind, ExProc proc) {
    if (kind >= 0 && kind < static_cast<int>(callbacks_.procs.size()) && kind != ExMessage)
        callbacks_.procs[kind] = proc;
}

void Core::SetCallback(int kind, ExMessageProc proc) {
    if (kind == ExMessage) callbacks_.message = proc;
}

void Core::Call(int kind) {
    if (callbacks_.procs[kind]) callbacks_.procs[kind]();
}

int Core::TimeMs() {
    if (manualClock_) return static_cast<int>(manualMs_);
    const Clock::time_point now = host_.Paused() ? pausedAt_ : Clock::now();
    return static_cast<int>(NsBetween(epoch_, now) / 1000000);
}

// While paused the live clock stands still: the pause's length is added to the epoch when it
// ends, so timers resume where they stopped instead of jumping. Manual driving simply runs
// no updates (StepUpdate) while paused.
void Core::Pause(bool paused) {
    const Clock::time_point now = Clock::now();
    if (paused)
        pausedAt_ = now;
    else
        epoch_ += now - pausedAt_;
    const long long ms = manualClock_ ? manualMs_ : NsBetween(epoch_, now) / 1000000;
    log_.Line(std::string(paused ? "paused" : "resumed") + " at " + std::to_string(ms) +
              " ms after " + std::to_string(updates_) + " updates" +
              (paused ? " (the window lost the focus or was minimised)" : ""));
}

void Core::BeginLoop() {
    running_ = true;
    quit_ = false;
    host_.ClearPause();
    updates_ = 0;
    frames_ = 0;
    renderer_.ResetFps();
    if (host_.Drawable()) renderer_.SetUpGl();
}

void Core::EndLoop() {
    // A destroyed window keeps its context current from the last frame.
    host_.MakeCurrent();
    Call(ExFree);
    log_.Line("loop ended after " + std::to_string(updates_) + " updates, " +
              std::to_string(frames_) + " frames and " + std::to_string(host_.Delivered()) +
              " messages");
    running_ = false;
    manual_ = false;
}

void Core::Update() {
    audio_.KeepMusicLooping();
    Call(ExUpdate);
    // Said once in live play, so that whoever watches the log knows the game is under way.
    if (++updates_ == 1 && !manual_) log_.Line("first update done");
}

void Core::RenderFrame(long long nowMs) {
    if (!host_.MakeCurrent()) return;
    Call(ExRender);
    host_.Swap();
    ++frames_;
    renderer_.CountFrame(nowMs);
}

void Core::Run(int updatesPerSecond) {
    if (running_) return;
    manualClock_ = false;
    BeginLoop();
    log_.Line("loop started at " + std::to_string(updatesPerSecond) + " updates per second");
    Call(ExInit);
    ExFixedStep step(updatesPerSecond);
    Clock::time_point last = Clock::now();
    while (!quit_) {
        const Clock::time_point frameStart = Clock::now();
        const long long messagesBefore = host_.Delivered();
        host_.PumpEvents();
        const int due = host_.Paused() ? 0 : step.Advance(NsBetween(last, frameStart));
        last = frameStart;
        for (int i = 0; i < due && !quit_; ++i)
            Update();
        // The render only shows the game's state, which changes only in updates and message
        // routines: a frame with neither would repeat the last one at full drawing cost.
        const bool changed = due > 0 || host_.Delivered() != messagesBefore || frames_ == 0;
        const bool drew = changed && host_.Drawable();
        if (drew) RenderFrame(TimeMs());
        Pace(frameStart, drew, step, last);
    }
    EndLoop();
}

// Never spins: a drawn frame lasts at least 1/120 s (vsync usually makes it longer); with
// nothing to draw the loop sleeps until the next update is due.
void Core::Pace(Clock::time_point frameStart, bool drew, const ExFixedStep& step,
                Clock::time_point lastAdvance) {
    if (quit_) return;
    const Clock::time_point now = Clock::now();
    const long long wait = drew ? kFastestFrameNs - NsBetween(frameStart, now)
                                : step.NsUntilNext() - NsBetween(lastAdvance, now);
    if (wait > 0) std::this_thread::sleep_for(std::chrono::nanoseconds(wait));
}

bool Core::StartManual(int updatesPerSecond) {
    if (running_) return false;
    manualClock_ = true;
    manualMs_ = 0;
    manualStepMs_ = 1000 / std::max(1, updatesPerSecond);
    BeginLoop();
    manual_ = true;
    log_.Line("manual loop started at " + std::to_string(updatesPerSecond) + " updates per second");
    Call(ExInit);
    return true;
}

void Core::StepUpdate() {
    if (!manual_) return;
    // Only scripted input reaches the game, but an interrupt still ends a long replay.
    if (host_.DiscardEvents()) host_.Deliver(ExWmQueryEndSession, 0, 0);
    if (host_.Paused()) return;
    manualMs_ += manualStepMs_;
    Update();
    if (host_.Drawable()) RenderFrame(manualMs_);
}

void Core::EndManual() {
    if (manual_) EndLoop();
}

bool Core::SaveScreenshot(const char* file) {
    if (!file || !host_.MakeCurrent()) {
        errno = 0;
        return false;
    }
    // The render callback only reads the game's state, so drawing it again gives the last
    // frame; the back buffer is read before any swap can make it undefined.
    Call(ExRender);
    glFinish();
    const int w = host_.Width(), h = host_.Height();
    errno = 0;
    if (w <= 0 || h <= 0) return false;
    media::RgbPicture picture{w, h, std::vector<std::uint8_t>(static_cast<size_t>(w) * h * 3)};
    std::vector<std::uint8_t> rows(picture.rgb.size());
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    // GL's rows run bottom-up; the picture's run top-down.
    const size_t row = static_cast<size_t>(w) * 3;
    for (int y = 0; y < h; ++y)
        std::copy_n(&rows[static_cast<size_t>(h - 1 - y) * row], row, &picture.rgb[y * row]);
    std::string why;
    const bool saved = media::SaveBmp(file, picture, &why);
    const int code = errno;
    log_.Line(saved ? std::string("screenshot saved: ") + file : "screenshot refused: " + why);
    errno = code;  // the caller reads the reason
    return saved;
}

Core* g_core = nullptr;

// A game that never calls exDone still gets the end of its log when the process exits; SDL
// itself is left to the process teardown.
struct LogCloser {
    ~LogCloser() {
        if (g_core) g_core->EndLogAtExit();
    }
} g_logCloser;

}  // namespace exg

bool exInit(IEngineCore** root, const char* logFile, int flags) {
    if (!root) return false;
    if (!exg::g_core) {
        auto* core = new exg::Core((flags & ExHeadless) != 0);
        if (!core->Start(logFile)) {
            delete core;
            SDL_Quit();
            *root = nullptr;
            return false;
        }
        exg::g_core = core;
    }
    *root = exg::g_core;
    return true;
}

void exDone() {
    delete exg::g_core;
    exg::g_core = nullptr;
    SDL_Quit();
}
