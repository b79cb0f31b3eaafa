// Replay scripts of the catching game: reading them, driving the engine by hand from them, and
// recording live input in the same format.
#include "replay.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "eXgine_binding.h"
#include "game_dump.h"
#include "garbage.h"
#include "media/GameHome.h"
#include "options.h"
#include "window.h"

namespace {

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

// A number argument within [0, most]; false when malformed or too big.
bool Number(const std::string& text, uint64_t most, uint64_t* value) {
    return ParseUnsigned(text, value) && *value <= most;
}

// Parses one non-blank, non-comment line; returns an error text or "".
std::string ParseCommand(const std::vector<std::string>& w, TReplayCommand* c) {
    using C = TReplayCommand;
    const std::string& name = w[0];
    auto arity = [&](std::size_t n) { return w.size() == n + 1; };
    if (name == "seed") {
        c->Command = C::kSeed;
        if (arity(1) && ParseUnsigned(w[1], &c->A)) return "";
        return "seed takes one whole number";
    }
    if (name == "update") {
        c->Command = C::kUpdate;
        if (arity(1) && Number(w[1], kMostUpdatesPerCommand, &c->A)) return "";
        return "update takes a count from 0 to " + std::to_string(kMostUpdatesPerCommand);
    }
    if (name == "mouse") {
        c->Command = C::kMouse;
        if (arity(2) && Number(w[1], kLargestCoordinate, &c->A) &&
            Number(w[2], kLargestCoordinate, &c->B))
            return "";
        return "mouse takes X and Y from 0 to 65535";
    }
    if (name == "key") {
        c->Command = C::kKey;
        if (arity(1) && Number(w[1], kLargestKeyCode, &c->A)) return "";
        return "key takes a virtual-key code from 0 to 255";
    }
    if (name == "screenshot") {
        c->Command = C::kScreenshot;
        if (!arity(1)) return "screenshot takes one file name";
        c->File = w[1];
        return "";
    }
    const std::pair<const char*, C::Kind> bare[] = {
        {"press", C::kPress}, {"release", C::kRelease}, {"close", C::kClose}, {"dump", C::kDump}};
    for (const auto& [word, kind] : bare)
        if (name == word) {
            c->Command = kind;
            return arity(0) ? "" : name + " takes no arguments";
        }
    return "unknown command \"" + name + "\"";
}

void ExecuteCommand(const TReplayCommand& c, TReplayPointer& p, std::FILE* dump) {
    switch (c.Command) {
        case TReplayCommand::kSeed:
            break;
        case TReplayCommand::kUpdate:
            for (uint64_t i = 0; i < c.A && !Core->QuitCalled(); ++i)
                Core->StepUpdate();
            break;
        case TReplayCommand::kMouse:
            p.x = uint32_t(c.A);
            p.y = uint32_t(c.B);
            Core->PostMessage(ExWmMouseMove, p.Buttons(), p.LParam());
            break;
        case TReplayCommand::kPress:
            p.pressed = true;
            Core->PostMessage(ExWmLButtonDown, p.Buttons(), p.LParam());
            break;
        case TReplayCommand::kRelease:
            p.pressed = false;
            Core->PostMessage(ExWmLButtonUp, p.Buttons(), p.LParam());
            break;
        case TReplayCommand::kKey:
            Core->PostMessage(ExWmKeyDown, uint32_t(c.A), 0);
            break;
        case TReplayCommand::kClose:
            Core->PostMessage(ExWmClose, 0, 0);
            break;
        case TReplayCommand::kDump:
            std::fprintf(dump, "%s\n", GameDumpLine().c_str());
            std::fflush(dump);
            break;
        case TReplayCommand::kScreenshot:
            if (!Core->SaveScreenshot(FromStartFolder(c.File).c_str()))
                GameLog("line " + std::to_string(c.Line) + ": no screenshot \"" + c.File +
                        "\" (it needs a window and a writable file)");
            break;
    }
}

// Recording state: where the script goes and the updates not yet written.
std::FILE* recordFile = nullptr;
uint64_t pendingUpdates = 0;
bool seedWritten = false;

void WriteSeedOnce() {
    if (seedWritten) return;
    std::fprintf(recordFile, "seed %llu\n", static_cast<unsigned long long>(UsedSeed));
    seedWritten = true;
}

void WritePendingUpdates() {
    WriteSeedOnce();
    if (pendingUpdates)
        std::fprintf(recordFile, "update %llu\n", static_cast<unsigned long long>(pendingUpdates));
    pendingUpdates = 0;
}

void RecordingUpdate() {
    ++pendingUpdates;
    GameUpdate();
}

void RecordingWindowProc(uint32_t msg, uint32_t wParam, uint32_t lParam) {
    const uint32_t x = lParam & 0xFFFFu, y = lParam >> 16;
    switch (msg) {
        case ExWmMouseMove:
            WritePendingUpdates();
            std::fprintf(recordFile, "mouse %u %u\n", x, y);
            break;
        case ExWmLButtonDown:
        case ExWmLButtonUp:
            WritePendingUpdates();
            std::fprintf(recordFile, "%s\n", msg == ExWmLButtonDown ? "press" : "release");
            break;
        case ExWmKeyDown:
            WritePendingUpdates();
            std::fprintf(recordFile, "key %u\n", wParam & 0xFFu);
            break;
        case ExWmClose:
        case ExWmQueryEndSession:
            WritePendingUpdates();
            std::fprintf(recordFile, "close\n");
            break;
        default:
            break;
    }
    GameWindowProc(msg, wParam, lParam);
}

}  // namespace

