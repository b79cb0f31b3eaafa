// Program: options, SDL start-up, display mode, window or replay, and the exit code.
#include "Program.h"

#include <SDL.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "GLUse.h"
#include "GLUsePicture.h"
#include "Options.h"
#include "Replay.h"
#include "WindUse.h"
#include "Zodav.h"
#include "media/GameHome.h"
#include "media/OutputFile.h"

namespace {

// Under --mode-switch a crash or a stray exit must not leave the desktop at 1024 x 768: SDL gives
// the display its own mode back when its video part stops, so those roads stop it first. (SIGKILL
// cannot be caught; that is why the switch is not the default.)
void OnFatalSignal(int signalNumber) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

void RestoreModeOnEveryExit() {
    for (int signalNumber : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        std::signal(signalNumber, OnFatalSignal);
    std::atexit(SDL_Quit);
}

int Fail(const std::string& message, int code) {
    std::fprintf(stderr, "zodav: %s\n", message.c_str());
    return code;
}

bool StartSdl(bool headless) {
    if (headless) {
        // No window, GL context or sound card: the rules run, nothing is shown or heard.
        SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
        SDL_setenv("SDL_VIDEODRIVER", "dummy", 1);
        return SDL_Init(SDL_INIT_TIMER | SDL_INIT_EVENTS) == 0;
    }
    return SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS) == 0 && HasDisplay();
}

// Writes the picture as a PAM file; false with *why naming the file and the system's reason.
bool WritePam(const std::string& path, const std::vector<std::uint8_t>& rgba, int width, int height,
              std::string* why) {
    media::OutputFile file;
    char header[128];
    std::snprintf(header, sizeof header,
                  "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n",
                  width, height);
    if (file.Open(path, "picture") && file.Write(header) &&
        file.Write(std::string(rgba.begin(), rgba.end())) && file.Close())
        return true;
    *why = file.Error();
    return false;
}

int RunGame(const Options& options, ReplayScript& script) {
    SetDisplayMode(1024, 768);
    int width = 0, height = 0;
    GetVirtualScreenSize(width, height);
    if (options.headless) {
        width = script.screenWidth;
        height = script.screenHeight;
    }
    spine.screenWidth = width;
    spine.screenHeight = height;
    if (options.replay.empty()) return CreateMainWindow(WindowProcedure, width, height);
    if (options.headless) {
        WindowProcedure(Message{MessageType::Create, 0});
        return RunReplay(script, options.dump);
    }
    return CreateMainWindow(WindowProcedure, width, height,
                            [&] { return RunReplay(script, options.dump); });
}

// --bake-picture: the texture pass on one file, as the game would upload it.
int BakePicture(const Options& options) {
    std::int32_t width = 0, height = 0;
    const std::vector<std::uint8_t>& pixels =
        LoadPicturePixels(options.bakeIn, width, height, options.brighten, options.cropToCircle);
    std::string why;
    if (!WritePam(options.bakeOut, pixels, width, height, &why)) return Fail(why, 1);
    return 0;
}

}  // namespace

// Floating-point exceptions stay masked for the whole run (the default of SSE arithmetic here), so
// a division by zero or an invalid operation gives an infinity or NaN instead of stopping the game.
int ZodavMain(int argc, char** argv) {
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "zodav: %s\n%s", error.c_str(), Usage().c_str());
        return 2;
    }
    if (options.help) {
        std::printf("%s", Usage().c_str());
        return 0;
    }
    if (options.version) {
        std::printf("%s", VersionLine().c_str());
        return 0;
    }
    if (!options.bakeIn.empty()) return BakePicture(options);
    if (options.home) {
        if (!EnterGameHome(error)) return Fail(error, 1);
        for (std::string* path : {&options.record, &options.replay, &options.dump})
            *path = FromStartFolder(*path);
    }
    ReplayScript script;
    if (!options.replay.empty() && !ParseReplay(options.replay, script, error))
        return Fail(error, 2);
    std::uint64_t seed =
        static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    if (script.hasSeed) seed = script.seed;
    if (options.seedGiven) seed = options.seed;
    SetGameSeed(seed);
    runMode.windowed = options.windowed;
    runMode.modeSwitch = options.modeSwitch;
    runMode.headless = options.headless;
    runMode.replaying = !options.replay.empty();
    CatchHangupAndQuitSignals();
    if (!StartSdl(options.headless)) {
        SDL_Quit();
        return Fail(
            "no display to show the game on (run with --replay FILE --headless to play a "
            "replay without one)",
            1);
    }
    if (options.modeSwitch && !options.windowed) RestoreModeOnEveryExit();
    if (!options.record.empty()) {
        int w = 0, h = 0;
        SetDisplayMode(1024, 768);
        GetVirtualScreenSize(w, h);
        if (!StartRecording(options.record, seed, w, h)) {
            SDL_Quit();
            return Fail(RecordingError(), 2);
        }
    }
    int code = RunGame(options, script);
    if (!StopRecording() && code == 0) code = 1;
    SDL_Quit();
    return code;
}
