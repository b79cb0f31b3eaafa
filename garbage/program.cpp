// Program: the run of garbage from its command line to its exit code. Reads the options, binds
// the engine, runs the start-up and then either the live loop or a replay script.
#include "program.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "eXgine_binding.h"
#include "game_dump.h"
#include "garbage.h"
#include "media/GameHome.h"
#include "options.h"
#include "replay.h"

namespace {

bool HaveDisplay() {
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

std::FILE* OpenOutput(const std::string& file, const char* what) {
    if (file.empty()) return stdout;
    std::FILE* f = std::fopen(file.c_str(), "w");
    if (!f) std::fprintf(stderr, "garbage: cannot write the %s \"%s\"\n", what, file.c_str());
    return f;
}

int Play(const TOptions& options) {
    std::FILE* record = nullptr;
    if (!options.RecordFile.empty() && !(record = OpenOutput(options.RecordFile, "recording")))
        return 2;
    if (!GameStartUp(false)) return 1;
    if (record) StartRecording(record);
    Core->Run(kUpdatesPerSecond);
    if (record) {
        FinishRecording();
        std::fclose(record);
    }
    return 0;
}

int Replay(const TOptions& options) {
    std::FILE* dump = OpenOutput(options.DumpFile, "dump");
    if (!dump) return 2;
    int code = 0;
    const bool seedFixed = options.Seed.has_value();
    if (options.ReplayFile == "-") {
        code = GameStartUp(options.Headless)
                   ? RunReplayStream(stdin, "(standard input)", dump, seedFixed)
                   : 1;
    } else {
        std::string error;
        auto commands = ReadReplay(options.ReplayFile, &error);
        if (!commands) {
            std::fprintf(stderr, "garbage: %s\n", error.c_str());
            code = 2;
        } else if (GameStartUp(options.Headless)) {
            RunReplay(*commands, dump, seedFixed);
        } else {
            code = 1;
        }
    }
    if (dump != stdout) std::fclose(dump);
    return code;
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
    const int code = options->ReplayFile.empty() ? Play(*options) : Replay(*options);
    UnbindEngine();
    return code;
}
