// Program: the run of garbage from its command line to its exit code. Reads the options, binds
// the engine, runs the start-up and then either the live loop or a replay script.
#include "program.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "eXgine_binding.h"
#include "game_dump.h"
#include "garbage.h"
#include "media/GameHome.h"
#include "media/OutputFile.h"
#include "media/ScriptReader.h"
#include "options.h"
#include "replay.h"

namespace {

bool HaveDisplay() {
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

// When DISPLAY names no server that answers, SDL falls back to its offscreen driver and the game
// would run, invisible, for ever.
bool DisplayAnswers() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
}

int NoDisplay() {
    const char* x = std::getenv("DISPLAY");
    std::fprintf(stderr,
                 "garbage: no display to open a window on (DISPLAY \"%s\" names no display that "
                 "answers); use --headless with --replay to run without one\n",
                 x ? x : "");
    UnbindEngine();
    return 1;
}

// Opens a file the player named for output; false (said) when it cannot be made.
bool OpenOutput(media::OutputFile* out, const std::string& file, const char* what) {
    if (out->Open(file, what)) return true;
    std::fprintf(stderr, "garbage: %s\n", out->Error().c_str());
    return false;
}

// Closes an output; a failed write, flush or close not said yet is said now. False on failure.
bool CloseOutput(media::OutputFile* out) {
    const bool failedBefore = out->Failed();
    if (out->Close()) return true;
    if (!failedBefore) std::fprintf(stderr, "garbage: %s\n", out->Error().c_str());
    return false;
}

int Play(const TOptions& options) {
    media::OutputFile record;
    const bool recording = !options.RecordFile.empty();
    if (recording && !OpenOutput(&record, options.RecordFile, "recording")) return 2;
    if (!GameStartUp(false)) return 1;
    if (recording) StartRecording(&record);
    Core->Run(kUpdatesPerSecond);
    if (!recording) return 0;
    FinishRecording();
    return CloseOutput(&record) ? 0 : 1;
}

// A script in a plain file is checked whole before the game starts, so a malformed line stops
// the program before anything runs; a pipe is played as its lines arrive.
int Replay(const TOptions& options) {
    media::OutputFile dump;
    if (!OpenOutput(&dump, options.DumpFile, "dump")) return 2;
    const std::string name = options.ReplayFile == "-" ? "(standard input)" : options.ReplayFile;
    std::string error;
    media::ScriptFile script = media::OpenScript(options.ReplayFile, &error);
    if (script && media::ScriptIsRewindable(script.get())) {
        if (CheckReplay(script.get(), name, &error))
            std::rewind(script.get());
        else
            script.reset();
    }
    if (!script) {
        std::fprintf(stderr, "garbage: %s\n", error.c_str());
        return 2;
    }
    if (!GameStartUp(options.Headless)) return 1;
    const int code = RunReplayStream(script.get(), name, &dump, options.Seed.has_value());
    return CloseOutput(&dump) || code != 0 ? code : 1;
}

// --home: config.txt, log.txt and the content are read in the game folder; the files named on the
// command line stay where the player meant them.
bool EnterHome(TOptions& options, std::string& error) {
    if (!EnterGameHome(error)) return false;
    for (std::string* path : {&options.RecordFile, &options.ReplayFile, &options.DumpFile})
        *path = FromStartFolder(*path);
    return true;
}

}  // namespace

int GarbageMain(int argc, char** argv) {
    std::string error;
    auto options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc), &error);
    if (!options) {
        std::fprintf(stderr, "garbage: %s\n%s", error.c_str(), UsageText().c_str());
        return 2;
    }
    if (options->Help) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    if (options->Version) {
        std::fputs(VersionText().c_str(), stdout);
        return 0;
    }
    if (!options->Headless && !HaveDisplay()) {
        std::fputs(
            "garbage: no display to open a window on (DISPLAY is not set); "
            "use --headless with --replay to run without one\n",
            stderr);
        return 1;
    }
    if (options->Home && !EnterHome(*options, error)) {
        std::fprintf(stderr, "garbage: %s\n", error.c_str());
        return 1;
    }
    GameSeed = options->Seed;
    if (!BindEngine(options->Headless ? ExHeadless : 0)) {
        std::fputs("garbage: the engine cannot start (see log.txt)\n", stderr);
        return 1;
    }
    if (!options->Headless && !DisplayAnswers()) return NoDisplay();
    const int code = options->ReplayFile.empty() ? Play(*options) : Replay(*options);
    UnbindEngine();
    return code;
}
