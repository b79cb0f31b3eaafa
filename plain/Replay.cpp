// Replay: script parsing, recording of live input, and the replay driver.
#include "Replay.h"

#include <SDL.h>
#include <sys/resource.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "Dump.h"
#include "GLUse.h"
#include "Zodav.h"
#include "media/GameHome.h"

namespace {

// Parses a whole decimal number that fits in [lo, hi].
bool ParseNumber(const std::string& word, std::int64_t lo, std::int64_t hi, std::int64_t& out) {
    if (word.empty()) return false;
    size_t used = 0;
    try {
        const long long value = std::stoll(word, &used, 10);
        if (used != word.size() || value < lo || value > hi) return false;
        out = value;
        return true;
    } catch (...) {
        return false;
    }
}

bool ParseSeed(const std::string& word, std::uint64_t& out) {
    if (word.empty() || word[0] == '-' || word[0] == '+') return false;
    size_t used = 0;
    try {
        out = std::stoull(word, &used, 10);
        return used == word.size();
    } catch (...) {
        return false;
    }
}

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line.substr(0, line.find('#')));
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

bool ParseButton(const std::string& word, std::int64_t& out) {
    if (word == "left")
        out = 0;
    else if (word == "right")
        out = 1;
    else
        return false;
    return true;
}

constexpr std::int64_t kMaxCoordinate = 1 << 20;

// One command line; false when it is malformed or unknown.
bool ParseCommand(const std::vector<std::string>& w, ReplayCommand& c, ReplayScript& script) {
    const std::string& verb = w[0];
    const size_t n = w.size();
    if (verb == "seed" && n == 2) {
        c.kind = ReplayCommand::Seed;
        script.hasSeed = true;
        return ParseSeed(w[1], script.seed);
    }
    if (verb == "screen" && n == 3) {
        c.kind = ReplayCommand::Screen;
        return ParseNumber(w[1], 1, 16384, c.a) && ParseNumber(w[2], 1, 16384, c.b);
    }
    if (verb == "tick" && n == 2) {
        c.kind = ReplayCommand::Tick;
        return ParseNumber(w[1], 0, 1'000'000'000, c.a);
    }
    if (verb == "mouse" && n == 3) {
        c.kind = ReplayCommand::Mouse;
        return ParseNumber(w[1], -kMaxCoordinate, kMaxCoordinate, c.a) &&
               ParseNumber(w[2], -kMaxCoordinate, kMaxCoordinate, c.b);
    }
    if ((verb == "press" || verb == "release") && n == 2) {
        c.kind = verb == "press" ? ReplayCommand::Press : ReplayCommand::Release;
        return ParseButton(w[1], c.a);
    }
    if (verb == "key" && n == 2) {
        c.kind = ReplayCommand::Key;
        return ParseNumber(w[1], 0, 255, c.a);
    }
    if (verb == "dump" && n == 1) {
        c.kind = ReplayCommand::Dump;
        return true;
    }
    if (verb == "screenshot" && n == 2) {
        c.kind = ReplayCommand::Screenshot;
        c.text = w[1];
        return true;
    }
    return false;
}

struct Recorder {
    std::FILE* file = nullptr;
    std::int64_t pendingTicks = 0;
    std::int64_t ticks = 0;
    Uint64 firstTick = 0;
    int lastX = 0;
    int lastY = 0;
};
Recorder recorder;

void FlushTicks() {
    if (recorder.pendingTicks > 0)
        std::fprintf(recorder.file, "tick %lld\n", static_cast<long long>(recorder.pendingTicks));
    recorder.pendingTicks = 0;
}

}  // namespace

bool ParseReplayText(const std::string& name, const std::string& text, ReplayScript& script,
                     std::string& error) {
    script = ReplayScript{};
    std::istringstream in(text);
    std::string line;
    int number = 0;
    bool sawHeader = false;
    bool ticked = false;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::vector<std::string> w = Words(line);
        if (w.empty()) continue;
        const std::string where = name + ":" + std::to_string(number) + ": ";
        if (!sawHeader) {
            if (w.size() != 2 || w[0] != "zodav-replay" || w[1] != "1") {
                error = where + "expected 'zodav-replay 1' as the first line";
                return false;
            }
            sawHeader = true;
            continue;
        }
        ReplayCommand c;
        c.line = number;
        if (!ParseCommand(w, c, script)) {
            error = where + "malformed or unknown command '" + line + "'";
            return false;
        }
        if ((c.kind == ReplayCommand::Seed || c.kind == ReplayCommand::Screen) && ticked) {
            error = where + "'" + w[0] + "' must come before the first tick";
            return false;
        }
        if (c.kind == ReplayCommand::Screen) {
            script.screenWidth = static_cast<int>(c.a);
            script.screenHeight = static_cast<int>(c.b);
        }
        if (c.kind == ReplayCommand::Tick) ticked = true;
        script.commands.push_back(c);
    }
    if (!sawHeader) {
        error = name + ": empty script, expected 'zodav-replay 1'";
        return false;
    }
    return true;
}

