// Replay scripts of the ball game: the commands, their order rules, and reading a script as a
// stream (a plain file checked whole first, a pipe read up to its first tick).
#include <algorithm>
#include <cstdio>
#include <vector>

#include "Replay.h"
#include "media/ScriptReader.h"

namespace {

constexpr std::int64_t kMaxCoordinate = 1 << 20;
constexpr std::int64_t kLargestScreen = 16384;
// A pipe's commands before its first tick wait in memory until the game starts; this bounds them.
constexpr std::size_t kMostCommandsBeforeFirstTick = 100'000;

bool ParseButton(const std::string& word, std::int64_t& out) {
    if (word == "left")
        out = 0;
    else if (word == "right")
        out = 1;
    else
        return false;
    return true;
}

bool Number(const std::string& word, std::int64_t lo, std::int64_t hi, std::int64_t& out) {
    return media::ScriptNumber(word, lo, hi, &out);
}

// One command line's words; returns what is wrong with it, or "".
std::string ParseCommand(const std::vector<std::string>& w, ReplayCommand& c) {
    const std::string& verb = w[0];
    const size_t n = w.size();
    if (verb == "seed") {
        c.kind = ReplayCommand::Seed;
        std::uint64_t seed = 0;
        if (n == 2 && media::ScriptSeed(w[1], &seed)) {
            c.a = static_cast<std::int64_t>(seed);  // the bits, taken back by the reader
            return "";
        }
        return "seed takes one whole number from 0 to 18446744073709551615";
    }
    if (verb == "screen") {
        c.kind = ReplayCommand::Screen;
        if (n == 3 && Number(w[1], 1, kLargestScreen, c.a) && Number(w[2], 1, kLargestScreen, c.b))
            return "";
        return "screen takes a width and a height from 1 to " + std::to_string(kLargestScreen);
    }
    if (verb == "tick") {
        c.kind = ReplayCommand::Tick;
        if (n == 2 && Number(w[1], 0, media::kMostStepsPerCommand, c.a)) return "";
        return "tick takes a count from 0 to " + std::to_string(media::kMostStepsPerCommand);
    }
    if (verb == "mouse") {
        c.kind = ReplayCommand::Mouse;
        if (n == 3 && Number(w[1], -kMaxCoordinate, kMaxCoordinate, c.a) &&
            Number(w[2], -kMaxCoordinate, kMaxCoordinate, c.b))
            return "";
        return "mouse takes X and Y from " + std::to_string(-kMaxCoordinate) + " to " +
               std::to_string(kMaxCoordinate);
    }
    if (verb == "press" || verb == "release") {
        c.kind = verb == "press" ? ReplayCommand::Press : ReplayCommand::Release;
        if (n == 2 && ParseButton(w[1], c.a)) return "";
        return verb + " takes left or right";
    }
    if (verb == "key") {
        c.kind = ReplayCommand::Key;
        if (n == 2 && Number(w[1], 0, media::kLargestKeyCode, c.a)) return "";
        return "key takes a virtual-key code from 0 to 255";
    }
    if (verb == "focus") {
        c.kind = ReplayCommand::Focus;
        c.a = n == 2 && w[1] == "out" ? 0 : 1;
        if (n == 2 && (w[1] == "out" || w[1] == "in")) return "";
        return "focus takes in or out";
    }
    if (verb == "dump") {
        c.kind = ReplayCommand::Dump;
        return n == 1 ? "" : "dump takes no arguments";
    }
    if (verb == "screenshot") {
        c.kind = ReplayCommand::Screenshot;
        c.text = n == 2 ? w[1] : "";
        return n == 2 ? "" : "screenshot takes one file name";
    }
    return "unknown command \"" + verb + "\"";
}

}  // namespace

// Reads commands one at a time, checking each line and the order rules; a seed or a screen size
// also goes into the script.
class ReplayReader {
  public:
    ReplayReader(std::FILE* in, const std::string& name) : lines_(in, name, kReplayMagic) {}

    // The next command; false at the end of the script or at a malformed line (Error()).
    bool Next(ReplayCommand& c, ReplayScript& script) {
        std::vector<std::string> words;
        return lines_.Next(&words) == media::ScriptReader::kWords && Take(words, c, script);
    }

