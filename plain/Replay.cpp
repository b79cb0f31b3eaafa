// Replay: recording of live input, and the replay driver (the script is read in ReplayScript.cpp).
#include "Replay.h"

#include <SDL.h>
#include <sys/resource.h>

#include <cstdio>

#include "Dump.h"
#include "GLUse.h"
#include "Zodav.h"
#include "media/GameHome.h"
#include "media/OutputFile.h"

namespace {

struct Recorder {
    media::OutputFile file;
    bool on = false;
    bool said = false;  // a failure was already said
    std::int64_t pendingTicks = 0;
    std::int64_t ticks = 0;
    Uint64 firstTick = 0;
    int lastX = 0;
    int lastY = 0;
};
Recorder recorder;

// One line of the recording; the first failed write is said at once and ends the recording.
void RecordLine(const std::string& line) {
    if (!recorder.on) return;
    if (recorder.file.Write(line + "\n")) return;
    std::fprintf(stderr, "zodav: %s; the recording stops\n", recorder.file.Error().c_str());
    recorder.on = false;
    recorder.said = true;
}

void FlushTicks() {
    if (recorder.pendingTicks > 0) RecordLine("tick " + std::to_string(recorder.pendingTicks));
    recorder.pendingTicks = 0;
}

}  // namespace

bool StartRecording(const std::string& path, std::uint64_t seed, int screenWidth,
                    int screenHeight) {
    recorder.file.Close();
    recorder.pendingTicks = recorder.ticks = 0;
    recorder.lastX = recorder.lastY = 0;
    recorder.said = false;
    recorder.on = recorder.file.Open(path, "recording");
    if (!recorder.on) return false;
    RecordLine(std::string(kReplayMagic) + "\nseed " + std::to_string(seed) + "\nscreen " +
               std::to_string(screenWidth) + " " + std::to_string(screenHeight));
    return true;
}

const std::string& RecordingError() {
    return recorder.file.Error();
}

void RecordTick(int pointerX, int pointerY) {
    if (!recorder.on) return;
    if (pointerX != recorder.lastX || pointerY != recorder.lastY) {
        FlushTicks();
        RecordLine("mouse " + std::to_string(pointerX) + " " + std::to_string(pointerY));
        recorder.lastX = pointerX;
        recorder.lastY = pointerY;
    }
    if (recorder.ticks == 0) recorder.firstTick = SDL_GetPerformanceCounter();
    recorder.ticks += 1;
    recorder.pendingTicks += 1;
}

void RecordMessage(const Message& message) {
    if (!recorder.on) return;
    const char* line = nullptr;
    switch (message.type) {
        case MessageType::LButtonDown:
            line = "press left";
            break;
        case MessageType::LButtonUp:
            line = "release left";
            break;
        case MessageType::RButtonDown:
            line = "press right";
            break;
        case MessageType::RButtonUp:
            line = "release right";
            break;
        case MessageType::FocusOut:
            line = "focus out";
            break;
        case MessageType::FocusIn:
            line = "focus in";
            break;
        case MessageType::KeyDown:
            FlushTicks();
            RecordLine("key " + std::to_string(message.key));
            return;
        default:
            return;
    }
    FlushTicks();
    RecordLine(line);
}

void RecordScreenSize(int screenWidth, int screenHeight) {
    RecordLine("screen " + std::to_string(screenWidth) + " " + std::to_string(screenHeight));
}

bool StopRecording() {
    if (!recorder.file.IsOpen()) return !recorder.file.Failed();
    FlushTicks();
    // A closing comment with the live tick rate and the CPU time, for whoever measures them.
    const double seconds =
        recorder.ticks > 1 ? static_cast<double>(SDL_GetPerformanceCounter() - recorder.firstTick) /
                                 SDL_GetPerformanceFrequency()
                           : 0.0;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    char closing[160];
    std::snprintf(closing, sizeof closing, "# %lld ticks in %.3f s from the first tick; CPU %.3f s",
                  static_cast<long long>(recorder.ticks), seconds,
                  usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                      (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6);
    RecordLine(closing);
    recorder.on = false;
    if (recorder.file.Close()) return true;
    if (!recorder.said) std::fprintf(stderr, "zodav: %s\n", recorder.file.Error().c_str());
    return false;
}

namespace {

// Runs one command; false when a dump line could not be written (said on standard error).
bool RunCommand(const ReplayCommand& c, media::OutputFile& dump) {
    switch (c.kind) {
        case ReplayCommand::Seed:
        case ReplayCommand::Screen:
            break;  // taken before initialisation
        case ReplayCommand::Tick:
            for (std::int64_t i = 0; i < c.a && !QuitPosted(); ++i) {
                // SIGINT and SIGTERM arrive as a quit event, SIGHUP and SIGQUIT as a flag: shut
                // down as the window would.
                if (SDL_QuitRequested() || QuitSignalled()) {
                    Shutdown();
                    break;
                }
                Tick();
            }
            break;
        case ReplayCommand::Mouse:
            SetReplayCursorPos(static_cast<int>(c.a), static_cast<int>(c.b));
            break;
        case ReplayCommand::Press:
            WindowProcedure({c.a == 0 ? MessageType::LButtonDown : MessageType::RButtonDown, 0});
            break;
        case ReplayCommand::Release:
            WindowProcedure({c.a == 0 ? MessageType::LButtonUp : MessageType::RButtonUp, 0});
            break;
        case ReplayCommand::Key:
            WindowProcedure({MessageType::KeyDown, static_cast<int>(c.a)});
            break;
        case ReplayCommand::Focus:
            WindowProcedure({c.a == 0 ? MessageType::FocusOut : MessageType::FocusIn, 0});
            break;
        case ReplayCommand::Dump:
            if (!dump.Write(DumpState() + "\n") || !dump.Flush()) {
                std::fprintf(stderr, "zodav: %s\n", dump.Error().c_str());
                return false;
            }
            break;
        case ReplayCommand::Screenshot: {
            std::string why;
            if (!SaveScreenshot(FromStartFolder(c.text), &why))
                std::fprintf(stderr, "zodav: line %d: no screenshot: %s\n", c.line, why.c_str());
            break;
        }
    }
    return true;
}

}  // namespace

int RunReplay(ReplayScript& script, const std::string& dumpPath) {
    media::OutputFile dump;
    if (!dump.Open(dumpPath, "dump")) {
        std::fprintf(stderr, "zodav: %s\n", dump.Error().c_str());
        Shutdown();
        return 2;
    }
    KeepFramesForScreenshots(script.screenshots);
    int code = 0;
    ReplayCommand c;
    while (code == 0 && !QuitPosted() && NextReplayCommand(script, c))
        if (!RunCommand(c, dump)) code = 1;
    if (code == 0 && !ReplayReadError(script).empty()) {
        std::fprintf(stderr, "zodav: %s\n", ReplayReadError(script).c_str());
        code = 2;
    }
    // The end of the script closes the window as the player would.
    Shutdown();
    const bool failedBefore = dump.Failed();
    if (!dump.Close() && !failedBefore) {
        std::fprintf(stderr, "zodav: %s\n", dump.Error().c_str());
        code = code ? code : 1;
    }
    CloseReplay(script);
    return code;
}
