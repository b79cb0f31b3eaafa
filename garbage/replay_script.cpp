// Replay scripts of the catching game: the commands and their order rule, read through the
// shared script reader.
#include <algorithm>

#include "replay.h"

namespace {

// A number argument within [0, most]; false when malformed or too big.
bool Number(const std::string& text, uint64_t most, uint64_t* value) {
    int64_t v = 0;
    if (!media::ScriptNumber(text, 0, int64_t(most), &v)) return false;
    *value = uint64_t(v);
    return true;
}

// Parses one command line's words; returns an error text or "".
std::string ParseCommand(const std::vector<std::string>& w, TReplayCommand* c) {
    using C = TReplayCommand;
    const std::string& name = w[0];
    auto arity = [&](std::size_t n) { return w.size() == n + 1; };
    if (name == "seed") {
        c->Command = C::kSeed;
        if (arity(1) && media::ScriptSeed(w[1], &c->A)) return "";
        return "seed takes one whole number from 0 to 18446744073709551615";
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
    if (name == "focus") {
        c->Command = arity(1) && w[1] == "in" ? C::kFocusIn : C::kFocusOut;
        if (arity(1) && (w[1] == "in" || w[1] == "out")) return "";
        return "focus takes \"in\" or \"out\"";
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

}  // namespace

bool TReplayReader::Take(const std::vector<std::string>& words, TReplayCommand* out) {
    TReplayCommand c;
    c.Line = reader_.Line();
    const std::string why = ParseCommand(words, &c);
    if (!why.empty()) return reader_.Fail(why), false;
    if (c.Command == TReplayCommand::kSeed && started_)
        return reader_.Fail("seed must come before the game starts (before any other command)"),
               false;
    started_ = started_ || c.Command != TReplayCommand::kSeed;
    *out = c;
    return true;
}

bool TReplayReader::Next(TReplayCommand* out) {
    std::vector<std::string> words;
    return reader_.Next(&words) == media::ScriptReader::kWords && Take(words, out);
}

std::optional<std::vector<TReplayCommand>> ParseReplay(const std::string& text,
                                                       const std::string& fileName,
                                                       std::string* error) {
    std::vector<TReplayCommand> out;
    TReplayReader reader(nullptr, fileName);
    std::vector<std::string> words;
    using R = media::ScriptReader;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = std::min(text.find('\n', start), text.size());
        R::Result r = reader.Lines().Feed(text.substr(start, end - start), &words);
        TReplayCommand c;
        if (r == R::kError || (r == R::kWords && !reader.Take(words, &c))) break;
        if (r == R::kWords) out.push_back(c);
        start = end + 1;
    }
    if (reader.Error().empty()) reader.Lines().End();
    *error = reader.Error();
    if (!error->empty()) return std::nullopt;
    return out;
}

bool CheckReplay(std::FILE* in, const std::string& fileName, std::string* error) {
    TReplayReader reader(in, fileName);
    for (TReplayCommand c; reader.Next(&c);) {
    }
    *error = reader.Error();
    return error->empty();
}