    bool Take(const std::vector<std::string>& words, ReplayCommand& c, ReplayScript& script) {
        c = ReplayCommand{};
        c.line = lines_.Line();
        const std::string why = ParseCommand(words, c);
        if (!why.empty()) return lines_.Fail(why), false;
        const bool early = c.kind == ReplayCommand::Seed || c.kind == ReplayCommand::Screen;
        if (early && ticked_)
            return lines_.Fail(words[0] + " must come before the first tick"), false;
        ticked_ = ticked_ || c.kind == ReplayCommand::Tick;
        if (c.kind == ReplayCommand::Seed) {
            script.hasSeed = true;
            script.seed = static_cast<std::uint64_t>(c.a);
        } else if (c.kind == ReplayCommand::Screen) {
            script.screenWidth = static_cast<int>(c.a);
            script.screenHeight = static_cast<int>(c.b);
        }
        script.screenshots = script.screenshots || c.kind == ReplayCommand::Screenshot;
        return true;
    }

    bool Ticked() const { return ticked_; }
    const std::string& Error() const { return lines_.Error(); }
    media::ScriptReader& Lines() { return lines_; }

  private:
    media::ScriptReader lines_;
    bool ticked_ = false;
};

ReplayScript::ReplayScript() = default;
ReplayScript::~ReplayScript() = default;
ReplayScript::ReplayScript(ReplayScript&&) noexcept = default;
ReplayScript& ReplayScript::operator=(ReplayScript&&) noexcept = default;

namespace {

// The file behind a script being read; it lives as long as the program's replay.
media::ScriptFile scriptFile;

// A plain file: every line checked now, nothing kept; it is read again as it runs.
bool CheckWhole(ReplayScript& script, std::string& error) {
    ReplayCommand c;
    while (script.reader->Next(c, script)) {
    }
    error = script.reader->Error();
    if (!error.empty()) return false;
    std::rewind(scriptFile.get());
    script.reader = std::make_unique<ReplayReader>(scriptFile.get(), script.reader->Lines().Name());
    return true;
}

// A pipe: its commands up to the first tick are read now and wait until the game has started.
bool ReadUntilFirstTick(ReplayScript& script, std::string& error) {
    script.screenshots = true;  // what comes later is not known yet
    ReplayCommand c;
    while (!script.reader->Ticked() && script.reader->Next(c, script)) {
        script.commands.push_back(c);
        if (script.commands.size() > kMostCommandsBeforeFirstTick) {
            error = script.reader->Lines().Name() + ":" + std::to_string(c.line) + ": more than " +
                    std::to_string(kMostCommandsBeforeFirstTick) +
                    " commands before the first tick";
            return false;
        }
    }
    error = script.reader->Error();
    return error.empty();
}

}  // namespace

bool ParseReplayText(const std::string& name, const std::string& text, ReplayScript& script,
                     std::string& error) {
    script = ReplayScript{};
    ReplayReader reader(nullptr, name);
    std::vector<std::string> words;
    using R = media::ScriptReader;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const R::Result r = reader.Lines().Feed(text.substr(start, end - start), &words);
        ReplayCommand c;
        if (r == R::kError || (r == R::kWords && !reader.Take(words, c, script))) break;
        if (r == R::kWords) script.commands.push_back(c);
        start = end + 1;
    }
    if (reader.Error().empty()) reader.Lines().End();
    error = reader.Error();
    return error.empty();
}

bool ParseReplay(const std::string& path, ReplayScript& script, std::string& error) {
    script = ReplayScript{};
    scriptFile = media::OpenScript(path, &error);
    if (!scriptFile) return false;
    const std::string name = path == "-" ? "(standard input)" : path;
    script.reader = std::make_unique<ReplayReader>(scriptFile.get(), name);
    return media::ScriptIsRewindable(scriptFile.get()) ? CheckWhole(script, error)
                                                       : ReadUntilFirstTick(script, error);
}

bool NextReplayCommand(ReplayScript& script, ReplayCommand& c) {
    if (!script.commands.empty()) {
        c = std::move(script.commands.front());
        script.commands.pop_front();
        return true;
    }
    return script.reader && script.reader->Next(c, script);
}

std::string ReplayReadError(const ReplayScript& script) {
    return script.reader ? script.reader->Error() : std::string();
}

void CloseReplay(ReplayScript& script) {
    script.reader.reset();
    scriptFile.reset();
}