bool ParseReplay(const std::string& path, ReplayScript& script, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot open the replay script";
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return ParseReplayText(path, text.str(), script, error);
}

bool StartRecording(const std::string& path, std::uint64_t seed, int screenWidth,
                    int screenHeight) {
    recorder = Recorder{};
    recorder.file = std::fopen(path.c_str(), "w");
    if (!recorder.file) return false;
    std::fprintf(recorder.file, "zodav-replay 1\nseed %llu\nscreen %d %d\n",
                 static_cast<unsigned long long>(seed), screenWidth, screenHeight);
    return true;
}

void RecordTick(int pointerX, int pointerY) {
    if (!recorder.file) return;
    if (pointerX != recorder.lastX || pointerY != recorder.lastY) {
        FlushTicks();
        std::fprintf(recorder.file, "mouse %d %d\n", pointerX, pointerY);
        recorder.lastX = pointerX;
        recorder.lastY = pointerY;
    }
    if (recorder.ticks == 0) recorder.firstTick = SDL_GetPerformanceCounter();
    recorder.ticks += 1;
    recorder.pendingTicks += 1;
}

void RecordMessage(const Message& message) {
    if (!recorder.file) return;
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
        case MessageType::KeyDown:
            FlushTicks();
            std::fprintf(recorder.file, "key %d\n", message.key);
            return;
        default:
            return;
    }
    FlushTicks();
    std::fprintf(recorder.file, "%s\n", line);
}

void StopRecording() {
    if (!recorder.file) return;
    FlushTicks();
    // A closing comment with the live tick rate and the CPU time, for whoever measures them.
    const double seconds =
        recorder.ticks > 1 ? static_cast<double>(SDL_GetPerformanceCounter() - recorder.firstTick) /
                                 SDL_GetPerformanceFrequency()
                           : 0.0;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::fprintf(recorder.file, "# %lld ticks in %.3f s from the first tick; CPU %.3f s\n",
                 static_cast<long long>(recorder.ticks), seconds,
                 usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                     (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6);
    std::fclose(recorder.file);
    recorder.file = nullptr;
}

namespace {

void RunCommand(const ReplayCommand& c, std::FILE* dump) {
    switch (c.kind) {
        case ReplayCommand::Seed:
        case ReplayCommand::Screen:
            break;  // taken before initialisation
        case ReplayCommand::Tick:
            for (std::int64_t i = 0; i < c.a && !QuitPosted(); ++i) {
                // SIGINT and SIGTERM arrive as a quit event: shut down as the window would.
                if (SDL_QuitRequested()) {
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
        case ReplayCommand::Dump:
            std::fprintf(dump, "%s\n", DumpState().c_str());
            std::fflush(dump);
            break;
        case ReplayCommand::Screenshot:
            if (!SaveScreenshot(FromStartFolder(c.text)))
                std::fprintf(stderr, "line %d: no frame to save as %s (headless or not drawn)\n",
                             c.line, c.text.c_str());
            break;
    }
}

}  // namespace

int RunReplay(const ReplayScript& script, const std::string& dumpPath) {
    std::FILE* dump = stdout;
    if (!dumpPath.empty()) {
        dump = std::fopen(dumpPath.c_str(), "w");
        if (!dump) {
            std::fprintf(stderr, "%s: cannot write the dump: %s\n", dumpPath.c_str(),
                         std::strerror(errno));
            Shutdown();
            return 2;
        }
    }
    for (const ReplayCommand& c : script.commands)
        if (c.kind == ReplayCommand::Screenshot) KeepFramesForScreenshots(true);
    for (const ReplayCommand& c : script.commands) {
        if (QuitPosted()) break;
        RunCommand(c, dump);
    }
    // The end of the script closes the window as the player would.
    Shutdown();
    if (dump != stdout) std::fclose(dump);
    return 0;
}