TReplayReader::Result TReplayReader::Feed(std::string line, TReplayCommand* out,
                                          std::string* error) {
    ++line_;
    auto fail = [&](const std::string& why) {
        *error = fileName_ + ":" + std::to_string(line_) + ": " + why;
        return kError;
    };
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line_ == 1) {
        if (line != kReplayMagic)
            return fail("not a replay: the first line must be \"" + std::string(kReplayMagic) +
                        "\"");
        return kNothing;
    }
    std::vector<std::string> words = Words(line);
    if (words.empty() || words[0][0] == '#') return kNothing;
    TReplayCommand c;
    c.Line = line_;
    std::string why = ParseCommand(words, &c);
    if (!why.empty()) return fail(why);
    if (c.Command == TReplayCommand::kSeed && started_)
        return fail("seed must come before the game starts (before any other command)");
    started_ = started_ || c.Command != TReplayCommand::kSeed;
    *out = c;
    return kCommand;
}

std::optional<std::vector<TReplayCommand>> ParseReplay(const std::string& text,
                                                       const std::string& fileName,
                                                       std::string* error) {
    std::vector<TReplayCommand> out;
    TReplayReader reader(fileName);
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        TReplayCommand c;
        TReplayReader::Result r = reader.Feed(line, &c, error);
        if (r == TReplayReader::kError) return std::nullopt;
        if (r == TReplayReader::kCommand) out.push_back(c);
    }
    if (reader.Line() == 0) {
        *error = fileName + ":0: empty file: the first line must be \"" +
                 std::string(kReplayMagic) + "\"";
        return std::nullopt;
    }
    return out;
}

std::optional<std::vector<TReplayCommand>> ReadReplay(const std::string& fileName,
                                                      std::string* error) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        *error = fileName + ":0: cannot open the replay script";
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return ParseReplay(text.str(), fileName, error);
}

void TReplayRun::Execute(const TReplayCommand& c) {
    if (c.Command == TReplayCommand::kSeed) {
        if (!seedFixed_) GameSeed = c.A;
        return;
    }
    Start();
    if (!Core->QuitCalled()) ExecuteCommand(c, pointer_, dump_);
}

void TReplayRun::Start() {
    if (started_) return;
    started_ = true;
    Core->StartManual(kUpdatesPerSecond);
}

void TReplayRun::Finish() {
    Start();  // init and free run once even for a script without commands
    Core->EndManual();
}

void RunReplay(const std::vector<TReplayCommand>& commands, std::FILE* dump, bool seedFixed) {
    TReplayRun run(dump, seedFixed);
    for (const TReplayCommand& c : commands) {
        if (run.Done()) break;
        run.Execute(c);
    }
    run.Finish();
}

int RunReplayStream(std::FILE* in, const std::string& name, std::FILE* dump, bool seedFixed) {
    TReplayReader reader(name);
    TReplayRun run(dump, seedFixed);
    int code = 0;
    char* buffer = nullptr;
    std::size_t capacity = 0;
    for (ssize_t n; !run.Done() && (n = getline(&buffer, &capacity, in)) >= 0;) {
        std::string line(buffer, std::size_t(n));
        if (!line.empty() && line.back() == '\n') line.pop_back();
        TReplayCommand c;
        std::string error;
        TReplayReader::Result r = reader.Feed(line, &c, &error);
        if (r == TReplayReader::kError) {
            GameLog(error);
            code = 2;
            break;
        }
        if (r == TReplayReader::kCommand) run.Execute(c);
    }
    std::free(buffer);
    run.Finish();
    return code;
}

void StartRecording(std::FILE* out) {
    recordFile = out;
    pendingUpdates = 0;
    seedWritten = false;
    std::fprintf(recordFile, "%s\n# recorded from live play\n", kReplayMagic);
    Core->SetCallback(ExUpdate, RecordingUpdate);
    WindowHost->SetWindowProc(RecordingWindowProc);
}

void FinishRecording() {
    if (!recordFile) return;
    WritePendingUpdates();
    std::fflush(recordFile);
    recordFile = nullptr;
}

uint32_t TReplayPointer::LParam() const {
    return ExMakeLParam(int(x), int(y));
}

uint32_t TReplayPointer::Buttons() const {
    return pressed ? ExMkLButton : 0;
}

bool TReplayRun::Done() const {
    return started_ && Core->QuitCalled();
}
